// Shared pieces of the text-method tests: a fixture that writes a text file,
// opens it at an offset and reads back string variables, and the cells of a
// dataset or worksheet as one text.
#pragma once

#include <string>

#include "Dataset.h"
#include "Worksheet.h"
#include "support/Printing.h"
#include "support/ZelFixture.h"
#include "transfer/MoASCIIPiece.h"

namespace zeltest {

// Runs of plain bytes on or off for the life of the object.
class ByteRuns {
public:
    explicit ByteRuns(bool on) { zel::MoASCIIPiece::UseByteRuns(on); }
    ~ByteRuns() { zel::MoASCIIPiece::UseByteRuns(true); }
    ByteRuns(const ByteRuns&) = delete;
    ByteRuns& operator=(const ByteRuns&) = delete;
};

// The cells of a dataset's extent as the host shows them: "1||3".
inline std::string CellsOf(const tavrel::Dataset& d) {
    std::string cells;
    for (int32_t i = 0; i < d.upper(); ++i) cells += (i > 0 ? "|" : "") + d.display(static_cast<size_t>(i));
    return cells;
}

// The rows of a worksheet, cells separated by "|" and rows by "/": "1|2/3|".
inline std::string RowsOf(const tavrel::Worksheet& sheet) {
    std::string rows;
    for (int32_t r = 0; r < sheet.rows(); ++r) {
        if (r > 0) rows += "/";
        for (int k = 1; k <= sheet.columnCount(); ++k) {
            rows += (k > 1 ? "|" : "") + sheet.column(k)->dataset().display(static_cast<size_t>(r));
        }
    }
    return rows;
}

class TextFixture : public ZelFixture {
protected:
    // Writes the bytes to text.txt, opens it in the mode and moves to the
    // offset; answers the handle.
    int32_t OpenText(const std::string& bytes, int64_t offset = 0, int mode = 0) {
        scratch_.Make("text.txt", bytes);
        const int32_t h = OpenFile("text.txt", mode);
        if (offset != 0) {
            EXPECT_EQ(Call("SETPOS", std::to_string(offset)).code, 1);
        }
        return h;
    }
    std::string FileText() { return ScratchDir::Contents(scratch_.PathOf("text.txt")); }
    double Position() { return Call("GETPOS").value; }
    std::string Variable(char letter) { return host().Variable(letter); }
    // Sets the settings the text methods read.
    void Settings(bool newActions, int lineMode, int listSep) {
        UseNewActions(false);  // stores unchecked, then the numbering asked for
        SetNumber("NLINEMODE", lineMode);
        SetNumber("LISTSEP", listSep);
        UseNewActions(newActions);
    }
};

}  // namespace zeltest
