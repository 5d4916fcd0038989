// Record templates: the grammar, READRECORD into worksheet columns,
// WRITERECORD back to the same bytes, and READROWBIN. Files that end inside
// a record or a row: TransferEngineTest.
#include <gtest/gtest.h>

#include <string>

#include "binary/BinaryTesting.h"
#include "binary/MoRecord.h"

namespace zeltest {
namespace {

struct TemplateCase {
    const char* text;
    int32_t status;
    uint64_t recordSize;
    uint32_t columns;
    uint32_t trailingSkip;
};

void PrintTo(const TemplateCase& c, std::ostream* out) { *out << Quoted(c.text); }

class TemplateGrammar : public ZelFixture, public ::testing::WithParamInterface<TemplateCase> {};

// Each template is parsed by a reader that parsed another one before: a
// refused template leaves no items, an accepted one none of the last.
TEST_P(TemplateGrammar, ParsesOrRefuses) {
    const TemplateCase& c = GetParam();
    zel::TypeConverter converter(zel().io());
    zel::MoReadRecord reader(zel().io(), converter);
    ASSERT_EQ(reader.ParseTemplate("LD|2|SH", true), 0);
    EXPECT_EQ(reader.ParseTemplate(c.text, true), c.status) << c.text;
    if (c.status != 0) {
        EXPECT_EQ(Error(), c.status);
        EXPECT_TRUE(reader.items().empty());
        return;
    }
    EXPECT_EQ(reader.recordSize(), c.recordSize);
    EXPECT_EQ(reader.columnsPerRecord(), c.columns);
    EXPECT_EQ(reader.GetSkipBytes(), c.trailingSkip);
}

// Type names on their own: TypeConverterTest's TypeName rows.
INSTANTIATE_TEST_SUITE_P(
    Templates, TemplateGrammar,
    ::testing::Values(TemplateCase{"BYTE", 0, 1, 1, 0}, TemplateCase{"LO3", 0, 12, 3, 0},
                      TemplateCase{"LONGS3", 0, 12, 3, 0}, TemplateCase{"SHORT|-LONG2|4|DOUBLE", 0, 22, 4, 0},
                      TemplateCase{"DOUBLE|4", 0, 12, 1, 4}, TemplateCase{"SKIP", 0, 1, 0, 1},
                      TemplateCase{"SK4|BC", 0, 14, 1, 0}, TemplateCase{"T|F|D|LD", 0, 25, 4, 0},
                      TemplateCase{"SHORT 2", 16, 0, 0, 0}, TemplateCase{"short", 16, 0, 0, 0},
                      TemplateCase{"BYTE|", 16, 0, 0, 0}, TemplateCase{"|BYTE", 16, 0, 0, 0},
                      TemplateCase{"", 16, 0, 0, 0}, TemplateCase{"BYTE2X", 16, 0, 0, 0},
                      TemplateCase{"4B", 16, 0, 0, 0}, TemplateCase{"BYTE0", 17, 0, 0, 0},
                      TemplateCase{"0", 17, 0, 0, 0}, TemplateCase{"99999999999", 16, 0, 0, 0}));

// Two records of SHORT|-LONG2|4|DOUBLE; the skipped bytes are zeros.
const std::string kMixed = LeBytes(65535, 2) + LeBytes(static_cast<uint32_t>(-5), 4) + LeBytes(70000, 4) +
                           std::string(4, '\0') + Double(2.5) + LeBytes(1, 2) + LeBytes(2, 4) +
                           LeBytes(static_cast<uint32_t>(-3), 4) + std::string(4, '\0') + Double(-0.125);
const std::vector<Column> kMixedColumns = {{65535, 1}, {-5, 2}, {70000, -3}, {2.5, -0.125}};
const std::string kZeros = std::string(40, '\0');

const CallCase kRecordRows[] = {
    {.name = "ReadMixed", .file = kMixed, .method = "READRECORD", .args = "w,2,SHORT|-LONG2|4|DOUBLE", .value = 2,
     .pos = 44, .wAfter = kMixedColumns},
    {.name = "WriteMixedBack", .mode = 1, .w = kMixedColumns, .method = "RWRITE", .args = "w,2,SHORT|-LONG2|4|DOUBLE",
     .value = 0, .written = kMixed},
    {.name = "AddsColumnsAndFillsRowsFromTheTop", .file = Single(0) + Single(1) + Single(2) + Single(3),
     .method = "RRECORD", .args = "w,2,FLOAT2", .value = 2, .wAfter = std::vector<Column>{{0, 2}, {1, 3}}},
    {.name = "SignednessComesFromTheTemplate", .file = Bytes({0xFF, 0xFF}), .settings = {{"SIGNED", 1}},
     .method = "RREAD", .args = "w,1,BYTE|-BY", .value = 1, .wAfter = std::vector<Column>{{255}, {-1}}},
    {.name = "WriteToANarrowWorksheet", .mode = 1, .w = {{1}, {2}}, .method = "WRITERECORD", .args = "w,1,BYTE3",
     .value = 0, .error = 38},
    {.name = "BcdDigitEndsTheStoring", .file = Bytes({0, 0, 0, 0x1A, 0, 0, 0, 0, 0, 0}), .method = "READRECORD",
     .args = "w,1,BCD", .value = 0, .error = 32},
    // A skip count in the template makes records of hundreds of megabytes:
    // the reading asks for no buffer beyond what the file holds. One record
    // needs only its 13 bytes of values (the skip after the last record is
    // not read); three meet the end of the file inside the first skip.
    {.name = "OneRecordLongerThanTheFile", .file = kZeros, .newActions = true, .method = "READRECORD",
     .args = "w,1,BY|F|2|F|2|2429496726", .value = 1, .largestRequest = 1 << 20, .pos = 13,
     .wAfter = std::vector<Column>{{0}, {0}, {0}}},
    {.name = "RecordsLongerThanTheFile", .file = kZeros, .newActions = true, .method = "READRECORD",
     .args = "w,3,BY|F|2|F|2|400000000", .value = 1, .error = 33, .largestRequest = 1 << 20, .pos = 40,
     .wAfter = std::vector<Column>{{0}, {0}, {0}}},
    // READROWBIN hands one row to the host; a second row goes below the first.
    {.name = "RowToTheHost", .file = Single(1.5f) + "gg" + Single(-2) + "gg" + Single(3.25f) + "gg" + Single(4) + "gg",
     .settings = {{"NBYTES", 4}, {"SKIP", 2}}, .w = {{}, {}}, .method = "READROWBIN", .args = "w,4,1", .value = 4,
     .pos = 22, .wAfter = std::vector<Column>{{1.5}, {-2}, {3.25}, {4}}, .commands = {"doc -uw"}},
    {.name = "SecondRowGoesBelow", .file = Single(1.5f), .settings = {{"NBYTES", 4}},
     .before = {{"READROWBIN", "w,1,1"}, {"REWIND", ""}}, .method = "READROWBIN", .args = "w,1,1", .value = 1,
     .wAfter = std::vector<Column>{{1.5, 1.5}}, .commands = {"doc -uw", "doc -uw"}},
    // Records are never split when memory is short.
    {.name = "NoMemoryForWholeRecords", .file = kZeros, .memory = 20, .method = "READRECORD", .args = "w,4,DOUBLE",
     .code = 2, .value = -1, .error = 5, .pos = 0},
    // Refused before any byte moves: templates, counts, a worksheet that
    // does not exist, READROWBIN's arguments and kinds without a codec.
    Refused("BadTemplate", false, "READRECORD", "w,1,BYTE|", 16),
    Refused("LegacyMissingTemplate", false, "READRECORD", "w,1", 1024),
    Refused("MissingCount", true, "READRECORD", "w,,BYTE", 10),
    Refused("NegativeCount", true, "READRECORD", "w,-1,BYTE", 12),
    Refused("TooManyBytes", true, "READRECORD", "w,2000000000,DOUBLE", 12),
    Refused("NoWorksheet", true, "READRECORD", "nosuch,2,SHORT2", 20),
    Refused("LegacyWriteNoWorksheet", false, "WRITERECORD", "nosuch,1,BYTE", 6),
    Refused("RowNoWorksheet", true, "READROWBIN", "nosuch,2,0", 20),
    Refused("RowNoCodec", true, "READROWBIN", "w,2,0", 43, {{"NBYTES", 8}}),
    Refused("LegacyRowMissingArgument", false, "READROWBIN", "w,2", 1024),
    Refused("RowTooLong", true, "READROWBIN", "w,70000,0", 12),
    Refused("RowNegativeCount", true, "READROWBIN", "w,-1,0", 12),
    Refused("RowBinTypeOutOfRange", true, "READROWBIN", "w,2,5", 12),
};

INSTANTIATE_TEST_SUITE_P(Record, BinaryCall, ::testing::ValuesIn(kRecordRows), CaseName);

}  // namespace
}  // namespace zeltest
