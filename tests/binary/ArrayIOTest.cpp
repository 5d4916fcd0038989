// AREAD and AWRITE: dataset ranges as equally spaced binary values, the
// transfer engine's memory fallback, and files that end inside a value.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Dataset.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

using zel::platform::FileCause;

std::string Le16(int v) {
    std::string s(2, '\0');
    s[0] = static_cast<char>(v & 0xFF);
    s[1] = static_cast<char>((v >> 8) & 0xFF);
    return s;
}

std::string Le64(double d) {
    std::string s(8, '\0');
    std::memcpy(s.data(), &d, 8);
    return s;
}

class ArrayIOTest : public ZelFixture {
protected:
    int32_t OpenWith(const std::string& bytes, int mode = 2) {
        scratch_.Make("data.bin", bytes);
        return OpenFile("data.bin", mode);
    }
    std::string FileBytes() { return ScratchDir::Contents(scratch_.PathOf("data.bin")); }
    double Cell(const char* dataset, size_t row) {
        tavrel::Dataset* d = host().FindDataset(dataset);
        if (d == nullptr) return -999;
        return d->number(row).value_or(-777);
    }
};

TEST_F(ArrayIOTest, ReadSignedShortsWithGaps) {
    std::string bytes;
    for (int i = 0; i < 10; ++i) bytes += Le16(-100 * i) + "gg";
    OpenWith(bytes, 0);
    host().CreateDataset("d");
    SetNumber("NBYTES", 2);
    SetNumber("SKIP", 2);
    SetNumber("SIGNED", 1);
    tavrel::CallResult r = Call("AREAD", "d,1,10,0");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 10);
    EXPECT_EQ(Call("GETPOS").value, 38);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Cell("d", static_cast<size_t>(i)), -100 * i) << i;
    EXPECT_EQ(host().FindDataset("d")->upper(), 10);
    // Without the gap the same call reads 20 bytes.
    Call("REWIND");
    SetNumber("SKIP", 0);
    EXPECT_EQ(Call("ARRAYREAD", "d,1,10,0").value, 10);
    EXPECT_EQ(Call("GETPOS").value, 20);
}

TEST_F(ArrayIOTest, WriteDoublesOfARange) {
    OpenWith("", 1);
    tavrel::Dataset& d = host().CreateDataset("d");
    for (int i = 0; i < 6; ++i) d.set(static_cast<size_t>(i), i * 1.5);
    d.resize(6);
    SetNumber("NBYTES", 8);
    tavrel::CallResult r = Call("AWRITE", "d,3,5,1");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 3);
    EXPECT_EQ(FileBytes(), Le64(3.0) + Le64(4.5) + Le64(6.0));
    // Reading only never changes the extent of a dataset.
    EXPECT_EQ(d.setRangeCount(), 0);
}

TEST_F(ArrayIOTest, GapBytesAreWrittenAsZeros) {
    OpenWith("", 1);
    tavrel::Dataset& d = host().CreateDataset("d");
    d.set(0, 1);
    d.set(1, 2);
    d.resize(2);
    SetNumber("NBYTES", 2);
    SetNumber("SKIP", 3);
    EXPECT_EQ(Call("AWRITE", "d,1,2,0").value, 2);
    EXPECT_EQ(FileBytes(), Le16(1) + std::string(3, '\0') + Le16(2));
}

TEST_F(ArrayIOTest, EmptyAndReversedRanges) {
    OpenWith("abcdef", 0);
    host().CreateDataset("d");
    tavrel::CallResult empty = Call("AREAD", "d,5,4,0");
    EXPECT_EQ(empty.code, 1);
    EXPECT_EQ(empty.value, 0);
    EXPECT_EQ(Error(), 33);
    // With a gap an empty range moves nothing either.
    SetNumber("SKIP", 4);
    EXPECT_EQ(Call("AREAD", "d,5,4,0").value, 0);
    EXPECT_EQ(Call("GETPOS").value, 0);
    EXPECT_EQ(Call("AREAD", "d,5,3,0").code, 2);
    EXPECT_EQ(Error(), 64);
    UseNewActions(true);
    EXPECT_EQ(Call("AREAD", "d,5,3,0").code, 2);
    EXPECT_EQ(Error(), 19);
    EXPECT_EQ(Call("AREAD", "d,0,3,0").code, 2);
    EXPECT_EQ(Error(), 19);
    EXPECT_EQ(Call("AREAD", "d,1,-2,0").code, 2);
    EXPECT_EQ(Error(), 19);
}

TEST_F(ArrayIOTest, ArgumentRefusals) {
    OpenWith("abcdef", 0);
    EXPECT_EQ(Call("AREAD", "d,1,2").code, 2);
    EXPECT_EQ(Error(), 1024);
    EXPECT_EQ(Call("AREAD", "d,1,2,3").code, 2);
    EXPECT_EQ(Error(), 3);
    UseNewActions(true);
    EXPECT_EQ(Call("AWRITE", ",1,2,0").code, 2);
    EXPECT_EQ(Error(), 10);
    EXPECT_EQ(Call("AREAD", "d,1,2,-1").code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("GETPOS").value, 0);
}

