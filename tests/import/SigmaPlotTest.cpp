// SIGMAWIN and SIGMADOS: worksheets made byte by byte from the layouts of
// both formats, into the columns of a worksheet.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "import/ImportTesting.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

constexpr double kNone = -777;

class SigmaTest : public ZelFixture {
protected:
    tavrel::Worksheet& Import(const char* method, const std::string& bytes, int columns = 1,
                              const std::string& sheet = "w") {
        scratch_.Make("data.jnb", bytes);
        tavrel::Worksheet& w = host().CreateWorksheet(sheet, columns);
        OpenFile("data.jnb");
        last_ = Call(method, sheet);
        return w;
    }
    static std::vector<double> Column(const tavrel::Worksheet& w, int k) {
        std::vector<double> values;
        const tavrel::Dataset& d = w.column(k)->dataset();
        for (int32_t i = 0; i < d.upper(); ++i) values.push_back(d.number(static_cast<size_t>(i)).value_or(kNone));
        return values;
    }
    tavrel::CallResult last_;
};

struct WinCase {
    const char* name;
    char layout;
};

void PrintTo(const WinCase& c, std::ostream* out) { *out << c.name; }

class SigmaWinLayouts : public SigmaTest, public ::testing::WithParamInterface<WinCase> {};

TEST_P(SigmaWinLayouts, ColumnsLabelsAndMissingRows) {
    std::vector<SigmaColumn> columns(2);
    columns[0].index = 0;
    columns[0].values = {1.5, -2.25, 1e10};
    columns[0].label = "time";
    columns[1].index = 1;
    columns[1].values = {3, 4, 5, 6};
    columns[1].numbers = {true, false, true, true};
    columns[1].label = "volts";
    tavrel::Worksheet& w = Import("SIGMAWIN", MakeSigmaWin(GetParam().layout, 1, columns));
    ASSERT_EQ(last_.code, 1) << "ERROR " << Error();
    ASSERT_EQ(w.columnCount(), 2);
    EXPECT_EQ(Column(w, 1), (std::vector<double>{1.5, -2.25, 1e10}));
    // The second cell's tag is not 17: the row holds no number.
    EXPECT_EQ(Column(w, 2), (std::vector<double>{3, kNone, 5, 6}));
    EXPECT_EQ(w.column(1)->label(), "time");
    EXPECT_EQ(w.column(2)->label(), "volts");
}

