// The block-transfer engine (MoBulk): the values it hands on when the file
// ends inside a transfer, and how deep it may halve a block when memory is
// short.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "files/IoContext.h"
#include "files/MyCFile.h"
#include "support/ZelFixture.h"
#include "transfer/MoScribe.h"

namespace zeltest {
namespace {

// value in width bytes, least significant first.
std::string Le(uint32_t value, int width) {
    std::string s;
    for (int i = 0; i < width; ++i) s.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return s;
}

// A file of equally spaced values that ends inside an array read.
struct ShortFileCase {
    const char* name;
    int nbytes;
    int skip;
    int wholeValues;  // values written whole, each but the last with its gap
    int lastGap;      // gap bytes after the last whole value (0 to skip)
    int partial;      // bytes of one more value, cut short
};

void PrintTo(const ShortFileCase& c, std::ostream* out) {
    *out << c.name << " (NBYTES " << c.nbytes << ", SKIP " << c.skip << ", " << c.wholeValues
         << " whole values, " << c.lastGap << " gap bytes after the last, " << c.partial
         << " bytes of the next)";
}

uint32_t ValueAt(int index) { return 10u * static_cast<uint32_t>(index + 1); }

std::string ShortFile(const ShortFileCase& c) {
    std::string bytes;
    for (int i = 0; i < c.wholeValues; ++i) {
        bytes += Le(ValueAt(i), c.nbytes);
        const bool last = i + 1 == c.wholeValues;
        bytes += std::string(static_cast<size_t>(last ? c.lastGap : c.skip), 'g');
    }
    return bytes + Le(ValueAt(c.wholeValues), c.nbytes).substr(0, static_cast<size_t>(c.partial));
}

class TransferTest : public ZelFixture {};

class ShortFileRead : public ZelFixture, public ::testing::WithParamInterface<ShortFileCase> {};

TEST_P(ShortFileRead, StoresEveryValueReadWhole) {
    const ShortFileCase& c = GetParam();
    const std::string bytes = ShortFile(c);
    scratch_.Make("short.bin", bytes);
    OpenFile("short.bin");
    tavrel::Dataset& d = host().CreateDataset("d");
    UseNewActions(true);
    SetNumber("NBYTES", c.nbytes);
    SetNumber("SKIP", c.skip);
    // Two values more than the file holds.
    const int requested = c.wholeValues + 2;
    tavrel::CallResult r = Call("AREAD", "d,1," + std::to_string(requested) + ",0");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, c.wholeValues);
    EXPECT_EQ(Error(), 33);
    for (int i = 0; i < c.wholeValues; ++i) {
        EXPECT_EQ(d.number(static_cast<size_t>(i)), static_cast<double>(ValueAt(i))) << "value " << i;
    }
    EXPECT_EQ(d.upper(), c.wholeValues);
    EXPECT_FALSE(d.number(static_cast<size_t>(c.wholeValues)).has_value());
    EXPECT_EQ(Call("GETPOS").value, static_cast<double>(bytes.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ShortFileRead,
    ::testing::Values(ShortFileCase{"GapMissingAfterTheLastValue", 2, 2, 3, 0, 0},
                      ShortFileCase{"HalfTheGapAfterTheLastValue", 2, 2, 3, 1, 0},
                      ShortFileCase{"WholeGapAfterTheLastValue", 2, 2, 3, 2, 0},
                      ShortFileCase{"NextValueCutShort", 2, 2, 3, 2, 1},
                      ShortFileCase{"GapLongerThanTheValues", 4, 6, 2, 0, 0},
                      ShortFileCase{"SingleByteValues", 1, 3, 4, 0, 0},
                      ShortFileCase{"NoGapNextValueCutShort", 4, 0, 2, 0, 3},
                      ShortFileCase{"NothingWhole", 4, 2, 0, 0, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransferTest, RecordsWithoutTheirTrailingSkipAtTheEndAreStored) {
    // Three records of SHORT|2; the file ends right after the third value.
    scratch_.Make("recs.bin", Le(7, 2) + "ss" + Le(8, 2) + "ss" + Le(9, 2));
    OpenFile("recs.bin");
    tavrel::Worksheet& w = host().CreateWorksheet("w", 1);
    UseNewActions(true);
    tavrel::CallResult r = Call("READRECORD", "w,5,SHORT|2");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 3);
    EXPECT_EQ(Error(), 33);
    const tavrel::Dataset& column = w.column(1)->dataset();
    EXPECT_EQ(column.number(0), 7.0);
    EXPECT_EQ(column.number(1), 8.0);
    EXPECT_EQ(column.number(2), 9.0);
    EXPECT_EQ(column.upper(), 3);
}

TEST_F(TransferTest, ArrayReadHalvesDownToSingleValuesWhenMemoryIsShort) {
    constexpr int kValues = 300;
    std::string bytes;
    for (int i = 0; i < kValues; ++i) bytes += Le(static_cast<uint32_t>(i), 2);
    scratch_.Make("many.bin", bytes);
    OpenFile("many.bin");
    tavrel::Dataset& d = host().CreateDataset("d");
    SetNumber("NBYTES", 2);
    // One value at a time: 299 halvings, never more than ten levels deep.
    FailingAllocator& memory = UseFailingAllocator();
    memory.RefuseAbove(2);
    tavrel::CallResult r = Call("AREAD", "d,1," + std::to_string(kValues) + ",0");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, kValues);
    EXPECT_EQ(Error(), 0);
    int whole = 0;
    while (whole < kValues && d.number(static_cast<size_t>(whole)) == static_cast<double>(whole)) {
        ++whole;
    }
    EXPECT_EQ(whole, kValues) << "values from row " << whole + 1 << " on are missing or wrong";
    EXPECT_EQ(d.upper(), kValues);
    EXPECT_EQ(memory.refusals(), kValues - 1);
    EXPECT_EQ(Call("GETPOS").value, 2 * kValues);
}

// Transfers larger than the staging buffer move in pieces through one
// buffer; the gap after the last value of the whole transfer is still left
// out, and the gaps between pieces are not.
constexpr uint32_t kPieceValues = 300'000;  // 4-byte items: three pieces

int16_t PieceValue(uint32_t i) { return static_cast<int16_t>((i * 7919u) & 0xFFFFu); }

// kPieceValues signed 16-bit values with a 2-byte gap after each (the last
// one too when trailingGap), read into dataset d with SKIP 2.
class PieceRead : public ZelFixture {
protected:
    std::string OpenPieceFile(bool trailingGap) {
        std::string bytes;
        for (uint32_t i = 0; i < kPieceValues; ++i) {
            bytes += Le(static_cast<uint16_t>(PieceValue(i)), 2);
            if (trailingGap || i + 1 < kPieceValues) bytes += "gg";
        }
        scratch_.Make("big.bin", bytes);
        OpenFile("big.bin");
        SetNumber("NBYTES", 2);
        SetNumber("SKIP", 2);
        SetNumber("SIGNED", 1);
        return bytes;
    }
    tavrel::CallResult ReadAll() { return Call("AREAD", "d,1," + std::to_string(kPieceValues) + ",0"); }
    void ExpectEveryValue() {
        const tavrel::Dataset& d = *host().FindDataset("d");
        ASSERT_EQ(d.upper(), static_cast<int32_t>(kPieceValues));
        uint32_t wrong = 0;
        for (uint32_t i = 0; i < kPieceValues; ++i) {
            if (d.number(i) != static_cast<double>(PieceValue(i))) ++wrong;
        }
        EXPECT_EQ(wrong, 0u);
    }
};

TEST_F(PieceRead, LargeArrayReadsMoveInPiecesThroughOneBuffer) {
    const std::string bytes = OpenPieceFile(false);
    host().CreateDataset("d");
    FailingAllocator& memory = UseFailingAllocator();
    memory.RefuseAbove(zel::MoBulk::kStagingBytes);
    tavrel::CallResult r = ReadAll();
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, kPieceValues);
    EXPECT_EQ(Error(), 0);
    EXPECT_EQ(memory.requests(), 1);
    EXPECT_EQ(memory.refusals(), 0);
    EXPECT_EQ(Call("GETPOS").value, static_cast<double>(bytes.size()));
    ExpectEveryValue();
}

// Without memory for the staging buffer, each piece asks for a buffer of its
// own, and the values and the position come out the same.
TEST_F(PieceRead, LargeArrayReadsWithoutAStagingBufferMovePieceByPiece) {
    const std::string bytes = OpenPieceFile(true);
    host().CreateDataset("d");
    FailingAllocator& memory = UseFailingAllocator();
    memory.RefuseRequest(0);
    tavrel::CallResult r = ReadAll();
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, kPieceValues);
    EXPECT_EQ(Error(), 0);
    EXPECT_EQ(memory.refusals(), 1);
    EXPECT_EQ(memory.requests(), 4);  // the staging buffer, then one per piece
    EXPECT_EQ(Call("GETPOS").value, static_cast<double>(bytes.size() - 2));
    ExpectEveryValue();
}

TEST_F(TransferTest, LargeArrayWritesMoveInPiecesThroughOneBuffer) {
    tavrel::Dataset& d = host().CreateDataset("d");
    d.setExtent(0, static_cast<int32_t>(kPieceValues));
    std::string expected;
    for (uint32_t i = 0; i < kPieceValues; ++i) {
        d.set(i, PieceValue(i));
        expected += Le(static_cast<uint16_t>(PieceValue(i)), 2);
        if (i + 1 < kPieceValues) expected += std::string(2, '\0');
    }
    scratch_.Make("out.bin", "");
    OpenFile("out.bin", 1);
    SetNumber("NBYTES", 2);
    SetNumber("SKIP", 2);
    SetNumber("SIGNED", 1);
    FailingAllocator& memory = UseFailingAllocator();
    memory.RefuseAbove(zel::MoBulk::kStagingBytes);
    tavrel::CallResult r = Call("AWRITE", "d,1," + std::to_string(kPieceValues) + ",0");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, kPieceValues);
    EXPECT_EQ(memory.requests(), 1);
    Call("CLOSEALL");
    EXPECT_TRUE(ScratchDir::Contents(scratch_.PathOf("out.bin")) == expected);
}

