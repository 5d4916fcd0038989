// WAV, SIGMAWIN, SIGMADOS and MATHEMATICA through MODLL: files made byte by
// byte from the layouts of their formats (and WAV files made by sox) into the
// columns of a worksheet, and the files each one refuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "Worksheet.h"
#include "import/ImportTesting.h"
#include "support/Printing.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

struct ImportCase {
    const char* name;
    const char* method;
    std::string args;
    std::string bytes;  // of the current file; none is open when empty
    int columns;        // of worksheet w before the call
    bool newActions;
    int32_t code;
    double value;
    int32_t error;
    // ColumnsOf(w) afterwards, then " Z$=" and Z$ when WKSBLOCK left text there.
    std::string expected;
    double position = -1;  // of the file afterwards, when not below 0
    // The script's settings; WAV, MATHEMATICA and WKSBLOCK read whatever
    // BYTEORDER says.
    int byteOrder = 2;
    int skip = 0;
    int isSigned = 0;
    std::string sheet = "w";
};

void PrintTo(const ImportCase& c, std::ostream* out) { *out << c.name << ": " << c.method << "(" << c.args << ")"; }

constexpr double kMissing = ZEL_MISSING_VALUE;

class Imports : public ZelFixture, public ::testing::WithParamInterface<ImportCase> {};

// The import fills the worksheet or fails, leaves the settings as the script
// had them, and the methods take their own arguments again after it.
TEST_P(Imports, FillTheWorksheet) {
    const ImportCase& c = GetParam();
    const tavrel::Worksheet& w = host().CreateWorksheet(c.sheet, c.columns);
    if (!c.bytes.empty()) {
        scratch_.Make("in.dat", c.bytes);
        OpenFile("in.dat");
    }
    SetNumber("BYTEORDER", c.byteOrder);
    SetNumber("SKIP", c.skip);
    SetNumber("SIGNED", c.isSigned);
    UseNewActions(c.newActions);
    const tavrel::CallResult r = Call(c.method, c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(NumberText(r.value), NumberText(c.value));
    EXPECT_EQ(Error(), c.error);
    const bool block = std::string(c.method) == "WKSBLOCK";
    const std::string rest = block ? host().Variable('Z') : "";
    EXPECT_EQ(ColumnsOf(w) + (rest.empty() ? "" : " Z$=" + rest), c.expected);
    if (c.position >= 0) {
        EXPECT_EQ(Call("GETPOS").value, c.position);
    }
    EXPECT_EQ(Number("BYTEORDER"), c.byteOrder);
    EXPECT_EQ(Number("SKIP"), c.skip);
    EXPECT_EQ(Number("SIGNED"), c.isSigned);
    EXPECT_EQ(Number("NEWACTIONS"), c.newActions ? 1 : 0);
    EXPECT_FALSE(host().waitCursorShowing());
    if (c.code == 1 && !block) {
        EXPECT_EQ(host().waitCursorShown(), 1);
        EXPECT_GE(host().repaintCount(), 1);
    }
    if (!c.bytes.empty()) {
        EXPECT_EQ(Call("SETPOS", "1").code, 1);
        EXPECT_EQ(Call("GETPOS").value, 1);
    }
}

std::string Name(const ::testing::TestParamInfo<ImportCase>& info) { return info.param.name; }

// What WAV makes of these interleaved samples: the times of the whole
// frames, then the samples of one channel or more, or Left and Right.
std::string WavColumns(int channels, uint32_t rate, const std::vector<double>& samples) {
    const size_t whole = samples.size() / static_cast<size_t>(channels) * static_cast<size_t>(channels);
    auto cells = [&](size_t from, size_t stride) {
        std::string text;
        for (size_t i = from; i < whole; i += stride) text += (i > from ? " " : "") + NumberText(samples[i]);
        return text;
    };
    std::string text;
    const double step = 1.0 / rate;
    for (size_t i = 0; i < whole / static_cast<size_t>(channels); ++i) {
        text += (i > 0 ? " " : "") + NumberText(static_cast<double>(i) * step + step);
    }
    return channels != 2 ? text + "|" + cells(0, 1) : text + "|Left=" + cells(0, 2) + "|Right=" + cells(1, 2);
}

// A WAV file of these WavSpec fields (of these samples when they name none); dataSize,
// when not 0, replaces the data chunk's size of a plain file.
ImportCase Wav(const char* name, WavSpec spec, uint32_t dataSize = 0, const std::string& sheet = "w") {
    if (spec.samples.empty()) spec.samples = {100, -100, 200, -200, 300, -300, -32768, 32767};
    std::string bytes = MakeWav(spec);
    if (dataSize != 0) bytes.replace(40, 4, LeBytes(dataSize, 4));
    // The import ends after the last whole frame.
    const size_t partial = spec.samples.size() % static_cast<size_t>(spec.channels) * (spec.bits / 8u);
    return {name, "WAV", sheet, bytes, 2, false, 1, kMissing, 0, WavColumns(spec.channels, spec.rate, spec.samples),
            static_cast<double>(bytes.size() - partial), 2, 0, 0, sheet};
}

// A WAV file that is refused with 41, and nothing stored: the file of the
// WavSpec fields (of three samples when they name none), with the bytes at a replaced.
ImportCase WavRefused(const char* name, WavSpec spec, bool newActions, size_t at = 0, const std::string& bytes = "") {
    if (spec.samples.empty()) spec.samples = {5, 6, 7};
    std::string file = MakeWav(spec);
    file.replace(at, bytes.size(), bytes);
    return {name, "WAV", "w", file, 2, newActions, 2, kMissing, 41, "|"};
}

// A LIST chunk as ffmpeg writes one: the name of the writing software, an
// odd size and so a pad byte.
RiffChunk List() { return {"LIST", "INFOISFT" + LeBytes(13, 4) + "Lavf58.76.100"}; }

INSTANTIATE_TEST_SUITE_P(
    Wav, Imports,
    ::testing::Values(
        // Files of the plain PCM layout.
        Wav("Stereo16", {.channels = 2}),
        Wav("Mono8Unsigned", {.rate = 4, .bits = 8, .samples = {0, 128, 255}}),
        Wav("ThreeChannels", {.channels = 3, .rate = 2, .samples = {1, 2, 3, 4, 5, 6}}),
        Wav("Stereo32", {.channels = 2, .bits = 32, .samples = {70000, -70000, 1, -1}}),
        Wav("Mono24", {.bits = 24, .samples = {-8388608, 8388607, 65536, -1}}),
        Wav("LongWorksheetName", {.channels = 2}, 0, std::string(70, 'w')),
        // Longer format chunks and the chunks today's tools put before the
        // data (odd sizes with their pad byte).
        Wav("FormatOf40Bytes", {.formatExtra = 24}),
        Wav("ManyChunks",
            {.fact = true, .chunks = {{"JUNK", std::string(28, '\0')}, List(), {"cue ", "x"}, {"PAD ", ""}}}),
        // IEEE floats, plain (as scipy writes float32: an 18-byte format and
        // a fact chunk) and extensible.
        Wav("Float32Stereo", {.channels = 2, .bits = 32, .samples = {0.5, -0.25, 1.0, -1.0, 3.0517578125e-05, 0},
                              .formatExtra = 2, .fact = true, .formatTag = kWavFloat}),
        Wav("Float64Mono", {.bits = 64, .samples = {0.1, -1e-300, 1e300, -0.0}, .formatTag = kWavFloat}),
        // The extensible format: PCM, floats, many channels.
        Wav("Extensible24SixChannels", {.channels = 6, .bits = 24, .samples = {1, -1, 8388607, -8388608, 2, 3, 4, 5},
                                        .formatTag = kWavExtensible}),
        Wav("Extensible32Stereo", {.channels = 2, .bits = 32, .samples = {2147483647, -2147483648.0, 5, -5},
                                   .formatTag = kWavExtensible}),
        Wav("ExtensibleFloat32", {.channels = 2, .bits = 32, .samples = {0.75, -0.75}, .formatTag = kWavExtensible,
                                  .subFormat = kWavFloat, .chunks = {List()}}),
        // A data size past the end of the file (streaming writers leave
        // 0xFFFFFFFF), unsigned even where the samples are read signed, or a
        // partial frame: the whole frames the file holds.
        Wav("DataSizeAllOnes8", {.bits = 8, .samples = {3, 4, 5, 6}}, 0xFFFFFFFF),
        Wav("DataSizeAllOnes16", {.samples = {3, 4, 5, 6}}, 0xFFFFFFFF),
        Wav("DataSize2GiB32", {.bits = 32, .samples = {3, 4, 5, 6}}, 0x80000000),
        Wav("PartialFrame", {.channels = 3, .rate = 2, .samples = {1, 2, 3, 4, 5, 6, 7}}),
        Wav("PartialFrameClaimed", {.channels = 3, .rate = 2, .samples = {1, 2, 3, 4, 5, 6, 7}}, 7 * 2 + 1)),
    Name);

INSTANTIATE_TEST_SUITE_P(
    WavRefusals, Imports,
    ::testing::Values(
        // Compressed formats, and widths no codec reads.
        WavRefused("Adpcm", {.formatTag = 2}, true),
        WavRefused("Mpeg", {.formatTag = 0x55}, true),
        WavRefused("IbmMuLawWithPcmsLowByte", {.bits = 8, .formatTag = 0x0101}, true),
        WavRefused("ExtensibleAdpcm", {.formatTag = kWavExtensible, .subFormat = 2}, false),
        WavRefused("ExtensibleOtherGuid", {.formatTag = kWavExtensible}, true, 50, "\x01"),
        WavRefused("Float16", {.formatTag = kWavFloat}, true),
        WavRefused("Pcm12", {.bits = 12}, true),
        WavRefused("Pcm4", {.bits = 4}, false),
        // Headers that are not RIFF WAVE with a format chunk first.
        ImportCase{"NotRiff", "WAV", "w", "RIFX" + std::string(60, '\x01'), 2, false, 2, kMissing, 41, "|"},
        WavRefused("Avi", {}, true, 8, "AVI "),
        WavRefused("NoFormatFirst", {}, true, 12, "junk"),
        WavRefused("FormatOf14Bytes", {}, true, 16, LeBytes(14, 4)),
        WavRefused("ExtensibleFormatOf18Bytes", {.formatTag = kWavExtensible}, true, 16, LeBytes(18, 4)),
        WavRefused("NoChannels", {.channels = 0}, true),
        WavRefused("NoRate", {.rate = 0}, false),
        // The walk over the chunks: sizes past the end, no data chunk.
        WavRefused("ChunkPastTheEnd", {.chunks = {List()}}, true, 40, LeBytes(0xFFFFFFFF, 4)),
        WavRefused("FormatPastTheEnd", {}, false, 16, LeBytes(0x7FFFFFF0, 4)),
        ImportCase{"NoDataChunk", "WAV", "w", MakeWav(WavSpec{}).substr(0, 36) + Chunk(List()) + Chunk({"JUNK", "abc"}),
                   2, true, 2, kMissing, 41, "|"},
        // The header ends inside a field: the nested READ met the end of the
        // file (legacy 4).
        ImportCase{"HeaderCut", "WAV", "w", MakeWav(WavSpec{}).substr(0, 30), 2, true, 2, kMissing, 33, "|"},
        ImportCase{"HeaderCutLegacy", "WAV", "w", MakeWav(WavSpec{}).substr(0, 30), 2, false, 2, kMissing, 4, "|"}),
    Name);

// Two columns with labels, a cell without a number in the second (for
// SIGMAWIN), in the byte order (and with the SKIP) of the script.
ImportCase Sigma(const char* name, const char* method, char layout, int order, int skip = 0) {
    const std::vector<SigmaColumn> columns{{0, {1.5, -2.25, 1e10}, {}, "time"},
                                           {1, {3, 4, 5, 1e300}, {true, false, true, true}, "volts"}};
    const bool dos = std::string(method) == "SIGMADOS";
    const std::string bytes = dos ? MakeSigmaDos(columns, false, order, skip) : MakeSigmaWin(layout, 1, columns, order);
    return {name, method, "w", bytes, 1, false, 1, kMissing, 0,
            dos ? "1.5 -2.25 1e+10|3 4 5 1e+300" : "[time]1.5 -2.25 1e+10|[volts]3 - 5 1e+300", -1, order, skip};
}

// A column index below 0 or beyond any worksheet, read signed or unsigned.
ImportCase SigmaIndex(const char* name, const char* method, int32_t index, int isSigned) {
    const std::vector<SigmaColumn> columns{SigmaColumn{index, {1, 2}, {}, ""}};
    const bool win = std::string(method) == "SIGMAWIN";
    return {name, method, "w", win ? MakeSigmaWin('B', 1, columns) : MakeSigmaDos(columns), 1, false, 2, kMissing,
            41, win ? "|" : "", -1, 0, 0, isSigned};
}

// A Windows worksheet whose last column index is its own size: more columns
// than its bytes could describe.
std::string SigmaWinLastIndexOfItsSize() {
    std::string bytes = MakeSigmaWin('A', 0, {{0, {7}, {}, ""}});
    return bytes.replace(44, 2, LeBytes(bytes.size(), 2));
}

// A DOS block whose length walks back.
std::string DosBackwards() {
    std::string bytes = MakeSigmaDos({SigmaColumn{0, {1}, {}, ""}});
    bytes.replace(bytes.size() - 4 - (4 + 16 + 8), 4, LeBytes(0xFFFFFF00u, 4));
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    SigmaPlot, Imports,
    ::testing::Values(
        Sigma("WinMarkerAt16", "SIGMAWIN", 'A', 0), Sigma("WinMarkerAt32", "SIGMAWIN", 'B', 0),
        Sigma("WinNoMarker", "SIGMAWIN", 'C', 0), Sigma("WinShortsBigEndian", "SIGMAWIN", 'B', 1),
        Sigma("WinBigEndian", "SIGMAWIN", 'C', 2), Sigma("WinBigEndianMarkerAt16", "SIGMAWIN", 'A', 2),
        Sigma("DosLittleEndian", "SIGMADOS", ' ', 0), Sigma("DosShortsBigEndian", "SIGMADOS", ' ', 1),
        Sigma("DosBigEndianWithSkip", "SIGMADOS", ' ', 2, 3),
        // The last index ends the column records: the one of column 1 is not read.
        ImportCase{"WinLastIndex", "SIGMAWIN", "w", MakeSigmaWin('A', 0, {{0, {7}, {}, ""}, {1, {8}, {}, ""}}), 1,
                   false, 1, kMissing, 0, "7", -1, 0},
        ImportCase{"WinLastIndexOfItsSize", "SIGMAWIN", "w", SigmaWinLastIndexOfItsSize(), 1, false, 2, kMissing, 41,
                   "", -1, 0},
        ImportCase{"DosBlocks", "SIGMADOS", "w", MakeSigmaDos({{0, {1, 2, 3}, {}, ""}, {2, {-0.5, 0.25}, {}, ""}}), 1,
                   false, 1, kMissing, 0, "1 2 3||-0.5 0.25", -1, 0},
        ImportCase{"DosMarkerAsTheFirstByte", "SIGMADOS", "w", MakeSigmaDos({{0, {42}, {}, ""}}, true), 1, false, 1,
                   kMissing, 0, "42", -1, 0},
        ImportCase{"DosLongWorksheetName", "SIGMADOS", std::string(60, 'q'), MakeSigmaDos({{0, {5, 6}, {}, ""}}), 1,
                   false, 1, kMissing, 0, "5 6", -1, 0, 0, 0, std::string(60, 'q')},
        ImportCase{"DosWithoutBlocks", "SIGMADOS", "w", MakeSigmaDos({}), 1, false, 1, kMissing, 0, "", -1, 0},
        ImportCase{"DosWithoutMarkers", "SIGMADOS", "w", "no marker in here", 1, true, 2, kMissing, 33, "", -1, 0},
        ImportCase{"DosBlockWalksBack", "SIGMADOS", "w", DosBackwards(), 1, false, 2, kMissing, 41, "", -1, 0, 0, 1},
        SigmaIndex("WinIndexMinus1", "SIGMAWIN", -1, 0), SigmaIndex("WinIndexMinus1Signed", "SIGMAWIN", -1, 1),
        SigmaIndex("WinIndexMax", "SIGMAWIN", 0x7FFFFFFF, 0), SigmaIndex("DosIndexMax", "SIGMADOS", 0x7FFFFFFF, 0),
        SigmaIndex("DosIndexMinus1", "SIGMADOS", -1, 0), SigmaIndex("DosIndexMinus1Signed", "SIGMADOS", -1, 1)),
    Name);

// Lists into text cells, a column a list.
INSTANTIATE_TEST_SUITE_P(
    Mathematica, Imports,
    ::testing::Values(
        ImportCase{"Flat", "MATHEMATICA", "w", "{1, 2, 3}", 1, false, 1, kMissing, 0, "'1' '2' '3'"},
        ImportCase{"Nested", "MATHEMATICA", "w", "{{1,2},{3,4,5}}", 2, false, 1, kMissing, 0, "'1' '2'|'3' '4' '5'"},
        ImportCase{"ThirdListAddsATextColumn", "MATHEMATICA", "w", "{{1},{2},{3}}", 2, false, 1, kMissing, 0,
                   "'1'|'2'|'3'"},
        ImportCase{"BlanksAndLineBreaksDropped", "MATHEMATICA", "w", "{ 1 ,\r\n 2 }", 1, false, 1, kMissing, 0,
                   "'1' '2'"},
        ImportCase{"MantissaAndExponent", "MATHEMATICA", "w", "{1.5*^3, -2*^-4}", 1, false, 1, kMissing, 0,
                   "'1.5E3' '-2E-4'"},
        ImportCase{"LongElementSplit", "MATHEMATICA", "w", "{" + std::string(130, '7') + "}", 1, false, 1, kMissing,
                   0, "'" + std::string(121, '7') + "' '777777777'"},
        ImportCase{"ThreeLevelsDeep", "MATHEMATICA", "w", "{{{1}}}", 1, true, 2, kMissing, 41, ""}),
    Name);

// WKSBLOCK: a line a row into a rectangle of the worksheet; its answer is the
// rows it read.
INSTANTIATE_TEST_SUITE_P(
    WksBlock, Imports,
    ::testing::Values(
        ImportCase{"ColumnsTwoAndThree", "WKSBLOCK", "w,2,3,1,2", "1 2 3\n4 5 6\n", 3, true, 1, 2, 0, "|1 4|2 5", 12},
        ImportCase{"ToTheEndLegacy", "WKSBLOCK", "w,1,1,1,0", "1\n2\n", 1, false, 1, 2, 1030, "1 2", 4},
        ImportCase{"ToTheEndCurrent", "WKSBLOCK", "w,1,1,1,0", "1\n2\n", 1, true, 2, 2, 33, "1 2", 4},
        ImportCase{"SeparatorsAreBlanks", "WKSBLOCK", "w,1,3,1,1", "1,2,3\r\n", 3, true, 1, 1, 0, "1|2|3", 7},
        ImportCase{"HeaderLine", "WKSBLOCK", "w,1,2,1,5", "x y\n1 2\n", 2, true, 1, 0, 1031, "| Z$=x y", 4},
        ImportCase{"LowerCaseExponentStops", "WKSBLOCK", "w,1,1,1,1", "1e5\n", 1, false, 1, 0, 1031, " Z$=e5", 4},
        ImportCase{"LastLineWithoutLineEnd", "WKSBLOCK", "w,1,2,1,1", "7 8", 2, true, 1, 1, 0, "7|8", 3},
        ImportCase{"NumberCharactersThatMakeNoNumber", "WKSBLOCK", "w,1,2,1,5", "1-2 3\n1 2\n", 2, true, 1, 0, 1031,
                   "|", 6},
        ImportCase{"SignsDecimalsExponentsAndTabs", "WKSBLOCK", "w,1,2,1,1", "-1.5E3\t.25\n", 2, true, 1, 1, 0,
                   "-1500|0.25", 11},
        // A row limit below 0 is reached before the first row: nothing read.
        ImportCase{"NegativeRowEndReadsNothing", "WKSBLOCK", "w,1,2,1,-1", "1 2\n", 2, false, 1, 0, 0, "|", 0}),
    Name);

// Refused before a byte is read: a worksheet that does not exist (SIGMAWIN
// answers in the current numbering from its start), no current file
// (WKSBLOCK's nested GETPOS fails: 13, or the legacy 4 of a failed nested
// call), rows or columns before the first. Each check runs the same way in
// both numberings; a pair of rows shows the two numbers of a shared error.
const std::string kAny = "1 2 3\n{1,2}\n";

INSTANTIATE_TEST_SUITE_P(
    Refusals, Imports,
    ::testing::Values(
        ImportCase{"WavNoWorksheet", "WAV", "nosuch", kAny, 1, false, 2, kMissing, 6, "", 0},
        ImportCase{"WavNoWorksheetCurrent", "WAV", "nosuch", kAny, 1, true, 2, kMissing, 20, "", 0},
        ImportCase{"SigmaWinNoWorksheet", "SIGMAWIN", "nosuch", kAny, 1, false, 2, kMissing, 20, "", 0},
        ImportCase{"SigmaDosNoWorksheet", "SIGMADOS", "nosuch", kAny, 1, false, 2, kMissing, 6, "", 0},
        ImportCase{"MathematicaNoWorksheet", "MATHEMATICA", "nosuch", kAny, 1, false, 2, kMissing, 39, "", 0},
        ImportCase{"WksBlockNoWorksheet", "WKSBLOCK", "nosuch,1,1,1,1", kAny, 1, false, 2, 0, 6, "", 0},
        ImportCase{"WavNoWorksheetName", "WAV", "", kAny, 1, false, 2, 0, 1024, "", 0},
        ImportCase{"WavNoWorksheetNameCurrent", "WAV", "", kAny, 1, true, 2, 0, 10, "", 0},
        ImportCase{"WksBlockNoWorksheetName", "WKSBLOCK", ",1,1,1,1", kAny, 1, false, 2, 0, 1024, "", 0},
        ImportCase{"WksBlockNoCurrentFile", "WKSBLOCK", "w,1,1,1,1", "", 1, false, 2, 0, 4, ""},
        ImportCase{"WksBlockNoCurrentFileCurrent", "WKSBLOCK", "w,1,1,1,1", "", 1, true, 2, 0, 13, ""},
        ImportCase{"WksBlockRowZero", "WKSBLOCK", "w,1,1,0,1", kAny, 1, false, 2, 0, 3, "", 0},
        ImportCase{"WksBlockRowZeroCurrent", "WKSBLOCK", "w,1,1,0,1", kAny, 1, true, 2, 0, 12, "", 0},
        ImportCase{"WksBlockColumnZero", "WKSBLOCK", "w,0,1,1,1", kAny, 1, false, 2, 0, 3, "", 0}),
    Name);

class ImportTest : public ZelFixture {};

// A method the host calls while an import runs (here from the repaint) is
// refused; the import goes on and ends as it would have.
TEST_F(ImportTest, CallsWhileAnImportRunsAreRefused) {
    scratch_.Make("other.wav", MakeWav(WavSpec{}));
    const tavrel::Worksheet& other = host().CreateWorksheet("other", 2);
    std::vector<int32_t> inner;
    host().onRepaint = [&] {
        for (const char* method : {"WAV", "READ"}) {
            inner.push_back(Call(method, std::string(method) == "WAV" ? "other" : "2").code);
            inner.push_back(Error());
        }
    };
    scratch_.Make("in.wav", MakeWav({.samples = {5, 6}}));
    const tavrel::Worksheet& w = host().CreateWorksheet("w", 2);
    OpenFile("in.wav");
    ASSERT_EQ(Call("WAV", "w").code, 1) << Error();
    host().onRepaint = nullptr;
    EXPECT_EQ(ColumnsOf(w), "0.000125 0.00025|5 6");
    EXPECT_EQ(inner, (std::vector<int32_t>{2, 42, 2, 42}));
    EXPECT_EQ(ColumnsOf(other), "|");
    EXPECT_EQ(Call("REWIND").code, 1);  // afterwards the methods run again
}

struct SoxCase {
    int channels;
    int bits;
    bool real;  // floats; integers of 8 bits are unsigned, wider ones signed
};

void PrintTo(const SoxCase& c, std::ostream* out) { *out << c.channels << " x " << c.bits << (c.real ? " float" : ""); }

class SoxFiles : public ZelFixture, public ::testing::WithParamInterface<SoxCase> {};

// A file that sox made from raw samples gives those samples back. sox writes
// the plain PCM format for up to 16 bits and 2 channels, the extensible one
// beyond, and the float format for floats.
TEST_P(SoxFiles, GiveTheRawSamplesBack) {
#ifdef _WIN32
    GTEST_SKIP() << "sox runs on the build machine, not under the Windows test build";
#endif
    ASSERT_EQ(std::system("sox --version > /dev/null 2>&1"), 0)
        << "sox is missing: the test command installs Debian's sox";
    const SoxCase& c = GetParam();
    const std::string encoding = c.real ? "floating-point" : c.bits == 8 ? "unsigned-integer" : "signed-integer";
    WavSpec spec{.bits = c.bits, .formatTag = c.real ? kWavFloat : kWavPcm};
    // Floats: multiples of 2^-10 in [-1, 1), exact in both widths. Integers:
    // spread over the whole range of their width.
    const int64_t range = c.real ? 0 : int64_t{1} << c.bits;
    for (int64_t i = 0; i < 50 * c.channels; ++i) {
        const int64_t s = c.real ? 0 : i * 7919 * 104729 % range;
        spec.samples.push_back(c.real ? static_cast<double>(i * 7919 % 2048 - 1024) / 1024.0
                                      : static_cast<double>(c.bits > 8 && s >= range / 2 ? s - range : s));
    }
    scratch_.Make("in.raw", MakeWav(spec).substr(44));  // the samples, without the header
    const std::string command = "sox -t raw -r 11025 -e " + encoding + " -b " + std::to_string(c.bits) + " -c " +
                                std::to_string(c.channels) + " '" + scratch_.PathOf("in.raw") + "' -t wav '" +
                                scratch_.PathOf("sox.wav") + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const tavrel::Worksheet& w = host().CreateWorksheet("s", 2);
    OpenFile("sox.wav");
    ASSERT_EQ(Call("WAV", "s").code, 1) << command << ": ERROR " << Error();
    EXPECT_EQ(ColumnsOf(w), WavColumns(c.channels, 11025, spec.samples)) << command;
}

INSTANTIATE_TEST_SUITE_P(
    Sox, SoxFiles,
    ::testing::Values(SoxCase{1, 16, false}, SoxCase{2, 16, false}, SoxCase{1, 8, false}, SoxCase{2, 8, false},
                      SoxCase{1, 24, false}, SoxCase{2, 24, false}, SoxCase{2, 32, false}, SoxCase{6, 16, false},
                      SoxCase{2, 32, true}, SoxCase{1, 64, true}),
    [](const auto& info) {
        const SoxCase& c = info.param;
        return std::to_string(c.channels) + "x" + std::to_string(c.bits) + (c.real ? "Float" : "");
    });

// A file whose bytes cannot be read past the first read-ahead ends
// MATHEMATICA with 28 (legacy 1028) instead of keeping it reading.
class MathematicaReadFailure : public ZelFixture {};
TEST_F(MathematicaReadFailure, EndsTheImport) {
    FailingVfs& layer = UseFailingVfs();
    host().CreateWorksheet("w", 1);
    std::string list = "{1";
    while (list.size() <= zel::platform::File::kReadBufferSize) list += ", 1";
    scratch_.Make("in.dat", list + "}");
    OpenFile("in.dat");
    for (auto [newActions, error] : {std::pair{true, 28}, std::pair{false, 1028}}) {
        UseNewActions(newActions);
        Call("REWIND");
        layer.Fail(VfsOp::Read, zel::platform::FileCause::HardIO, 1, Strike::Always);
        EXPECT_EQ(Call("MATHEMATICA", "w").code, 2);
        EXPECT_EQ(Error(), error);
        layer.Clear();
    }
}

}  // namespace
}  // namespace zeltest
