// Every file-layer operation and every guarded allocation of a scenario is
// made to fail in turn: the call it strikes fails with a number (or goes
// on), no object leaks, no descriptor stays open after CLOSEALL, an
// importer's settings come back, and no file gets a byte the scenario never
// asked to write.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Dataset.h"
#include "Worksheet.h"
#include "frame/ErrorCatalogue.h"
#include "frame/Mobj.h"
#include "import/ImportTesting.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

using zel::platform::FileCause;

struct Step {
    const char* method;
    std::string args;  // "%" stands for the scratch folder
};

struct Scenario {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;  // made before the steps
    std::vector<std::pair<std::string, int>> worksheets;      // name, columns
    std::vector<std::pair<std::string, std::vector<double>>> datasets;
    std::vector<std::pair<const char*, double>> settings;  // set before the steps
    std::vector<Step> steps;                               // the last one is CLOSEALL
    std::vector<std::string> outputs;                      // files the steps write
};

void PrintTo(const Scenario& s, std::ostream* out) { *out << s.name; }

// The settings an importer changes on its way and must put back.
constexpr const char* kSettings[] = {"NBYTES", "BYTEORDER", "SIGNED", "SKIP", "LISTSEP", "NLINEMODE", "NEWACTIONS"};

// What one run of a scenario left.
struct Outcome {
    std::vector<int> codes;           // of each step
    std::vector<int32_t> errors;      // ERROR after each step
    std::vector<int32_t> sysErrors;   // SYSERR after each step
    int struck = -1;                  // the step during which the fault struck
    std::vector<double> settings;     // after the last step
    std::vector<std::string> outputs;  // the bytes of each output file
    int openDescriptors = 0;
};

// One fresh ZEL object and host per run.
class Rig : public ZelFixture {
public:
    void TestBody() override {}

    // Runs the scenario; `arm` puts the fault in place just before the steps,
    // `struck` tells whether the fault has struck by now.
    Outcome Play(const Scenario& s, const std::function<void(Rig&)>& arm, const std::function<bool(Rig&)>& struck) {
        for (const auto& [name, bytes] : s.files) scratch_.Make(name, bytes);
        for (const auto& [name, columns] : s.worksheets) host().CreateWorksheet(name, columns);
        for (const auto& [name, values] : s.datasets) {
            tavrel::Dataset& d = host().CreateDataset(name);
            for (size_t i = 0; i < values.size(); ++i) d.set(i, values[i]);
        }
        UseNewActions(true);
        for (const auto& [name, value] : s.settings) SetNumber(name, value);
        const std::string folder = scratch_.PathOf("");
        Outcome out;
        arm(*this);
        for (size_t k = 0; k < s.steps.size(); ++k) {
            std::string args = s.steps[k].args;
            for (size_t at = args.find('%'); at != std::string::npos; at = args.find('%', at + folder.size())) {
                args.replace(at, 1, folder);
            }
            const tavrel::CallResult r = Call(s.steps[k].method, args);
            out.codes.push_back(r.code);
            out.errors.push_back(Error());
            out.sysErrors.push_back(SysErr());
            if (out.struck < 0 && struck(*this)) out.struck = static_cast<int>(k);
        }
        for (const char* name : kSettings) out.settings.push_back(Number(name));
        // A CLOSEALL whose close failed leaves that file and the ones after
        // it listed; a second one, without faults, closes every one of them.
        Vfs().FailNth(0, FileCause::None);
        Heap().RefuseRequest(-1);
        Call("CLOSEALL");
        out.openDescriptors = Vfs().OpenDescriptors();
        for (const std::string& name : s.outputs) out.outputs.push_back(ScratchDir::Contents(scratch_.PathOf(name)));
        return out;
    }

    FailingVfs& Vfs() { return UseFailingVfs(); }
    FailingAllocator& Heap() { return UseFailingAllocator(); }
};

// Every byte of a faulted run's output is one the whole run wrote, or a
// gap's 0.
void ExpectOnlyAskedBytes(const Outcome& whole, const Outcome& faulted, const Scenario& s) {
    for (size_t k = 0; k < s.outputs.size(); ++k) {
        const std::set<char> asked(whole.outputs[k].begin(), whole.outputs[k].end());
        for (char byte : faulted.outputs[k]) {
            if (byte != '\0' && asked.count(byte) == 0) {
                ADD_FAILURE() << s.outputs[k] << " holds the byte " << static_cast<int>(byte) << " never asked for";
                return;
            }
        }
    }
}

