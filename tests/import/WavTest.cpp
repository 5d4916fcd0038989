// WAV: RIFF WAVE files made here from known samples, and by sox, into
// worksheets: the time column, the samples, the two channels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "import/ImportTesting.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

using Columns = std::vector<std::vector<double>>;

class WavTest : public ZelFixture {
protected:
    tavrel::Worksheet& Import(const std::string& bytes, int columns = 2, const std::string& sheet = "snd") {
        scratch_.Make("sound.wav", bytes);
        tavrel::Worksheet& w = host().CreateWorksheet(sheet, columns);
        OpenFile("sound.wav");
        last_ = Call("WAV", sheet);
        return w;
    }
    static std::vector<double> Column(const tavrel::Worksheet& w, int k) {
        std::vector<double> values;
        const tavrel::Dataset& d = w.column(k)->dataset();
        for (int32_t i = 0; i < d.upper(); ++i) values.push_back(d.number(static_cast<size_t>(i)).value_or(-777));
        return values;
    }
    static Columns AllColumns(const tavrel::Worksheet& w) {
        Columns columns;
        for (int k = 1; k <= w.columnCount(); ++k) columns.push_back(Column(w, k));
        return columns;
    }
    tavrel::CallResult last_;
};

// The worksheet a file of these interleaved samples makes: the times of the
// whole frames, then two columns of one channel each, or the samples as
// they are.
Columns Expected(int channels, uint32_t rate, const std::vector<double>& samples) {
    const size_t frames = samples.size() / static_cast<size_t>(channels);
    std::vector<double> times;
    const double step = 1.0 / rate;
    for (size_t i = 0; i < frames; ++i) times.push_back(static_cast<double>(i) * step + step);
    if (channels != 2) {
        return {times, std::vector<double>(samples.begin(),
                                           samples.begin() + static_cast<std::ptrdiff_t>(frames) * channels)};
    }
    Columns columns{times, {}, {}};
    for (size_t i = 0; i < frames * 2; ++i) columns[1 + i % 2].push_back(samples[i]);
    return columns;
}

struct FileCase {
    const char* name;
    std::function<void(WavSpec&)> change;
};

void PrintTo(const FileCase& c, std::ostream* out) { *out << c.name; }

class WavFiles : public WavTest, public ::testing::WithParamInterface<FileCase> {};

// Each file gives its samples, and the import leaves the file at the end of
// the data, ERROR 0 and every setting and the cursor as they were.
TEST_P(WavFiles, GiveTheirSamples) {
    WavSpec spec;
    spec.rate = 8000;
    spec.samples = {100, -100, 200, -200, 300, -300, -32768, 32767};
    GetParam().change(spec);
    const std::string bytes = MakeWav(spec);
    SetNumber("NBYTES", 3);
    SetNumber("SIGNED", 0);
    SetNumber("BYTEORDER", 2);
    const std::string sheet = std::string(GetParam().name) == "LongWorksheetName" ? std::string(70, 'w') : "snd";
    tavrel::Worksheet& w = Import(bytes, 2, sheet);
    ASSERT_EQ(last_.code, 1) << "ERROR " << Error();
    EXPECT_EQ(last_.value, ZEL_MISSING_VALUE);
    EXPECT_EQ(Error(), 0);
    EXPECT_EQ(AllColumns(w), Expected(spec.channels, spec.rate, spec.samples));
    if (spec.channels == 2) {
        EXPECT_EQ(w.column(2)->name(), "Left");
        EXPECT_EQ(w.column(3)->name(), "Right");
        EXPECT_EQ(w.rows(), static_cast<int32_t>(spec.samples.size() / 2));
    }
    EXPECT_EQ(Call("GETPOS").value, static_cast<double>(bytes.size()));
    EXPECT_EQ(Number("NBYTES"), 3);
    EXPECT_EQ(Number("SIGNED"), 0);
    EXPECT_EQ(Number("BYTEORDER"), 2);
    EXPECT_EQ(host().waitCursorShown(), 1);
    EXPECT_FALSE(host().waitCursorShowing());
    EXPECT_GE(host().repaintCount(), 1);
}

