// Record templates: the grammar, READRECORD into worksheet columns and
// WRITERECORD back to the same bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Worksheet.h"
#include "binary/MoRecord.h"
#include "support/Printing.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

template <class T>
std::string Le(T v) {
    std::string s(sizeof(T), '\0');
    std::memcpy(s.data(), &v, sizeof(T));
    return s;
}

struct TemplateCase {
    const char* text;
    int32_t status;
    uint64_t recordSize;
    uint32_t columns;
    uint32_t trailingSkip;
};

void PrintTo(const TemplateCase& c, std::ostream* out) {
    *out << Quoted(c.text) << ": status " << c.status << ", " << c.recordSize << " bytes, "
         << c.columns << " columns, trailing skip " << c.trailingSkip;
}

class TemplateGrammar : public ZelFixture, public ::testing::WithParamInterface<TemplateCase> {};

TEST_P(TemplateGrammar, ParsesOrRefuses) {
    const TemplateCase& c = GetParam();
    zel::TypeConverter converter(zel().io());
    zel::MoReadRecord reader(zel().io(), converter);
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

INSTANTIATE_TEST_SUITE_P(
    Templates, TemplateGrammar,
    ::testing::Values(TemplateCase{"BYTE", 0, 1, 1, 0}, TemplateCase{"-BY", 0, 1, 1, 0},
                      TemplateCase{"LO3", 0, 12, 3, 0}, TemplateCase{"LONG3", 0, 12, 3, 0},
                      TemplateCase{"LONGS3", 0, 12, 3, 0},
                      TemplateCase{"SHORT|-LONG2|4|DOUBLE", 0, 22, 4, 0},
                      TemplateCase{"DOUBLE|4", 0, 12, 1, 4}, TemplateCase{"SKIP", 0, 1, 0, 1},
                      TemplateCase{"SK4|BC", 0, 14, 1, 0}, TemplateCase{"T|F|D|LD", 0, 25, 4, 0},
                      TemplateCase{"SHORT 2", 16, 0, 0, 0}, TemplateCase{"short", 16, 0, 0, 0},
                      TemplateCase{"BYTE|", 16, 0, 0, 0}, TemplateCase{"|BYTE", 16, 0, 0, 0},
                      TemplateCase{"", 16, 0, 0, 0}, TemplateCase{"B", 16, 0, 0, 0},
                      TemplateCase{"L", 16, 0, 0, 0}, TemplateCase{"-", 16, 0, 0, 0},
                      TemplateCase{"BYTE2X", 16, 0, 0, 0}, TemplateCase{"4B", 16, 0, 0, 0},
                      TemplateCase{"BYTE0", 17, 0, 0, 0}, TemplateCase{"0", 17, 0, 0, 0},
                      TemplateCase{"99999999999", 16, 0, 0, 0}));

class RecordTest : public ZelFixture {
protected:
    int32_t OpenWith(const std::string& bytes, int mode = 2) {
        scratch_.Make("data.bin", bytes);
        return OpenFile("data.bin", mode);
    }
    std::string FileBytes() { return ScratchDir::Contents(scratch_.PathOf("data.bin")); }
    double Cell(tavrel::Worksheet& w, int column, size_t row) {
        return w.column(column)->dataset().number(row).value_or(-777);
    }
};

std::string MixedRecord(uint16_t a, int32_t b, int32_t c, double d) {
    return Le(a) + Le(b) + Le(c) + std::string(4, '\0') + Le(d);
}

TEST_F(RecordTest, ReadsTheMappingExampleAndWritesItBack) {
    const std::string bytes = MixedRecord(65535, -5, 70000, 2.5) + MixedRecord(1, 2, -3, -0.125);
    OpenWith(bytes);
    tavrel::Worksheet& w = host().CreateWorksheet("recs", 1);
    tavrel::CallResult r = Call("READRECORD", "recs,2,SHORT|-LONG2|4|DOUBLE");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 2);
    ASSERT_EQ(w.columnCount(), 4);
    EXPECT_EQ(Cell(w, 1, 0), 65535);
    EXPECT_EQ(Cell(w, 2, 0), -5);
    EXPECT_EQ(Cell(w, 3, 0), 70000);
    EXPECT_EQ(Cell(w, 4, 0), 2.5);
    EXPECT_EQ(Cell(w, 1, 1), 1);
    EXPECT_EQ(Cell(w, 3, 1), -3);
    EXPECT_EQ(Cell(w, 4, 1), -0.125);
    EXPECT_EQ(Call("GETPOS").value, 44);

    // Writing the worksheet back gives the same bytes; skipped bytes are zeros.
    Call("CLOSEALL");
    scratch_.Make("data.bin", "");
    OpenFile("data.bin", 1);
    tavrel::CallResult back = Call("RWRITE", "recs,2,SHORT|-LONG2|4|DOUBLE");
    EXPECT_EQ(back.code, 1);
    EXPECT_EQ(back.value, 0);
    EXPECT_EQ(FileBytes(), bytes);
}

