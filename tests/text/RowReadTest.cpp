// LINEROW and READROW through MODLL: the cells of the row, the result, ERROR,
// the columns added and the position afterwards.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "TextTesting.h"

namespace zeltest {
namespace {

// The rows of a worksheet as texts: the cells of each row as the host shows
// them, separated by "|".
std::vector<std::string> RowsOf(tavrel::Worksheet& sheet) {
    std::vector<std::string> rows;
    for (int32_t r = 0; r < sheet.rows(); ++r) {
        std::string row;
        for (int k = 1; k <= sheet.columnCount(); ++k) {
            if (k > 1) row += "|";
            row += sheet.column(k)->dataset().display(static_cast<size_t>(r));
        }
        rows.push_back(row);
    }
    return rows;
}

struct RowCase {
    const char* name;
    const char* method;
    const char* args;
    std::string bytes;
    int64_t offset;
    bool newActions;
    int lineMode;
    int listSep;
    int columns;      // of the worksheet w before the call
    int textColumns;  // the first this many of them hold text
    int32_t code;
    double value;
    int32_t error;
    std::vector<std::string> rows;  // of w afterwards
    double position;
};

void PrintTo(const RowCase& c, std::ostream* os) {
    *os << c.name << ": " << c.method << "(" << c.args << ") on " << Quoted(c.bytes) << " from " << c.offset
        << ", NEWACTIONS " << c.newActions << ", NLINEMODE " << c.lineMode << ", LISTSEP " << c.listSep << ", "
        << c.columns << " columns, " << c.textColumns << " of text";
}

class RowReads : public TextFixture, public ::testing::WithParamInterface<RowCase> {};

TEST_P(RowReads, CellsAnswerAndPosition) {
    const RowCase& c = GetParam();
    for (bool runs : {true, false}) {
        SCOPED_TRACE(runs ? "byte runs" : "byte by byte");
        ByteRuns mode(runs);
        Call("CLOSEALL");
        tavrel::Worksheet& sheet = host().CreateWorksheet(runs ? "w" : "W2", c.columns);
        for (int k = 1; k <= c.textColumns; ++k) ASSERT_TRUE(sheet.setFormat(k, tavrel::kFormatText));
        Settings(false, c.lineMode, c.listSep);
        OpenText(c.bytes, c.offset);
        UseNewActions(c.newActions);
        std::string args = c.args;
        if (!runs && args.starts_with("w")) args.replace(0, 1, "W2");
        const tavrel::CallResult r = Call(c.method, args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(NumberText(r.value), NumberText(c.value));
        EXPECT_EQ(Error(), c.error);
        EXPECT_EQ(RowsOf(sheet), c.rows);
        EXPECT_EQ(Position(), c.position);
    }
}

constexpr double kMissing = ZEL_MISSING_VALUE;
using Rows = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Rows, RowReads,
    ::testing::Values(
        RowCase{"ThreeNumbers", "LINEROW", "w", "1,2,3\r\n4,5,6\r\n", 0, false, 0, 44, 3, 0, 1, 3, 0, Rows{"1|2|3"}, 7},
        // Empty fields store nothing: the values are packed to the left.
        RowCase{"EmptyField", "LINEROW", "w", "1,,3\r\n", 0, false, 0, 44, 3, 0, 1, 3, 0, Rows{"1|3|"}, 6},
        // A column is added for a value beyond the last one.
        RowCase{"AddsAColumn", "LINEROW", "w", "1,2,3\r\n", 0, true, 0, 44, 2, 0, 1, 3, 0, Rows{"1|2|3"}, 7},
        RowCase{"AddsEveryColumn", "LINEROW", "w", "7;8\r\n", 0, false, 0, ';', 0, 0, 1, 2, 0, Rows{"7|8"}, 5},
        // Only the characters of numbers are kept.
        RowCase{"NumberCharacters", "LINEROW", "w", "+1.5e+3, x 7 ,\"8\"\r\n", 0, false, 0, 44, 3, 0, 1, 3, 0,
                Rows{"1500|7|8"}, 19},
        RowCase{"NotANumber", "LINEROW", "w", "1-2,abc,4\r\n", 0, false, 0, 44, 3, 0, 1, 3, 0, Rows{"|4|"}, 11},
        // The last line without a line end, from the start or later.
        RowCase{"LastLineFromTheStart", "LINEROW", "w", "1,2", 0, false, 0, 44, 2, 0, 1, 2, 0, Rows{"1|2"}, 3},
        RowCase{"LastLineLater", "LINEROW", "w", "1,2\r\n3,4", 5, true, 0, 44, 2, 0, 1, 2, 0, Rows{"3|4"}, 8},
        RowCase{"NoMoreLines", "LINEROW", "w", "1,2\r\n", 5, false, 0, 44, 2, 0, 2, kMissing, 33, Rows{}, 5},
        RowCase{"LineFeedMode", "LINEROW", "w", "1,2\n3\n", 0, false, 1, 44, 2, 0, 1, 2, 0, Rows{"1|2"}, 4},
        RowCase{"CarriageReturnMode", "LINEROW", "w", "1,2\r\n3", 0, false, 2, 44, 2, 0, 1, 2, 0, Rows{"1|2"}, 4},
        // Text columns receive the kept characters as text.
        RowCase{"TextInLineRow", "LINEROW", "w", "1a2,b3\r\n", 0, false, 0, 44, 2, 1, 1, 2, 0, Rows{"12|3"}, 8},
        RowCase{"ReadRowText", "READROW", "w,2", "a b,c d\r\ne", 0, false, 0, 44, 2, 2, 1, 2, 0, Rows{"a b|c d"}, 9},
        RowCase{"ReadRowNumbers", "READROW", "w,3", " 1 ,2.5,x\r\n", 0, false, 0, 44, 3, 0, 1, 3, 0,
                Rows{"1|2.5|"}, 11},
        // The last byte of the file is kept, from the start as later.
        RowCase{"ReadRowLastByte", "READROW", "w,2", "1,2", 0, false, 0, 44, 2, 0, 1, 2, 0, Rows{"1|2"}, 3},
        RowCase{"ReadRowLastByteLater", "READROW", "w,2", "x1,2", 1, false, 0, 44, 2, 0, 1, 2, 0, Rows{"1|2"}, 4},
        RowCase{"ReadRowAcrossLines", "READROW", "w,3", "1,2\r\n3,4", 0, false, 0, 44, 3, 0, 1, 3, 0,
                Rows{"1|2|3"}, 7},
        RowCase{"ReadRowZeroTokens", "READROW", "w,0", "1,2", 0, true, 0, 44, 2, 0, 1, 0, 0, Rows{}, 0},
        // Refusals before any byte moves.
        RowCase{"ReadRowNegativeTokens", "READROW", "w,-1", "1,2", 0, true, 0, 44, 2, 0, 2, 0, 12, Rows{}, 0},
        RowCase{"NoSuchWorksheet", "LINEROW", "nowhere", "1,2", 0, false, 0, 44, 2, 0, 2, 0, 6, Rows{}, 0},
        RowCase{"NoSuchWorksheetCurrent", "READROW", "nowhere,2", "1,2", 0, true, 0, 44, 2, 0, 2, 0, 20, Rows{}, 0},
        RowCase{"NoWorksheetName", "LINEROW", "", "1,2", 0, false, 0, 44, 2, 0, 2, 0, 1024, Rows{}, 0},
        RowCase{"NoWorksheetNameCurrent", "READROW", ",2", "1,2", 0, true, 0, 44, 2, 0, 2, 0, 10, Rows{}, 0}),
    [](const ::testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

class RowReadTest : public TextFixture {};

TEST_F(RowReadTest, SuccessiveCallsFillSuccessiveRows) {
    tavrel::Worksheet& sheet = host().CreateWorksheet("w", 3);
    OpenText("1,2,3\r\n4,5\r\n6,7,8,9\r\n");
    EXPECT_EQ(Call("LINEROW", "w").value, 3);
    EXPECT_EQ(Call("LINEROW", "w").value, 2);
    EXPECT_EQ(Call("LINEROW", "w").value, 4);
    EXPECT_EQ(RowsOf(sheet), (std::vector<std::string>{"1|2|3|", "4|5||", "6|7|8|9"}));
    EXPECT_EQ(Call("LINEROW", "w").code, 2);
    EXPECT_EQ(Error(), 33);
}

TEST_F(RowReadTest, TheRowIsBelowTheLongestColumn) {
    tavrel::Worksheet& sheet = host().CreateWorksheet("w", 3);
    sheet.column(2)->dataset().set(4, 9.0);
    sheet.column(2)->dataset().resize(5);
    OpenText("1,2\r\n");
    EXPECT_EQ(Call("LINEROW", "w").value, 2);
    EXPECT_EQ(sheet.column(1)->dataset().number(5), 1.0);
    EXPECT_EQ(sheet.column(2)->dataset().number(5), 2.0);
    EXPECT_EQ(sheet.column(1)->dataset().upper(), 6);
}

TEST_F(RowReadTest, ACellTheHostRefusesEndsTheReading) {
    tavrel::Worksheet& sheet = host().CreateWorksheet("w", 2);
    // A column as long as a dataset may be: no row fits below it.
    sheet.column(2)->dataset().resize(static_cast<int32_t>(tavrel::Dataset::kMaxCells));
    OpenText("1,2\r\n");
    for (auto [newActions, error] : {std::pair{true, 20}, std::pair{false, 6}}) {
        UseNewActions(newActions);
        Call("REWIND");
        EXPECT_EQ(Call("LINEROW", "w").code, 2);
        EXPECT_EQ(Error(), error);
        EXPECT_EQ(Position(), 2);  // the first value's separator was read
    }
}

TEST_F(RowReadTest, ARowWiderThanTheWorksheetAddsColumns) {
    tavrel::Worksheet& sheet = host().CreateWorksheet("w", 1);
    std::string line;
    std::string row;
    for (int k = 1; k <= 40; ++k) {
        line += std::to_string(k * 3) + (k < 40 ? "," : "\r\n");
        row += (k > 1 ? "|" : "") + std::to_string(k * 3);
    }
    OpenText(line + line);
    EXPECT_EQ(Call("READROW", "w,40").value, 40);
    EXPECT_EQ(Call("LINEROW", "w").value, 40);
    EXPECT_EQ(sheet.columnCount(), 40);
    EXPECT_EQ(RowsOf(sheet), (std::vector<std::string>{row, row}));
}

TEST_F(RowReadTest, BinaryBytesAndLongLines) {
    tavrel::Worksheet& sheet = host().CreateWorksheet("w", 1);
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    OpenText(bytes);
    // Every byte value once: the number characters in their order, split at
    // the comma and ended by the line feed in mode 1.
    SetNumber("NLINEMODE", 1);
    EXPECT_EQ(Call("LINEROW", "w").value, 1);
    EXPECT_EQ(Position(), 11);
    const std::string digits = std::string(4 * 1024 * 1024, '0') + "7";
    Call("CLOSEALL");
    OpenText(digits + ",1\n");
    EXPECT_EQ(Call("LINEROW", "w").value, 2);
    EXPECT_EQ(sheet.column(1)->dataset().number(1), 7.0);
    EXPECT_EQ(sheet.column(2)->dataset().number(1), 1.0);
}

}  // namespace
}  // namespace zeltest