TEST_F(TransferTest, RecordPiecesKeepTheSkipBetweenRecords) {
    // SHORT|2: 4-byte records whose last 2 bytes are skipped, 200,000 of them.
    constexpr uint32_t kRecords = 200'000;
    std::string bytes;
    for (uint32_t i = 0; i < kRecords; ++i) bytes += Le(i & 0xFFFFu, 2) + "ss";
    bytes.resize(bytes.size() - 2);
    scratch_.Make("recs.bin", bytes);
    OpenFile("recs.bin");
    tavrel::Worksheet& w = host().CreateWorksheet("w", 1);
    tavrel::CallResult r = Call("READRECORD", "w," + std::to_string(kRecords) + ",SHORT|2");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, kRecords);
    EXPECT_EQ(Error(), 0);
    EXPECT_EQ(Call("GETPOS").value, static_cast<double>(bytes.size()));
    const tavrel::Dataset& column = w.column(1)->dataset();
    uint32_t wrong = 0;
    for (uint32_t i = 0; i < kRecords; ++i) {
        if (column.number(i) != static_cast<double>(i & 0xFFFFu)) ++wrong;
    }
    EXPECT_EQ(wrong, 0u);
}

TEST_F(TransferTest, HalvedChunksKeepTheGapsBetweenThem) {
    // 100 values with 2-byte gaps; blocks of more than 10 items are refused,
    // so the read halves down to chunks that each end inside the range.
    std::string bytes;
    for (int i = 0; i < 100; ++i) bytes += Le(static_cast<uint32_t>(i * 3), 2) + (i < 99 ? "gg" : "");
    scratch_.Make("gaps.bin", bytes);
    OpenFile("gaps.bin");
    tavrel::Dataset& d = host().CreateDataset("d");
    SetNumber("NBYTES", 2);
    SetNumber("SKIP", 2);
    UseFailingAllocator().RefuseAbove(40);
    tavrel::CallResult r = Call("AREAD", "d,1,100,0");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 100);
    EXPECT_EQ(Call("GETPOS").value, static_cast<double>(bytes.size()));
    for (int i = 0; i < 100; ++i) EXPECT_EQ(d.number(static_cast<size_t>(i)), i * 3.0) << "value " << i;
}