// A kind and width without a codec is refused before any byte moves.
struct NoCodecCase {
    const char* method;
    int nbytes;
    int binType;
    bool newActions;
};

void PrintTo(const NoCodecCase& c, std::ostream* out) {
    *out << c.method << " binType " << c.binType << " NBYTES " << c.nbytes << ", NEWACTIONS "
         << c.newActions;
}

class NoCodec : public ArrayIOTest, public ::testing::WithParamInterface<NoCodecCase> {};

TEST_P(NoCodec, IsRefusedBeforeAnyByteMoves) {
    const NoCodecCase& c = GetParam();
    OpenWith("abcdefghijklmnopqrstuvwxyz0123456789", 2);
    host().CreateDataset("d");
    UseNewActions(c.newActions);
    SetNumber("NBYTES", c.nbytes);
    tavrel::CallResult r = Call(c.method, "d,1,3," + std::to_string(c.binType));
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(Error(), 43);
    EXPECT_EQ(host().FindDataset("d")->size(), 0u);
    EXPECT_EQ(Call("GETPOS").value, 0);
    EXPECT_EQ(FileBytes(), "abcdefghijklmnopqrstuvwxyz0123456789");
}

INSTANTIATE_TEST_SUITE_P(Pairs, NoCodec,
                         ::testing::Values(NoCodecCase{"AREAD", 2, 1, false}, NoCodecCase{"AREAD", 1, 1, true},
                                           NoCodecCase{"AREAD", 8, 0, false}, NoCodecCase{"AREAD", 10, 0, true},
                                           NoCodecCase{"AWRITE", 3, 1, true}, NoCodecCase{"AWRITE", 8, 0, false}));

TEST_F(ArrayIOTest, BcdNeedsTenBytesAndIsRefusedBeforeReading) {
    OpenWith(std::string(40, '\0'), 0);
    host().CreateDataset("d");
    SetNumber("NBYTES", 4);
    EXPECT_EQ(Call("AREAD", "d,1,3,2").code, 2);
    EXPECT_EQ(Error(), 43);
    EXPECT_EQ(Call("GETPOS").value, 0);
    SetNumber("NBYTES", 10);
    EXPECT_EQ(Call("AREAD", "d,1,3,2").value, 3);
    EXPECT_EQ(Call("GETPOS").value, 30);
}

TEST_F(ArrayIOTest, DatasetGrowsToTheEnd) {
    OpenWith(std::string(8, '\x07'), 0);
    tavrel::Dataset& d = host().CreateDataset("d");
    d.resize(5);
    EXPECT_EQ(Call("AREAD", "d,1,8,0").value, 8);
    EXPECT_EQ(d.upper(), 8);
    EXPECT_EQ(Cell("d", 7), 7);
}

TEST_F(ArrayIOTest, FileEndingInsideTheRangeStoresOnlyWholeValues) {
    // Two whole doubles and half of a third.
    OpenWith(Le64(1.25) + Le64(2.5) + std::string(4, '\x11'), 0);
    tavrel::Dataset& d = host().CreateDataset("d");
    SetNumber("NBYTES", 8);
    for (bool newActions : {true, false}) {
        Call("REWIND");
        UseNewActions(newActions);
        // The answer is the number of values stored, not the number asked for.
        tavrel::CallResult r = Call("AREAD", "d,1,3,1");
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.value, 2);
        EXPECT_EQ(Error(), 33);
        EXPECT_EQ(Cell("d", 0), 1.25);
        EXPECT_EQ(Cell("d", 1), 2.5);
        EXPECT_EQ(d.upper(), 2);
        EXPECT_FALSE(d.number(2).has_value());
    }
}

TEST_F(ArrayIOTest, ReadFailuresInAChunk) {
    FailingVfs& layer = UseFailingVfs();
    OpenWith(std::string(16, '\0'), 0);
    host().CreateDataset("d");
    // A failing file layer fails the call; the end of the file does not.
    layer.Fail(VfsOp::Read, FileCause::HardIO);
    tavrel::CallResult r = Call("AREAD", "d,1,4,0");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(Error(), 1157);
    UseNewActions(true);
    layer.Fail(VfsOp::Read, FileCause::HardIO);
    EXPECT_EQ(Call("AREAD", "d,1,4,0").code, 2);
    EXPECT_EQ(Error(), 30);
    layer.Fail(VfsOp::Read, FileCause::EndOfFile);
    EXPECT_EQ(Call("AREAD", "d,1,4,0").code, 1);
    EXPECT_EQ(Error(), 33);
    Call("CLOSEALL");
    OpenWith("", 1);
    layer.Fail(VfsOp::Write, FileCause::DiskFull);
    r = Call("AWRITE", "d,1,4,0");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(Error(), 31);
    UseNewActions(false);
    layer.Fail(VfsOp::Write, FileCause::DiskFull);
    EXPECT_EQ(Call("AWRITE", "d,1,4,0").code, 2);
    EXPECT_EQ(Error(), 6);
}

