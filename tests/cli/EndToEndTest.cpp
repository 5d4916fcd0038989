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
#include <random>
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

struct ScriptCase {
    std::string name;
    std::string script;
    int status;
    std::string out;  // the whole standard output
    std::string err;  // a part of standard error; empty: nothing on it
    std::map<std::string, std::string> files = {};  // made in the folder first
};

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << c.name << ": script " << Quoted(c.script) << ", status " << c.status << ", out " << Quoted(c.out)
        << ", err " << Quoted(c.err);
}

class Scripts : public EndToEnd, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(Scripts, GiveTheirOutputAndStatus) {
    for (const auto& [name, bytes] : GetParam().files) std::ofstream(scratch.PathOf(name), std::ios::binary) << bytes;
    const Outcome outcome = Script(GetParam().script);
    ExpectClean(outcome);
    EXPECT_EQ(outcome.status, GetParam().status) << outcome.err;
    EXPECT_EQ(outcome.out, GetParam().out);
    if (GetParam().err.empty()) {
        EXPECT_EQ(outcome.err, "");
    } else {
        EXPECT_TRUE(Contains(outcome.err, GetParam().err)) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Scripts,
    ::testing::Values(
        ScriptCase{"ParseErrorEndsTheScript", "print 1\nx = (\nprint 2\n", 2, "", "zel: s.zel:2: cannot parse: "},
        ScriptCase{"FailedCallStops", "print 1\nzel.close(12345)\nprint 2\n", 1, "1\n",
                   "zel: s.zel:2: zel.close(12345) failed: ERROR 1156 (a file operation failed), SYSERR 9 (invalid file)\n"},
        ScriptCase{"ContinueGoesOn", "onerror continue\nx = zel.close(12345)\nprint \"after\"\n", 0, "after\n",
                   "zel.close(12345) failed: ERROR 1156"},
        ScriptCase{"UnknownMethod", "zel.frobnicate(1)\n", 1, "", "failed: no member \"FROBNICATE\""},
        ScriptCase{"RefusedProperty", "zel.newactions = 1\nzel.byteorder = 7\n", 1, "",
                   "zel.byteorder = 7 failed: ERROR 12 (a value outside the allowed range or set), SYSERR 0"},
        ScriptCase{"NumbersInArguments",
                   "h = zel.open(a.bin, 2)\nzel.setpos(10)\np = zel.getpos(h)\nk = 2\nzel.setpos(p * k + 1, h)\n"
                   "print zel.getpos(h), zel.hfile - h\n",
                   0, "21 0\n", ""},
        ScriptCase{"StringVariables",
                   "A$ = \"name.bin\"\nzel.filename = A$\nprint zel.filename\nB$ = zel.filename\nprint B$, a$\n", 0,
                   "name.bin\nname.bin name.bin\n", ""},
        ScriptCase{"PrintFormatting", "print 1/3, -1.23456789e-300, \"t\", 2 * -3, 1e21\n", 0,
                   "0.3333333333333333 -- t -6 1e+21\n", ""},
        ScriptCase{"ExitStatus", "print 1\nexit 7\nprint 2\n", 7, "1\n", ""},
        ScriptCase{"DatasetToCsv", "dataset d = 1, 2.5\nsave d to d.csv\nprint zel.size(, d.csv)\n", 0, "8\n", ""},
        ScriptCase{"ModuleLinesAsTheyCome", "print 1\nzel.syntax(Open)\nprint 2\n", 0,
                   "1\nzel.Open([filename$][,mode])\n2\n", ""},
        ScriptCase{"LegacyNumbersHaveTexts", "zel.open(nodir/x.bin, 0)\n", 1, "",
                   "zel: s.zel:1: zel.open(nodir/x.bin, 0) failed: ERROR 1153 (the file could not be opened), "
                   "SYSERR 0\n"},
        ScriptCase{"CurrentNumbersAndCausesHaveTexts", "zel.newactions = 1\nzel.open(nodir/x.bin, 0)\n", 1, "",
                   "zel: s.zel:2: zel.open(nodir/x.bin, 0) failed: ERROR 22 (the file could not be opened), "
                   "SYSERR 3 (bad path)\n"},
        ScriptCase{"WarningsDoNotStop",
                   "zel.newactions = 1\nh = zel.open(w.bin, 1)\nzel.write(20000000, 3)\nprint \"after\"\n", 0,
                   "after\n",
                   "zel: s.zel:3: warning: zel.write(20000000, 3): ERROR 34 (a value out of range for its binary "
                   "width), SYSERR 0\n"},
        ScriptCase{"ShowTheFirstRows", "dataset d = 1, 2, 3\nshow d 2\nshow d\n", 0,
                   "   d\n1  1\n2  2\n(the first 2 of 3 rows; show d N shows N)\n   d\n1  1\n2  2\n3  3\n", ""},
        ScriptCase{"QuitEndsLikeExit", "print 1\nquit 4\nprint 2\n", 4, "1\n", ""},
        ScriptCase{"SaveNamesTheTargetInItsErrors", "dataset d = 1\nsave d to nodir/d.csv\n", 1, "",
                   "zel: s.zel:2: cannot save d to nodir/d.csv: cannot create nodir/d.csv: No such file or "
                   "directory\n"},
        // ---- Loops and branches ----
        ScriptCase{"ForTakesItsBoundsOnceAndCountsBothWays",
                   "n = 3\nfor i = 1 to n\n  n = 10\n  print i,\nnext\nprint\nfor i = 3 to 1 step -1\n  print i,\n"
                   "next i\nprint\nFor i = 0 TO 1 Step 0.25\n  print i,\nNEXT\nprint\nfor i = 2 to 1\n"
                   "  print \"never\"\nnext\nprint \"after\", i\n",
                   0, "1 2 3\n3 2 1\n0 0.25 0.5 0.75 1\nafter 2\n", ""},
        ScriptCase{"WhileWithBreakAndContinue",
                   "k = 0\ns = 0\nwhile k < 10\n  k = k + 1\n  if k == 3 or k == 5\n    continue\n  end\n"
                   "  if k > 7\n    break\n  end\n  s = s + k\nend\nprint s, k\n",
                   0, "20 8\n", ""},
        ScriptCase{"BreakAndContinueTakeTheInnermostLoop",
                   "for i = 1 to 3\n  j = 0\n  while 1\n    j = j + 1\n    if j > i\n      break\n    end\n"
                   "    print i * 10 + j,\n  end\n  if i == 2\n    continue\n  end\n  print \"/\",\nnext\n",
                   0, "11 / 21 22 31 32 33 /\n", ""},
        ScriptCase{"IfElseIfElse",
                   "for x = 1 to 4\n  if x == 1\n    print \"one\"\n  else if x == 2\n    print \"two\"\n"
                   "  else if x < 4\n    print \"few\"\n  ELSE\n    print \"many\"\n  End\nnext\nif 0\n"
                   "  print \"no\"\nend\n",
                   0, "one\ntwo\nfew\nmany\n", ""},
        ScriptCase{"ComparisonsAndLogic",
                   "print 1 < 2, 2 < 1, 2 <= 2, 3 >= 4, 5 > 4, 1 == 1, 1 != 1\n"
                   "print 1 and 0, 1 and 2, 0 or 0, 0 or -3, not 0, not 7, not 1 + 1 == 3\n"
                   "m = -1.23456789e-300\nprint m == m, m < 0, m == 0, m != -1.23456789e-300\n",
                   0, "1 0 1 0 1 1 0\n0 1 0 1 1 0 1\n1 1 0 0\n", ""},
        ScriptCase{"AndOrLookRightOnlyWhenNeeded", "x = 0 and 1 / 0\ny = 1 or 1 / 0\nprint x, y\nz = 1 and 1 / 0\n",
                   1, "0 1\n", "zel: s.zel:4: division by zero\n"},
        ScriptCase{"UnclosedBlockRunsNothing", "print 1\nwhile 1\n  print 2\n", 2, "",
                   "zel: s.zel:2: cannot parse: while without end\n"},
        ScriptCase{"BadLineInABlockRunsNothing", "print 1\nfor i = 1 to 2\n  x = (\nnext\n", 2, "",
                   "zel: s.zel:3: cannot parse: expected a value"},
        ScriptCase{"StrayEndRunsNothing", "print 1\nend\n", 2, "", "zel: s.zel:2: cannot parse: end without while or if\n"},
        ScriptCase{"BreakOutsideALoopRunsNothing", "print 1\nif 1\n  break\nend\n", 2, "",
                   "zel: s.zel:3: cannot parse: break outside a loop\n"},
        ScriptCase{"StopInALoopNamesTheFailingLine",
                   "for i = 1 to 3\n  print i\n  if i == 2\n    zel.close(12345)\n  end\nnext\n", 1, "1\n2\n",
                   "zel: s.zel:4: zel.close(12345) failed: ERROR 1156"},
        ScriptCase{"StepZeroIsAFailure", "for i = 1 to 2 step 0\n  print i\nnext\nprint \"after\"\n", 1, "",
                   "zel: s.zel:1: the step of the for loop of i is 0\n"},
        ScriptCase{"FailedLoopHeadSkipsItsBlockUnderContinue",
                   "onerror continue\nwhile y > 0\n  print 1\nend\nprint \"after\"\n", 0, "after\n",
                   "zel: s.zel:2: unknown variable y\n"},
        ScriptCase{"OpenPrintLineEndsWithTheScript", "print 1,\nprint 2,\n", 0, "1 2\n", ""},
        // ---- Reading a file to its end ----
        ScriptCase{"LreadUntilItsResultSaysTheFileIsSpent",
                   "zel.nlinemode = 1\nf = zel.open(l.txt, 1)\nzel.lwrite(\"alpha\")\nzel.lwrite(\"be\")\n"
                   "zel.lwrite(\"\")\nzel.lwrite(\"gamma\")\nzel.close(f)\nf = zel.open(l.txt, 0)\n"
                   "onerror continue\nn = zel.lread(A)\nwhile n >= 0\n  print n, A$\n  n = zel.lread(A)\nend\n"
                   "print \"spent:\", zel.error\n",
                   0, "5 alpha\n2 be\n0 \n5 gamma\nspent: 33\n",
                   "zel: s.zel:13: zel.lread(A) failed: ERROR 33 (the end of the file came first)"},
        ScriptCase{"LinerowUntilErrorSaysTheFileIsSpent",
                   "zel.newactions = 1\nzel.nlinemode = 1\nf = zel.open(r.csv, 1)\nzel.lwrite(\"1,2.5\")\n"
                   "zel.lwrite(\"3,4\")\nzel.lwrite(\"5,6\")\nzel.close(f)\nf = zel.open(r.csv, 0)\nworksheet w 2\n"
                   "onerror continue\n"
                   "while zel.error == 0\n  zel.linerow(w)\nend\nshow w\n",
                   0, "   A  B\n1  1  2.5\n2  3  4\n3  5  6\n",
                   "zel: s.zel:12: zel.linerow(w) failed: ERROR 33 (the end of the file came first)"},
        // ---- Failures explained from the error list ----
        ScriptCase{"TooManyArgumentsExplainedInTheLegacyNumbering", "zel.open(x.bin, 0, 5, 7)\n", 1, "",
                   "zel: s.zel:1: zel.open(x.bin, 0, 5, 7) failed: more arguments than OPEN takes (error 900, "
                   "MoOpen)\n"},
        ScriptCase{"TooManyArgumentsExplainedInTheCurrentNumbering",
                   "zel.newactions = 1\nzel.open(x.bin, 0, 5, 7)\n", 1, "",
                   "zel: s.zel:2: zel.open(x.bin, 0, 5, 7) failed: more arguments than OPEN takes (error 900, "
                   "MoOpen)\n"},
        // ---- Text columns ----
        ScriptCase{"TextColumnsKeepTheirCells",
                   "zel.newactions = 1\nzel.nlinemode = 1\nf = zel.open(t.csv, 1)\nzel.lwrite(\"007,1.50,x9\")\n"
                   "zel.lwrite(\"ab 08,2,gh\")\nzel.close(f)\nf = zel.open(t.csv, 0)\nworksheet w 3 text 1, 3\n"
                   "worksheet n 3\n"
                   "print zel.readrow(w, 3), zel.readrow(n, 3)\nzel.rewind()\nprint zel.linerow(w), zel.linerow(n)\n"
                   "show w\nshow n\nworksheet a 2 text all\nzel.rewind()\nzel.ascii.stopmode = 8\n"
                   "zel.ascii.nlines = 0\nprint zel.ascii(, a)\nshow a\n",
                   0,
                   // READROW and LINEROW keep the texts of text columns (LINEROW keeps
                   // the characters of numbers only); ASCII stores numbers in any column.
                   "3 3\n3 3\n   A    B    C\n1  007  1.5  x9\n2  007  1.5  9\n   A   B  C\n1  --  2  --\n"
                   "2  8   2  --\n8\n   A  B    C\n1  7  1.5  9\n",
                   ""},
        // ---- CSV in and out, numbers and the missing value ----
        ScriptCase{"LoadTakesQuotesTextColumnsAndEmptyFields", "load t from in.csv\nshow t\n", 0,
                   "   name  x        note\n1  a, b  1.5e-07  say \"hi\"\n2  c     --\n3  d     2000     z\n", "",
                   {{"in.csv", "\xEF\xBB\xBFname,x,note\r\n\"a, b\",1.5e-7,\"say \"\"hi\"\"\"\r\nc,,\r\nd,2e3,z\n"}}},
        ScriptCase{"LoadWithoutAHeaderAndWithASeparator", "load t from in.txt sep \";\" noheader\nshow t\n", 0,
                   "   A  B\n1  1  x,y\n2  2  z\n", "", {{"in.txt", "1;x,y\n2;z"}}},
        ScriptCase{"LoadRefusesAWorksheetThatExists", "worksheet t\nload t from in.csv\n", 1, "",
                   "zel: s.zel:2: cannot load in.csv: a worksheet named t exists already\n", {{"in.csv", "a\n1\n"}}},
        ScriptCase{"SaveWithASeparatorAndCrlfLoadsBack",
                   "dataset d = 1, -1.23456789e-300, 0.1\nsave d to d.csv sep \";\" crlf\nprint zel.size(, d.csv)\n"
                   "load e from d.csv\nshow e\n",
                   0, "13\n   d\n1  1\n2  --\n3  0.1\n", ""},
        ScriptCase{"WholeNumbersPrintInFull", "print 10000000, 1.8e7, -5e15, 1e16, 2.5e-7\n", 0,
                   "10000000 18000000 -5000000000000000 1e+16 2.5e-07\n", ""},
        ScriptCase{"TextColumnOutsideTheWorksheet", "worksheet w 2 text 3\nprint 1\n", 1, "",
                   "zel: s.zel:1: a text column must be a whole number from 1 to 2, not 3\n"}),
    [](const ::testing::TestParamInfo<ScriptCase>& info) { return info.param.name; });

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

TEST_F(EndToEnd, HelpListsTheStatementsAtThePromptAndOnTheCommandLine) {
    const Outcome prompt = RunZel(scratch.path(), {}, "help\n");
    ExpectClean(prompt);
    EXPECT_EQ(prompt.status, 0) << prompt.err;
    const Outcome option = RunZel(scratch.path(), {"--help"});
    EXPECT_EQ(option.status, 0);
    for (const char* statement : {"show NAME [rows]", "save NAME to FILE.csv", "exit [N], quit [N]", "help",
                                  "for i = A to B [step S]", "next [i]", "while EXPR ... end", "if EXPR ... end",
                                  "else if EXPR", "break, continue", "worksheet NAME N text C",
                                  "load NAME from FILE.csv"}) {
        EXPECT_TRUE(Contains(prompt.out, statement)) << statement;
        EXPECT_TRUE(Contains(option.out, statement)) << statement;
    }
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
    EXPECT_EQ(outcome.status, c.status) << Quoted(outcome.out);
    EXPECT_FALSE(Contains(outcome.out, "Sanitizer")) << outcome.out;
    std::size_t from = 0;
    for (const std::string& part : c.shown) {
        const std::size_t at = outcome.out.find(part, from);
        EXPECT_NE(at, std::string::npos) << Quoted(part) << " in " << Quoted(outcome.out);
        if (at != std::string::npos) from = at + part.size();
    }
    std::ifstream in(history, std::ios::binary);
    const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(Contains(kept, c.history)) << Quoted(kept);
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
                     {{"zel> ", "x = 0\r"},
                      {"zel> ", "while 1 == 1\r"},
                      {"...> ", "x = x + 1\r"},
                      {"...> ", "if x == 3\r"},
                      {"...> ", "print \"looping\"\r"},
                      {"...> ", "end\r"},
                      {"...> ", "end\r"},
                      {"looping\r\n", "\x03", false},
                      {"zel> ", "print x >= 3\r"},
                      {"zel> ", "exit 5\r"}},
                     5, {"interrupted", "\r\n1\r\n"}, "while\\0401"},
    };
}

