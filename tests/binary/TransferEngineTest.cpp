// The block-transfer engine (MoBulk): the values it hands on when the file
// ends inside a transfer, transfers larger than its staging buffer, and how
// deep it may halve a block when memory is short.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "binary/BinaryTesting.h"
#include "files/IoContext.h"
#include "files/MyCFile.h"
#include "transfer/MoScribe.h"

namespace zeltest {
namespace {

// A file of equally spaced values that ends inside a transfer.
struct ShortFileCase {
    const char* name;
    int nbytes;
    int skip;
    int wholeValues;  // values written whole, each but the last with its gap
    int lastGap;      // gap bytes after the last whole value
    int partial;      // bytes of one more value, cut short
    bool newActions = true;
};

// Two values more than the file holds: AREAD into the rows of d,
// READRECORD records of one value and its gap into the rows of w,
// READROWBIN into the columns of one row of w.
CallCase ShortRead(const ShortFileCase& c, const std::string& method) {
    const Column whole = Series(c.wholeValues, 10, 10);
    std::string bytes = Spaced(whole, c.nbytes, c.skip);
    if (c.wholeValues > 0) bytes.resize(bytes.size() - static_cast<size_t>(c.skip - c.lastGap));
    bytes += LeBytes(10 * (c.wholeValues + 1), c.nbytes).substr(0, c.partial);
    const std::string count = std::to_string(c.wholeValues + 2);
    const char* kTypes[] = {"", "BYTE", "SHORT", "", "LONG"};
    CallCase call{.name = c.name + method, .file = bytes, .newActions = c.newActions,
                  .settings = {{"NBYTES", c.nbytes}, {"SKIP", c.skip}}, .method = "AREAD",
                  .args = "d,1," + count + ",0",
                  .value = c.wholeValues, .error = 33, .pos = static_cast<double>(bytes.size()), .dAfter = whole};
    if (method == "AREAD") return call;
    call.dAfter.reset();
    call.method = method == "READRECORD" ? "READRECORD" : "READROWBIN";
    if (method == "READRECORD") {
        call.args = "w," + count + "," + kTypes[c.nbytes] + (c.skip > 0 ? "|" + std::to_string(c.skip) : "");
        call.wAfter = std::vector<Column>{whole};
        return call;
    }
    call.args = "w," + count + ",0";
    call.wAfter = std::vector<Column>(std::max<size_t>(1, whole.size()));
    for (size_t k = 0; k < whole.size(); ++k) (*call.wAfter)[k] = {whole[k]};
    if (!whole.empty()) call.commands = {"doc -uw"};  // a row with no value is not sent
    return call;
}

const ShortFileCase kLayouts[] = {
    {"GapMissingAfterTheLastValue", 2, 2, 3, 0, 0}, {"HalfTheGapAfterTheLastValue", 2, 2, 3, 1, 0},
    {"WholeGapAfterTheLastValue", 2, 2, 3, 2, 0},   {"NextValueCutShort", 2, 2, 3, 2, 1},
    {"LegacyNextValueCutShort", 2, 2, 3, 2, 1, false}, {"GapLongerThanTheValues", 4, 6, 2, 0, 0},
    {"SingleByteValues", 1, 3, 4, 0, 0},            {"NoGapNextValueCutShort", 4, 0, 2, 0, 3},
    {"NothingWhole", 4, 2, 0, 0, 3},
};

std::vector<CallCase> ShortReads() {
    std::vector<CallCase> rows;
    for (const ShortFileCase& c : kLayouts) {
        for (const char* method : {"AREAD", "READRECORD", "READROWBIN"}) rows.push_back(ShortRead(c, method));
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(ShortFile, BinaryCall, ::testing::ValuesIn(ShortReads()), CaseName);

// kPieceValues signed 16-bit values, each followed by two gap bytes: 4-byte
// items, three pieces of the staging buffer.
constexpr int kPieceValues = 300'000;
const Column kPieceColumn = [] {
    Column values;
    for (uint32_t i = 0; i < kPieceValues; ++i) values.push_back(static_cast<int16_t>((i * 7919u) & 0xFFFFu));
    return values;
}();
const std::string kPieceFile = Spaced(kPieceColumn, 2, 2);
std::string Gaps(std::string bytes, char gap) {
    for (size_t at = 2; at < bytes.size(); at += 4) bytes.replace(at, 2, 2, gap);
    return bytes.substr(0, bytes.size() - 2);
}

const std::vector<std::pair<const char*, double>> kSignedShorts = {{"NBYTES", 2}, {"SKIP", 2}, {"SIGNED", 1}};

// Transfers through MODLL when memory is short or the transfer is larger
// than the staging buffer: the gap after the last value of the whole
// transfer is left out, the gaps between pieces and halves are not.
const CallCase kTransferRows[] = {
    // Blocks of one value at a time: 299 halvings, never more than ten levels deep.
    {.name = "HalvesDownToSingleValues", .file = Spaced(Series(300, 0, 1), 2, 0), .settings = {{"NBYTES", 2}},
     .memory = 2, .method = "AREAD", .args = "d,1,300,0", .value = 300, .pos = 600, .dAfter = Series(300, 0, 1)},
    {.name = "HalvedChunksKeepTheGapsBetweenThem", .file = Spaced(Series(100, 0, 3), 2, 2),
     .settings = {{"NBYTES", 2}, {"SKIP", 2}}, .memory = 40, .method = "AREAD", .args = "d,1,100,0", .value = 100,
     .pos = 398, .dAfter = Series(100, 0, 3)},
    {.name = "NoMemoryAtAll", .file = Spaced(Series(100, 0, 1), 2, 0), .newActions = true,
     .settings = {{"NBYTES", 2}}, .memory = 0, .method = "AREAD", .args = "d,1,100,0", .code = 2, .value = -1,
     .error = 44, .pos = 0},
    {.name = "ReadsMoveInPiecesThroughOneBuffer", .file = Gaps(kPieceFile, 'g'), .settings = kSignedShorts,
     .memory = zel::MoBulk::kStagingBytes, .method = "AREAD", .args = "d,1,300000,0", .value = kPieceValues,
     .requests = 1, .pos = 4.0 * kPieceValues - 2, .dAfter = kPieceColumn},
    // Without memory for the staging buffer, each piece asks for a buffer of its own.
    {.name = "ReadsWithoutAStagingBufferMovePieceByPiece", .file = kPieceFile, .settings = kSignedShorts,
     .refuseRequest = 0, .method = "AREAD", .args = "d,1,300000,0", .value = kPieceValues, .requests = 4,
     .pos = 4.0 * kPieceValues - 2, .dAfter = kPieceColumn},
    {.name = "WritesMoveInPiecesThroughOneBuffer", .mode = 1, .settings = kSignedShorts, .d = kPieceColumn,
     .memory = zel::MoBulk::kStagingBytes, .method = "AWRITE", .args = "d,1,300000,0", .value = kPieceValues,
     .requests = 1, .written = Gaps(kPieceFile, '\0')},
    {.name = "RecordPiecesKeepTheSkipBetweenRecords", .file = Gaps(kPieceFile, 's'), .method = "READRECORD",
     .args = "w,300000,-SHORT|2", .value = kPieceValues, .pos = 4.0 * kPieceValues - 2,
     .wAfter = std::vector<Column>{kPieceColumn}},
};

INSTANTIATE_TEST_SUITE_P(Transfer, BinaryCall, ::testing::ValuesIn(kTransferRows), CaseName);

// The engine alone, reading bytes that are their own index, one byte an item.
class ByteRecorder final : public zel::MoBulk {
public:
    using MoBulk::MoBulk;
    int32_t StoreChunk(uint32_t start, uint32_t count, uint8_t* buffer, uint32_t& done) override {
        for (uint32_t k = 0; k < count; ++k) stored.push_back({start + k, buffer[k]});
        done = count;
        return 0;
    }
    std::vector<std::pair<uint32_t, uint8_t>> stored;  // index, value
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

void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.name; }

class SplitBudget : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitBudget, BoundsHowDeepABlockIsHalved) {
    const SplitCase& c = GetParam();
    ScratchDir scratch;
    FailingAllocator memory;
    std::string bytes;
    std::vector<std::pair<uint32_t, uint8_t>> expected;
    for (uint32_t i = 0; i < c.items; ++i) bytes.push_back(static_cast<char>(i));
    for (uint32_t i = 0; i < c.stored; ++i) expected.emplace_back(i, static_cast<uint8_t>(i));
    zel::IoContext io;
    zel::MyCFile file(0);
    zel::platform::FileException error;
    ASSERT_TRUE(file.Open(scratch.Make("bytes.bin", bytes), zel::MyCFile::OpenFlagsFor(0, false), &error));
    memory.RefuseAbove(c.refuseAbove);
    memory.RefuseRequest(c.refuseRequest);
    ByteRecorder engine(io);
    zel::TransferResult transfer;
    {
        ScopedAllocator scope(memory);
        transfer = engine.BulkTransfer(file, 1, c.items, c.budget, true);
    }
    EXPECT_EQ(transfer.end == zel::TransferEnd::OutOfMemory, c.outOfMemory);
    EXPECT_EQ(transfer.items, c.stored);
    EXPECT_EQ(memory.requests(), c.requests);
    EXPECT_EQ(engine.stored, expected);
    EXPECT_EQ(file.GetPosition(), c.stored);
}

constexpr size_t kNoLimit = FailingAllocator::kNoLimit;

INSTANTIATE_TEST_SUITE_P(
    Chunks, SplitBudget,
    ::testing::Values(
        SplitCase{"WholeBlockNeedsNoHalving", 8, 8, -1, 1, false, 8, 1},
        SplitCase{"OneHalvingNeedsTwoLevels", 8, 4, -1, 2, false, 8, 3},  // 8 -> 4 + 4
        SplitCase{"OneHalvingWithOneLevelRunsOut", 8, 4, -1, 1, true, 0, 1},
        SplitCase{"SinglesNeedTheirDepth", 8, 1, -1, 4, false, 8, 15},  // 8 -> 4 -> 2 -> 1: fifteen blocks
        SplitCase{"SinglesOneLevelShort", 8, 1, -1, 3, true, 0, 3},
        SplitCase{"OddCountsSplitUnevenly", 7, 2, -1, 3, false, 7, 7},  // 7 -> 3 + 4, 3 -> 1 + 2, 4 -> 2 + 2
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
