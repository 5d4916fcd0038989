// WKSBLOCK: a block of numbers, a line a row, into a rectangle of a worksheet.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

constexpr double kNone = -777;

struct BlockCase {
    const char* name;
    std::string text;
    std::string args;  // after the worksheet name
    bool newActions;
    int code;
    double result;
    int error;
    std::vector<std::vector<double>> columns;  // columns 1 to n afterwards
    std::string rest;                          // Z$ afterwards
    int position;                              // of the current file afterwards
};

void PrintTo(const BlockCase& c, std::ostream* out) { *out << c.name << " (" << c.args << ")"; }

class Blocks : public ZelFixture, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(Blocks, FillTheRectangle) {
    const BlockCase& c = GetParam();
    scratch_.Make("block.txt", c.text);
    tavrel::Worksheet& w = host().CreateWorksheet("b", static_cast<int>(c.columns.size()));
    OpenFile("block.txt");
    UseNewActions(c.newActions);
    tavrel::CallResult r = Call("WKSBLOCK", "b," + c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.value, c.result);
    EXPECT_EQ(Error(), c.error);
    for (size_t k = 0; k < c.columns.size(); ++k) {
        std::vector<double> values;
        const tavrel::Dataset& d = w.column(static_cast<int>(k + 1))->dataset();
        for (size_t i = 0; i < d.size(); ++i) values.push_back(d.number(i).value_or(kNone));
        EXPECT_EQ(values, c.columns[k]) << "column " << k + 1;
    }
    EXPECT_EQ(host().Variable('Z'), c.rest);
    EXPECT_EQ(Call("GETPOS").value, c.position);
}

INSTANTIATE_TEST_SUITE_P(
    WksBlock, Blocks,
    ::testing::Values(
        BlockCase{"ColumnsTwoAndThree", "1 2 3\n4 5 6\n", "2,3,1,2", true, 1, 2, 0,
                  {{}, {1, 4}, {2, 5}}, "", 12},
        BlockCase{"ToTheEndLegacy", "1\n2\n", "1,1,1,0", false, 1, 2, 1030, {{1, 2}}, "", 4},
        BlockCase{"ToTheEndCurrent", "1\n2\n", "1,1,1,0", true, 2, 2, 33, {{1, 2}}, "", 4},
        BlockCase{"SeparatorsAreBlanks", "1,2,3\r\n", "1,3,1,1", true, 1, 1, 0, {{1}, {2}, {3}}, "", 7},
        BlockCase{"HeaderLine", "x y\n1 2\n", "1,2,1,5", true, 1, 0, 1031, {{}, {}}, "x y", 4},
        BlockCase{"LowerCaseExponentStops", "1e5\n", "1,1,1,1", false, 1, 0, 1031, {{}}, "e5", 4},
        BlockCase{"LastLineWithoutLineEnd", "7 8", "1,2,1,1", true, 1, 1, 0, {{7}, {8}}, "", 3},
        BlockCase{"NumberCharactersThatMakeNoNumber", "1-2 3\n1 2\n", "1,2,1,5", true, 1, 0, 1031, {{}, {}}, "",
                  6},
        BlockCase{"SignsDecimalsExponentsAndTabs", "-1.5E3\t.25\n", "1,2,1,1", true, 1, 1, 0, {{-1500}, {0.25}},
                  "", 11},
        // A row limit below 0 is reached before the first row: nothing read.
        BlockCase{"NegativeRowEndReadsNothing", "1 2\n", "1,2,1,-1", false, 1, 0, 0, {{}, {}}, "", 0},
        BlockCase{"NegativeRowEndReadsNothingCurrent", "1 2\n", "1,2,3,-5", true, 1, 0, 0, {{}, {}}, "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltest
