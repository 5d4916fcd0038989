// WAV: RIFF WAVE files made here from known samples, and by sox, into
// worksheets: the time column, the samples, the two channels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "import/ImportTesting.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

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
    tavrel::CallResult last_;
};

TEST_F(WavTest, SixteenBitStereoSplitsIntoLeftAndRight) {
    WavSpec spec;
    spec.channels = 2;
    spec.samples = {100, -100, 200, -200, 300, -300, -32768, 32767};
    tavrel::Worksheet& w = Import(MakeWav(spec));
    ASSERT_EQ(last_.code, 1) << Error();
    EXPECT_EQ(Error(), 0);
    ASSERT_EQ(w.columnCount(), 3);
    EXPECT_EQ(w.column(2)->name(), "Left");
    EXPECT_EQ(w.column(3)->name(), "Right");
    EXPECT_EQ(Column(w, 1), (std::vector<double>{1 / 8000.0, 2 / 8000.0, 3 / 8000.0, 4 / 8000.0}));
    EXPECT_EQ(Column(w, 2), (std::vector<double>{100, 200, 300, -32768}));
    EXPECT_EQ(Column(w, 3), (std::vector<double>{-100, -200, -300, 32767}));
    EXPECT_EQ(w.rows(), 4);
}

TEST_F(WavTest, EightBitMonoIsUnsignedInColumnTwo) {
    WavSpec spec;
    spec.bits = 8;
    spec.rate = 4;
    spec.samples = {0, 128, 255};
    tavrel::Worksheet& w = Import(MakeWav(spec));
    ASSERT_EQ(last_.code, 1) << Error();
    EXPECT_EQ(Column(w, 1), (std::vector<double>{0.25, 0.5, 0.75}));
    EXPECT_EQ(Column(w, 2), (std::vector<double>{0, 128, 255}));
}