TEST_F(RecordTest, AddsMissingColumnsAndFillsRowsFromTheTop) {
    std::string bytes;
    for (int i = 0; i < 10; ++i) bytes += Le(static_cast<float>(i));
    OpenWith(bytes);
    tavrel::Worksheet& w = host().CreateWorksheet("w", 1);
    EXPECT_EQ(Call("RRECORD", "w,5,FLOAT2").value, 5);
    ASSERT_EQ(w.columnCount(), 2);
    for (size_t row = 0; row < 5; ++row) {
        EXPECT_EQ(Cell(w, 1, row), 2.0 * static_cast<double>(row));
        EXPECT_EQ(Cell(w, 2, row), 2.0 * static_cast<double>(row) + 1);
    }
}

TEST_F(RecordTest, TrailingSkipOfTheLastRecordIsNotRead) {
    OpenWith(std::string(40, '\0'));
    host().CreateWorksheet("w", 1);
    EXPECT_EQ(Call("RECORDREAD", "w,3,DOUBLE|4").value, 3);
    EXPECT_EQ(Call("GETPOS").value, 32);
}

TEST_F(RecordTest, SignednessComesFromTheTemplate) {
    OpenWith(std::string(2, '\xFF'));
    tavrel::Worksheet& w = host().CreateWorksheet("w", 2);
    SetNumber("SIGNED", 1);
    EXPECT_EQ(Call("RREAD", "w,1,BYTE|-BY").value, 1);
    EXPECT_EQ(Cell(w, 1, 0), 255);
    EXPECT_EQ(Cell(w, 2, 0), -1);
}

TEST_F(RecordTest, WriteToANarrowWorksheetIsRefused) {
    OpenWith("", 1);
    host().CreateWorksheet("w", 2);
    tavrel::CallResult r = Call("WRITERECORD", "w,1,BYTE3");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(Error(), 38);
    EXPECT_EQ(FileBytes(), "");
}

TEST_F(RecordTest, FailedParseLeavesNoTemplate) {
    OpenWith(std::string(8, '\x01'));
    tavrel::Worksheet& w = host().CreateWorksheet("w", 1);
    EXPECT_EQ(Call("READRECORD", "w,1,BYTE").code, 1);
    tavrel::CallResult bad = Call("READRECORD", "w,1,BYTE|");
    EXPECT_EQ(bad.code, 2);
    EXPECT_EQ(Error(), 16);
    EXPECT_EQ(Call("GETPOS").value, 1);
    EXPECT_EQ(Call("READRECORD", "w,2,SHORT").code, 1);
    EXPECT_EQ(Cell(w, 1, 1), 0x0101);
    EXPECT_EQ(Call("GETPOS").value, 5);
}

