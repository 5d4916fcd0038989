// Worksheet requests of the callback: the layer and worksheet handles,
// columns, formats, labels, row counts and the row request.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "HostTesting.h"

namespace tavrel::testing {
namespace {

class WorksheetServices : public ::testing::Test {
protected:
    int32_t Layer(const std::vector<char>& name) {
        ZelLayerQuery query{-1, 1};
        return Ask(host, ZEL_CB_LAYER_HANDLE, &query, name.data());
    }
    int32_t ColumnName(int32_t k, std::string& name) {
        std::vector<char> buffer(ZEL_TEXT_BUFFER, 'x');
        std::memcpy(buffer.data(), &k, sizeof k);
        const int32_t answer = Ask(host, ZEL_CB_COLUMN_NAME, layer, buffer.data());
        name = answer == 0 ? std::string(buffer.data()) : std::string();
        return answer;
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

TEST_F(WorksheetServices, LayerAndWorksheetHandlesByName) {
    const std::string longName(ZEL_WORKSHEET_NAME - 1, 'L');
    const uint32_t wide = host.CreateWorksheet(longName).layerHandle();
    EXPECT_EQ(Layer({'B', 'O', 'O', 'K', '1', '\0'}), static_cast<int32_t>(layer));
    EXPECT_EQ(Layer({'B', 'o', 'o', 'k', '2', '\0'}), 0);
    // A name buffer without a terminator is read within its 120 bytes.
    EXPECT_EQ(Layer(std::vector<char>(ZEL_WORKSHEET_NAME, 'L')), static_cast<int32_t>(wide));
    EXPECT_EQ(Ask(host, ZEL_CB_LAYER_HANDLE, nullptr, "Book1"), 0);

    int32_t handle = 77;
    EXPECT_EQ(Ask(host, ZEL_CB_WORKSHEET_HANDLE, "Book9", &handle), 1);
    EXPECT_EQ(handle, 77);
    EXPECT_EQ(Ask(host, ZEL_CB_WORKSHEET_HANDLE, "book1", &handle), 0);
    EXPECT_EQ(static_cast<uint32_t>(handle), sheet.handle());
    EXPECT_NE(sheet.handle(), layer);
    EXPECT_EQ(Ask(host, ZEL_CB_WORKSHEET_HANDLE, "Book1", nullptr), 1);
}

TEST_F(WorksheetServices, ColumnsAreCountedNamedAddedAndRemoved) {
    std::string name;
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_COUNT, layer), 2);
    EXPECT_EQ(ColumnName(2, name), 0);
    EXPECT_EQ(name, "B");
    for (int32_t bad : {0, 3, -1}) EXPECT_EQ(ColumnName(bad, name), 1) << bad;

    EXPECT_EQ(AddColumn(layer), 0);
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_COUNT, layer), 3);
    EXPECT_NE(host.FindDataset("Book1_C"), nullptr);
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_REMOVE, layer, 2), 0);
    EXPECT_EQ(ColumnName(2, name), 0);
    EXPECT_EQ(name, "C");
    EXPECT_EQ(host.FindDataset("Book1_B"), nullptr);
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_REMOVE, layer, 5), 1);
    // A new column takes the first free name from its own number on.
    EXPECT_EQ(AddColumn(layer), 0);
    EXPECT_EQ(ColumnName(3, name), 0);
    EXPECT_EQ(name, "D");

    // Requests on anything but a layer handle are refused.
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_COUNT, sheet.handle()), 0);
    EXPECT_EQ(AddColumn(sheet.handle()), 1);
    EXPECT_EQ(AddColumn(0), 1);
    EXPECT_EQ(sheet.columnCount(), 3);
    EXPECT_EQ(DefaultColumnName(26), "Z");
    EXPECT_EQ(DefaultColumnName(27), "AA");
    EXPECT_EQ(DefaultColumnName(703), "AAA");
}