INSTANTIATE_TEST_SUITE_P(Prompt, Terminal, ::testing::ValuesIn(TerminalCases()),
    [](const auto& info) { return info.param.name; });
#endif

TEST_F(EndToEnd, VersionOptionPrintsTheVersion) {
    const Outcome outcome = RunZel(scratch.path(), {"--version"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, std::string("zel ") + ZEL_VERSION + "\n");
    EXPECT_EQ(outcome.err, "");
}

TEST_F(EndToEnd, ListingShowsTheOpenFilesWithTheirModes) {
    const Outcome outcome = Script("m = 1\nh = zel.open(b.bin, m)\nzel.listall(mode)\n");
    ExpectClean(outcome);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(Contains(outcome.out, "write  b.bin")) << outcome.out;
}

TEST_F(EndToEnd, ArgumentTextsKeepQuotesCommasAndParentheses) {
    const Outcome outcome =
        Script("h = zel.open(x(1).bin, 1)\nzel.close()\ng = zel.open(\"q, (r).bin\", 1)\nprint zel.exists(x(1).bin)\n");
    ExpectClean(outcome);
#ifdef _WIN32
    // Windows allows no '"' in a file name: the open of the quoted name
    // fails, and the failure shows the argument text as it was written.
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(Contains(outcome.err, "zel.open(\"q, (r).bin\", 1) failed: ERROR 1153")) << outcome.err;
    EXPECT_TRUE(fs::exists(scratch.path() / "x(1).bin"));
    return;
#endif
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "1\n");
    EXPECT_TRUE(fs::exists(scratch.path() / "x(1).bin"));
    bool quoted = false;
    for (const auto& entry : fs::directory_iterator(scratch.path())) {
        quoted = quoted || Contains(entry.path().filename().string(), "q, (r).bin");
    }
    EXPECT_TRUE(quoted) << "no file named with q, (r).bin";
}