// The engine alone, reading bytes that are their own index, one byte an item.
class ByteRecorder final : public zel::MoBulk {
public:
    using MoBulk::MoBulk;
    int32_t StoreChunk(uint32_t start, uint32_t count, uint8_t* buffer, uint32_t& done) override {
        for (uint32_t k = 0; k < count; ++k) stored.push_back({start + k, buffer[k]});
        done = count;
        return 0;
    }
    struct Item {
        uint32_t index;
        uint8_t value;
    };
    std::vector<Item> stored;
};

struct SplitCase {
    const char* name;
    uint32_t items;
    size_t refuseAbove;  // bytes; FailingAllocator::kNoLimit for none
    int refuseRequest;   // the request refused once; -1 for none
    uint32_t budget;
    bool outOfMemory;
    uint32_t stored;  // items handed on, from the first
    int requests;     // allocations asked for
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << c.name << " (" << c.items << " items, refused above ";
    if (c.refuseAbove == FailingAllocator::kNoLimit) {
        *out << "nothing";
    } else {
        *out << c.refuseAbove << " bytes";
    }
    *out << ", refused request " << c.refuseRequest << ", budget " << c.budget << ": "
         << (c.outOfMemory ? "out of memory" : "complete") << ", " << c.stored << " stored, "
         << c.requests << " requests)";
}