// A LIST chunk as ffmpeg writes one: the name of the writing software, an
// odd size and so a pad byte.
RiffChunk List() { return {"LIST", "INFOISFT" + LeBytes(13, 4) + "Lavf58.76.100"}; }

INSTANTIATE_TEST_SUITE_P(
    Wav, WavFiles,
    ::testing::Values(
        // Files of the plain PCM layout, imported as they always were.
        FileCase{"Stereo16", [](WavSpec& s) { s.channels = 2; }},
        FileCase{"Mono8Unsigned", [](WavSpec& s) { s.bits = 8; s.rate = 4; s.samples = {0, 128, 255}; }},
        FileCase{"ThreeChannels", [](WavSpec& s) { s.channels = 3; s.rate = 2; s.samples = {1, 2, 3, 4, 5, 6}; }},
        FileCase{"FormatOf18Bytes", [](WavSpec& s) { s.formatExtra = 2; }},
        FileCase{"FactChunk", [](WavSpec& s) { s.fact = true; s.channels = 2; }},
        FileCase{"Stereo32", [](WavSpec& s) { s.bits = 32; s.channels = 2; s.samples = {70000, -70000, 1, -1}; }},
        FileCase{"Mono24", [](WavSpec& s) { s.bits = 24; s.samples = {-8388608, 8388607, 65536, -1}; }},
        FileCase{"LongWorksheetName", [](WavSpec& s) { s.channels = 2; }},
        // Longer format chunks and the chunks today's tools put before the data.
        FileCase{"FormatOf40Bytes", [](WavSpec& s) { s.formatExtra = 24; }},
        FileCase{"ListChunkOfOddSize", [](WavSpec& s) { s.channels = 2; s.chunks = {List()}; }},
        FileCase{"ManyChunks",
                 [](WavSpec& s) {
                     s.fact = true;
                     s.chunks = {{"JUNK", std::string(28, '\0')}, List(), {"cue ", "x"}, {"PAD ", ""}};
                 }},
        // IEEE floats, plain (as scipy writes float32: an 18-byte format and
        // a fact chunk) and extensible.
        FileCase{"Float32Stereo",
                 [](WavSpec& s) {
                     s.formatTag = kWavFloat; s.bits = 32; s.channels = 2; s.formatExtra = 2; s.fact = true;
                     s.samples = {0.5, -0.25, 1.0, -1.0, 3.0517578125e-05, 0};
                 }},
        FileCase{"Float64Mono",
                 [](WavSpec& s) {
                     s.formatTag = kWavFloat; s.bits = 64;
                     s.samples = {0.1, -1e-300, 1e300, -0.0};
                 }},
        // The extensible format: PCM of every width, floats, many channels.
        FileCase{"Extensible24SixChannels",
                 [](WavSpec& s) {
                     s.formatTag = kWavExtensible; s.bits = 24; s.channels = 6;
                     s.samples = {1, -1, 8388607, -8388608, 2, 3, 4, 5, 6, 7, 8, 9};
                 }},
        FileCase{"Extensible32Stereo",
                 [](WavSpec& s) {
                     s.formatTag = kWavExtensible; s.bits = 32; s.channels = 2;
                     s.samples = {2147483647, -2147483648.0, 5, -5};
                 }},
        FileCase{"Extensible16Mono", [](WavSpec& s) { s.formatTag = kWavExtensible; }},
        FileCase{"Extensible8Stereo",
                 [](WavSpec& s) { s.formatTag = kWavExtensible; s.bits = 8; s.channels = 2; s.samples = {0, 255}; }},
        FileCase{"ExtensibleFloat32",
                 [](WavSpec& s) {
                     s.formatTag = kWavExtensible; s.subFormat = kWavFloat; s.bits = 32; s.channels = 2;
                     s.samples = {0.75, -0.75};
                     s.chunks = {List()};
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    std::function<std::string()> make;
    bool newActions;
    int error;
};

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

class WavRefusals : public WavTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(WavRefusals, FailAndLeaveNoSamples) {
    const RefusalCase& c = GetParam();
    UseNewActions(c.newActions);
    tavrel::Worksheet& w = Import(c.make());
    EXPECT_EQ(last_.code, 2);
    EXPECT_EQ(Error(), c.error);
    for (int k = 1; k <= w.columnCount(); ++k) EXPECT_EQ(w.column(k)->dataset().size(), 0u) << "column " << k;
}

std::function<std::string()> Spec(std::function<void(WavSpec&)> change) {
    return [change] {
        WavSpec spec;
        spec.samples = {5, 6, 7};
        change(spec);
        return MakeWav(spec);
    };
}

// The file of spec with the bytes at a replaced.
std::function<std::string()> Patched(std::function<void(WavSpec&)> change, size_t at, std::string bytes) {
    return [change, at, bytes] {
        std::string file = Spec(change)();
        file.replace(at, bytes.size(), bytes);
        return file;
    };
}

void Plain(WavSpec&) {}

INSTANTIATE_TEST_SUITE_P(
    Wav, WavRefusals,
    ::testing::Values(
        // Compressed formats, and widths no codec reads.
        RefusalCase{"Adpcm", Spec([](WavSpec& s) { s.formatTag = 2; }), true, 41},
        RefusalCase{"ALaw", Spec([](WavSpec& s) { s.formatTag = 6; s.bits = 8; }), false, 41},
        RefusalCase{"MuLaw", Spec([](WavSpec& s) { s.formatTag = 7; s.bits = 8; }), true, 41},
        RefusalCase{"Mpeg", Spec([](WavSpec& s) { s.formatTag = 0x55; }), true, 41},
        RefusalCase{"IbmMuLawWithPcmsLowByte", Spec([](WavSpec& s) { s.formatTag = 0x0101; s.bits = 8; }), true,
                    41},
        RefusalCase{"ExtensibleAdpcm", Spec([](WavSpec& s) { s.formatTag = kWavExtensible; s.subFormat = 2; }),
                    false, 41},
        RefusalCase{"ExtensibleOtherGuid", Patched([](WavSpec& s) { s.formatTag = kWavExtensible; }, 50, "\x01"),
                    true, 41},
        RefusalCase{"Float16", Spec([](WavSpec& s) { s.formatTag = kWavFloat; }), true, 41},
        RefusalCase{"Pcm12", Spec([](WavSpec& s) { s.bits = 12; }), true, 41},
        RefusalCase{"Pcm4", Spec([](WavSpec& s) { s.bits = 4; }), false, 41},
        // Headers that are not RIFF WAVE with a format chunk first.
        RefusalCase{"NotRiff", [] { return "RIFX" + std::string(60, '\x01'); }, false, 41},
        RefusalCase{"Avi", Patched(Plain, 8, "AVI "), true, 41},
        RefusalCase{"NoFormatFirst", Patched(Plain, 12, "junk"), true, 41},
        RefusalCase{"FormatOf14Bytes", Patched(Plain, 16, LeBytes(14, 4)), true, 41},
        RefusalCase{"ExtensibleFormatOf18Bytes",
                    Patched([](WavSpec& s) { s.formatTag = kWavExtensible; }, 16, LeBytes(18, 4)), true, 41},
        RefusalCase{"NoChannels", Spec([](WavSpec& s) { s.channels = 0; }), true, 41},
        RefusalCase{"NoRate", Spec([](WavSpec& s) { s.rate = 0; }), false, 41},
        // The walk over the chunks: sizes past the end, no data chunk.
        RefusalCase{"ChunkPastTheEnd", Patched([](WavSpec& s) { s.chunks = {List()}; }, 40, LeBytes(0xFFFFFFFF, 4)),
                    true, 41},
        RefusalCase{"FormatPastTheEnd", Patched(Plain, 16, LeBytes(0x7FFFFFF0, 4)), false, 41},
        RefusalCase{"NoDataChunk",
                    [] { return MakeWav(WavSpec{}).substr(0, 36) + Chunk(List()) + Chunk({"JUNK", "abc"}); }, true,
                    41},
        // The header ends inside a field: the nested READ met the end of the
        // file, its 33 with bit 512 (legacy 4).
        RefusalCase{"HeaderCut", [] { return MakeWav(WavSpec{}).substr(0, 30); }, true, 33},
        RefusalCase{"HeaderCutLegacy", [] { return MakeWav(WavSpec{}).substr(0, 30); }, false, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WavTest, HeaderClaimingMoreSamplesThanTheFileHolds) {
    WavSpec spec;
    spec.samples = {9, 8, 7};
    std::string bytes = MakeWav(spec);
    // The data size field says 2^31 - 2 bytes.
    bytes.replace(40, 4, LeBytes(0x7FFFFFFE, 4));
    tavrel::Worksheet& w = Import(bytes);
    ASSERT_EQ(last_.code, 1) << Error();
    EXPECT_EQ(Column(w, 2), (std::vector<double>{9, 8, 7}));
    EXPECT_EQ(w.column(1)->dataset().upper(), 3);
}

// Writers that stream leave 0xFFFFFFFF as the data size: 8-bit samples read
// it unsigned, wider ones signed, and both import the frames the file holds.
TEST_F(WavTest, DataSizesOfTwoGigabytesAndMoreAreCutToTheFile) {
    for (int bits : {8, 16, 32}) {
        for (uint32_t claimed : {0xFFFFFFFFu, 0x80000000u}) {
            SCOPED_TRACE(std::to_string(bits) + " bits, size " + std::to_string(claimed));
            WavSpec spec;
            spec.bits = bits;
            spec.samples = {3, 4, 5, 6};
            std::string bytes = MakeWav(spec);
            bytes.replace(40, 4, LeBytes(claimed, 4));
            tavrel::Worksheet& w = Import(bytes, 2, "s" + std::to_string(bits) + "_" + std::to_string(claimed & 1));
            ASSERT_EQ(last_.code, 1) << Error();
            EXPECT_EQ(Column(w, 2), (std::vector<double>{3, 4, 5, 6}));
            EXPECT_EQ(w.column(1)->dataset().upper(), 4);
        }
    }
}

// A partial frame at the end of the data is not imported: three channels
// with seven samples give two frames, and so do seven samples and a data
// size that claims one more byte.
TEST_F(WavTest, OnlyWholeFramesAreImported) {
    WavSpec spec;
    spec.channels = 3;
    spec.rate = 2;
    spec.samples = {1, 2, 3, 4, 5, 6, 7};
    tavrel::Worksheet& w = Import(MakeWav(spec));
    ASSERT_EQ(last_.code, 1) << Error();
    EXPECT_EQ(Column(w, 1), (std::vector<double>{0.5, 1.0}));
    EXPECT_EQ(Column(w, 2), (std::vector<double>{1, 2, 3, 4, 5, 6}));
    std::string bytes = MakeWav(spec);
    bytes.replace(40, 4, LeBytes(7 * 2 + 1, 4));
    tavrel::Worksheet& again = Import(bytes, 1, "w2");
    ASSERT_EQ(last_.code, 1) << Error();
    EXPECT_EQ(Column(again, 2), (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

// A method the host calls while an import runs (here from the repaint) is
// refused; the import goes on and ends as it would have.
TEST_F(WavTest, CallsWhileAnImportRunsAreRefused) {
    scratch_.Make("other.wav", MakeWav(WavSpec{}));
    host().CreateWorksheet("other", 2);
    std::vector<tavrel::CallResult> inner;
    std::vector<int32_t> errors;
    host().onRepaint = [&] {
        for (const char* method : {"WAV", "READ"}) {
            inner.push_back(Call(method, std::string(method) == "WAV" ? "other" : "2"));
            errors.push_back(Error());
        }
    };
    WavSpec spec;
    spec.samples = {5, 6};
    tavrel::Worksheet& w = Import(MakeWav(spec));
    host().onRepaint = nullptr;
    ASSERT_EQ(last_.code, 1) << Error();
    EXPECT_EQ(Column(w, 2), (std::vector<double>{5, 6}));
    ASSERT_EQ(inner.size(), 2u);
    for (size_t k = 0; k < inner.size(); ++k) {
        EXPECT_EQ(inner[k].code, 2);
        EXPECT_EQ(errors[k], 42);
    }
    EXPECT_EQ(host().FindWorksheet("other")->column(2)->dataset().size(), 0u);
    // Afterwards the methods run again.
    EXPECT_EQ(Call("REWIND").code, 1);
}

struct SoxCase {
    int channels;
    int bits;
    const char* encoding;
};

void PrintTo(const SoxCase& c, std::ostream* out) { *out << c.channels << " x " << c.bits << " " << c.encoding; }

class SoxFiles : public WavTest, public ::testing::WithParamInterface<SoxCase> {};

// A file that sox made from raw samples gives those samples back. sox writes
// the plain PCM format for up to 16 bits and 2 channels, the extensible one
// beyond, and the float format for floats.
TEST_P(SoxFiles, GiveTheRawSamplesBack) {
#ifdef _WIN32
    GTEST_SKIP() << "sox runs on the build machine, not under the Windows test build";
#endif
    if (std::system("sox --version > /dev/null 2>&1") != 0) {
        FAIL() << "sox is missing: the test command installs Debian's sox";
    }
    const SoxCase& c = GetParam();
    const bool real = std::string(c.encoding) == "floating-point";
    std::vector<double> samples;
    std::string raw;
    for (int i = 0; i < 50 * c.channels; ++i) {
        if (real) {
            // Multiples of 2^-10 in [-1, 1): exact in both widths.
            const double v = ((i * 7919) % 2048 - 1024) / 1024.0;
            samples.push_back(v);
            if (c.bits == 32) {
                const float single = static_cast<float>(v);
                raw.append(reinterpret_cast<const char*>(&single), 4);
            } else {
                raw += Double(v);
            }
            continue;
        }
        int64_t s = (static_cast<int64_t>(i) * 7919 * 104729) % (int64_t{1} << c.bits);
        if (c.bits > 8 && s >= (int64_t{1} << (c.bits - 1))) s -= int64_t{1} << c.bits;
        samples.push_back(static_cast<double>(s));
        raw += LeBytes(static_cast<uint64_t>(s), c.bits / 8);
    }
    scratch_.Make("in.raw", raw);
    const std::string out = scratch_.PathOf("sox.wav");
    const std::string command = "sox -t raw -r 11025 -e " + std::string(c.encoding) + " -b " +
                                std::to_string(c.bits) + " -c " + std::to_string(c.channels) + " '" +
                                scratch_.PathOf("in.raw") + "' -t wav '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    tavrel::Worksheet& w = Import(ScratchDir::Contents(out), 2, "s");
    ASSERT_EQ(last_.code, 1) << command << ": ERROR " << Error();
    EXPECT_EQ(AllColumns(w), Expected(c.channels, 11025, samples)) << command;
}

INSTANTIATE_TEST_SUITE_P(
    Sox, SoxFiles,
    ::testing::Values(SoxCase{1, 16, "signed-integer"}, SoxCase{2, 16, "signed-integer"},
                      SoxCase{1, 8, "unsigned-integer"}, SoxCase{2, 8, "unsigned-integer"},
                      SoxCase{1, 24, "signed-integer"}, SoxCase{2, 24, "signed-integer"},
                      SoxCase{2, 32, "signed-integer"}, SoxCase{6, 16, "signed-integer"},
                      SoxCase{2, 32, "floating-point"}, SoxCase{1, 64, "floating-point"}),
    [](const auto& info) {
        return std::to_string(info.param.channels) + "x" + std::to_string(info.param.bits) +
               (std::string(info.param.encoding) == "floating-point" ? "Float" : "");
    });

}  // namespace
}  // namespace zeltest
