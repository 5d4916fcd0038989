// Datasets and worksheets shown as tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostTesting.h"

namespace tavrel::testing {
namespace {

struct ShowCase {
    const char* name;
    bool text;
    int32_t lower;
    int32_t upper;
    std::vector<const char*> cells;  // "" empty, "'..." a text, else a number
    const char* shown;
};

class DatasetShown : public ::testing::TestWithParam<ShowCase> {};

TEST_P(DatasetShown, MarksNumericCellsWithoutANumber) {
    const ShowCase& c = GetParam();
    Host host{NoModule};
    Dataset& d = host.CreateDataset("d", c.text);
    for (std::size_t i = 0; i < c.cells.size(); ++i) {
        const std::string cell = c.cells[i];
        if (cell.empty()) continue;
        ASSERT_TRUE(cell[0] == '\'' ? d.setText(i, cell.substr(1)) : d.set(i, std::stod(cell))) << i;
    }
    ASSERT_TRUE(d.setExtent(c.lower, c.upper));
    EXPECT_EQ(Format(d), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, DatasetShown,
    ::testing::Values(ShowCase{"NumericEmptyCellsShowDashes", false, 0, 3, {"1", "", "2.5"}, "   d\n1  1\n2  --\n3  2.5\n"},
                      ShowCase{"TheMissingValueShowsDashes", false, 0, 2, {"-1.23456789e-300", "4"}, "   d\n1  --\n2  4\n"},
                      ShowCase{"TextEmptyCellsStayBlank", true, 0, 3, {"'a", "", "3"}, "   d\n1  a\n2\n3  3\n"},
                      ShowCase{"CellsOutsideTheExtentStayBlank", false, 1, 3, {"1", "", "2"}, "   d\n1\n2  --\n3  2\n"}),
    [](const auto& info) { return info.param.name; });

TEST(WorksheetShown, PadsColumnsAndMarksOnlyNumericCellsInsideTheirExtent) {
    Host host{NoModule};
    Worksheet& sheet = host.CreateWorksheet("Sheet", 2);
    ASSERT_TRUE(sheet.renameColumn(2, "Note, text"));
    ASSERT_TRUE(sheet.setFormat(2, kFormatText));
    Dataset& numbers = sheet.column(1)->dataset();
    Dataset& texts = sheet.column(2)->dataset();
    ASSERT_TRUE(numbers.resize(3));
    ASSERT_TRUE(numbers.set(0, 0.1));
    ASSERT_TRUE(numbers.set(2, -2e-7));
    ASSERT_TRUE(numbers.set(4, 9.0));  // beyond the extent: not shown
    ASSERT_TRUE(texts.resize(2));
    ASSERT_TRUE(texts.setText(0, "say \"hi\""));
    EXPECT_EQ(Format(sheet), "   A       Note, text\n1  0.1     say \"hi\"\n2  --\n3  -2e-07\n");
    EXPECT_EQ(Format(sheet, 1), "   A    Note, text\n1  0.1  say \"hi\"\n");
}

}  // namespace
}  // namespace tavrel::testing
