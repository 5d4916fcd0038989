// The built zel program ($ZEL_CLI) with the built module, on scripts in a
// scratch folder: standard output, standard error and exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
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
    void SetUp() override { ASSERT_TRUE(fs::exists(CliPath())) << "no zel program at " << CliPath(); }
    zeltest::ScratchDir scratch;
};

class ScriptRuns : public EndToEnd, public ::testing::WithParamInterface<std::pair<ScriptCase, Files>> {};

TEST_P(ScriptRuns, GiveTheirOutputAndStatus) {
    const auto& [c, files] = GetParam();
    for (const auto& [name, bytes] : files) scratch.Make(name, bytes);
    scratch.Make("s.zel", c.script);
    const Outcome outcome = RunZel(scratch.path(), {"s.zel"});
    ExpectClean(outcome);
    ExpectOutcome(c, outcome.status, outcome.out, outcome.err);
    EXPECT_LE(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
}

std::pair<ScriptCase, Files> Row(ScriptCase c, Files files = {}) { return {std::move(c), std::move(files)}; }

INSTANTIATE_TEST_SUITE_P(
    Module, ScriptRuns,
    ::testing::Values(
        // ERROR and SYSERR are explained in both numberings.
        Row({"print 1\nzel.close(12345)\nprint 2\n", "1\n", "zel: s.zel:2: zel.close(12345) failed: ERROR 1156 "
             "(a file operation failed), SYSERR 9 (invalid file)\n", 1}),
        Row({"zel.newactions = 1\nzel.open(nodir/x.bin, 0)\n", "", "zel: s.zel:2: zel.open(nodir/x.bin, 0) failed: "
             "ERROR 22 (the file could not be opened), SYSERR 3 (bad path)\n", 1}),
        // A call that succeeds with an ERROR warns and goes on.
        Row({"zel.newactions = 1\nh = zel.open(w.bin, 1)\nzel.write(20000000, 3)\nprint \"after\"\n", "after\n",
             "zel: s.zel:3: warning: zel.write(20000000, 3): ERROR 34 (a value out of range for its binary "
             "width), SYSERR 0\n"}),
        // A failure without an ERROR is explained from the error list.
        Row({"zel.open(x.bin, 0, 5, 7)\n", "",
             "zel: s.zel:1: zel.open(x.bin, 0, 5, 7) failed: more arguments than OPEN takes (error 900, MoOpen)\n", 1}),
        // The module's lines come out as they come.
        Row({"print 1\nzel.syntax(Open)\nprint 2\n", "1\nzel.Open([filename$][,mode])\n2\n"}),
        // Reading a file to its end: the result says it is spent.
        Row({"zel.nlinemode = 1\nf = zel.open(l.txt, 1)\nzel.lwrite(\"alpha\")\nzel.lwrite(\"be\")\n"
             "zel.lwrite(\"\")\nzel.lwrite(\"gamma\")\nzel.close(f)\nf = zel.open(l.txt, 0)\n"
             "onerror continue\nn = zel.lread(A)\nwhile n >= 0\n  print n, A$\n  n = zel.lread(A)\nend\n"
             "print \"spent:\", zel.error\n", "5 alpha\n2 be\n0 \n5 gamma\nspent: 33\n",
             "zel: s.zel:13: zel.lread(A) failed: ERROR 33 (the end of the file came first)"}),
        // READROW and LINEROW keep the texts of text columns (LINEROW keeps the
        // characters of numbers only); ASCII stores numbers in any column.
        Row({"zel.nlinemode = 1\nf = zel.open(t.csv, 1)\nzel.lwrite(\"007,1.50,x9\")\nzel.close(f)\n"
             "f = zel.open(t.csv, 0)\nworksheet w 3 text 1, 3\nprint zel.readrow(w, 3)\nzel.rewind()\n"
             "print zel.linerow(w)\nshow w\nworksheet a 2 text all\nzel.rewind()\nzel.ascii.stopmode = 8\n"
             "zel.ascii.nlines = 0\nprint zel.ascii(, a)\nshow a\n",
             "3\n3\n   A    B    C\n1  007  1.5  x9\n2  007  1.5  9\n8\n   A  B    C\n1  7  1.5  9\n"}),
        // CSV out and in: quoted names, the options in either order, an escape
        // as the given separator (a tie, where the comma would be detected);
        // the missing value saved and loaded back, with and without a header.
        Row({"dataset \"a b\" = 1, -1.23456789e-300, 0.1\nsave \"a b\" TO \"c d.csv\" crlf sep \";\"\n"
             "print zel.size(, c d.csv)\nLOAD w FROM \"c d.csv\" noheader\nshow w\nload e from \"c d.csv\"\nshow e\n"
             "load t from t.tsv sep \"\\t\" noheader\nshow t\n",
             "15\n   A\n1  a b\n2  1\n3\n4  0.1\n   a b\n1  1\n2  --\n3  0.1\n   A  B\n1  1  x,y\n2  2  z\n"},
            {{"t.tsv", "1\tx,y\n2\tz"}})));

// Ctrl-C ends an endless loop of a script, or of piped input, with 130.
TEST_F(EndToEnd, CtrlCEndsARunningScriptWith130) {
#ifdef _WIN32
    GTEST_SKIP() << "no SIGINT to send to another process";
#else
    const std::string script = "print \"looping\"\nwhile 1\nend\nprint \"never\"\n";
    scratch.Make("s.zel", script);
    using Run = std::tuple<std::vector<std::string>, std::string, std::string>;  // args, input, name
    for (const auto& [args, input, name] : {Run{{"s.zel"}, "", "s.zel"}, Run{{}, script, "stdin"}}) {
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
// completion of member names, Ctrl-C on a line or a block being typed.
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
    const std::string kept = zeltest::ScratchDir::Contents(history);
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
        TerminalCase{"TabCompletesMemberNames", {{"zel> ", "print zel.listse\t\r"}, {"zel> ", "exit\r"}}, 0,
                     {"\r\n44\r\n"}, "print\\040zel.listsep"},
        TerminalCase{"CtrlCDiscardsTheLineAndTheBlockBeingTyped",
                     {{"zel> ", "print 1 +"}, {"+", "\x03"}, {"zel> ", "while 1\r"}, {"...> ", "print 8\r"},
                      {"...> ", "\x03"}, {"zel> ", "print 7\r"}, {"zel> ", "exit\r"}},
                     0, {"stdin: interrupted: the open block was discarded", "\r\n7\r\n"}, "print\\0407"},
    };
}

INSTANTIATE_TEST_SUITE_P(Prompt, Terminal, ::testing::ValuesIn(TerminalCases()),
    [](const auto& info) { return info.param.name; });
#endif

TEST_F(EndToEnd, AModuleThatCannotLoadEndsWithTwo) {
    scratch.Make("ok.zel", "print 1\n");
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
    std::vector<std::string> scripts;
    for (const auto& entry : fs::directory_iterator(examples)) {
        if (entry.path().extension() == ".zel") scripts.push_back(entry.path().filename().string());
    }
    ASSERT_FALSE(scripts.empty());
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
}

}  // namespace
}  // namespace zelcli::testing