TEST_F(RecordTest, ArgumentAndCountRefusals) {
    OpenWith("abcd");
    EXPECT_EQ(Call("READRECORD", "w,1").code, 2);
    EXPECT_EQ(Error(), 1024);
    UseNewActions(true);
    EXPECT_EQ(Call("READRECORD", "w,,BYTE").code, 2);
    EXPECT_EQ(Error(), 10);
    EXPECT_EQ(Call("READRECORD", "w,-1,BYTE").code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("READRECORD", "w,2000000000,DOUBLE").code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("GETPOS").value, 0);
}

TEST_F(RecordTest, FileEndingInsideARecordStoresOnlyWholeRecords) {
    OpenWith(Le(static_cast<int16_t>(7)) + Le(static_cast<int16_t>(8)) + "\x09");
    tavrel::Worksheet& w = host().CreateWorksheet("w", 1);
    for (bool newActions : {true, false}) {
        Call("REWIND");
        UseNewActions(newActions);
        // The answer is the number of records stored, not the number asked for.
        tavrel::CallResult r = Call("READRECORD", "w,3,-SHORT");
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.value, 2);
        EXPECT_EQ(Error(), 33);
        EXPECT_EQ(Cell(w, 1, 0), 7);
        EXPECT_EQ(Cell(w, 1, 1), 8);
        EXPECT_EQ(w.column(1)->dataset().upper(), 2);
    }
}

TEST_F(RecordTest, BcdDigitErrorEndsTheStoringWithStatusZero) {
    std::string bad(10, '\0');
    bad[3] = '\x1A';
    OpenWith(bad);
    host().CreateWorksheet("w", 1);
    tavrel::CallResult r = Call("READRECORD", "w,1,BCD");
    EXPECT_EQ(r.code, 1);
    // The one record was not stored whole.
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(Error(), 32);
}

TEST_F(RecordTest, MissingWorksheetIsRefusedBeforeAnyByteMoves) {
    for (bool newActions : {false, true}) {
        OpenWith(std::string(8, '\x01'));
        UseNewActions(newActions);
        tavrel::CallResult r = Call("READRECORD", "nosuch,2,SHORT2");
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(Error(), newActions ? 20 : 6);
        EXPECT_EQ(Call("GETPOS").value, 0);
        EXPECT_EQ(Call("READROWBIN", "nosuch,2,0").code, 2);
        EXPECT_EQ(Error(), newActions ? 20 : 6);
        EXPECT_EQ(Call("GETPOS").value, 0);
        EXPECT_EQ(Call("WRITERECORD", "nosuch,1,BYTE").code, 2);
        EXPECT_EQ(Error(), newActions ? 20 : 6);
        EXPECT_EQ(Call("GETPOS").value, 0);
        EXPECT_EQ(FileBytes(), std::string(8, '\x01'));
        Call("CLOSEALL");
    }
    EXPECT_EQ(host().FindWorksheet("nosuch"), nullptr);
}

TEST_F(RecordTest, RecordsAreNeverSplitWhenMemoryIsShort) {
    OpenWith(std::string(40, '\0'));
    host().CreateWorksheet("w", 1);
    UseFailingAllocator().RefuseAbove(20);
    tavrel::CallResult r = Call("READRECORD", "w,4,DOUBLE");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.value, -1);
    EXPECT_EQ(Error(), 5);  // out of memory, in the legacy numbering
    EXPECT_EQ(Call("GETPOS").value, 0);
}