INSTANTIATE_TEST_SUITE_P(Layouts, SigmaWinLayouts,
                         ::testing::Values(WinCase{"MarkerAt16", 'A'}, WinCase{"MarkerAt32", 'B'},
                                           WinCase{"NoMarker", 'C'}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SigmaTest, TheLastIndexEndsTheColumnRecords) {
    std::vector<SigmaColumn> columns(2);
    columns[0].index = 0;
    columns[0].values = {7};
    columns[1].index = 1;
    columns[1].values = {8};
    // L = 0: the record of column 1 that follows is not read.
    tavrel::Worksheet& w = Import("SIGMAWIN", MakeSigmaWin('A', 0, columns));
    ASSERT_EQ(last_.code, 1) << "ERROR " << Error();
    EXPECT_EQ(Column(w, 1), (std::vector<double>{7}));
    EXPECT_EQ(w.columnCount(), 1);
}

TEST_F(SigmaTest, DosBlocksIntoColumns) {
    std::vector<SigmaColumn> columns(2);
    columns[0].index = 0;
    columns[0].values = {1, 2, 3};
    columns[1].index = 2;
    columns[1].values = {-0.5, 0.25};
    tavrel::Worksheet& w = Import("SIGMADOS", MakeSigmaDos(columns));
    ASSERT_EQ(last_.code, 1) << "ERROR " << Error();
    ASSERT_EQ(w.columnCount(), 3);
    EXPECT_EQ(Column(w, 1), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(Column(w, 3), (std::vector<double>{-0.5, 0.25}));
}

TEST_F(SigmaTest, DosMarkerAsTheFirstByteIsPassedOver) {
    std::vector<SigmaColumn> columns(1);
    columns[0].values = {42};
    tavrel::Worksheet& w = Import("SIGMADOS", MakeSigmaDos(columns, true));
    ASSERT_EQ(last_.code, 1) << "ERROR " << Error();
    EXPECT_EQ(Column(w, 1), (std::vector<double>{42}));
}

TEST_F(SigmaTest, DosWithoutBlocksOrMarkers) {
    tavrel::Worksheet& w = Import("SIGMADOS", MakeSigmaDos({}));
    EXPECT_EQ(last_.code, 1) << "ERROR " << Error();
    EXPECT_EQ(w.column(1)->dataset().upper(), 0);
    UseNewActions(true);
    Import("SIGMADOS", "no marker in here", 1, "w2");
    EXPECT_EQ(last_.code, 2);
    EXPECT_EQ(Error(), 33);
}

// Both formats read their fields in the script's BYTEORDER (SIGMAWIN its
// header and first column record; its cells and what follows are
// little-endian), and SIGMADOS passes the script's SKIP after each value.
// The settings come back as the script left them.
struct OrderCase {
    const char* name;
    const char* method;
    char layout;  // SIGMAWIN's
    int order;
    int skip;
};

void PrintTo(const OrderCase& c, std::ostream* out) { *out << c.name; }

class SigmaByteOrders : public SigmaTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(SigmaByteOrders, FieldsInTheScriptsOrder) {
    const OrderCase& c = GetParam();
    std::vector<SigmaColumn> columns(2);
    columns[0] = SigmaColumn{0, {1.5, -2.25}, {}, "first"};
    columns[1] = SigmaColumn{1, {3, 4, 1e300}, {}, "second"};
    const bool win = std::string(c.method) == "SIGMAWIN";
    const std::string bytes = win ? MakeSigmaWin(c.layout, 1, columns, c.order)
                                  : MakeSigmaDos(columns, false, c.order, c.skip);
    SetNumber("BYTEORDER", c.order);
    SetNumber("SKIP", c.skip);
    SetNumber("NBYTES", 2);
    SetNumber("SIGNED", 1);
    SetNumber("LISTSEP", 59);
    tavrel::Worksheet& w = Import(c.method, bytes);
    ASSERT_EQ(last_.code, 1) << "ERROR " << Error();
    ASSERT_EQ(w.columnCount(), 2);
    EXPECT_EQ(Column(w, 1), (std::vector<double>{1.5, -2.25}));
    EXPECT_EQ(Column(w, 2), (std::vector<double>{3, 4, 1e300}));
    EXPECT_EQ(w.column(2)->label(), win ? "second" : "");
    EXPECT_EQ(Number("BYTEORDER"), c.order);
    EXPECT_EQ(Number("SKIP"), c.skip);
    EXPECT_EQ(Number("NBYTES"), 2);
    EXPECT_EQ(Number("SIGNED"), 1);
    EXPECT_EQ(Number("LISTSEP"), 59);
    EXPECT_EQ(Number("NEWACTIONS"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, SigmaByteOrders,
    ::testing::Values(OrderCase{"WinLittleEndian", "SIGMAWIN", 'A', 0, 0},
                      OrderCase{"WinShortsBigEndian", "SIGMAWIN", 'B', 1, 0},
                      OrderCase{"WinBigEndian", "SIGMAWIN", 'C', 2, 0},
                      OrderCase{"WinBigEndianMarkerAt16", "SIGMAWIN", 'A', 2, 0},
                      OrderCase{"DosLittleEndian", "SIGMADOS", ' ', 0, 0},
                      OrderCase{"DosShortsBigEndian", "SIGMADOS", ' ', 1, 0},
                      OrderCase{"DosBigEndianWithSkip", "SIGMADOS", ' ', 2, 3},
                      OrderCase{"DosLittleEndianWithSkip", "SIGMADOS", ' ', 0, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SigmaTest, HostileHeadersEndTheImport) {
    // A column index no worksheet has, and a block length that walks back.
    std::vector<SigmaColumn> columns(1);
    columns[0].index = 0x7FFFFFFF;
    columns[0].values = {1};
    Import("SIGMADOS", MakeSigmaDos(columns));
    EXPECT_EQ(last_.code, 2);
    EXPECT_EQ(Error(), 41);
    std::string backwards = MakeSigmaDos({SigmaColumn{0, {1}, {}, ""}});
    const size_t blocks = backwards.size() - 4 - (4 + 16 + 8);
    backwards.replace(blocks, 4, LeBytes(0xFFFFFF00u, 4));
    SetNumber("SIGNED", 1);
    Import("SIGMADOS", backwards, 1, "w2");
    EXPECT_EQ(last_.code, 2);
    EXPECT_EQ(Error(), 41);
}

// A column index below 0 or beyond any worksheet, read signed or unsigned,
// in a Windows column record or a DOS block.
TEST_F(SigmaTest, ColumnIndicesOutsideAWorksheetAreRefused) {
    int k = 0;
    for (const char* format : {"SIGMAWIN", "SIGMADOS"}) {
        for (int32_t index : {-1, 0x7FFFFFFF}) {
            for (int isSigned : {0, 1}) {
                SCOPED_TRACE(std::string(format) + ", index " + std::to_string(index) + ", SIGNED " +
                             std::to_string(isSigned));
                const std::vector<SigmaColumn> columns{SigmaColumn{index, {1, 2}, {}, ""}};
                SetNumber("SIGNED", isSigned);
                const std::string bytes = std::string(format) == "SIGMAWIN" ? MakeSigmaWin('B', 1, columns)
                                                                             : MakeSigmaDos(columns);
                tavrel::Worksheet& w = Import(format, bytes, 1, "c" + std::to_string(k++));
                EXPECT_EQ(last_.code, 2);
                EXPECT_EQ(Error(), 41);
                EXPECT_EQ(w.columnCount(), std::string(format) == "SIGMAWIN" ? 2 : 1);
                EXPECT_EQ(Number("SIGNED"), isSigned);
            }
        }
    }
}

TEST_F(SigmaTest, WorksheetNamesLongerThanADatasetName) {
    std::vector<SigmaColumn> columns(1);
    columns[0].values = {5, 6};
    tavrel::Worksheet& w = Import("SIGMADOS", MakeSigmaDos(columns), 1, std::string(60, 'q'));
    ASSERT_EQ(last_.code, 1) << "ERROR " << Error();
    EXPECT_EQ(Column(w, 1), (std::vector<double>{5, 6}));
}

}  // namespace
}  // namespace zeltest
