// Worksheet requests of the callback: column names, removal, renames,
// labels, formats, row counts and the row request.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "HostTesting.h"

namespace tavrel::testing {
namespace {

class WorksheetServices : public ::testing::Test {
protected:
    std::string ColumnName(int32_t k) {
        std::vector<char> buffer(ZEL_TEXT_BUFFER, 'x');
        std::memcpy(buffer.data(), &k, sizeof k);
        return Ask(host, ZEL_CB_COLUMN_NAME, layer, buffer.data()) == 0 ? buffer.data() : "(refused)";
    }
    int32_t AddColumn(uint32_t onLayer) {
        ZelColumnAdd words{0, 0, 0, 9};
        return Ask(host, ZEL_CB_COLUMN_ADD, onLayer, &words);
    }
    int32_t Rename(int32_t k, const char* name) {
        ZelColumnText block{k, name};
        return Ask(host, ZEL_CB_COLUMN_SET_NAME, layer, &block);
    }
    int32_t SetFormat(int32_t k, int32_t code) {
        ZelColumnSetFormat block{1, k, code};
        return Ask(host, ZEL_CB_COLUMN_SET_FORMAT, layer, &block);
    }
    int32_t Row(std::vector<double> values, int16_t tag = ZEL_ROW_TAG) {
        ZelRowDescriptor row{tag, static_cast<uint16_t>(values.size()), 1, 0, 0, values.data()};
        return Host::Callback(sheet.handle(), ZEL_CB_ROW, Word(&row), 0);
    }

    Host host{NoModule};
    Worksheet& sheet = host.CreateWorksheet("Book1", 2);
    uint32_t layer = sheet.layerHandle();
};

TEST_F(WorksheetServices, ColumnsAreNamedRemovedAndAddedUnderTheFirstFreeName) {
    EXPECT_EQ(ColumnName(2), "B");
    for (int32_t bad : {0, 3, -1}) EXPECT_EQ(ColumnName(bad), "(refused)") << bad;
    EXPECT_EQ(AddColumn(layer), 0);
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_REMOVE, layer, 2), 0);
    EXPECT_EQ(ColumnName(2), "C");
    EXPECT_EQ(host.FindDataset("Book1_B"), nullptr);
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_REMOVE, layer, 5), 1);
    // A new column takes the first free name from its own number on.
    EXPECT_EQ(AddColumn(layer), 0);
    EXPECT_EQ(ColumnName(3), "D");
    // Requests on anything but a layer handle are refused.
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_COUNT, sheet.handle()), 0);
    EXPECT_EQ(AddColumn(sheet.handle()), 1);
    EXPECT_EQ(sheet.columnCount(), 3);
    EXPECT_EQ(DefaultColumnName(26), "Z");
    EXPECT_EQ(DefaultColumnName(27), "AA");
    EXPECT_EQ(DefaultColumnName(703), "AAA");
}

TEST_F(WorksheetServices, RenameMovesTheColumnsDatasetAndKeepsNamesUnique) {
    Dataset& dataset = sheet.column(1)->dataset();
    host.CreateDataset("Book1_Time");  // a free dataset that the column takes over
    Worksheet& other = host.CreateWorksheet("Book1_A", 2);
    for (int k = 0; k < 3000; ++k) ASSERT_EQ(AddColumn(layer), 0);  // names are checked against all columns
    ASSERT_EQ(Rename(1, "Time"), 0);
    EXPECT_EQ(host.FindDataset("book1_time"), &dataset);
    EXPECT_EQ(dataset.name(), "Book1_Time");
    EXPECT_EQ(host.FindDataset("Book1_A"), nullptr);
    EXPECT_THROW(host.CreateDataset("BOOK1_TIME"), std::invalid_argument);
    // {column, name, answer}: taken in this worksheet, a column of Book1_A
    // (Book1_A_B), no name, no column; a column may recase its own name, and
    // the names freed by a rename, a removal or another sheet's removal are
    // free again.
    const struct {
        int32_t k;
        const char* name;
        int32_t answer;
    } renames[] = {{2, "TIME", 1}, {2, "A_B", 1}, {2, "", 1}, {2, nullptr, 1}, {3003, "X", 1}, {1, "time", 0},
                   {3002, "c", 1}, {3002, "a", 0}};
    for (const auto& c : renames) EXPECT_EQ(Rename(c.k, c.name), c.answer) << c.k << " " << (c.name ? c.name : "");
    EXPECT_EQ(sheet.column(2)->name(), "B");
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_REMOVE, layer, 1), 0);
    EXPECT_EQ(Rename(2, "TIME"), 0);
    ASSERT_TRUE(other.removeColumn(2));
    EXPECT_EQ(Rename(3, "A_B"), 0);

    ZelColumnText label{2, "Pressure [hPa]"};
    ZelColumnText badLabel{3002, "x"};
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_SET_LABEL, layer, &label), 0);
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_SET_LABEL, layer, &badLabel), 1);
    EXPECT_EQ(sheet.column(2)->label(), "Pressure [hPa]");
}

