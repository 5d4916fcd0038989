// The built zel program ($ZEL_CLI) with the built module, on scripts in a
// scratch folder: standard output, standard error and exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "CliTesting.h"
#include "LineEditor.h"
#include "support/System.h"
#include "support/ZelFixture.h"

namespace zelcli::testing {
namespace {

namespace fs = std::filesystem;

using Outcome = zeltest::ProgramOutcome;

// The program under test: $ZEL_CLI, else the one this build made.
std::string CliPath() {
    if (const char* cli = std::getenv("ZEL_CLI"); cli != nullptr && cli[0] != '\0') return cli;
    return ZEL_CLI_PATH;
}

// The source tree: $ZEL_SOURCE_DIR, else the one this build came from.
fs::path SourceDir() {
    if (const char* dir = std::getenv("ZEL_SOURCE_DIR"); dir != nullptr && dir[0] != '\0') return dir;
    return ZEL_SOURCE_DIR_PATH;
}

// Runs zel with args in folder, input on its standard input; env holds
// variables to set (an empty value unsets one).
Outcome RunZel(const fs::path& folder, const std::vector<std::string>& args, const std::string& input = "",
               const std::map<std::string, std::string>& env = {}) {
    return zeltest::RunProgram(CliPath(), args, folder, input, env);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// No sanitizer report and no signal: the program ended by itself.
void ExpectClean(const Outcome& outcome) {
    EXPECT_GE(outcome.status, 0);
    EXPECT_FALSE(Contains(outcome.err, "Sanitizer")) << outcome.err;
    EXPECT_FALSE(Contains(outcome.err, "runtime error")) << outcome.err;
}

using Files = std::map<std::string, std::string>;  // made in the folder first

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(CliPath())) << "no zel program at " << CliPath();
    }
    Outcome Script(const std::string& text) {
        std::ofstream(scratch.PathOf("s.zel"), std::ios::binary) << text;
        return RunZel(scratch.path(), {"s.zel"});
    }
    zeltest::ScratchDir scratch;
};

class ScriptRuns : public EndToEnd, public ::testing::WithParamInterface<std::pair<ScriptCase, Files>> {};

