#include "import/MoMathematica.h"

#include <array>

#include "data/MoTavrelWks.h"
#include "files/MyCFile.h"
#include "frame/MoDLL.h"
#include "host/HostServices.h"
#include "platform/FileException.h"

namespace zel {
namespace {

// Cells of the columns a list fills hold text.
constexpr int32_t kTextFormat = 9;

// The elements of a column, stored a cell at a time, or staged and stored a
// run of rows at a time when the host serves blocks.
class ElementCells {
public:
    ElementCells(MoTavrelWks& worksheet, bool blocks) : worksheet_(worksheet), blocks_(blocks) {}
    ~ElementCells() { Flush(); }
    ElementCells(const ElementCells&) = delete;
    ElementCells& operator=(const ElementCells&) = delete;

    void Put(int32_t column, int32_t row, const std::string& element) {
        if (!blocks_) {
            worksheet_.SetTextCell(column, row, element.c_str());
            return;
        }
        if (count_ > 0 && (column != column_ || row != first_ + static_cast<int32_t>(count_) || count_ == kRun)) {
            Flush();
        }
        if (count_ == 0) {
            column_ = column;
            first_ = row;
        }
        // The strings keep their memory from run to run.
        texts_[count_].assign(element);
        ++count_;
    }

    void Flush() {
        if (count_ == 0) return;
        std::array<const char*, kRun> pointers;
        for (uint32_t k = 0; k < count_; ++k) pointers[k] = texts_[k].c_str();
        worksheet_.SetTextCells(column_, first_, pointers.data(), count_);
        count_ = 0;
    }

private:
    static constexpr uint32_t kRun = 1024;
    MoTavrelWks& worksheet_;
    bool blocks_;
    int32_t column_ = 0;
    int32_t first_ = 0;
    uint32_t count_ = 0;
    std::array<std::string, kRun> texts_;
};

}  // namespace

MoMathematica::ElementEnd MoMathematica::ReadElement(Program& p, std::string& element) {
    element.clear();
    MyCFile* file = io_.CurrentFile();
    while (element.size() < kElementChars) {
        uint8_t byte = 0;
        uint32_t got = 0;
        try {
            got = file->Read(&byte, 1);
        } catch (const platform::FileException& e) {
            // A file that fails on every byte would never end the list.
            p.Hold(io_.Report(Err::ElementReadFailed, e), Held::AsIs);
            return ElementEnd::ListEnd;
        }
        if (got == 0 || byte == '}') return ElementEnd::ListEnd;
        switch (byte) {
            case ',': return ElementEnd::More;
            case '\r':
            case '\n':
            case '{':
            case '^':
            case ' ': break;
            case '*': element.push_back('E'); break;
            default: element.push_back(static_cast<char>(byte)); break;
        }
    }
    return ElementEnd::More;
}

int32_t MoMathematica::Import(MoDLL& owner) {
    // The worksheet is looked for before any byte is read.
    MoTavrelWks worksheet(worksheet_, io_);
    if (!worksheet.IsAttached()) return io_.Report(Err::NoWorksheet);
    // The list is read a byte at a time, whatever byte order the script left
    // (a legacy store may have left one that READ refuses).
    ReadLittleEndian();

    // The opening braces tell a list from a list of lists.
    Program p(*this, owner);
    int32_t depth = 0;
    while (p.Read(1) == '{') ++depth;
    p.Jump(-1);
    p.Expect(depth == 1 || depth == 2);
    if (!p) return p.failure();

    int32_t columns = worksheet.ColumnCount();
    for (int32_t c = columns; c >= 1; --c) worksheet.SetColumnFormat(c, kTextFormat);

    std::string element;
    element.reserve(kElementChars);
    ElementCells cells(worksheet, host::ServesBlocks());
    int32_t column = 1;
    for (int32_t row = 0;; ++row) {
        const ElementEnd end = ReadElement(p, element);
        if (!p) return p.failure();
        cells.Put(column, row, element);
        if (end == ElementEnd::More) continue;
        if (depth == 1) return 0;
        // The end of an inner list: another follows unless the outer list
        // ends here, or the read fails (the import still answers 0).
        const double next = p.Read(1, Held::AsIs);
        if (!p || next == '}') return 0;
        ++column;
        // A column's cells go before the columns change.
        cells.Flush();
        if (column > columns) {
            if (worksheet.AddColumn() != 0) return io_.Report(Err::HostRefused);
            columns = column;
            // A new column holds text like the others, or its cells are lost.
            worksheet.SetColumnFormat(column, kTextFormat);
        }
        row = -1;
    }
}

}  // namespace zel