TEST_F(WorksheetServices, RenameMovesTheColumnsDatasetAndKeepsNamesUnique) {
    Dataset& dataset = sheet.column(1)->dataset();
    host.CreateDataset("Book1_Time");  // a free dataset that the column takes over
    host.CreateWorksheet("Book1_A", 2);
    ASSERT_EQ(Rename(1, "Time"), 0);
    EXPECT_EQ(dataset.name(), "Book1_Time");
    EXPECT_EQ(host.FindDataset("book1_time"), &dataset);
    EXPECT_EQ(host.FindDataset("Book1_A"), nullptr);
    EXPECT_THROW(host.CreateDataset("BOOK1_TIME"), std::invalid_argument);

    EXPECT_EQ(Rename(2, "TIME"), 1);  // taken in this worksheet
    EXPECT_EQ(Rename(2, "A_B"), 1);   // Book1_A_B is a column of Book1_A
    EXPECT_EQ(Rename(2, ""), 1);
    EXPECT_EQ(Rename(2, nullptr), 1);
    EXPECT_EQ(Rename(3, "X"), 1);
    EXPECT_EQ(sheet.column(2)->name(), "B");
    EXPECT_EQ(Rename(1, "time"), 0);  // a column may recase its own name

    ZelColumnText label{2, "Pressure [hPa]"};
    ZelColumnText badLabel{3, "x"};
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_SET_LABEL, layer, &label), 0);
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_SET_LABEL, layer, &badLabel), 1);
    EXPECT_EQ(sheet.column(2)->label(), "Pressure [hPa]");
}

TEST_F(WorksheetServices, NamesFreedByRenameOrRemovalCanBeTakenAgain) {
    for (int k = 0; k < 3000; ++k) ASSERT_EQ(AddColumn(layer), 0);
    ASSERT_EQ(sheet.columnCount(), 3002);
    EXPECT_EQ(Rename(1, "b"), 1);  // every name is still checked against all columns
    ASSERT_EQ(Rename(1, "First"), 0);
    EXPECT_EQ(Rename(3002, "a"), 0);  // the old name is free again
    EXPECT_EQ(Rename(2, "FIRST"), 1);
    EXPECT_EQ(Ask(host, ZEL_CB_COLUMN_REMOVE, layer, 1), 0);
    EXPECT_EQ(Rename(2, "first"), 0);
    EXPECT_NE(host.FindDataset("Book1_First"), nullptr);
    // Column datasets of other worksheets count too, removed ones do not.
    Worksheet& other = host.CreateWorksheet("Book1_X", 1);
    EXPECT_EQ(Rename(2, "X_A"), 1);
    ASSERT_EQ(other.removeColumn(1), true);
    EXPECT_EQ(Rename(2, "X_A"), 0);
}

TEST_F(WorksheetServices, FormatSwitchesTheDatasetKindAndConvertsCells) {
    Dataset& dataset = sheet.column(1)->dataset();
    ASSERT_TRUE(dataset.set(0, 1.5));
    ZelColumnFormat query{1, 1};
    ASSERT_EQ(Ask(host, ZEL_CB_COLUMN_FORMAT, layer, &query), 0);
    EXPECT_EQ(query.code, kFormatNumeric);

    ASSERT_EQ(SetFormat(1, kFormatText), 0);
    ASSERT_EQ(Ask(host, ZEL_CB_COLUMN_FORMAT, layer, &query), 0);
    EXPECT_EQ(query.code, kFormatText);
    EXPECT_TRUE(dataset.isText());
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

TEST_F(WorksheetServices, RowCountSetsEveryColumnsExtent) {
    ASSERT_TRUE(sheet.column(1)->dataset().set(5, 1.0));
    ASSERT_EQ(Ask(host, ZEL_CB_SET_ROW_COUNT, layer, 3), 0);
    for (int k = 1; k <= 2; ++k) EXPECT_EQ(sheet.column(k)->dataset().upper(), 3) << k;
    EXPECT_EQ(sheet.column(1)->dataset().size(), 3u);
    EXPECT_EQ(Ask(host, ZEL_CB_SET_ROW_COUNT, layer, -1), 1);
    EXPECT_EQ(sheet.rows(), 3);
}

TEST_F(WorksheetServices, RowsAppendBelowTheLongestColumnAndAddColumns) {
    ASSERT_TRUE(sheet.column(2)->dataset().resize(3));
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