// Whether SYSERR is what a catalogue row numbered error (an importer's
// nested failure: error + 512) stores for a fault of this cause. The
// scenarios run with NEWACTIONS 1: a row that records the cause stores the
// cause itself, every other row leaves the 0 the call began with.
bool SysErrFits(int32_t error, int32_t sysErr, FileCause cause) {
    using zel::SysErrRule;
    bool known = false;
    for (const zel::ErrorRow* row = zel::kErrorCatalogue; row->name != nullptr; ++row) {
        if (row->current != error && row->current != (error & ~zel::kNestedOffset)) continue;
        known = true;
        const bool recordsCause = row->sysErr == SysErrRule::Cause || row->sysErr == SysErrRule::CauseOrZero;
        if (sysErr == (recordsCause ? static_cast<int32_t>(cause) : 0)) return true;
    }
    if (!known) ADD_FAILURE() << "ERROR " << error << " has no catalogue row";
    return false;
}

// The checks every faulted run must pass.
void ExpectCleanEnd(const Outcome& whole, const Outcome& faulted, const Scenario& s) {
    for (size_t k = 0; k < faulted.codes.size(); ++k) {
        SCOPED_TRACE(std::string("step ") + s.steps[k].method);
        ASSERT_TRUE(faulted.codes[k] == 1 || faulted.codes[k] == 2);
        // A failing call says why.
        if (faulted.codes[k] == 2) {
            EXPECT_NE(faulted.errors[k], 0);
        }
    }
    EXPECT_EQ(faulted.settings, whole.settings);
    EXPECT_EQ(faulted.openDescriptors, 0) << "descriptors left open after the last CLOSEALL";
    ExpectOnlyAskedBytes(whole, faulted, s);
}

constexpr FileCause kCauses[] = {
    FileCause::Generic,      FileCause::FileNotFound,     FileCause::BadPath,       FileCause::TooManyOpenFiles,
    FileCause::AccessDenied, FileCause::InvalidFile,      FileCause::RemoveCurrentDir,
    FileCause::DirectoryFull, FileCause::BadSeek,         FileCause::HardIO,        FileCause::SharingViolation,
    FileCause::LockViolation, FileCause::DiskFull,        FileCause::EndOfFile,
};

class FaultStepping : public ::testing::TestWithParam<Scenario> {};

TEST_P(FaultStepping, EveryFileOperationFailsInTurn) {
    const Scenario& s = GetParam();
    Outcome whole;
    int operations = 0;
    {
        Rig rig;
        whole = rig.Play(
            s, [](Rig& r) { r.Vfs(); }, [](Rig&) { return false; });
        operations = rig.Vfs().TotalCalls();
        for (size_t k = 0; k < whole.codes.size(); ++k) {
            ASSERT_EQ(whole.codes[k], 1) << s.steps[k].method << ": ERROR " << whole.errors[k];
        }
    }
    ASSERT_GT(operations, 0);
    const int32_t liveBefore = zel::Mobj::LiveObjectCount();
    for (int n = 1; n <= operations; ++n) {
        for (FileCause cause : kCauses) {
            SCOPED_TRACE("operation " + std::to_string(n) + ", cause " + std::to_string(static_cast<int>(cause)));
            Outcome faulted;
            {
                Rig rig;
                faulted = rig.Play(
                    s, [n, cause](Rig& r) { r.Vfs().FailNth(n, cause); },
                    [n](Rig& r) { return r.Vfs().TotalCalls() >= n; });
            }
            ExpectCleanEnd(whole, faulted, s);
            // The call the fault struck recovers and succeeds, or fails with
            // the SYSERR its catalogue row gives for the fault's cause.
            if (faulted.struck >= 0 && faulted.codes[faulted.struck] == 2) {
                const int32_t error = faulted.errors[faulted.struck];
                const int32_t sysErr = faulted.sysErrors[faulted.struck];
                EXPECT_TRUE(SysErrFits(error, sysErr, cause))
                    << s.steps[faulted.struck].method << ": ERROR " << error << ", SYSERR " << sysErr;
            }
            EXPECT_EQ(zel::Mobj::LiveObjectCount(), liveBefore);
            if (HasFailure()) return;
        }
    }
}