TEST_P(ScriptRuns, GiveTheirOutputAndStatus) {
    const auto& [c, files] = GetParam();
    for (const auto& [name, bytes] : files) std::ofstream(scratch.PathOf(name), std::ios::binary) << bytes;
    const Outcome outcome = Script(c.script);
    ExpectClean(outcome);
    ExpectOutcome(c, outcome.status, outcome.out, outcome.err);
    EXPECT_LE(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
}

std::pair<ScriptCase, Files> Row(ScriptCase c, Files files = {}) { return {std::move(c), std::move(files)}; }

INSTANTIATE_TEST_SUITE_P(
    Module, ScriptRuns,
    ::testing::Values(
        Row({"print 1\nzel.close(12345)\nprint 2\n", "1\n",
             "zel: s.zel:2: zel.close(12345) failed: ERROR 1156 (a file operation failed), SYSERR 9 (invalid file)\n",
             1}),
        Row({"zel.newactions = 1\nzel.byteorder = 7\n", "",
             "zel.byteorder = 7 failed: ERROR 12 (a value outside the allowed range or set), SYSERR 0", 1}),
        // Numbers in arguments come from the variables.
        Row({"h = zel.open(a.bin, 2)\nzel.setpos(10)\np = zel.getpos(h)\nk = 2\nzel.setpos(p * k + 1, h)\n"
             "print zel.getpos(h), zel.hfile - h\n",
             "21 0\n"}),
        // The module's lines come out as they come.
        Row({"print 1\nzel.syntax(Open)\nprint 2\n", "1\nzel.Open([filename$][,mode])\n2\n"}),
        // ERROR and SYSERR are explained in both numberings.
        Row({"zel.open(nodir/x.bin, 0)\n", "",
             "zel: s.zel:1: zel.open(nodir/x.bin, 0) failed: ERROR 1153 (the file could not be opened), SYSERR 0\n",
             1}),
        Row({"zel.newactions = 1\nzel.open(nodir/x.bin, 0)\n", "",
             "zel: s.zel:2: zel.open(nodir/x.bin, 0) failed: ERROR 22 (the file could not be opened), "
             "SYSERR 3 (bad path)\n",
             1}),
        // A call that succeeds with an ERROR warns and goes on.
        Row({"zel.newactions = 1\nh = zel.open(w.bin, 1)\nzel.write(20000000, 3)\nprint \"after\"\n", "after\n",
             "zel: s.zel:3: warning: zel.write(20000000, 3): ERROR 34 (a value out of range for its binary "
             "width), SYSERR 0\n"}),
        // Parentheses in an argument text are part of a name.
        Row({"h = zel.open(x(1).bin, 1)\nzel.close()\nprint zel.exists(x(1).bin)\n", "1\n"}),
        // Reading a file to its end: the result says it is spent.
        Row({"zel.nlinemode = 1\nf = zel.open(l.txt, 1)\nzel.lwrite(\"alpha\")\nzel.lwrite(\"be\")\n"
             "zel.lwrite(\"\")\nzel.lwrite(\"gamma\")\nzel.close(f)\nf = zel.open(l.txt, 0)\n"
             "onerror continue\nn = zel.lread(A)\nwhile n >= 0\n  print n, A$\n  n = zel.lread(A)\nend\n"
             "print \"spent:\", zel.error\n",
             "5 alpha\n2 be\n0 \n5 gamma\nspent: 33\n",
             "zel: s.zel:13: zel.lread(A) failed: ERROR 33 (the end of the file came first)"}),
        // A failure without an ERROR is explained from the error list, in both numberings.
        Row({"zel.open(x.bin, 0, 5, 7)\n", "",
             "zel: s.zel:1: zel.open(x.bin, 0, 5, 7) failed: more arguments than OPEN takes (error 900, MoOpen)\n", 1}),
        Row({"zel.newactions = 1\nzel.open(x.bin, 0, 5, 7)\n", "",
             "zel: s.zel:2: zel.open(x.bin, 0, 5, 7) failed: more arguments than OPEN takes (error 900, MoOpen)\n", 1}),
        // READROW and LINEROW keep the texts of text columns (LINEROW keeps the
        // characters of numbers only); ASCII stores numbers in any column.
        Row({"zel.newactions = 1\nzel.nlinemode = 1\nf = zel.open(t.csv, 1)\nzel.lwrite(\"007,1.50,x9\")\n"
             "zel.lwrite(\"ab 08,2,gh\")\nzel.close(f)\nf = zel.open(t.csv, 0)\nworksheet w 3 text 1, 3\n"
             "worksheet n 3\nprint zel.readrow(w, 3), zel.readrow(n, 3)\nzel.rewind()\n"
             "print zel.linerow(w), zel.linerow(n)\nshow w\nshow n\nworksheet a 2 text all\nzel.rewind()\n"
             "zel.ascii.stopmode = 8\nzel.ascii.nlines = 0\nprint zel.ascii(, a)\nshow a\n",
             "3 3\n3 3\n   A    B    C\n1  007  1.5  x9\n2  007  1.5  9\n   A   B  C\n1  --  2  --\n"
             "2  8   2  --\n8\n   A  B    C\n1  7  1.5  9\n"}),
        // CSV in and out: quotes, text columns, empty fields, separators.
        Row({"load t from in.csv\nshow t\n",
             "   name  x        note\n1  a, b  1.5e-07  say \"hi\"\n2  c     --\n3  d     2000     z\n"},
            {{"in.csv", "\xEF\xBB\xBFname,x,note\r\n\"a, b\",1.5e-7,\"say \"\"hi\"\"\"\r\nc,,\r\nd,2e3,z\n"}}),
        Row({"load t from in.txt sep \";\" noheader\nshow t\n", "   A  B\n1  1  x,y\n2  2  z\n"},
            {{"in.txt", "1;x,y\n2;z"}}),
        Row({"worksheet t\nload t from in.csv\n", "",
             "zel: s.zel:2: cannot load in.csv: a worksheet named t exists already\n", 1},
            {{"in.csv", "a\n1\n"}}),
        // Quoted names, the options in either order, an escape as separator;
        // the missing value saved and loaded back, with and without a header.
        Row({"dataset \"a b\" = 1, -1.23456789e-300, 0.1\nsave \"a b\" TO \"c d.csv\" crlf sep \";\"\n"
             "print zel.size(, c d.csv)\nLOAD w FROM \"c d.csv\" noheader\nshow w\nload e from \"c d.csv\"\nshow e\n"
             "load t from t.tsv sep \"\\t\"\nshow t\n",
             "15\n   A\n1  a b\n2  1\n3\n4  0.1\n   a b\n1  1\n2  --\n3  0.1\n   x  y\n1  1  2\n"},
            {{"t.tsv", "x\ty\n1\t2\n"}})));

// A read-only file is not replaced, whoever runs zel, and keeps its bytes.
TEST_F(EndToEnd, SaveLeavesAReadOnlyFileAsItWas) {
    const std::string target = scratch.PathOf("ro.csv");
    std::ofstream(target, std::ios::binary) << "keep\n";
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const Outcome outcome = Script("dataset d = 1\nsave d to ro.csv\n");
    ExpectClean(outcome);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(Contains(outcome.err, "zel: s.zel:2: cannot save d to ro.csv: ")) << outcome.err;
    EXPECT_EQ(zeltest::ScratchDir::Contents(target), "keep\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 2);
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
}

// Ctrl-C ends an endless loop of a script, or of piped input, with 130.
TEST_F(EndToEnd, CtrlCEndsARunningScriptWith130) {
#ifdef _WIN32
    GTEST_SKIP() << "no SIGINT to send to another process";
#else
    const std::string script = "print \"looping\"\nwhile 1\nend\nprint \"never\"\n";
    std::ofstream(scratch.PathOf("s.zel"), std::ios::binary) << script;
    for (const auto& [args, input, name] : {std::tuple<std::vector<std::string>, std::string, std::string>{
                                                {"s.zel"}, "", "s.zel"},
                                            {{}, script, "stdin"}}) {
        const Outcome outcome =
            zeltest::RunProgramInterrupted(CliPath(), args, scratch.path(), input, {}, "looping\n");
        ExpectClean(outcome);
        EXPECT_EQ(outcome.status, 130) << outcome.err;
        EXPECT_EQ(outcome.out, "looping\n");
        EXPECT_TRUE(Contains(outcome.err, "zel: " + name + ":")) << outcome.err;
        EXPECT_TRUE(Contains(outcome.err, ": interrupted\n")) << outcome.err;
    }
#endif
}

#ifndef _WIN32
// zel at a terminal: line editing, the history kept in its file, Tab
// completion of member names, Ctrl-C on a line being typed and on a loop.
struct TerminalCase {
    std::string name;
    std::vector<zeltest::TerminalStep> steps;
    int status;
    std::vector<std::string> shown;  // parts of what the terminal showed, in order
    std::string history;             // a line the history file must hold
};

void PrintTo(const TerminalCase& c, std::ostream* os) { *os << c.name; }

class Terminal : public EndToEnd, public ::testing::WithParamInterface<TerminalCase> {};

TEST_P(Terminal, EditsRecallsCompletesAndInterrupts) {
    if (!HasLineEditing()) GTEST_SKIP() << "this build has no libedit";
    const TerminalCase& c = GetParam();
    const std::string history = scratch.PathOf("history");
    const Outcome outcome =
        zeltest::RunProgramInTerminal(CliPath(), {}, scratch.path(), {{"ZEL_HISTORY", history}}, c.steps);
    EXPECT_EQ(outcome.status, c.status) << ::testing::PrintToString(outcome.out);
    EXPECT_FALSE(Contains(outcome.out, "Sanitizer")) << outcome.out;
    std::size_t from = 0;
    for (const std::string& part : c.shown) {
        const std::size_t at = outcome.out.find(part, from);
        EXPECT_NE(at, std::string::npos) << ::testing::PrintToString(part) << " in "
                                         << ::testing::PrintToString(outcome.out);
        if (at != std::string::npos) from = at + part.size();
    }
    std::ifstream in(history, std::ios::binary);
    const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(Contains(kept, c.history)) << ::testing::PrintToString(kept);
}

const std::string kUp = "\x1b[A";

std::vector<TerminalCase> TerminalCases() {
    return {
        // The Up arrow brings the last line back to be edited; the history
        // file keeps the lines (blanks written as \040).
        TerminalCase{"UpArrowRecallsTheLastLine",
                     {{"zel> ", "x = 40 + 2\r"}, {"zel> ", kUp + " + 1\r"}, {"zel> ", "print x\r"},
                      {"zel> ", "exit 4\r"}},
                     4, {"x = 40 + 2 + 1", "\r\n43\r\n"}, "print\\040x"},
        TerminalCase{"TabCompletesMemberNames",
                     {{"zel> ", "print zel.listse\t\r"}, {"zel> ", "exit\r"}},
                     0, {"\r\n44\r\n"}, "print\\040zel.listsep"},
        TerminalCase{"CtrlCDiscardsTheLineBeingTyped",
                     {{"zel> ", "print 1 +"}, {"+", "\x03"}, {"zel> ", "print 7\r"}, {"zel> ", "exit\r"}},
                     0, {"\r\n7\r\n"}, "print\\0407"},
        TerminalCase{"CtrlCEndsALoopAndKeepsTheSession",
                     {{"zel> ", "x = 0\r"}, {"zel> ", "while 1 == 1\r"}, {"...> ", "x = x + 1\r"},
                      {"...> ", "if x == 3\r"}, {"...> ", "print \"looping\"\r"}, {"...> ", "end\r"},
                      {"...> ", "end\r"}, {"looping\r\n", "\x03", false}, {"zel> ", "print x >= 3\r"},
                      {"zel> ", "exit 5\r"}},
                     5, {"interrupted", "\r\n1\r\n"}, "while\\0401"},
    };
}

INSTANTIATE_TEST_SUITE_P(Prompt, Terminal, ::testing::ValuesIn(TerminalCases()),
    [](const auto& info) { return info.param.name; });
#endif

TEST_F(EndToEnd, ListingShowsTheOpenFilesWithTheirModes) {
    const Outcome outcome = Script("m = 1\nh = zel.open(b.bin, m)\nzel.listall(mode)\n");
    ExpectClean(outcome);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(Contains(outcome.out, "write  b.bin")) << outcome.out;
}

TEST_F(EndToEnd, StandardInputWithoutATerminalHasNoPrompt) {
    const Outcome outcome = RunZel(scratch.path(), {}, "print 5\nx = (\nprint 6\n");
    ExpectClean(outcome);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");  // parsed whole before it runs, as a script is
    EXPECT_TRUE(Contains(outcome.err, "zel: stdin:2: cannot parse:")) << outcome.err;
}

TEST_F(EndToEnd, AModuleThatCannotLoadEndsWithTwo) {
    std::ofstream(scratch.PathOf("ok.zel")) << "print 1\n";
    const Outcome outcome = RunZel(scratch.path(), {"ok.zel"}, "", {{"ZEL_MODULE", scratch.PathOf("none.so")}});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(Contains(outcome.err, "cannot load the module " + scratch.PathOf("none.so"))) << outcome.err;
    EXPECT_EQ(outcome.out, "");
}

// ---- The example scripts ---------------------------------------------------

// Every example runs from a folder holding a copy of examples/, exits 0 and
// writes nothing outside that folder.
TEST_F(EndToEnd, EveryExampleRunsAndStaysInItsFolder) {
    const fs::path examples = SourceDir() / "examples";
    ASSERT_TRUE(fs::is_directory(examples)) << examples;
    auto listing = [](const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            names.insert(entry.path().string() + " " +
                         (entry.is_regular_file() ? std::to_string(entry.file_size()) : "dir"));
        }
        return names;
    };
    const std::set<std::string> sourceBefore = listing(examples);
    std::vector<std::string> scripts;
    for (const auto& entry : fs::directory_iterator(examples)) {
        if (entry.path().extension() == ".zel") scripts.push_back(entry.path().filename().string());
    }
    ASSERT_FALSE(scripts.empty());
    for (const char* name : {"demo.zel", "errors.zel", "help.zel"}) {
        EXPECT_NE(std::find(scripts.begin(), scripts.end(), name), scripts.end()) << name;
    }
    for (const auto& name : scripts) {
        zeltest::ScratchDir base;
        const fs::path work = base.path() / "work";
        fs::create_directories(work);
        fs::copy(examples, work / "examples", fs::copy_options::recursive);
        const Outcome outcome = RunZel(work, {"examples/" + name});
        ExpectClean(outcome);
        EXPECT_EQ(outcome.status, 0) << name << "\n" << outcome.err;
        EXPECT_FALSE(outcome.out.empty()) << name;
        std::vector<std::string> outside;
        for (const auto& entry : fs::directory_iterator(base.path())) {
            outside.push_back(entry.path().filename().string());
        }
        EXPECT_EQ(outside, std::vector<std::string>{"work"}) << name;
    }
    EXPECT_EQ(listing(examples), sourceBefore);
}

}  // namespace
}  // namespace zelcli::testing
