// The built zel program ($ZEL_CLI) with the built module, on scripts in a
// scratch folder: standard output, standard error and exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "CliTesting.h"
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
};

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << c.name << ": script " << Quoted(c.script) << ", status " << c.status << ", out " << Quoted(c.out)
        << ", err " << Quoted(c.err);
}

class Scripts : public EndToEnd, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(Scripts, GiveTheirOutputAndStatus) {
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
        ScriptCase{"ParseErrorEndsTheScript", "print 1\nx = (\nprint 2\n", 2, "1\n", "zel: s.zel:2: cannot parse: "},
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
        ScriptCase{"DatasetToCsv", "dataset d = 1, 2.5\nsave d to d.csv\nprint zel.size(, d.csv)\n", 0, "11\n", ""},
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
                   "directory\n"}),
    [](const ::testing::TestParamInfo<ScriptCase>& info) { return info.param.name; });

TEST_F(EndToEnd, HelpListsTheStatementsAtThePromptAndOnTheCommandLine) {
    const Outcome prompt = RunZel(scratch.path(), {}, "help\n");
    ExpectClean(prompt);
    EXPECT_EQ(prompt.status, 0) << prompt.err;
    const Outcome option = RunZel(scratch.path(), {"--help"});
    EXPECT_EQ(option.status, 0);
    for (const char* statement : {"show NAME [rows]", "save NAME to FILE.csv", "exit [N], quit [N]", "help"}) {
        EXPECT_TRUE(Contains(prompt.out, statement)) << statement;
        EXPECT_TRUE(Contains(option.out, statement)) << statement;
    }
}

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
    EXPECT_EQ(outcome.out, "5\n");
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
