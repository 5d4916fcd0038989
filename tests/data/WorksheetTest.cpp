// Worksheet objects against the stand-in host: lookup by name, the error
// list of a detached worksheet, columns and cells.
#include <algorithm>
#include <array>
#include <ostream>
#include <string>

#include "DataTesting.h"
#include "data/MoTavrelWks.h"

namespace datatest {
namespace {

using zel::MoTavrelWks;

class FakeNumbering : public zel::ErrorState {
public:
    bool NewActions() const override { return newActions; }
    void SetError(int32_t number) override { error = number; }
    void SetSysErr(int32_t) override {}
    bool newActions = true;
    int32_t error = 0;
};

class WorksheetTest : public HostTest {
protected:
    FakeNumbering numbering;
    zel::MoString name{zel::StringRole::WorksheetName};
};

struct LookupCase {
    const char* text;  // null: a property without a value
    int lookups;
};

void PrintTo(const LookupCase& c, std::ostream* os) {
    if (c.text == nullptr) {
        *os << "no worksheet name";
    } else {
        *os << "worksheet name \"" << c.text << '"';
    }
    *os << ", " << c.lookups << " lookup(s)";
}

class DetachedWorksheet : public WorksheetTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(DetachedWorksheet, AsksNothingAfterConstructionAndRecordsItsErrors) {
    host.CreateWorksheet("Book1", 2);
    if (GetParam().text != nullptr) name.SetText(GetParam().text);
    MoTavrelWks wks(name, numbering);
    EXPECT_EQ(Count(ZEL_CB_LAYER_HANDLE), GetParam().lookups);
    EXPECT_FALSE(wks.wksName().HasValue());
    requests.clear();

    // Construction records 779 once; the queries record nothing.
    auto entries = [] { return zel::Errors().position(); };
    EXPECT_EQ(entries(), 1);
    EXPECT_EQ(NewestError().id, static_cast<int32_t>(zel::ListErr::WorksheetDetached));
    EXPECT_EQ(NewestError().text, std::string("MoTavrelWks"));
    EXPECT_FALSE(wks.IsAttached());
    EXPECT_EQ(wks.ColumnCount(), 0);
    EXPECT_EQ(entries(), 1);

    // Each operation records 779 once more.
    EXPECT_FALSE(wks.CheckAttached());
    EXPECT_EQ(entries(), 2);
    EXPECT_EQ(wks.AddColumn(), 1);
    EXPECT_EQ(entries(), 3);
    EXPECT_EQ(wks.EnsureColumns(0), 0);
    EXPECT_EQ(entries(), 4);
    EXPECT_EQ(wks.EnsureColumns(2), 20);  // the check, then the refused column
    EXPECT_EQ(entries(), 6);
    for (int i = 1; i <= entries(); ++i) {
        EXPECT_EQ(zel::Errors().at(i).id, static_cast<int32_t>(zel::ListErr::WorksheetDetached)) << i;
    }

