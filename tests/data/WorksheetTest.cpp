// Worksheet objects against the stand-in host: lookup by name, the error
// list of a detached worksheet, columns and cells.
#include <algorithm>
#include <array>
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

// No worksheet name, an empty one and one of no worksheet, with the lookups
// each makes: construction records 779 once, queries record nothing, each
// operation records 779 once more; a cell records 777; no request follows.
TEST_F(WorksheetTest, DetachedWorksheetsAskNothingAfterConstructionAndRecordTheirErrors) {
    host.CreateWorksheet("Book1", 2);
    const std::pair<const char*, int> cases[] = {{nullptr, 0}, {"", 0}, {"Book2", 1}};
    for (const auto& [text, lookups] : cases) {
        SCOPED_TRACE(text != nullptr ? text : "(no name)");
        requests.clear();
        zel::Errors().Clear();
        zel::MoString sheetName{zel::StringRole::WorksheetName};
        if (text != nullptr) sheetName.SetText(text);
        MoTavrelWks wks(sheetName, numbering);
        EXPECT_EQ(Count(ZEL_CB_LAYER_HANDLE), lookups);
        EXPECT_FALSE(wks.wksName().HasValue());
        requests.clear();

        auto entries = [] { return zel::Errors().position(); };
        EXPECT_EQ(entries(), 1);
        EXPECT_EQ(NewestError().text, std::string("MoTavrelWks"));
        EXPECT_FALSE(wks.IsAttached());
        EXPECT_EQ(wks.ColumnCount(), 0);
        EXPECT_EQ(entries(), 1);
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
}

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

TEST_F(WorksheetTest, EnsureColumnsAddsOnlyWhatIsMissing) {
    const std::pair<int, int32_t> cases[] = {{5, 3}, {2, 5}, {0, 1}, {3, -7}, {0, INT32_MIN}};
    for (const auto& [have, wanted] : cases) {
        requests.clear();
        tavrel::Worksheet& sheet = host.CreateWorksheet("Book" + std::to_string(have) + std::to_string(wanted), have);
        name.SetText(sheet.name());
        MoTavrelWks wks(name, numbering);
        EXPECT_EQ(wks.EnsureColumns(wanted), 0) << have << " " << wanted;
        EXPECT_EQ(sheet.columnCount(), std::max(have, wanted)) << have << " " << wanted;
        EXPECT_EQ(wks.ColumnCount(), std::max(have, wanted)) << have << " " << wanted;
        EXPECT_EQ(Count(ZEL_CB_COLUMN_ADD), std::max(have, wanted) - have) << have << " " << wanted;
    }
}

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
