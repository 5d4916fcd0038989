// Worksheet objects against the stand-in host: lookup by name, the error
// list of a detached worksheet, cells, and the column services: names,
// removal, labels, formats and row counts.
#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <tuple>

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
// operation records 779 once more; a cell records 777; the column services
// fail without a record; no request follows.
TEST_F(WorksheetTest, DetachedWorksheetsAskNothingAfterConstructionAndRecordTheirErrors) {
    host.CreateWorksheet("Book1", 2);
    // {name, lookups, numbering}: a column refused fails EnsureColumns with
    // 20 in the current numbering, 2 (ERROR 6) in the legacy one.
    const std::tuple<const char*, int, bool> cases[] = {{nullptr, 0, true}, {"", 0, false}, {"Book2", 1, true}};
    for (const auto& [text, lookups, newActions] : cases) {
        SCOPED_TRACE(text != nullptr ? text : "(no name)");
        requests.clear();
        zel::Errors().Clear();
        numbering.newActions = newActions;
        numbering.error = 0;
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
        EXPECT_EQ(wks.EnsureColumns(2), newActions ? 20 : 2);  // the check, then the refused column
        EXPECT_EQ(numbering.error, newActions ? 20 : 6);
        EXPECT_EQ(entries(), 6);
        for (int i = 1; i <= entries(); ++i) {
            EXPECT_EQ(zel::Errors().at(i).id, static_cast<int32_t>(zel::ListErr::WorksheetDetached)) << i;
        }
        EXPECT_EQ(wks.SetNumberCell(1, 0, 1.0), 1);
        EXPECT_EQ(entries(), 7);
        EXPECT_EQ(NewestError().id, static_cast<int32_t>(zel::ListErr::ColumnWrite));
        EXPECT_EQ(NewestError().text, std::string("MoTavrelWks"));
        std::array<char, 4> columnName{'#'};
        EXPECT_EQ(wks.ColumnName(1, columnName) + wks.SetColumnName(1, "x") + wks.SetColumnLabel(1, "x") +
                      wks.SetColumnFormat(1, 0) + wks.RemoveColumn(1) + wks.SetRowCount(1),
                  6);
        EXPECT_EQ(columnName[0], '\0');
        EXPECT_EQ(wks.ColumnFormat(1), -1);
        EXPECT_EQ(entries(), 7);
        EXPECT_TRUE(requests.empty());
    }
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

TEST_F(WorksheetTest, CellsGrowTheirColumnsAndFailuresRecord777) {
    tavrel::Worksheet& sheet = host.CreateWorksheet("Book1", 2);
    ASSERT_TRUE(sheet.setFormat(2, tavrel::kFormatText));
    name.SetText("Book1");
    MoTavrelWks wks(name, numbering);
    EXPECT_TRUE(wks.IsAttached() && wks.CheckAttached());
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

// Column services, in order, on Book1 (A, B) beside Book1_A (A, B), whose
// column B's dataset is Book1_A_B, and a free dataset Book1_Time that a
// column renamed Time takes over. A new column takes the first free name
// from its own number on; names are checked against every column's dataset,
// whatever the case; names freed by a rename or a removal, here or in
// another worksheet, are free again.
TEST_F(WorksheetTest, ColumnServicesNameRemoveLabelFormatAndSizeColumns) {
    tavrel::Worksheet& sheet = host.CreateWorksheet("Book1", 2);
    tavrel::Worksheet& other = host.CreateWorksheet("Book1_A", 2);
    name.SetText("Book1");
    MoTavrelWks wks(name, numbering);
    const auto nameOf = [&wks](int32_t k) {  // cut to 3 characters
        std::array<char, 4> buffer{'#'};
        const int32_t answer = wks.ColumnName(k, buffer);
        return answer == 0 ? std::string(buffer.data()) : "(refused " + std::string(buffer.data()) + ")";
    };
    EXPECT_EQ(nameOf(2), "B");
    for (int32_t k : {0, 3, -1}) EXPECT_EQ(nameOf(k), "(refused )") << k;
    EXPECT_EQ(wks.AddColumn(), 0);
    EXPECT_EQ(wks.RemoveColumn(2), 0);
    EXPECT_EQ(nameOf(2), "C");
    EXPECT_EQ(host.FindDataset("Book1_B"), nullptr);
    EXPECT_EQ(wks.RemoveColumn(5) + wks.RemoveColumn(0), 2);
    EXPECT_EQ(wks.AddColumn(), 0);
    EXPECT_EQ(nameOf(3), "D");

    tavrel::Dataset& first = sheet.column(1)->dataset();
    host.CreateDataset("Book1_Time");
    ASSERT_EQ(wks.SetColumnName(1, "Time"), 0);
    EXPECT_EQ(host.FindDataset("book1_time"), &first);
    EXPECT_EQ(first.name(), "Book1_Time");
    EXPECT_EQ(host.FindDataset("Book1_A"), nullptr);
    EXPECT_THROW(host.CreateDataset("BOOK1_TIME"), std::invalid_argument);
    const std::tuple<int32_t, const char*, int32_t> renames[] = {
        {2, "TIME", 1}, {2, "A_B", 1}, {2, "", 1}, {2, nullptr, 1}, {4, "X", 1},
        {0, "X", 1},    {1, "time", 0}, {3, "c", 1}, {3, "a", 0}};
    for (const auto& [k, text, answer] : renames) {
        EXPECT_EQ(wks.SetColumnName(k, text), answer) << k << " " << (text != nullptr ? text : "null");
    }
    EXPECT_EQ(nameOf(2) + nameOf(3), "Ca");
    EXPECT_EQ(wks.RemoveColumn(1), 0);
    EXPECT_EQ(wks.SetColumnName(1, "TIME"), 0);
    EXPECT_EQ(nameOf(1), "TIM");
    ASSERT_TRUE(other.removeColumn(2));
    EXPECT_EQ(wks.SetColumnName(2, "A_B"), 0);
    EXPECT_EQ(nameOf(2), "A_B");

    EXPECT_EQ(wks.SetColumnLabel(2, "Pressure [hPa]"), 0);
    EXPECT_EQ(sheet.column(2)->label(), "Pressure [hPa]");
    EXPECT_EQ(wks.SetColumnLabel(3, "x") + wks.SetColumnLabel(0, "x") + wks.SetColumnLabel(1, nullptr), 3);

    // Texts that read as numbers become numbers when a text column turns
    // numeric, other texts empty cells; numbers stay numbers either way.
    tavrel::Dataset& cells = sheet.column(1)->dataset();
    ASSERT_TRUE(cells.set(0, 1.5));
    ASSERT_EQ(wks.SetColumnFormat(1, tavrel::kFormatText), 0);
    EXPECT_EQ(wks.ColumnFormat(1), tavrel::kFormatText);
    EXPECT_EQ(cells.number(0), 1.5);
    ASSERT_TRUE(cells.setText(1, " 42 ") && cells.setText(2, "n/a"));
    ASSERT_EQ(wks.SetColumnFormat(1, tavrel::kFormatNumeric), 0);
    EXPECT_EQ(wks.ColumnFormat(1), 0);
    EXPECT_EQ(cells.number(0), 1.5);
    EXPECT_EQ(cells.number(1), 42.0);
    EXPECT_EQ(cells.kind(2), tavrel::CellKind::Empty);
    EXPECT_EQ(wks.SetColumnFormat(1, 3) + wks.SetColumnFormat(5, tavrel::kFormatText), 2);
    EXPECT_EQ(wks.ColumnFormat(5), -1);

    // Every column's extent becomes the row count.
    ASSERT_TRUE(cells.set(5, 1.0));
    EXPECT_EQ(wks.SetRowCount(3), 0);
    EXPECT_EQ(cells.size(), 3u);
    EXPECT_EQ(sheet.column(2)->dataset().upper(), 3);
    EXPECT_EQ(wks.SetRowCount(-1), 1);
    EXPECT_EQ(sheet.rows(), 3);

    ASSERT_EQ(wks.EnsureColumns(703), 0);
    EXPECT_EQ(nameOf(26) + nameOf(27) + nameOf(703), "ZAAAAA");
    EXPECT_FALSE(zel::Errors().HasError());
}

}  // namespace
}  // namespace datatest
