// MATHEMATICA: lists in Mathematica's notation into text cells.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

using Texts = std::vector<std::string>;

struct ListCase {
    const char* name;
    std::string list;
    int columns;                    // of the worksheet before the import
    std::vector<Texts> expected;    // the texts of each column
};

void PrintTo(const ListCase& c, std::ostream* out) { *out << c.name << ": " << c.list; }

class Lists : public ZelFixture, public ::testing::WithParamInterface<ListCase> {};

TEST_P(Lists, FillTextCells) {
    const ListCase& c = GetParam();
    scratch_.Make("list.m", c.list);
    tavrel::Worksheet& w = host().CreateWorksheet("m", c.columns);
    OpenFile("list.m");
    tavrel::CallResult r = Call("MATHEMATICA", "m");
    ASSERT_EQ(r.code, 1) << "ERROR " << Error();
    ASSERT_EQ(w.columnCount(), static_cast<int>(c.expected.size()));
    for (size_t k = 0; k < c.expected.size(); ++k) {
        Texts texts;
        const tavrel::Dataset& d = w.column(static_cast<int>(k + 1))->dataset();
        for (size_t i = 0; i < d.size(); ++i) texts.push_back(d.text(i));
        EXPECT_EQ(texts, c.expected[k]) << "column " << k + 1;
    }
    EXPECT_FALSE(host().waitCursorShowing());
}

INSTANTIATE_TEST_SUITE_P(
    Mathematica, Lists,
    ::testing::Values(
        ListCase{"Flat", "{1, 2, 3}", 1, {{"1", "2", "3"}}},
        ListCase{"Nested", "{{1,2},{3,4,5}}", 2, {{"1", "2"}, {"3", "4", "5"}}},
        ListCase{"ThirdListAddsAColumn", "{{1},{2},{3}}", 2, {{"1"}, {"2"}, {"3"}}},
        ListCase{"BlanksAndLineBreaksDropped", "{ 1 ,\r\n 2 }", 1, {{"1", "2"}}},
        ListCase{"MantissaAndExponent", "{1.5*^3, -2*^-4}", 1, {{"1.5E3", "-2E-4"}}},
        ListCase{"LongElementSplit", "{" + std::string(130, '7') + "}", 1,
                 {{std::string(121, '7'), std::string(9, '7')}}}),
    [](const auto& info) { return std::string(info.param.name); });

class MathematicaRefusals : public ZelFixture {};

TEST_F(MathematicaRefusals, ThreeLevelsDeep) {
    scratch_.Make("deep.m", "{{{1}}}");
    host().CreateWorksheet("m", 1);
    OpenFile("deep.m");
    EXPECT_EQ(Call("MATHEMATICA", "m").code, 2);
    EXPECT_EQ(Error(), 41);
}

}  // namespace
}  // namespace zeltest
