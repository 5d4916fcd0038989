// Headers that claim 2^31 - 1 of everything (and the largest value of every
// narrower field): each importer ends with success or a refusal, adds no
// column and fills no row beyond what the file's own length can hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "import/ImportTesting.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

constexpr uint32_t kMax32 = 0x7FFFFFFF;

struct Hostile {
    const char* name;
    const char* method;
    std::string bytes;
    std::string args;  // after the worksheet name
};

void PrintTo(const Hostile& h, std::ostream* out) { *out << h.name; }

std::string Put(std::string bytes, size_t at, uint64_t value, int width) {
    if (bytes.size() < at + static_cast<size_t>(width)) bytes.resize(at + static_cast<size_t>(width), '\0');
    bytes.replace(at, static_cast<size_t>(width), LeBytes(value, width));
    return bytes;
}

std::string WavClaims() {
    std::string bytes = MakeWav({.channels = 2, .samples = {1, 2, 3, 4}});
    bytes = Put(bytes, 4, kMax32, 4);   // RIFF size
    bytes = Put(bytes, 22, 0xFFFF, 2);  // channels
    bytes = Put(bytes, 24, kMax32, 4);  // rate
    return Put(bytes, 40, kMax32, 4);   // data size
}

std::string WavWideSamples() { return Put(WavClaims(), 34, 0xFFFF, 2); }  // bits per sample too

// Chunks before the data that claim the whole 32 bits, or that come by the
// thousand.
std::string WavChunks(int field) {
    if (field == 2) return MakeWav({.samples = {1, 2}, .chunks = std::vector<RiffChunk>(20000, {"JUNK", ""})});
    const std::string bytes = MakeWav({.samples = {1, 2}, .chunks = {{"LIST", "abcd"}}});
    if (field == 0) return Put(bytes, 16, 0xFFFFFFFF, 4);  // format chunk size
    return Put(bytes, 40, kMax32, 4);                     // the LIST chunk's size
}

// The data size of the one column record; with everything, its column index
// and the last column index too.
std::string SigmaWinClaims(bool everything) {
    std::string bytes = Put(MakeSigmaWin('A', 0, {{0, {1, 2}, {}, "x"}}), 48 + 28, kMax32, 4);
    if (!everything) return bytes;
    bytes = Put(bytes, 44, 0x7FFF, 2);      // last column index
    return Put(bytes, 48 + 20, kMax32, 4);  // the record's column index
}

std::string SigmaWinBase() { return Put(MakeSigmaWin('C', 0, {{0, {1}, {}, ""}}), 80, kMax32, 4); }  // base offset

std::string SigmaDosClaims(int field) {
    const std::string bytes = MakeSigmaDos({{0, {1, 2}, {}, ""}});
    const size_t blocks = bytes.size() - 4 - (4 + 16 + 16);
    switch (field) {
        case 0: return Put(bytes, 13 + 7, kMax32, 4);   // the offset of the second marker
        case 1: return Put(bytes, blocks, kMax32, 4);   // block length
        case 2: return Put(bytes, blocks + 4, kMax32, 4);  // column index
        default: return Put(bytes, blocks + 18, 0xFFFF, 2);  // value count
    }
}

std::string ManyLists(int n) {
    std::string text = "{{1}";
    for (int k = 0; k < n; ++k) text += ",{}";
    return text + "}";
}

class HostileSizes : public ZelFixture, public ::testing::WithParamInterface<Hostile> {};

TEST_P(HostileSizes, StayWithinTheFile) {
    const Hostile& h = GetParam();
    scratch_.Make("hostile.bin", h.bytes);
    tavrel::Worksheet& w = host().CreateWorksheet("w", 2);
    OpenFile("hostile.bin");
    SetNumber("NBYTES", 4);
    SetNumber("SKIP", 0);
    for (bool newActions : {false, true}) {
        UseNewActions(newActions);
        Call("REWIND");
        const tavrel::CallResult r = Call(h.method, "w" + h.args);
        EXPECT_TRUE(r.code == 1 || r.code == 2);
        EXPECT_EQ(Number("NBYTES"), 4);
        EXPECT_EQ(Number("NEWACTIONS"), newActions ? 1 : 0);
        // A column needs at least a byte of the file, a row at least one too.
        EXPECT_LE(static_cast<size_t>(w.columnCount()), std::max<size_t>(4, h.bytes.size()));
        for (int k = 1; k <= w.columnCount(); ++k) {
            EXPECT_LE(w.column(k)->dataset().size(), h.bytes.size()) << "column " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Importers, HostileSizes,
    ::testing::Values(Hostile{"WavEverything", "WAV", WavClaims(), ""},
                      Hostile{"WavWideSamples", "WAV", WavWideSamples(), ""},
                      Hostile{"WavFormatChunkSize", "WAV", WavChunks(0), ""},
                      Hostile{"WavOtherChunkSize", "WAV", WavChunks(1), ""},
                      Hostile{"WavThousandsOfChunks", "WAV", WavChunks(2), ""},
                      Hostile{"SigmaWinEverything", "SIGMAWIN", SigmaWinClaims(true), ""},
                      Hostile{"SigmaWinCellCount", "SIGMAWIN", SigmaWinClaims(false), ""},
                      Hostile{"SigmaWinBaseOffset", "SIGMAWIN", SigmaWinBase(), ""},
                      Hostile{"SigmaDosMarkerOffset", "SIGMADOS", SigmaDosClaims(0), ""},
                      Hostile{"SigmaDosBlockLength", "SIGMADOS", SigmaDosClaims(1), ""},
                      Hostile{"SigmaDosColumnIndex", "SIGMADOS", SigmaDosClaims(2), ""},
                      Hostile{"SigmaDosValueCount", "SIGMADOS", SigmaDosClaims(3), ""},
                      Hostile{"MathematicaDeepLists", "MATHEMATICA", std::string(100000, '{'), ""},
                      Hostile{"MathematicaLongElement", "MATHEMATICA", "{" + std::string(100000, '9') + "}", ""},
                      Hostile{"MathematicaManyLists", "MATHEMATICA", ManyLists(3000), ""},
                      Hostile{"WksBlockWholeRange", "WKSBLOCK", "1 2 3\n4 5 6\n", ",1,2147483647,1,2147483647"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltest
