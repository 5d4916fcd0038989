// Worksheet objects against the stand-in host: lookup by name, columns,
// names and formats, cells, and the bounded buffers of names.
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
    zel::MoWksName name;
};

struct LookupCase {
    const char* text;  // null: a property without a value
    int lookups;
};

class DetachedWorksheet : public WorksheetTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(DetachedWorksheet, AsksNothingAfterConstructionAndRecordsItsErrors) {
    host.CreateWorksheet("Book1", 2);
    if (GetParam().text != nullptr) name.SetText(GetParam().text);
    MoTavrelWks wks(name, numbering);
    EXPECT_EQ(Count(ZEL_CB_LAYER_HANDLE), GetParam().lookups);
    EXPECT_FALSE(wks.wksName().HasValue());
    requests.clear();

    EXPECT_FALSE(wks.IsAttached());
    EXPECT_EQ(NewestError().id, static_cast<int32_t>(zel::ListErr::WorksheetDetached));
    EXPECT_EQ(NewestError().text, std::string("MoTavrelWks"));
    std::array<char, zel::kColumnDatasetNameSize> buffer{};
    EXPECT_EQ(wks.ColumnCount(), 0);
    EXPECT_EQ(wks.AddColumn(), 1);
    EXPECT_EQ(wks.ColumnFormat(1), -1);
    EXPECT_EQ(wks.SetColumnName(1, "X"), 1);
    EXPECT_EQ(wks.SetRowCount(3), 1);
    EXPECT_EQ(wks.ColumnDatasetName(1, buffer), 1);
    EXPECT_EQ(wks.SetNumberCell(1, 0, 1.0), 1);
    EXPECT_EQ(NewestError().id, static_cast<int32_t>(zel::ListErr::ColumnWrite));
    EXPECT_EQ(NewestError().text, std::string("MoTavrelWks"));
    EXPECT_TRUE(requests.empty());
}

INSTANTIATE_TEST_SUITE_P(Names, DetachedWorksheet,
                         ::testing::Values(LookupCase{nullptr, 0}, LookupCase{"", 0}, LookupCase{"Book2", 1}));

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

TEST_F(WorksheetTest, ColumnServicesReachTheHost) {
    tavrel::Worksheet& sheet = host.CreateWorksheet("Book1", 3);
    name.SetText("Book1");
    MoTavrelWks wks(name, numbering);
    std::array<char, ZEL_TEXT_BUFFER> buffer{};
    EXPECT_EQ(wks.SetColumnName(2, "Left"), 0);
    EXPECT_EQ(wks.ColumnName(2, buffer), 0);
    EXPECT_STREQ(buffer.data(), "Left");
    EXPECT_EQ(sheet.column(2)->name(), "Left");
    EXPECT_EQ(wks.SetColumnLabel(2, "Volts"), 0);
    EXPECT_EQ(sheet.column(2)->label(), "Volts");
    EXPECT_EQ(wks.SetColumnFormat(1, tavrel::kFormatText), 0);
    EXPECT_EQ(wks.ColumnFormat(1), tavrel::kFormatText);
    EXPECT_EQ(wks.ColumnFormat(3), tavrel::kFormatNumeric);
    EXPECT_EQ(wks.ColumnFormat(9), -1);
    EXPECT_EQ(wks.SetRowCount(7), 0);
    EXPECT_EQ(sheet.column(3)->dataset().upper(), 7);
    EXPECT_EQ(wks.RemoveColumn(2), 0);
    EXPECT_EQ(wks.ColumnCount(), 2);

    requests.clear();
    EXPECT_EQ(wks.ColumnName(0, buffer), 1);
    EXPECT_EQ(wks.RemoveColumn(-1), 1);
    EXPECT_EQ(wks.SetRowCount(-1), 1);
    EXPECT_TRUE(requests.empty());
}

class ColumnDatasetName : public WorksheetTest, public ::testing::WithParamInterface<std::pair<size_t, size_t>> {};

TEST_P(ColumnDatasetName, JoinsWithAnUnderscoreWithinFortyBytes) {
    const auto [sheetLength, columnLength] = GetParam();
    tavrel::Worksheet& sheet = host.CreateWorksheet(std::string(sheetLength, 's'), 1);
    ASSERT_TRUE(sheet.renameColumn(1, std::string(columnLength, 'c')));
    name.SetText(sheet.name());
    MoTavrelWks wks(name, numbering);

    const bool fits = sheetLength + 1 + columnLength < zel::kColumnDatasetNameSize;
    std::array<char, zel::kColumnDatasetNameSize + 8> buffer{};
    buffer.fill('#');
    EXPECT_EQ(wks.ColumnDatasetName(1, buffer), fits ? 0 : 1);
    EXPECT_EQ(std::string(buffer.data()), fits ? sheet.column(1)->dataset().name() : "");
    EXPECT_EQ(std::count(buffer.begin() + zel::kColumnDatasetNameSize, buffer.end(), '#'), 8);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ColumnDatasetName,
                         ::testing::Values(std::pair{5u, 4u}, std::pair{37u, 1u}, std::pair{38u, 1u},
                                           std::pair{1u, 37u}, std::pair{119u, 1u}));

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
