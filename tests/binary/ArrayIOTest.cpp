// AREAD and AWRITE through MODLL: dataset ranges as equally spaced binary
// values, and the calls refused before any byte moves. Files that end inside
// a transfer and transfers short of memory: TransferEngineTest.
#include <gtest/gtest.h>

#include "binary/BinaryTesting.h"

namespace zeltest {
namespace {

using zel::platform::FileCause;

const std::string kTen = std::string(10, '\x07');

const CallCase kArrayRows[] = {
    {.name = "ReadSignedShortsWithGaps", .file = Spaced(Series(5, 0, -100), 2, 2), .mode = 0,
     .settings = {{"NBYTES", 2}, {"SKIP", 2}, {"SIGNED", 1}}, .method = "AREAD", .args = "d,1,5,0", .value = 5,
     .pos = 18, .dAfter = Series(5, 0, -100)},
    {.name = "ReadWithoutGaps", .file = Spaced(Series(5, 1, 1), 2, 0) + "tail", .settings = {{"NBYTES", 2}},
     .method = "ARRAYREAD", .args = "d,1,5,0", .value = 5, .pos = 10, .dAfter = Series(5, 1, 1)},
    {.name = "DatasetGrowsToTheEnd", .file = kTen, .d = {0, 0, 0, 0, 0}, .method = "AREAD", .args = "d,1,8,0",
     .value = 8, .dAfter = Column(8, 7)},
    {.name = "ReadBcd", .file = std::string(30, '\0'), .settings = {{"NBYTES", 10}}, .method = "AREAD",
     .args = "d,1,3,2", .value = 3, .pos = 30, .dAfter = Column(3, 0)},
    {.name = "WriteDoublesOfARange", .mode = 1, .settings = {{"NBYTES", 8}}, .d = {0, 1.5, 3, 4.5, 6, 7.5},
     .method = "AWRITE", .args = "d,3,5,1", .value = 3, .written = Double(3) + Double(4.5) + Double(6)},
    {.name = "GapBytesAreWrittenAsZeros", .mode = 1, .settings = {{"NBYTES", 2}, {"SKIP", 3}}, .d = {1, 2},
     .method = "ARRAYWRITE", .args = "d,1,2,0", .value = 2, .written = Bytes({1, 0, 0, 0, 0, 2, 0})},
    {.name = "CellsBeyondTheDatasetAreMissingValues", .mode = 1, .settings = {{"NBYTES", 8}}, .d = {1.5},
     .method = "AWRITE", .args = "d,1,2,1", .value = 2, .written = Double(1.5) + Double(ZEL_MISSING_VALUE)},
    {.name = "ValuesOutOfRangeAreReportedAndWritten", .mode = 1, .d = {300, 7, -1}, .method = "AWRITE",
     .args = "d,1,3,0", .value = 3, .error = 34, .written = Bytes({0x2C, 0x07, 0xFF})},
    // An empty range moves nothing, even with a gap.
    {.name = "EmptyRange", .file = kTen, .settings = {{"SKIP", 4}}, .method = "AREAD", .args = "d,5,4,0",
     .value = 0, .error = 33, .pos = 0},
    // Refused before any byte moves: ranges, arguments, kinds and widths
    // without a codec, a dataset that does not exist or an empty name.
    Refused("LegacyReversedRange", false, "AREAD", "d,5,3,0", 64),
    Refused("StartRowZero", true, "AREAD", "d,0,3,0", 19),
    Refused("NegativeEnd", true, "AWRITE", "d,1,-2,0", 19),
    Refused("LegacyMissingArgument", false, "AREAD", "d,1,2", 1024),
    Refused("LegacyBinTypeOutOfRange", false, "AREAD", "d,1,2,3", 3),
    Refused("MissingName", true, "AWRITE", ",1,2,0", 10),
    Refused("NegativeBinType", true, "AREAD", "d,1,2,-1", 12),
    Refused("TooLargeForThirtyTwoBits", true, "AREAD", "d,1,600000000,1", 12, {{"NBYTES", 8}}),
    Refused("NegativeGap", true, "AREAD", "d,1,2,1", 12, {{"NBYTES", 8}, {"SKIP", -4}}),
    Refused("LegacyNoCodecFloat2", false, "AREAD", "d,1,3,1", 43, {{"NBYTES", 2}}),
    Refused("NoCodecWriteFloat3", true, "AWRITE", "d,1,3,1", 43, {{"NBYTES", 3}}),
    Refused("NoDataset", true, "AREAD", "nosuch,1,4,0", 20),
    Refused("EmptyDatasetName", true, "AREAD", "\"\",1,4,0", 20),
    Refused("LegacyWriteNoDataset", false, "AWRITE", "nosuch,1,4,0", 6),
    // A failing file layer fails the call; the end of the file does not. The
    // legacy numbers of the failures: TextReadTest's CREAD and LWRITE rows.
    {.name = "ReadFails", .file = kTen, .newActions = true, .fail = FileCause::HardIO, .method = "AREAD",
     .args = "d,1,4,0", .code = 2, .value = 0, .error = 30},
    {.name = "FileLayerReportsTheEnd", .file = kTen, .newActions = true, .fail = FileCause::EndOfFile,
     .method = "AREAD", .args = "d,1,4,0", .value = 0, .error = 33},
    {.name = "WriteFails", .mode = 1, .newActions = true, .d = {1, 2, 3, 4}, .fail = FileCause::DiskFull,
     .failOp = VfsOp::Write, .method = "AWRITE", .args = "d,1,4,0", .code = 2, .value = 0, .error = 31},
};

INSTANTIATE_TEST_SUITE_P(Array, BinaryCall, ::testing::ValuesIn(kArrayRows), CaseName);

}  // namespace
}  // namespace zeltest