TEST_F(WorksheetServices, FormatSwitchesTheDatasetKindAndConvertsCells) {
    Dataset& dataset = sheet.column(1)->dataset();
    ASSERT_TRUE(dataset.set(0, 1.5));
    ASSERT_EQ(SetFormat(1, kFormatText), 0);
    ZelColumnFormat query{1, 1};
    ASSERT_EQ(Ask(host, ZEL_CB_COLUMN_FORMAT, layer, &query), 0);
    EXPECT_EQ(query.code, kFormatText);
    EXPECT_EQ(dataset.number(0), 1.5);  // numbers stay numbers in a text column
    ASSERT_TRUE(dataset.setText(1, " 42 "));
    ASSERT_TRUE(dataset.setText(2, "n/a"));
    ASSERT_EQ(SetFormat(1, kFormatNumeric), 0);
    EXPECT_FALSE(dataset.isText());
    EXPECT_EQ(dataset.number(0), 1.5);
    EXPECT_EQ(dataset.number(1), 42.0);  // a text that reads as a number
    EXPECT_EQ(dataset.kind(2), CellKind::Empty);
    EXPECT_EQ(SetFormat(1, 3), 1);  // only numeric and text formats
    EXPECT_EQ(SetFormat(5, kFormatText), 1);
    ZelColumnFormat badColumn{1, 5};
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_FORMAT, layer, &badColumn), 1);
    EXPECT_EQ(badColumn.code, 1);
}

TEST_F(WorksheetServices, RowCountsSetEveryExtentAndRowsAppendBelowTheLongestColumn) {
    ASSERT_TRUE(sheet.column(1)->dataset().set(5, 1.0));
    ASSERT_EQ(Ask(host, ZEL_CB_SET_ROW_COUNT, layer, 3), 0);
    EXPECT_EQ(sheet.column(1)->dataset().size(), 3u);
    EXPECT_EQ(sheet.column(2)->dataset().upper(), 3);
    EXPECT_EQ(Ask(host, ZEL_CB_SET_ROW_COUNT, layer, -1), 1);

    ASSERT_EQ(Row({1.0, 2.0, 3.0, 4.0}), 0);
    EXPECT_EQ(sheet.columnCount(), 4);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(sheet.column(k)->dataset().number(3), static_cast<double>(k)) << k;
        EXPECT_EQ(sheet.column(k)->dataset().upper(), 4) << k;
    }
    ASSERT_EQ(Row({5.0}), 0);
    EXPECT_EQ(sheet.column(1)->dataset().number(4), 5.0);
    EXPECT_EQ(sheet.column(2)->dataset().upper(), 4);
    EXPECT_EQ(Row({6.0}, 0x2035), 1);
    EXPECT_EQ(Host::Callback(sheet.handle(), ZEL_CB_ROW, 0, 0), 1);
    ZelRowDescriptor noValues{ZEL_ROW_TAG, 2, 1, 0, 0, nullptr};
    EXPECT_EQ(Host::Callback(sheet.handle(), ZEL_CB_ROW, Word(&noValues), 0), 1);
    EXPECT_EQ(sheet.rows(), 5);
}

}  // namespace
}  // namespace tavrel::testing