TEST_F(EndToEnd, StandardInputWithoutATerminalHasNoPrompt) {
    const Outcome outcome = RunZel(scratch.path(), {}, "print 5\nx = (\nprint 6\n");
    ExpectClean(outcome);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.out, "");  // parsed whole before it runs, as a script is
    EXPECT_TRUE(Contains(outcome.err, "zel: stdin:2: cannot parse:")) << outcome.err;
}

TEST_F(EndToEnd, ScriptsThatCannotBeReadOrModulesThatCannotLoad) {
    Outcome outcome = RunZel(scratch.path(), {"missing.zel"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(Contains(outcome.err, "cannot read missing.zel")) << outcome.err;

    std::ofstream(scratch.PathOf("ok.zel")) << "print 1\n";
    outcome = RunZel(scratch.path(), {"ok.zel"}, "", {{"ZEL_MODULE", scratch.PathOf("none.so")}});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(Contains(outcome.err, "cannot load the module " + scratch.PathOf("none.so"))) << outcome.err;
    EXPECT_EQ(outcome.out, "");

    outcome = RunZel(scratch.path(), {"--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_TRUE(Contains(outcome.out, "usage: zel")) << outcome.out;
}

// Scripts of random bytes end with a status and no crash.
TEST_F(EndToEnd, GarbageScriptsNeverCrash) {
    std::mt19937 random(99);
    for (int i = 0; i < 8; ++i) {
        std::string text;
        for (int k = 0; k < 400; ++k) text += static_cast<char>(random() % 256);
        const Outcome outcome = Script(text);
        ExpectClean(outcome);
        EXPECT_TRUE(outcome.status >= 0 && outcome.status <= 2) << outcome.status;
    }
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
        for (const auto& entry : fs::directory_iterator(base.path())) outside.push_back(entry.path().filename().string());
        EXPECT_EQ(outside, std::vector<std::string>{"work"}) << name;
    }
    EXPECT_EQ(listing(examples), sourceBefore);
}

}  // namespace
}  // namespace zelcli::testing
