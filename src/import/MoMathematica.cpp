#include "import/MoMathematica.h"

#include "data/MoTavrelWks.h"
#include "files/MyCFile.h"
#include "frame/MoDLL.h"
#include "platform/FileException.h"

namespace zel {
namespace {

// Cells of the columns a list fills hold text.
constexpr int32_t kTextFormat = 9;

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
    int32_t column = 1;
    for (int32_t row = 0;; ++row) {
        const ElementEnd end = ReadElement(p, element);
        if (!p) return p.failure();
        worksheet.SetTextCell(column, row, element.c_str());
        if (end == ElementEnd::More) continue;
        if (depth == 1) return 0;
        // The end of an inner list: another follows unless the outer list
        // ends here, or the read fails (the import still answers 0).
        const double next = p.Read(1, Held::AsIs);
        if (!p || next == '}') return 0;
        ++column;
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