TEST_P(FaultStepping, EveryGuardedAllocationFailsInTurn) {
    const Scenario& s = GetParam();
    Outcome whole;
    int requests = 0;
    {
        Rig rig;
        whole = rig.Play(
            s, [](Rig& r) { r.Vfs(); r.Heap(); }, [](Rig&) { return false; });
        requests = rig.Heap().requests();
    }
    for (int n = 0; n < requests; ++n) {
        SCOPED_TRACE("allocation " + std::to_string(n + 1));
        Outcome faulted;
        {
            Rig rig;
            faulted = rig.Play(
                s,
                [n](Rig& r) {
                    r.Vfs();
                    r.Heap().RefuseRequest(n);
                },
                [](Rig& r) { return r.Heap().refusals() > 0; });
            faulted.openDescriptors = rig.Vfs().OpenDescriptors();
        }
        ExpectCleanEnd(whole, faulted, s);
        // The call that found no memory either did its work in smaller
        // pieces, as if nothing had happened, or fails with 44 (an
        // importer: 44 with the nested bit).
        ASSERT_GE(faulted.struck, 0);
        if (faulted.codes[faulted.struck] == 2) {
            EXPECT_EQ(faulted.errors[faulted.struck] & ~512, 44) << s.steps[faulted.struck].method;
        } else if (faulted.codes == whole.codes) {
            EXPECT_EQ(faulted.outputs, whole.outputs);
        }
        if (HasFailure()) return;
    }
}

std::string Bytes(int n, int from) {
    std::string bytes;
    for (int k = 0; k < n; ++k) bytes.push_back(static_cast<char>(from + k));
    return bytes;
}

std::string Wav() {
    WavSpec spec;
    spec.channels = 2;
    spec.samples = {11, -11, 22, -22, 33, -33};
    return MakeWav(spec);
}