// A skip count in the template makes records of hundreds of megabytes: the
// reading asks for no buffer beyond what the file holds. One record needs
// only its 13 bytes of values (the skip after the last record is not read);
// three meet the end of the file inside the first skip.
TEST_F(RecordTest, RecordsLongerThanTheFileAskForNoBufferBeyondIt) {
    OpenWith(std::string(40, '\x01'));
    host().CreateWorksheet("w", 1);
    UseNewActions(true);
    struct Case {
        const char* args;
        double records;
        int32_t error;
        double position;
    };
    for (const Case& c : {Case{"w,1,BY|F|2|F|2|2429496726", 1, 0, 13}, Case{"w,3,BY|F|2|F|2|400000000", 1, 33, 40}}) {
        FailingAllocator& memory = UseFailingAllocator();
        Call("REWIND");
        tavrel::CallResult r = Call("READRECORD", c.args);
        EXPECT_LE(memory.largestRequest(), std::size_t{1} << 20) << c.args;
        EXPECT_EQ(r.value, c.records) << c.args;
        EXPECT_EQ(Error(), c.error) << c.args;
        EXPECT_EQ(Call("GETPOS").value, c.position) << c.args;
    }
}

class ReadRowBinTest : public RecordTest {};

TEST_F(ReadRowBinTest, FileEndingInsideTheRowHandsOnTheWholeValues) {
    // Three whole singles and two bytes of a fourth.
    OpenWith(Le(1.5f) + Le(2.5f) + Le(3.5f) + "xy");
    tavrel::Worksheet& w = host().CreateWorksheet("row", 1);
    SetNumber("NBYTES", 4);
    for (bool newActions : {false, true}) {
        Call("REWIND");
        UseNewActions(newActions);
        tavrel::CallResult r = Call("READROWBIN", "row,5,1");
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.value, 3);
        EXPECT_EQ(Error(), 33);
        EXPECT_EQ(w.columnCount(), 3);
        EXPECT_EQ(Cell(w, 3, newActions ? 1 : 0), 3.5);
    }
}

TEST_F(ReadRowBinTest, HandsOneRowToTheHost) {
    std::string bytes;
    for (float f : {1.5f, -2.0f, 3.25f, 4.0f}) bytes += Le(f) + "gg";
    OpenWith(bytes);
    tavrel::Worksheet& w = host().CreateWorksheet("row", 2);
    SetNumber("NBYTES", 4);
    SetNumber("SKIP", 2);
    tavrel::CallResult r = Call("READROWBIN", "row,4,1");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 4);
    EXPECT_EQ(Call("GETPOS").value, 22);
    ASSERT_EQ(w.columnCount(), 4);
    EXPECT_EQ(Cell(w, 1, 0), 1.5);
    EXPECT_EQ(Cell(w, 2, 0), -2.0);
    EXPECT_EQ(Cell(w, 4, 0), 4.0);
    ASSERT_EQ(host().commands().size(), 1u);
    EXPECT_EQ(host().commands()[0], "doc -uw");
    // A second row goes below the first.
    SetNumber("SKIP", 0);
    Call("REWIND");
    EXPECT_EQ(Call("READROWBIN", "row,1,1").value, 1);
    EXPECT_EQ(Cell(w, 1, 1), 1.5);
}

TEST_F(ReadRowBinTest, NoCodecSendsNoRow) {
    OpenWith(std::string(16, '\0'));
    tavrel::Worksheet& w = host().CreateWorksheet("row", 2);
    SetNumber("NBYTES", 8);
    for (bool newActions : {false, true}) {
        UseNewActions(newActions);
        tavrel::CallResult r = Call("READROWBIN", "row,2,0");
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(Error(), 43);
        EXPECT_EQ(Call("GETPOS").value, 0);
        EXPECT_EQ(w.rows(), 0);
        EXPECT_TRUE(host().commands().empty());
    }
}

TEST_F(ReadRowBinTest, RefusalsBeforeReading) {
    OpenWith(std::string(16, '\0'));
    host().CreateWorksheet("row", 2);
    EXPECT_EQ(Call("READROWBIN", "row,2").code, 2);
    EXPECT_EQ(Error(), 1024);
    UseNewActions(true);
    EXPECT_EQ(Call("READROWBIN", "row,70000,0").code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("READROWBIN", "row,-1,0").code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("READROWBIN", "row,2,5").code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("GETPOS").value, 0);
}

}  // namespace
}  // namespace zeltest