    EXPECT_EQ(wks.SetNumberCell(1, 0, 1.0), 1);
    EXPECT_EQ(entries(), 7);
    EXPECT_EQ(NewestError().id, static_cast<int32_t>(zel::ListErr::ColumnWrite));
    EXPECT_EQ(NewestError().text, std::string("MoTavrelWks"));
    EXPECT_TRUE(requests.empty());
}

INSTANTIATE_TEST_SUITE_P(Names, DetachedWorksheet,
                         ::testing::Values(LookupCase{nullptr, 0}, LookupCase{"", 0}, LookupCase{"Book2", 1}));

TEST_F(WorksheetTest, AnAttachedWorksheetRecordsNothing) {
    host.CreateWorksheet("Book1", 2);
    name.SetText("Book1");
    MoTavrelWks wks(name, numbering);
    EXPECT_TRUE(wks.IsAttached());
    EXPECT_TRUE(wks.CheckAttached());
    EXPECT_EQ(wks.ColumnCount(), 2);
    EXPECT_EQ(wks.AddColumn(), 0);
    EXPECT_EQ(wks.ColumnCount(), 3);
    EXPECT_FALSE(zel::Errors().HasError());
}

TEST_F(WorksheetTest, LongNamesReachTheHostCutTo119Characters) {
    const std::string exact(119, 'w');
    tavrel::Worksheet& sheet = host.CreateWorksheet(exact, 1);
    for (size_t length : {119u, 120u, 5000u}) {
        name.SetText(exact + std::string(length - 119, 'x'));
        MoTavrelWks wks(name, numbering);
        EXPECT_EQ(LastName(ZEL_CB_LAYER_HANDLE), exact);
        ASSERT_TRUE(wks.IsAttached()) << length;
        EXPECT_EQ(wks.handle(), sheet.layerHandle());
        // Cells are reached through the name the host found the sheet under.
        EXPECT_EQ(wks.SetNumberCell(1, 0, static_cast<double>(length)), 0);
        EXPECT_EQ(sheet.column(1)->dataset().number(0), static_cast<double>(length));
    }
}

class EnsureColumns : public WorksheetTest, public ::testing::WithParamInterface<std::pair<int, int32_t>> {};

TEST_P(EnsureColumns, AddsOnlyWhatIsMissing) {
    const auto [have, wanted] = GetParam();
    tavrel::Worksheet& sheet = host.CreateWorksheet("Book1", have);
    name.SetText("Book1");
    MoTavrelWks wks(name, numbering);
    EXPECT_EQ(wks.EnsureColumns(wanted), 0);
    EXPECT_EQ(sheet.columnCount(), std::max(have, wanted));
    EXPECT_EQ(wks.ColumnCount(), std::max(have, wanted));
    EXPECT_EQ(Count(ZEL_CB_COLUMN_ADD), std::max(have, wanted) - have);
}

INSTANTIATE_TEST_SUITE_P(Counts, EnsureColumns,
                         ::testing::Values(std::pair{5, 3}, std::pair{2, 5}, std::pair{0, 1},
                                           std::pair{3, -7}, std::pair{0, INT32_MIN}));

TEST_F(WorksheetTest, EnsureColumnsFailureFollowsTheNumbering) {
    name.SetText("Nowhere");
    MoTavrelWks wks(name, numbering);
    for (auto [newActions, answer, error] : {std::tuple{true, 20, 20}, std::tuple{false, 2, 6}}) {
        numbering.newActions = newActions;
        EXPECT_EQ(wks.EnsureColumns(2), answer);
        EXPECT_EQ(numbering.error, error);
    }
}

TEST_F(WorksheetTest, CellsGrowTheirColumnsAndFailuresRecord777) {
    tavrel::Worksheet& sheet = host.CreateWorksheet("Book1", 2);
    ASSERT_TRUE(sheet.setFormat(2, tavrel::kFormatText));
    name.SetText("Book1");
    MoTavrelWks wks(name, numbering);
    EXPECT_EQ(wks.SetNumberCell(1, 4, 2.5), 0);
    EXPECT_EQ(sheet.column(1)->dataset().upper(), 5);
    EXPECT_EQ(wks.SetTextCell(2, 1, "abc"), 0);
    EXPECT_EQ(sheet.column(2)->dataset().text(1), "abc");
    EXPECT_FALSE(zel::Errors().HasError());

    // Text into numbers, a negative row, a missing column, no text.
    const int32_t refused[] = {wks.SetTextCell(1, 0, "abc"), wks.SetNumberCell(1, -1, 1.0),
                               wks.SetNumberCell(3, 0, 1.0), wks.SetTextCell(2, 0, nullptr)};
    EXPECT_EQ(std::count(std::begin(refused), std::end(refused), 1), 4);
    EXPECT_EQ(zel::Errors().position(), 4);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(zel::Errors().at(i).id, static_cast<int32_t>(zel::ListErr::ColumnWrite));
    EXPECT_EQ(sheet.column(1)->dataset().upper(), 5);
}

}  // namespace
}  // namespace datatest