TEST_F(ArrayIOTest, TransfersTooLargeForThirtyTwoBitsAreRefused) {
    OpenWith("abc", 0);
    host().CreateDataset("d");
    SetNumber("NBYTES", 8);
    UseNewActions(true);
    EXPECT_EQ(Call("AREAD", "d,1,600000000,1").code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("GETPOS").value, 0);
    // A negative gap describes no layout.
    SetNumber("SKIP", -4);
    EXPECT_EQ(Call("AREAD", "d,1,2,1").code, 2);
    EXPECT_EQ(Error(), 12);
}

TEST_F(ArrayIOTest, OutOfMemoryHalvesTheTransfer) {
    std::string bytes;
    for (int i = 0; i < 100; ++i) bytes += Le16(i);
    OpenWith(bytes, 0);
    tavrel::Dataset& d = host().CreateDataset("d");
    SetNumber("NBYTES", 2);
    // Only 50 values fit in memory at a time: two chunks.
    FailingAllocator& memory = UseFailingAllocator();
    memory.RefuseAbove(100);
    tavrel::CallResult r = Call("AREAD", "d,1,100,0");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 100);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(Cell("d", static_cast<size_t>(i)), i);
    EXPECT_EQ(d.upper(), 100);
    // 40 values at a time: halves of halves, still complete.
    Call("REWIND");
    memory.RefuseAbove(80);
    EXPECT_EQ(Call("AREAD", "d,101,200,0").value, 100);
    EXPECT_EQ(Cell("d", 199), 99);
    // No memory at all: the budget runs out and the call fails with 44.
    Call("REWIND");
    memory.RefuseAbove(0);
    UseNewActions(true);
    tavrel::CallResult none = Call("AREAD", "d,1,100,0");
    EXPECT_EQ(none.code, 2);
    EXPECT_EQ(none.value, -1);
    EXPECT_EQ(Error(), 44);
}

// A dataset that does not exist (or an empty name) is refused before any
// byte moves: the position and the file stay as they were.
struct MissingCase {
    const char* method;
    const char* args;
    bool newActions;
};

void PrintTo(const MissingCase& c, std::ostream* out) {
    *out << c.method << "(" << c.args << "), NEWACTIONS " << c.newActions;
}

class MissingDataset : public ArrayIOTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingDataset, IsRefusedBeforeAnyByteMoves) {
    const MissingCase& c = GetParam();
    OpenWith(std::string(24, '\x05'), 2);
    Call("SETPOS", "4");
    UseNewActions(c.newActions);
    SetNumber("NBYTES", 2);
    tavrel::CallResult r = Call(c.method, c.args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(Error(), c.newActions ? 20 : 6);
    EXPECT_EQ(Call("GETPOS").value, 4);
    EXPECT_EQ(FileBytes(), std::string(24, '\x05'));
    EXPECT_EQ(host().FindDataset("nosuch"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Names, MissingDataset,
                         ::testing::Values(MissingCase{"AREAD", "nosuch,1,4,0", true},
                                           MissingCase{"AREAD", "nosuch,1,4,0", false},
                                           MissingCase{"AREAD", "\"\",1,4,0", true},
                                           MissingCase{"AWRITE", "nosuch,1,4,0", true},
                                           MissingCase{"AWRITE", "nosuch,1,4,0", false}));

TEST_F(ArrayIOTest, ValuesOutOfRangeForTheirWidthAreReportedAndWrittenAsEver) {
    tavrel::Dataset& d = host().CreateDataset("d");
    d.setExtent(0, 3);
    d.set(0, 300);
    d.set(1, 7);
    d.set(2, -1);
    SetNumber("NBYTES", 1);
    for (bool newActions : {false, true}) {
        OpenWith("", 1);
        UseNewActions(newActions);
        tavrel::CallResult r = Call("AWRITE", "d,1,3,0");
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.value, 3);
        EXPECT_EQ(Error(), 34);
        EXPECT_EQ(FileBytes(), "\x2c\x07\xff");
        Call("CLOSEALL");
    }
}

TEST_F(ArrayIOTest, CellsBeyondTheDatasetAreWrittenAsMissingValues) {
    OpenWith("", 1);
    tavrel::Dataset& d = host().CreateDataset("d");
    d.setExtent(0, 1);
    d.set(0, 1.5);
    SetNumber("NBYTES", 8);
    EXPECT_EQ(Call("AWRITE", "d,1,2,1").value, 2);
    EXPECT_EQ(FileBytes(), Le64(1.5) + Le64(ZEL_MISSING_VALUE));
}

}  // namespace
}  // namespace zeltest