class SplitBudget : public ::testing::TestWithParam<SplitCase> {
protected:
    ScratchDir scratch_;
    FailingAllocator memory_;
};

TEST_P(SplitBudget, BoundsHowDeepABlockIsHalved) {
    const SplitCase& c = GetParam();
    std::string bytes;
    for (uint32_t i = 0; i < c.items; ++i) bytes.push_back(static_cast<char>(i));
    zel::IoContext io;
    zel::MyCFile file(0);
    zel::platform::FileException error;
    ASSERT_TRUE(file.Open(scratch_.Make("bytes.bin", bytes), zel::MyCFile::OpenFlagsFor(0, false),
                          &error));
    memory_.RefuseAbove(c.refuseAbove);
    memory_.RefuseRequest(c.refuseRequest);
    ByteRecorder engine(io);
    zel::TransferResult transfer;
    {
        ScopedAllocator scope(memory_);
        transfer = engine.BulkTransfer(file, 1, c.items, c.budget, true);
    }
    EXPECT_EQ(transfer.end == zel::TransferEnd::OutOfMemory, c.outOfMemory);
    EXPECT_EQ(transfer.items, c.stored);
    EXPECT_EQ(memory_.requests(), c.requests);
    ASSERT_EQ(engine.stored.size(), c.stored);
    for (uint32_t i = 0; i < c.stored; ++i) {
        EXPECT_EQ(engine.stored[i].index, i);
        EXPECT_EQ(engine.stored[i].value, static_cast<uint8_t>(i));
    }
    EXPECT_EQ(file.GetPosition(), c.stored);
}

constexpr size_t kNoLimit = FailingAllocator::kNoLimit;

INSTANTIATE_TEST_SUITE_P(
    Chunks, SplitBudget,
    ::testing::Values(
        SplitCase{"WholeBlockNeedsNoHalving", 8, 8, -1, 1, false, 8, 1},
        // 8 -> 4 + 4: two levels.
        SplitCase{"OneHalvingNeedsTwoLevels", 8, 4, -1, 2, false, 8, 3},
        SplitCase{"OneHalvingWithOneLevelRunsOut", 8, 4, -1, 1, true, 0, 1},
        // 8 -> 4 -> 2 -> 1: four levels, fifteen blocks asked for.
        SplitCase{"SinglesNeedTheirDepth", 8, 1, -1, 4, false, 8, 15},
        SplitCase{"SinglesOneLevelShort", 8, 1, -1, 3, true, 0, 3},
        // 7 -> 3 + 4, 3 -> 1 + 2, 4 -> 2 + 2.
        SplitCase{"OddCountsSplitUnevenly", 7, 2, -1, 3, false, 7, 7},
        SplitCase{"RefusedFirstRequestHalvesOnce", 8, kNoLimit, 0, 2, false, 8, 3},
        // A single item that gets no memory is asked for until the budget is spent.
        SplitCase{"NoMemorySpendsTheWholeBudget", 4, 0, -1, 16, true, 0, 16},
        // 300 -> ... -> 1: ten levels; 299 halvings fit a budget of ten.
        SplitCase{"ManySinglesNeedTenLevels", 300, 1, -1, 10, false, 300, 599},
        // With nine, the first seven values lie on paths short enough.
        SplitCase{"ManySinglesNineLevelsStopEarly", 300, 1, -1, 9, true, 7, 20}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltest
