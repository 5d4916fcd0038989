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

MoMathematica::ElementEnd MoMathematica::ReadElement(std::string& element) {
    element.clear();
    MyCFile* file = io_.CurrentFile();
    while (element.size() < kElementChars) {
        uint8_t byte = 0;
        uint32_t got = 0;
        try {
            got = file->Read(&byte, 1);
        } catch (const platform::FileException& e) {
            // A file that fails on every byte would never end the list.
            failed_ = io_.Fail(Err::ElementReadFailed, e);
            return ElementEnd::Failed;
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
    if (!worksheet.IsAttached()) return io_.Raise(Err::NoWorksheet);
    // The list is read a byte at a time, whatever byte order the script left
    // (a legacy store may have left one that READ refuses).
    ReadLittleEndian();

    int32_t depth = 0;
    for (;;) {
        double byte = 0.0;
        if (int32_t r = RunMethod(owner, ZelMethod::Read, byte, {1}); r != 0) return NestedFailure(r);
        if (byte != '{') break;
        ++depth;
    }
    if (int32_t r = RunMethod(owner, ZelMethod::Jump, {-1}); r != 0) return NestedFailure(r);
    if (depth != 1 && depth != 2) return io_.Raise(Err::BadFormat);

    int32_t columns = worksheet.ColumnCount();
    for (int32_t c = columns; c >= 1; --c) worksheet.SetColumnFormat(c, kTextFormat);

    std::string element;
    element.reserve(kElementChars);
    int32_t column = 1;
    for (int32_t row = 0;; ++row) {
        const ElementEnd end = ReadElement(element);
        if (end == ElementEnd::Failed) return failed_;
        worksheet.SetTextCell(column, row, element.c_str());
        if (end == ElementEnd::More) continue;
        if (depth == 1) return 0;
        // The end of an inner list: another follows unless the outer list
        // ends here.
        double next = 0.0;
        if (RunMethod(owner, ZelMethod::Read, next, {1}) != 0 || next == '}') return 0;
        ++column;
        if (column > columns) {
            if (worksheet.AddColumn() != 0) return io_.Fail(Err::HostRefused);
            columns = column;
            // A new column holds text like the others, or its cells are lost.
            worksheet.SetColumnFormat(column, kTextFormat);
        }
        row = -1;
    }
}

}  // namespace zel
