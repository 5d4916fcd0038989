// The block request: every transfer gives the same results whether the host
// serves blocks or answers cell by cell, and a host that does not know the
// probe (answers 0, leaves the word as it is, or writes something else)
// never receives a block request.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "Host.h"
#include "binary/BinaryTesting.h"

namespace zeltest {
namespace {

enum class HostKind {
    Blocks,        // serves the block request
    Refuses,       // an older host: refuses every code it does not know
    AnswersZero,   // answers 0 to every code it does not know, writes nothing
    WrongMagic,    // answers the probe with another magic value
    WrongVersion,  // answers the probe with another version
    NumbersOnly,   // serves blocks of numbers, refuses blocks of texts
};

const char* Name(HostKind kind) {
    static const char* const kNames[] = {"Blocks",     "Refuses",      "AnswersZero",
                                         "WrongMagic", "WrongVersion", "NumbersOnly"};
    return kNames[static_cast<int>(kind)];
}

HostKind g_kind = HostKind::Blocks;
std::vector<int32_t> g_requests;

bool IsBlockCode(int32_t code) {
    return code == ZEL_CB_BLOCK_PROBE || code == ZEL_CB_BLOCK_SET || code == ZEL_CB_BLOCK_GET ||
           code == ZEL_CB_BLOCK_SET_TEXT;
}

int32_t ZEL_CDECL Interposed(uint32_t handle, int32_t code, intptr_t arg, intptr_t out) {
    g_requests.push_back(code);
    if (g_kind == HostKind::NumbersOnly && code == ZEL_CB_BLOCK_SET_TEXT) return 1;
    if (IsBlockCode(code) && g_kind != HostKind::Blocks && g_kind != HostKind::NumbersOnly) {
        auto* probe = reinterpret_cast<ZelBlockProbe*>(out);
        switch (g_kind) {
            case HostKind::Refuses: return 1;
            case HostKind::AnswersZero: return 0;
            case HostKind::WrongMagic:
                if (code == ZEL_CB_BLOCK_PROBE) *probe = {ZEL_BLOCK_MAGIC ^ 1u, ZEL_BLOCK_VERSION};
                return 0;
            case HostKind::WrongVersion:
                if (code == ZEL_CB_BLOCK_PROBE) *probe = {ZEL_BLOCK_MAGIC, ZEL_BLOCK_VERSION + 1};
                return 0;
            case HostKind::Blocks:
            case HostKind::NumbersOnly: break;
        }
    }
    return tavrel::Host::Callback(handle, code, arg, out);
}

std::string Doubles(const std::vector<double>& values) {
    std::string s;
    for (double v : values) s += Double(v);
    return s;
}

std::vector<double> Ramp(int n, double scale) {
    std::vector<double> values;
    for (int i = 0; i < n; ++i) values.push_back((i - n / 3) * scale + 0.25);
    return values;
}

// One transfer: what it sets up, and the calls it makes, one "METHOD args"
// each, or "=NAME value" to set a property.
struct Transfer {
    const char* name;
    std::function<void(tavrel::Host& host, ScratchDir& scratch)> setUp;  // may be empty
    std::vector<std::string> steps;
};

void PrintTo(const Transfer& t, std::ostream* out) { *out << t.name; }

// A set-up that writes the bytes to the file and, given columns, makes
// worksheet w of that many.
std::function<void(tavrel::Host&, ScratchDir&)> In(std::string bytes, int columns = 0, const char* file = "in.bin") {
    return [bytes = std::move(bytes), columns, file](tavrel::Host& h, ScratchDir& s) {
        s.Make(file, bytes);
        if (columns > 0) h.CreateWorksheet("w", columns);
    };
}

// Samples of a WAV file, each its index scaled into the range of its width.
std::string Wav(int channels, int bits, int samples, int factor) {
    const int range = 1 << bits;
    WavSpec spec{.channels = channels, .bits = bits};
    for (int i = 0; i < samples; ++i) spec.samples.push_back((i * factor) % range - range / 2);
    return MakeWav(spec);
}

const std::vector<Transfer>& Transfers() {
    static const std::vector<Transfer> transfers = {
        {"AreadManyBlocks", In(Doubles(Ramp(200000, 1.5))), {"=NBYTES 8", "OPEN in.bin,0", "AREAD d,1,200000,1"}},
        {"AreadBigEndianDoubles", In([] {
             std::string bytes = Doubles(Ramp(3000, -0.75));
             for (size_t at = 0; at < bytes.size(); at += 8) std::reverse(bytes.begin() + at, bytes.begin() + at + 8);
             return bytes;
         }()),
         {"=NBYTES 8", "=BYTEORDER 2", "OPEN in.bin,0", "AREAD d,1,3000,1"}},
        {"AreadIntoTheMiddleOfALongerDataset",
         [](tavrel::Host& h, ScratchDir& s) {
             s.Make("in.bin", Spaced(Series(40, -9000, 977), 2, 2));
             Fill(h.CreateDataset("d"), Series(30, 100, 1));
         },
         {"=NBYTES 2", "=SKIP 2", "=SIGNED 1", "OPEN in.bin,0", "AREAD d,5,20,0"}},
        {"AreadCutShortByTheEnd", In(Doubles(Ramp(10, 3.0)) + "abc"), {"=NBYTES 8", "OPEN in.bin,0", "AREAD d,1,20,1"}},
        {"AreadOfTheMissingValueEmptiesCells",
         [](tavrel::Host& h, ScratchDir& s) {
             s.Make("in.bin", Doubles({1.0, ZEL_MISSING_VALUE, 3.0, ZEL_MISSING_VALUE}));
             Fill(h.CreateDataset("d"), Column(4, 7.0));
         },
         {"=NBYTES 8", "OPEN in.bin,0", "AREAD d,1,4,1"}},
        {"AreadOverTexts",
         [](tavrel::Host& h, ScratchDir& s) {
             s.Make("in.bin", Doubles({1.5, 2.5, 3.5}));
             tavrel::Dataset& d = h.CreateDataset("t", true);
             d.setText(0, "zero");
             d.setText(1, "one");
             d.setText(3, "three");
             d.resize(4);
         },
         {"=NBYTES 8", "OPEN in.bin,0", "AREAD t,1,3,1"}},
        {"AreadPastTheHostsLastCell", In(Doubles(Ramp(8, 1.0))),
         {"=NBYTES 8", "OPEN in.bin,0", "AREAD d,16777213,16777220,1"}},
        {"RefusedPastTheHostsLastCell", In(Doubles(Ramp(4, 1.0))),
         {"=NBYTES 8", "OPEN in.bin,0", "AREAD d,16777217,16777220,1"}},
        {"AreadBcdStopsAtABadDigit", In([] {
             std::string bytes;
             for (int i = 0; i < 6; ++i) bytes += std::string("\x12\x34", 2) + std::string(8, '\0');
             bytes += std::string("\xAB", 1) + std::string(9, '\0') + std::string("\x01", 1) + std::string(9, '\0');
             return bytes;
         }()),
         {"=NBYTES 10", "OPEN in.bin,0", "AREAD d,1,8,2"}},
        {"AwriteBeyondTheExtentAndOverTexts",
         [](tavrel::Host& h, ScratchDir&) {
             tavrel::Dataset& d = h.CreateDataset("t", true);
             d.set(0, 1.25);
             d.setText(1, "text");
             d.set(3, -8.0);
             d.resize(5);
         },
         {"=NBYTES 8", "OPEN out.bin,1", "AWRITE t,1,9,1", "CLOSE"}},
        {"AwriteManyBlocks",
         [](tavrel::Host& h, ScratchDir&) { Fill(h.CreateDataset("d"), Series(150000, -7, 0.5)); },
         {"=NBYTES 4", "OPEN out.bin,1", "AWRITE d,1,150000,1", "CLOSE"}},
        {"ReadrecordWithAGap", In([] {
             std::string bytes;
             for (int r = 0; r < 5000; ++r) {
                 bytes += LeBytes(static_cast<uint64_t>(r * 13), 2) + LeBytes(static_cast<uint64_t>(-r), 4) +
                          LeBytes(static_cast<uint64_t>(r), 4) + "pad!" + Double(r / 8.0);
             }
             return bytes.substr(0, bytes.size() - 5);
         }(), 2),
         {"OPEN in.bin,0", "READRECORD w,5000,SHORT|-LONG2|4|DOUBLE"}},
        {"ReadrecordStopsAtABadBcdDigitAfterAnOutOfRangeExtended", In([] {
             std::string bytes;
             for (int r = 0; r < 200; ++r) {
                 const std::string bcd = r == 150 ? std::string("\0\x1F", 2) + std::string(8, '\0')
                                                  : std::string("\x42\x01", 2) + std::string(8, '\0');
                 // An extended exponent beyond the double range in record 7.
                 const std::string extended = r == 7 ? std::string(8, '\x01') + std::string("\xFF\x7F", 2)
                                                     : Extended(r * 0.75);
                 bytes += LeBytes(static_cast<uint64_t>(r), 2) + bcd + extended;
             }
             return bytes;
         }(), 3),
         {"OPEN in.bin,0", "READRECORD w,200,SHORT|BC|LD"}},
        {"ReadrecordWideAndLong", In([] {
             std::string bytes;
             for (int r = 0; r < 9000; ++r) {
                 for (int c = 0; c < 24; ++c) bytes += Double(r * 100.0 + c);
             }
             return bytes;
         }(), 24),
         {"OPEN in.bin,0", "READRECORD w,9000,DOUBLE24"}},
        {"WriterecordPastItsColumns",
         [](tavrel::Host& h, ScratchDir&) {
             tavrel::Worksheet& w = h.CreateWorksheet("w", 3);
             for (int c = 1; c <= 3; ++c) Fill(w.column(c)->dataset(), Series(40 - 10 * c, 0.5, c));
         },
         {"OPEN out.bin,1", "WRITERECORD w,40,DOUBLE|-LONG|SHORT", "CLOSE"}},
        {"WavStereo", In(Wav(2, 16, 30001, 7919), 2, "in.wav"), {"OPEN in.wav,0", "WAV w"}},
        {"WavThreeChannels", In(Wav(3, 24, 3000, 104729), 2, "in.wav"), {"OPEN in.wav,0", "WAV w"}},
        {"MathematicaListOfListsAddsAColumn", In([] {
             std::string list = "{";
             for (int c = 0; c < 3; ++c) {
                 list += c > 0 ? ",{" : "{";
                 for (int r = 0; r < 1500 + 700 * c; ++r) list += (r > 0 ? ", " : "") + std::to_string(r * 3 + c);
                 list += "}";
             }
             return list + "}";
         }(), 2),
         {"OPEN in.bin,0", "MATHEMATICA w"}},
        {"MathematicaListWithLongElementsAndExponents", In([] {
             std::string list = "{";
             for (int r = 0; r < 2100; ++r) {
                 list += (r > 0 ? "," : "") + (r % 500 == 7 ? std::string(130, '9') : std::to_string(r) + "*^-3");
             }
             return list + "}";
         }(), 1),
         {"OPEN in.bin,0", "MATHEMATICA w"}},
        {"RefusedIntoADatasetThatIsNotThere", {}, {"=NBYTES 8", "OPEN x.bin,2", "AWRITE nothere,1,5,1"}},
    };
    return transfers;
}

// Everything a script or user can see after a transfer, after the results of its calls.
std::string Observe(tavrel::Host& host, ScratchDir& scratch, std::ostringstream& out) {
    std::vector<tavrel::Dataset*> datasets;
    for (const char* name : {"d", "t"}) datasets.push_back(host.FindDataset(name));
    if (tavrel::Worksheet* w = host.FindWorksheet("w")) {
        for (int c = 1; c <= w->columnCount(); ++c) datasets.push_back(&w->column(c)->dataset());
    }
    for (tavrel::Dataset* d : datasets) {
        if (d == nullptr) continue;
        out << d->name() << " [" << d->lower() << "," << d->upper() << ") size " << d->size() << ":";
        // Cells that hold something, by index: a dataset may reach far.
        for (std::size_t i = 0; i < d->size(); ++i) {
            if (d->kind(i) != tavrel::CellKind::Empty) out << " " << i << ":" << static_cast<int>(d->kind(i)) << ":"
                                                           << d->display(i);
        }
        out << "\n";
    }
    for (const char* file : {"out.bin", "x.bin"}) {
        const std::string path = scratch.PathOf(file);
        if (std::filesystem::exists(path)) out << file << ": " << ScratchDir::Contents(path).size() << " bytes\n"
                                               << ScratchDir::Contents(path) << "\n";
    }
    return out.str();
}

class BlockPath : public ZelFixture, public ::testing::WithParamInterface<std::tuple<Transfer, bool>> {
protected:
    // Runs the transfer through a host of that kind and answers what is seen.
    std::string Run(HostKind kind) {
        const auto& [transfer, newActions] = GetParam();
        g_kind = kind;
        g_requests.clear();
        InterposeCallback(&Interposed);
        Restart();
        ScratchDir scratch;
        if (transfer.setUp) transfer.setUp(host(), scratch);
        // The dataset the array rows read into, unless the row made its own.
        if (host().FindDataset("d") == nullptr) host().CreateDataset("d");
        std::ostringstream seen;
        SetNumber("NEWACTIONS", newActions ? 1 : 0);
        for (const std::string& step : transfer.steps) {
            const auto blank = step.find(' ');
            if (step[0] == '=') {
                SetNumber(step.substr(1, blank - 1).c_str(), std::stod(step.substr(blank + 1)));
                continue;
            }
            const std::string method = step.substr(0, blank);
            std::string args = blank == std::string::npos ? "" : step.substr(blank + 1);
            for (const char* file : {"in.bin", "in.wav", "out.bin", "x.bin"}) {
                if (const auto at = args.find(file); at != std::string::npos) {
                    args.replace(at, std::strlen(file), scratch.PathOf(file));
                }
            }
            const tavrel::CallResult r = Call(method, args);
            seen << method << " -> " << r.code << " " << r.value << " ERROR " << Error() << " SYSERR " << SysErr()
                 << "\n";
        }
        Call("CLOSEALL");
        return Observe(host(), scratch, seen);
    }
    int Count(int32_t code) const { return static_cast<int>(std::count(g_requests.begin(), g_requests.end(), code)); }
};

TEST_P(BlockPath, EveryHostSeesTheSameResults) {
    const std::string perCell = Run(HostKind::Refuses);
    const std::vector<int32_t> perCellRequests = g_requests;
    ASSERT_EQ(Count(ZEL_CB_BLOCK_SET) + Count(ZEL_CB_BLOCK_GET), 0);

    for (HostKind kind : {HostKind::AnswersZero, HostKind::WrongMagic, HostKind::WrongVersion}) {
        EXPECT_EQ(Run(kind), perCell) << Name(kind);
        // Not one block request, and every other request as the older host got it.
        EXPECT_EQ(g_requests, perCellRequests) << Name(kind);
    }

    EXPECT_EQ(Run(HostKind::NumbersOnly), perCell);
    EXPECT_EQ(Run(HostKind::Blocks), perCell);
    const int probes = Count(ZEL_CB_BLOCK_PROBE);
    const int blocks = Count(ZEL_CB_BLOCK_SET) + Count(ZEL_CB_BLOCK_GET) + Count(ZEL_CB_BLOCK_SET_TEXT);
    // A transfer that moves cells moves them in blocks, a few cells a request at least.
    int cells = 0;
    for (int32_t code : {ZEL_CB_VALUE_SET, ZEL_CB_VALUE_GET, ZEL_CB_TEXT_SET}) {
        cells += static_cast<int>(std::count(perCellRequests.begin(), perCellRequests.end(), code));
    }
    // Every row but the refused ones moves cells.
    if (!std::string_view(std::get<0>(GetParam()).name).starts_with("Refused")) {
        EXPECT_GT(cells, 0);
    }
    if (probes > 0 && cells > 64) {
        EXPECT_GT(blocks, 0);
        EXPECT_LT(blocks + Count(ZEL_CB_VALUE_SET) + Count(ZEL_CB_VALUE_GET) + Count(ZEL_CB_TEXT_SET), cells / 4);
    }
}

INSTANTIATE_TEST_SUITE_P(Transfers, BlockPath, ::testing::Combine(::testing::ValuesIn(Transfers()), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_Current" : "_Legacy");
                         });

}  // namespace
}  // namespace zeltest