const Scenario kScenarios[] = {
    {"OpenWriteRead", {}, {}, {}, {},
     {{"OPEN", "%a.bin,1"}, {"WRITE", "7,1"}, {"WRITE", "513,2"}, {"CLOSE", ""}, {"OPEN", "%a.bin,0"},
      {"READ", "1"}, {"READ", "2"}, {"CLOSEALL", ""}},
     {"a.bin"}},
    {"Positions", {{"p.bin", Bytes(64, 1)}}, {}, {}, {},
     {{"OPEN", "%p.bin,2"}, {"SETPOS", "10"}, {"GETPOS", ""}, {"JUMP", "5"}, {"JUMPCHUNK", "2,4"}, {"REWIND", ""},
      {"TOEND", ""}, {"GETPOS", ""}, {"SIZE", ""}, {"CLOSEALL", ""}},
     {"p.bin"}},
    {"FileSystem", {{"q.bin", Bytes(8, 1)}, {"r.bin", Bytes(4, 1)}}, {}, {}, {},
     {{"EXISTS", "%q.bin"}, {"SIZE", ",%q.bin"}, {"REMOVE", "%r.bin"}, {"CLOSEALL", ""}},
     {}},
    {"ScalarValues", {}, {}, {}, {},
     {{"OPEN", "%s.bin,2"}, {"WRITE", "300,2"}, {"FWRITE", "1.5"}, {"DWRITE", "-2.25"}, {"REWIND", ""},
      {"READ", "2"}, {"FREAD", ""}, {"DREAD", ""}, {"CLOSEALL", ""}},
     {"s.bin"}},
    {"Extended", {{"x.bin", Extended(3.75) + Extended(-1)}}, {}, {}, {},
     {{"OPEN", "%x.bin,0"}, {"LDREAD", ""}, {"LDREAD", ""}, {"CLOSEALL", ""}},
     {}},
    {"Arrays", {}, {}, {{"d", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}, {"e", {}}}, {{"NBYTES", 2}},
     {{"OPEN", "%arr.bin,2"}, {"AWRITE", "d,1,10,0"}, {"REWIND", ""}, {"AREAD", "e,1,10,0"}, {"CLOSEALL", ""}},
     {"arr.bin"}},
    {"Records", {{"rec.bin", Bytes(40, 1)}}, {{"w", 3}, {"v", 3}}, {}, {},
     {{"OPEN", "%rec.bin,2"}, {"READRECORD", "w,3,SHORT|LONG|BYTE"}, {"REWIND", ""},
      {"WRITERECORD", "w,2,SHORT|LONG|BYTE"}, {"CLOSEALL", ""}},
     {"rec.bin"}},
    {"RowBinary", {{"row.bin", Bytes(24, 1)}}, {{"w", 2}}, {}, {{"NBYTES", 4}},
     {{"OPEN", "%row.bin,0"}, {"READROWBIN", "w,3,0"}, {"READROWBIN", "w,3,0"}, {"CLOSEALL", ""}},
     {}},
    {"TextReaders", {{"t.txt", "hdr,x\r\n1,2\r\n3,4\r\nword tok\r\nabcdef\r\n5,6,7\r\n"}}, {{"w", 2}},
     {{"d2", {}}}, {},
     {{"OPEN", "%t.txt,0"}, {"TREAD", "A,1"}, {"LINEROW", "w"}, {"READROW", "w,2"}, {"READTOKEN", "B,2"},
      {"CREAD", "C,3"}, {"REWIND", ""}, {"LREAD", "D"}, {"ASCII", "E,w"}, {"SETPOS", "38"},
      {"READARRAY", "d2,1,3"}, {"CLOSEALL", ""}},
     {}},
    {"TextWriters", {}, {}, {}, {},
     {{"OPEN", "%tw.txt,1"}, {"TWRITE", "\"abc\""}, {"LWRITE", "\"line\""}, {"LWRITE", "\"more\""},
      {"CLOSEALL", ""}},
     {"tw.txt"}},
    {"SwitchMode", {}, {}, {}, {},
     {{"OPEN", "%m.bin,1"}, {"WRITE", "5,1"}, {"SWITCHMODE", "0"}, {"REWIND", ""}, {"READ", "1"}, {"SWITCHMODE", "2"},
      {"WRITE", "6,1"}, {"CLOSEALL", ""}},
     {"m.bin"}},
    {"CloseAll", {{"c1.bin", "1"}, {"c2.bin", "2"}}, {}, {}, {},
     {{"OPEN", "%c1.bin,0"}, {"OPEN", "%c2.bin,2"}, {"OPEN", "%c3.bin,1"}, {"CLOSEALL", ""}},
     {}},
    {"Wav", {{"s.wav", Wav()}}, {{"snd", 2}}, {}, {{"NBYTES", 3}, {"BYTEORDER", 2}, {"SKIP", 0}},
     {{"OPEN", "%s.wav,0"}, {"WAV", "snd"}, {"CLOSEALL", ""}},
     {}},
    {"SigmaWin",
     {{"w.jnb", MakeSigmaWin('B', 1, {SigmaColumn{0, {1.5, 2.5}, {true, false}, "a"}, SigmaColumn{1, {4}, {}, "b"}})}},
     {{"sw", 1}}, {}, {{"LISTSEP", 59}},
     {{"OPEN", "%w.jnb,0"}, {"SIGMAWIN", "sw"}, {"CLOSEALL", ""}},
     {}},
    {"SigmaDos", {{"d.spw", MakeSigmaDos({SigmaColumn{0, {1, 2}, {}, ""}, SigmaColumn{1, {3}, {}, ""}})}},
     {{"sd", 1}}, {}, {{"NBYTES", 1}},
     {{"OPEN", "%d.spw,0"}, {"SIGMADOS", "sd"}, {"CLOSEALL", ""}},
     {}},
    {"Mathematica", {{"l.m", "{{1, 2.5*^2}, {3}}"}}, {{"mw", 1}}, {}, {},
     {{"OPEN", "%l.m,0"}, {"MATHEMATICA", "mw"}, {"CLOSEALL", ""}},
     {}},
    {"WksBlock", {{"b.txt", "1 2\r\n3 4\r\n"}}, {{"bw", 2}}, {}, {},
     {{"OPEN", "%b.txt,0"}, {"WKSBLOCK", "bw,1,2,1,2"}, {"CLOSEALL", ""}},
     {}},
};

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultStepping, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltest
