// Writes the seed corpora: small files of each format made by the tests'
// own writers (tests/import/ImportTesting.h) or by hand, behind the leading
// bytes each harness takes its settings from.
//
// Usage: zel_fuzz_seeds CORPUS_FOLDER   (writes CORPUS_FOLDER/<harness>/*)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "import/ImportTesting.h"

namespace {

namespace fs = std::filesystem;
using namespace zeltest;

// The settings bytes of the harnesses: the current numbering, 2-byte values,
// little-endian, unsigned, no skip, the comma, line mode 0.
const std::string kSettings("\x00\x01", 2);

std::string Bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

// A signed 16-bit number, least significant byte first.
std::string Word(int value) { return LeBytes(static_cast<uint16_t>(value), 2); }

// A text with its length byte before it.
std::string Counted(const std::string& text) { return Bytes({static_cast<int>(text.size())}) + text; }

struct Writer {
    fs::path root;
    int written = 0;

    void Seed(const std::string& harness, const std::string& name, const std::string& bytes) {
        fs::create_directories(root / harness);
        std::ofstream(root / harness / name, std::ios::binary) << bytes;
        ++written;
    }
};

void Imports(Writer& w) {
    WavSpec mono;
    mono.samples = {0, 100, -100, 32767, -32768};
    w.Seed("wav", "mono16", kSettings + Bytes({2 << 2}) + MakeWav(mono));
    WavSpec stereo;
    stereo.channels = 2;
    stereo.samples = {100, -100, 2000, -2000, 30000, -30000};
    stereo.fact = true;
    w.Seed("wav", "stereo16-fact", kSettings + Bytes({(3 << 2) | 1}) + MakeWav(stereo));
    WavSpec bytes8;
    bytes8.bits = 8;
    bytes8.samples = {0, 128, 255};
    bytes8.formatExtra = 2;
    w.Seed("wav", "mono8-extra", kSettings + Bytes({2 << 2}) + MakeWav(bytes8));
    bytes8.chunks = {{"LIST", "INFOISFT" + LeBytes(5, 4) + "sox 1"}, {"JUNK", std::string(28, '\0')}};
    w.Seed("wav", "other-chunks", kSettings + Bytes({2 << 2}) + MakeWav(bytes8));
    WavSpec extensible;
    extensible.formatTag = kWavExtensible;
    extensible.bits = 24;
    extensible.channels = 6;
    extensible.samples = {1, -1, 8388607, -8388608, 2, 3};
    w.Seed("wav", "extensible24", kSettings + Bytes({2 << 2}) + MakeWav(extensible));
    WavSpec reals;
    reals.formatTag = kWavFloat;
    reals.bits = 32;
    reals.channels = 2;
    reals.formatExtra = 2;
    reals.fact = true;
    reals.samples = {0.5, -0.25, 1.0, -1.0};
    w.Seed("wav", "float32", kSettings + Bytes({3 << 2}) + MakeWav(reals));
    reals.formatTag = kWavExtensible;
    reals.subFormat = kWavFloat;
    reals.bits = 64;
    w.Seed("wav", "extensible-float64", kSettings + Bytes({3 << 2}) + MakeWav(reals));
    WavSpec wide;
    wide.bits = 32;
    wide.channels = 2;
    wide.samples = {1, -1, 70000, -70000};
    w.Seed("wav", "stereo32", Bytes({0x01, 0x03}) + Bytes({3 << 2}) + MakeWav(wide));

    const std::vector<SigmaColumn> columns = {
        {0, {1.0, 2.5, -3.0}, {}, "time"},
        {2, {0.125, 1e10}, {true, false}, ""},
    };
    w.Seed("sigmawin", "layout-a", kSettings + Bytes({4 << 2}) + MakeSigmaWin('A', 2, columns));
    w.Seed("sigmawin", "layout-b", kSettings + Bytes({(4 << 2) | 1}) + MakeSigmaWin('B', 2, columns));
    w.Seed("sigmawin", "layout-c", Bytes({0x01, 0x05}) + Bytes({1 << 2}) + MakeSigmaWin('C', 2, columns));

    w.Seed("sigmados", "two-columns", kSettings + Bytes({3 << 2}) + MakeSigmaDos(columns));
    w.Seed("sigmados", "first-byte-marker", kSettings + Bytes({(3 << 2) | 1}) + MakeSigmaDos(columns, true));

    // A file operation failing midway: read, seek, tell, size (flags bits 5
    // to 7), after the number of calls in the byte that follows.
    w.Seed("wav", "read-fails", kSettings + Bytes({(2 << 2) | (1 << 5), 3}) + MakeWav(mono));
    w.Seed("sigmawin", "seek-fails", kSettings + Bytes({(4 << 2) | (2 << 5), 4}) + MakeSigmaWin('B', 2, columns));
    w.Seed("sigmados", "tell-fails", kSettings + Bytes({(3 << 2) | (3 << 5), 1}) + MakeSigmaDos(columns));
    w.Seed("mathematica", "size-fails", kSettings + Bytes({(1 << 2) | (4 << 5), 0}) + "{{1, 2}, {3, 4}}");

    w.Seed("mathematica", "list", kSettings + Bytes({0}) + "{1, 2.5, 1.5*^3}");
    w.Seed("mathematica", "lists", kSettings + Bytes({1 << 2}) + "{{1, 2}, {3, 4.5*^-2, -7}}\n");
    w.Seed("mathematica", "empty", kSettings + Bytes({1}) + "{}");
}

void Text(Writer& w) {
    // WKSBLOCK: flags (3 columns), colBegin, colEnd, rowBegin, rowEnd.
    w.Seed("wksblock", "block", kSettings + Bytes({3}) + Word(1) + Word(3) + Word(1) + Word(0) + "1 2 3\n4,5\t6\n7 8 9\n");
    w.Seed("wksblock", "not-numeric", kSettings + Bytes({3}) + Word(2) + Word(3) + Word(2) + Word(4) + "1 2\r\n3 x 4\r\nrest\r\n");

    // ASCII: STOPMODE, READMODE, NTOKENS, NLINES, four texts, flags, file.
    const std::string csv = "name,value\r\n1,2.5\r\n3,-4e2\r\nend\r\n";
    w.Seed("ascii", "to-the-end",
           kSettings + Bytes({0, 0, 1, 1}) + Counted("") + Counted("") + Counted("") + Counted("") +
               Bytes({3}) + csv);
    w.Seed("ascii", "stop-string",
           kSettings + Bytes({2, 0, 1, 1}) + Counted("") + Counted("end") + Counted("") + Counted("") +
               Bytes({1 | (1 << 3)}) + csv);
    w.Seed("ascii", "stop-char-include",
           kSettings + Bytes({1, 1, 1, 1}) + Counted(";") + Counted("") + Counted("0123456789.") +
               Counted("") + Bytes({3}) + "1;2;3\n4;5\n");
    w.Seed("ascii", "tokens-lines",
           Bytes({0x10, 0x80, '\t'}) + Bytes({12, 0, 3, 4}) + Counted("") + Counted("") + Counted("") +
               Counted(" ") + Bytes({3 | (3 << 3)}) + "a\tb\tc\n1\t2\t3\n4\t5\t6\n");

    // LINEROW, READROW, READARRAY: method, settings, two arguments, flags.
    const std::string rows = "1,2,3\r\n4,5.5,-6\r\n7e1,,x\r\n";
    w.Seed("textrow", "linerow", Bytes({0}) + kSettings + Word(0) + Word(0) + Bytes({2 << 1}) + rows);
    w.Seed("textrow", "readrow", Bytes({1}) + kSettings + Word(3) + Word(0) + Bytes({2 << 1}) + rows);
    w.Seed("textrow", "readrow-text", Bytes({1}) + kSettings + Word(3) + Word(0) + Bytes({(2 << 1) | 8}) + rows);
    w.Seed("textrow", "readarray", Bytes({2}) + kSettings + Word(1) + Word(5) + Bytes({0}) + rows);
    w.Seed("textrow", "readrow-lf", Bytes({1}) + Bytes({0x10, 0x81, ';'}) + Word(2) + Word(0) + Bytes({1 << 1}) + "a;b\n1;2\n");
}

void Binary(Writer& w) {
    // READRECORD: columns, nRecords, the template, the records.
    std::string records;
    for (int i = 0; i < 3; ++i) {
        records += LeBytes(static_cast<uint64_t>(i + 1), 2) + LeBytes(static_cast<uint32_t>(-i), 4) +
                   LeBytes(static_cast<uint64_t>(i * 1000), 4) + std::string(4, '\0') + Double(i * 0.5);
    }
    w.Seed("readrecord", "short-long2-skip-double",
           kSettings + Bytes({4}) + Word(3) + "SHORT|-LONG2|4|DOUBLE\n" + records);
    w.Seed("readrecord", "every-type",
           kSettings + Bytes({12}) + Word(1) + "BY|-SH|T|LO|BC|F|D|LD|SK|2\n" + std::string(60, '\x01'));
    w.Seed("readrecord", "bad-type", kSettings + Bytes({2}) + Word(1) + "short 2\n" + std::string(8, '\0'));

    // READROWBIN: columns, nToken, binType, flags, values.
    w.Seed("readrowbin", "int16", kSettings + Bytes({4}) + Word(4) + Bytes({0, 1 << 1}) +
                                      LeBytes(1, 2) + LeBytes(65535, 2) + LeBytes(300, 2) + LeBytes(7, 2));
    w.Seed("readrowbin", "double", kSettings.substr(0, 1) + Bytes({0x04}) + Bytes({3}) + Word(2) + Bytes({1, 0}) + Double(1.5) +
                                       Double(-2.25) + Double(1e300));
    w.Seed("readrowbin", "extended", Bytes({0x00, 0x05}) + Bytes({2}) + Word(2) + Bytes({1, 0}) + Extended(3.5) + Extended(-0.1));
}

// A MODLL request of each kind: a method call, a number and a text set and
// read back, and a listing.
void Modll(Writer& w) {
    auto call = [](int method, const std::string& args) { return Bytes({0, 0, method}) + args + "\n"; };
    WavSpec mono;
    mono.samples = {1, 2, 3};
    const std::string wav = MakeWav(mono);
    // Name indices of the harness's table.
    enum { OPEN = 0, READ = 13, TREAD = 26, WAV = 36, SETPOS = 5, AREAD = 21, NBYTES = 53, ASCII = 33,
           STOPSTRING = 66, SYNTAX = 41, TWRITE = 34, CLOSE = 1 };
    w.Seed("modll", "open-wav", Counted(wav) + call(OPEN, "a.bin,0") + call(WAV, "w") + call(READ, "2"));
    w.Seed("modll", "numbers",
           Counted("abcdefgh") + call(OPEN, "a.bin,2") + Bytes({1, 0, NBYTES, 2 * 1}) +
               Bytes({2, 0, NBYTES}) + call(AREAD, "d,1,4,0") + call(SETPOS, "0") + call(TREAD, "B,1"));
    w.Seed("modll", "sub-properties",
           Counted("x,y\nend\n") + call(OPEN, "a.bin") + Bytes({3, 1, ASCII, STOPSTRING}) + "end\n" +
               Bytes({4, 1, ASCII, STOPSTRING}) + call(ASCII, "C"));
    // Kind 7 with bit 6: writes fail from the second on.
    w.Seed("modll", "write-fails", Counted("") + call(OPEN, "b.bin,1") + Bytes({0x47, 4, 1}) +
                                      call(TWRITE, "\"abc\"") + call(TWRITE, "\"def\"") + call(CLOSE, ""));
    w.Seed("modll", "listing", Counted("") + Bytes({6, 0, 0}) + Bytes({6, 1, ASCII, 0}) + call(SYNTAX, "open") +
                                  Bytes({0x86, 0, 1}));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    Writer w{argv[1]};
    Imports(w);
    Text(w);
    Binary(w);
    Modll(w);
    std::printf("%d seeds written under %s\n", w.written, argv[1]);
    return 0;
}
