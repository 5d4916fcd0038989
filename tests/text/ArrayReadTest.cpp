// READARRAY through MODLL: the rows of the dataset, the result, ERROR and
// the position afterwards.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "TextTesting.h"

namespace zeltest {
namespace {

// The cells of a dataset's extent as the host shows them.
std::vector<std::string> CellsOf(const tavrel::Dataset& d) {
    std::vector<std::string> cells;
    for (int32_t i = 0; i < d.upper(); ++i) cells.push_back(d.display(static_cast<size_t>(i)));
    return cells;
}

struct ArrayCase {
    const char* name;
    const char* args;
    std::string bytes;
    int64_t offset;
    bool newActions;
    int lineMode;
    int32_t code;
    double value;
    int32_t error;
    std::vector<std::string> cells;  // of d afterwards
    double position;
};

void PrintTo(const ArrayCase& c, std::ostream* os) {
    *os << c.name << ": READARRAY(" << c.args << ") on " << Quoted(c.bytes) << " from " << c.offset
        << ", NEWACTIONS " << c.newActions << ", NLINEMODE " << c.lineMode;
}

class ArrayReads : public TextFixture, public ::testing::WithParamInterface<ArrayCase> {};

TEST_P(ArrayReads, RowsAnswerAndPosition) {
    const ArrayCase& c = GetParam();
    for (bool runs : {true, false}) {
        SCOPED_TRACE(runs ? "byte runs" : "byte by byte");
        ByteRuns mode(runs);
        Call("CLOSEALL");
        tavrel::Dataset& d = host().CreateDataset("d");
        Settings(false, c.lineMode, 44);
        OpenText(c.bytes, c.offset);
        UseNewActions(c.newActions);
        const tavrel::CallResult r = Call("READARRAY", c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(NumberText(r.value), NumberText(c.value));
        EXPECT_EQ(Error(), c.error);
        EXPECT_EQ(CellsOf(d), c.cells);
        EXPECT_EQ(Position(), c.position);
    }
}

using Cells = std::vector<std::string>;
constexpr double kMissing = ZEL_MISSING_VALUE;

INSTANTIATE_TEST_SUITE_P(
    Arrays, ArrayReads,
    ::testing::Values(
        ArrayCase{"ALine", "d,1,3", "1,2,3\r\n4", 0, false, 0, 1, 3, 0, Cells{"1", "2", "3"}, 7},
        ArrayCase{"LaterRows", "d,5,6", "7,8,9", 0, false, 0, 1, 2, 0, Cells{"", "", "", "", "7", "8"}, 4},
        ArrayCase{"EmptyRange", "d,3,2", "7,8,9", 0, true, 0, 1, 0, 0, Cells{}, 0},
        // An empty field takes its row and stores nothing.
        ArrayCase{"EmptyField", "d,1,3", "1,,3", 0, false, 0, 1, 3, 0, Cells{"1", "", "3"}, 4},
        ArrayCase{"InnerBlank", "d,1,2", "1 2,-3.5e2", 0, false, 0, 1, 2, 0, Cells{"12", "-350"}, 10},
        ArrayCase{"OverLines", "d,1,3", "1\r\n2\r\n3", 0, false, 0, 1, 3, 0, Cells{"1", "2", "3"}, 7},
        ArrayCase{"OverLinesMode1", "d,2,3", "1\n2\n3", 0, false, 1, 1, 2, 0, Cells{"", "1", "2"}, 4},
        // Fewer numbers than rows: the data ends the reading, from the start
        // or later.
        ArrayCase{"ShortData", "d,1,5", "1,2", 0, false, 0, 1, 2, 0, Cells{"1", "2"}, 3},
        ArrayCase{"ShortDataLater", "d,1,5", "0,1,2", 2, true, 0, 1, 2, 0, Cells{"1", "2"}, 5},
        ArrayCase{"NoData", "d,1,5", "0,1,2", 5, true, 0, 2, kMissing, 33, Cells{}, 5},
        ArrayCase{"NotANumber", "d,1,3", "1,-,x,3", 0, false, 0, 1, 3, 0, Cells{"1", "", ""}, 6},
        // Refusals before any byte moves.
        ArrayCase{"EndBeforeStart", "d,3,1", "1,2", 0, false, 0, 2, 0, 64, Cells{}, 0},
        ArrayCase{"EndBeforeStartCurrent", "d,3,1", "1,2", 0, true, 0, 2, 0, 19, Cells{}, 0},
        ArrayCase{"RowZero", "d,0,3", "1,2", 0, true, 0, 2, 0, 19, Cells{}, 0},
        ArrayCase{"NegativeStart", "d,-5,3", "1,2", 0, false, 0, 2, 0, 64, Cells{}, 0},
        ArrayCase{"NoEnd", "d,1", "1,2", 0, false, 0, 2, 0, 1024, Cells{}, 0},
        ArrayCase{"NoDataset", ",1,2", "1,2", 0, true, 0, 2, 0, 10, Cells{}, 0},
        ArrayCase{"NoSuchDataset", "nowhere,1,2", "1,2", 0, false, 0, 2, 0, 6, Cells{}, 0},
        ArrayCase{"NoSuchDatasetCurrent", "nowhere,1,2", "1,2", 0, true, 0, 2, 0, 20, Cells{}, 0}),
    [](const ::testing::TestParamInfo<ArrayCase>& info) { return std::string(info.param.name); });

class ArrayReadTest : public TextFixture {};

TEST_F(ArrayReadTest, ARowTheHostRefusesEndsTheReading) {
    host().CreateDataset("d");
    OpenText("1,2\r\n");
    const std::string beyond = std::to_string(tavrel::Dataset::kMaxCells + 1);
    for (auto [newActions, error] : {std::pair{true, 20}, std::pair{false, 6}}) {
        UseNewActions(newActions);
        Call("REWIND");
        EXPECT_EQ(Call("READARRAY", "d," + beyond + "," + beyond).code, 2);
        EXPECT_EQ(Error(), error);
        EXPECT_EQ(Position(), 2);
    }
}

TEST_F(ArrayReadTest, TheDatasetGrowsAndKeepsItsOtherRows) {
    tavrel::Dataset& d = host().CreateDataset("d");
    d.set(0, 5.0);
    d.set(9, 6.0);
    d.resize(10);
    OpenText("1,2,3,4");
    EXPECT_EQ(Call("READARRAY", "d,9,12").value, 4);
    EXPECT_EQ(d.upper(), 12);
    EXPECT_EQ(CellsOf(d), (Cells{"5", "", "", "", "", "", "", "", "1", "2", "3", "4"}));
}

TEST_F(ArrayReadTest, ManyNumbersOnOneLine) {
    tavrel::Dataset& d = host().CreateDataset("d");
    std::string line;
    const int count = 100000;
    for (int i = 0; i < count; ++i) line += std::to_string(i * 0.25 - 7) + ",";
    OpenText(line);
    EXPECT_EQ(Call("READARRAY", "d,1," + std::to_string(count)).value, count);
    for (int i : {0, 1, 4999, count - 1}) EXPECT_EQ(d.number(static_cast<size_t>(i)), i * 0.25 - 7) << i;
    EXPECT_EQ(Position(), static_cast<double>(line.size()));
}

}  // namespace
}  // namespace zeltest