TEST_F(WavTest, ThreeChannelsStayInterleaved) {
    WavSpec spec;
    spec.channels = 3;
    spec.rate = 2;
    spec.samples = {1, 2, 3, 4, 5, 6};
    tavrel::Worksheet& w = Import(MakeWav(spec));
    ASSERT_EQ(last_.code, 1) << Error();
    EXPECT_EQ(Column(w, 1), (std::vector<double>{0.5, 1.0}));
    EXPECT_EQ(Column(w, 2), (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

// The settings and the cursor come back whatever happened.
TEST_F(WavTest, SettingsAndCursorComeBack) {
    SetNumber("NBYTES", 3);
    SetNumber("SIGNED", 0);
    SetNumber("BYTEORDER", 1);
    WavSpec spec;
    spec.samples = {1, -1};
    Import(MakeWav(spec));
    EXPECT_EQ(last_.code, 1) << Error();
    EXPECT_EQ(Number("NBYTES"), 3);
    EXPECT_EQ(Number("SIGNED"), 0);
    EXPECT_EQ(Number("BYTEORDER"), 1);
    EXPECT_EQ(host().waitCursorShown(), 1);
    EXPECT_FALSE(host().waitCursorShowing());
    EXPECT_GE(host().repaintCount(), 1);
    // A failed import puts them back too.
    spec.formatTag = 3;
    Import(MakeWav(spec), 2, "snd2");
    EXPECT_EQ(last_.code, 2);
    EXPECT_EQ(Number("NBYTES"), 3);
    EXPECT_FALSE(host().waitCursorShowing());
}

struct LayoutCase {
    const char* name;
    WavSpec spec;
    bool newActions;
    int code;
    int error;
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << c.name << ", NEWACTIONS " << c.newActions << ": code " << c.code << ", ERROR " << c.error;
}

class WavLayouts : public WavTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(WavLayouts, AcceptOrRefuse) {
    const LayoutCase& c = GetParam();
    UseNewActions(c.newActions);
    Import(MakeWav(c.spec));
    EXPECT_EQ(last_.code, c.code);
    EXPECT_EQ(Error(), c.error);
}

WavSpec With(void (*change)(WavSpec&)) {
    WavSpec spec;
    spec.samples = {5, 6, 7};
    change(spec);
    return spec;
}

INSTANTIATE_TEST_SUITE_P(
    Wav, WavLayouts,
    ::testing::Values(
        LayoutCase{"FormatOf18Bytes", With([](WavSpec& s) { s.formatExtra = 2; }), true, 1, 0},
        LayoutCase{"FormatOf40Bytes", With([](WavSpec& s) { s.formatExtra = 24; }), true, 2, 41},
        LayoutCase{"FormatOf40BytesLegacy", With([](WavSpec& s) { s.formatExtra = 24; }), false, 2, 41},
        LayoutCase{"FactChunk", With([](WavSpec& s) { s.fact = true; }), false, 1, 0},
        LayoutCase{"OtherChunkBeforeTheData", With([](WavSpec& s) { s.otherChunk = "LIST"; }), true, 2, 41},
        LayoutCase{"NotPcm", With([](WavSpec& s) { s.formatTag = 3; }), true, 2, 41},
        LayoutCase{"NoChannels", With([](WavSpec& s) { s.channels = 0; }), true, 2, 41},
        LayoutCase{"NoRate", With([](WavSpec& s) { s.rate = 0; }), false, 2, 41}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WavTest, NotAWavFileAndATruncatedHeader) {
    Import("RIFX" + std::string(60, '\x01'));
    EXPECT_EQ(last_.code, 2);
    EXPECT_EQ(Error(), 41);
    UseNewActions(true);
    Import(MakeWav(WavSpec{}).substr(0, 30), 2, "cut");
    EXPECT_EQ(last_.code, 2);
    // The nested READ met the end of the file: its 33 with bit 512.
    EXPECT_EQ(Error(), 33);
    UseNewActions(false);
    Import(MakeWav(WavSpec{}).substr(0, 30), 2, "cut2");
    EXPECT_EQ(Error(), 4);
}

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

// Headers that are not RIFF WAVE with a format chunk first, or whose
// samples are narrower than a byte.
TEST_F(WavTest, HeadersOfOtherLayoutsAreRefused) {
    struct Patch {
        const char* name;
        std::size_t at;
        std::string bytes;
    };
    const Patch patches[] = {{"AVI", 8, "AVI "}, {"NoFormatFirst", 12, "junk"}, {"FourBits", 34, LeBytes(4, 2)}};
    int k = 0;
    for (const Patch& p : patches) {
        SCOPED_TRACE(p.name);
        WavSpec spec;
        spec.samples = {1, 2};
        std::string bytes = MakeWav(spec);
        bytes.replace(p.at, p.bytes.size(), p.bytes);
        Import(bytes, 2, "bad" + std::to_string(k++));
        EXPECT_EQ(last_.code, 2);
        EXPECT_EQ(Error(), 41);
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

TEST_F(WavTest, WorksheetNamesLongerThanADatasetName) {
    WavSpec spec;
    spec.channels = 2;
    spec.samples = {1, 2, 3, 4};
    const std::string sheet(70, 'w');
    tavrel::Worksheet& w = Import(MakeWav(spec), 2, sheet);
    ASSERT_EQ(last_.code, 1) << Error();
    EXPECT_EQ(Column(w, 2), (std::vector<double>{1, 3}));
    EXPECT_EQ(Column(w, 3), (std::vector<double>{2, 4}));
}

// A file that sox made from raw samples gives those samples back.
TEST_F(WavTest, FilesMadeBySox) {
#ifdef _WIN32
    GTEST_SKIP() << "sox runs on the build machine, not under the Windows test build";
#endif
    if (std::system("sox --version > /dev/null 2>&1") != 0) {
        FAIL() << "sox is missing: the test command installs Debian's sox";
    }
    struct Made {
        int channels;
        int bits;
        const char* encoding;
    };
    // sox writes the plain PCM format for up to 16 bits and 2 channels.
    for (const Made& made : {Made{1, 16, "signed-integer"}, Made{2, 16, "signed-integer"},
                             Made{1, 8, "unsigned-integer"}, Made{2, 8, "unsigned-integer"}}) {
        std::vector<int64_t> samples;
        std::string raw;
        const int bytes = made.bits / 8;
        for (int i = 0; i < 50 * made.channels; ++i) {
            int64_t s = (i * 7919) % (int64_t{1} << made.bits);
            if (made.bits > 8 && s >= (int64_t{1} << (made.bits - 1))) s -= int64_t{1} << made.bits;
            samples.push_back(s);
            raw += LeBytes(static_cast<uint64_t>(s), bytes);
        }
        scratch_.Make("in.raw", raw);
        const std::string out = scratch_.PathOf("sox.wav");
        const std::string command = "sox -t raw -r 11025 -e " + std::string(made.encoding) + " -b " +
                                    std::to_string(made.bits) + " -c " + std::to_string(made.channels) +
                                    " '" + scratch_.PathOf("in.raw") + "' -t wav '" + out + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::string sheet = "s" + std::to_string(made.channels) + "x" + std::to_string(made.bits);
        tavrel::Worksheet& w = Import(ScratchDir::Contents(out), 2, sheet);
        ASSERT_EQ(last_.code, 1) << command << ": ERROR " << Error();
        std::vector<double> expected;
        if (made.channels == 1) {
            for (int64_t s : samples) expected.push_back(static_cast<double>(s));
            EXPECT_EQ(Column(w, 2), expected) << command;
        } else {
            std::vector<double> left;
            std::vector<double> right;
            for (size_t i = 0; i < samples.size(); ++i) {
                (i % 2 == 0 ? left : right).push_back(static_cast<double>(samples[i]));
            }
            EXPECT_EQ(Column(w, 2), left) << command;
            EXPECT_EQ(Column(w, 3), right) << command;
        }
        EXPECT_EQ(w.column(1)->dataset().number(0), 1 / 11025.0);
        Call("CLOSEALL");
    }
}

}  // namespace
}  // namespace zeltest
