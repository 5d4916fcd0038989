// The run of a whole input: exit statuses, interactive use, the command
// line and the search for the module.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <optional>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "CliTesting.h"
#include "Host.h"
#include "Interrupt.h"
#include "LineSource.h"
#include "Runner.h"
#include "Session.h"
#include "support/ZelFixture.h"

namespace zelcli::testing {
namespace {

struct RunCase {
    std::string input;
    bool interactive;
    int status;
    bool lastLineRan;  // whether "z = 1", the last line, ran
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << "input " << Quoted(c.input) << ", interactive " << std::boolalpha << c.interactive << ", status "
        << c.status << ", lastLineRan " << c.lastLineRan;
}

class RunnerFixture : public ::testing::Test {
protected:
    FakeModule fake;
    tavrel::Host host{&FakeModule::Entry};
    std::ostringstream out;
    std::ostringstream err;
    Session session{host, out, err};
};

class RunLinesTest : public RunnerFixture, public ::testing::WithParamInterface<RunCase> {};

TEST_P(RunLinesTest, EndsWithTheStatus) {
    std::istringstream in(GetParam().input);
    std::ostringstream prompt;
    EXPECT_EQ(RunLines(session, in, "s.zel", GetParam().interactive, prompt), GetParam().status) << err.str();
    EXPECT_EQ(session.Variable("z").has_value(), GetParam().lastLineRan);
    EXPECT_EQ(prompt.str().empty(), !GetParam().interactive);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RunLinesTest,
    ::testing::Values(RunCase{"x = 1\nz = 1\n", false, 0, true}, RunCase{"x = 1\r\nz = 1\r\n", false, 0, true},
                      RunCase{"x = 1\ny = (\nz = 1\n", false, 2, false},
                      RunCase{"x = 1\ny = (\nz = 1\n", true, 0, true},
                      RunCase{"zel.fail(a)\nz = 1\n", false, 1, false},
                      RunCase{"zel.fail(a)\nz = 1\n", true, 0, true},
                      RunCase{"onerror continue\nzel.fail(a)\nz = 1\n", false, 0, true},
                      RunCase{"onerror continue\nx = (\nz = 1\n", false, 2, false},
                      RunCase{"onerror continue\nx = y\nz = 1\n", false, 0, true},
                      RunCase{"x = y\nz = 1\n", false, 1, false}, RunCase{"exit 4\nz = 1\n", false, 4, false},
                      RunCase{"exit 4\nz = 1\n", true, 4, false}, RunCase{"z = 1", false, 0, true},
                      RunCase{"", false, 0, false},
                      // A block runs whole; a bad line in it discards it at the prompt.
                      RunCase{"for i = 1 to 2\nz = i\nnext\n", false, 0, true},
                      RunCase{"for i = 1 to 2\nz = i\n", false, 2, false},
                      RunCase{"for i = 1 to 2\nz = i\n", true, 0, false},
                      RunCase{"while 1\nz = (\nend\nz = 1\n", false, 2, false},
                      RunCase{"while 1\nz = (\nend\nz = 1\n", true, 0, true},
                      RunCase{"for i = 1 to 3\nexit i\nnext\nz = 1\n", true, 1, false},
                      RunCase{"while 1\nzel.fail()\nend\nz = 1\n", false, 1, false},
                      RunCase{"while 1\nzel.fail()\nend\nz = 1\n", true, 0, true}));

TEST_F(RunLinesTest, PromptsBeforeEveryLineOnATerminal) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"x = 1\ny = (\n", "zel> zel> zel> \n"}, {"exit 2\nx = 1\n", "zel> "}, {"", "zel> \n"},
        {"if 1\nwhile 0\nend\nend\n", "zel> ...> ...> ...> zel> \n"}, {"next\nelse\n", "zel> zel> zel> \n"},
        {"for i = 1 to 2\nx = (\n\n", "zel> ...> zel> zel> \n"}};
    for (const auto& [input, shown] : cases) {
        std::istringstream in(input);
        std::ostringstream prompt;
        RunLines(session, in, "stdin", true, prompt);
        EXPECT_EQ(prompt.str(), shown) << input;
    }
}

TEST_F(RunLinesTest, MessagesNameTheFileAndLine) {
    std::istringstream in("# one\n\nzel.fail(x)\n");
    std::ostringstream prompt;
    EXPECT_EQ(RunLines(session, in, "dir/s.zel", false, prompt), 1);
    EXPECT_EQ(err.str(), "zel: dir/s.zel:3: zel.fail(x) failed: ERROR 22, SYSERR 3\n");
}

// ---- Ctrl-C ----------------------------------------------------------------

// Lines from a list, as a line editor would hand them; records the prompts
// and sends Ctrl-C before the line of a given number.
class ScriptedSource : public LineSource {
public:
    ScriptedSource(std::vector<std::string> lines, std::size_t interruptBefore)
        : lines_(std::move(lines)), interruptBefore_(interruptBefore) {}

    std::optional<std::string> ReadLine(const std::string& prompt) override {
        prompts += prompt;
        if (next_ >= lines_.size()) return std::nullopt;
        if (++next_ == interruptBefore_) std::raise(SIGINT);
        return lines_[next_ - 1];
    }
    std::string prompts;

private:
    std::vector<std::string> lines_;
    std::size_t interruptBefore_;
    std::size_t next_ = 0;
};

struct InterruptCase {
    std::vector<std::string> lines;
    std::size_t interruptBefore;  // the line (1-based) before which Ctrl-C comes; 0: none
    bool interactive;
    int status;
    std::string err;    // a part of the messages
    std::string shown;  // the prompts, interactive
    bool lastLineRan;   // whether "z = 1", the last line, ran
};

void PrintTo(const InterruptCase& c, std::ostream* os) {
    *os << "lines {";
    for (const auto& line : c.lines) *os << Quoted(line) << " ";
    *os << "}, interrupt before " << c.interruptBefore << ", interactive " << std::boolalpha << c.interactive
        << ", status " << c.status << ", err " << Quoted(c.err) << ", shown " << Quoted(c.shown);
}

class Interrupts : public RunnerFixture, public ::testing::WithParamInterface<InterruptCase> {};

// The module's INTERRUPT raises SIGINT as a user's Ctrl-C would, in the
// middle of a loop.
TEST_P(Interrupts, EndWhatRunsAndKeepThePrompt) {
    const InterruptCase& c = GetParam();
    const InterruptGuard guard;
    ScriptedSource source(c.lines, c.interruptBefore);
    EXPECT_EQ(RunLines(session, source, "t.zel", c.interactive), c.status);
    EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
    EXPECT_EQ(source.prompts, c.shown);
    EXPECT_EQ(session.Variable("z").has_value(), c.lastLineRan);
    EXPECT_FALSE(InterruptRequested());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Interrupts,
    ::testing::Values(
        InterruptCase{{"n = 0", "while 1", "n = n + 1", "if n == 3", "zel.interrupt()", "end", "end", "z = 1"}, 0,
                      false, 130, "zel: t.zel:7: interrupted\n", "", false},
        InterruptCase{{"n = 0", "while 1", "n = n + 1", "if n == 3", "zel.interrupt()", "end", "end", "z = 1"}, 0,
                      true, 0, "zel: t.zel:7: interrupted\n", "zel> zel> ...> ...> ...> ...> ...> zel> zel> ", true},
        InterruptCase{{"for i = 1 to 9", "zel.interrupt()", "next", "z = 1"}, 0, true, 0, "t.zel:3: interrupted",
                      "zel> ...> ...> zel> zel> ", true},
        InterruptCase{{"while 1", "x = 1", "end", "z = 1"}, 3, true, 0,
                      "zel: t.zel: interrupted: the open block was discarded\n", "zel> ...> ...> zel> zel> ", true},
        InterruptCase{{"x = 1", "z = 1"}, 2, false, 130, "zel: t.zel:1: interrupted\n", "", false}));

// ---- The module's place ----------------------------------------------------

TEST(FindModule, TakesTheFirstPlaceThatHoldsIt) {
    namespace fs = std::filesystem;
    zeltest::ScratchDir scratch;
    fs::create_directories(scratch.path() / "bin");
    fs::create_directories(scratch.path() / "lib");
    fs::create_directories(scratch.path() / "inst" / "bin");
    const std::string build = scratch.Make("build.so", "x");
    const std::string beside =
        fs::path(scratch.Make(std::string("lib/") + kModuleFileName, "x")).lexically_normal().string();
    const std::string exe = scratch.PathOf("bin/zel");
    // An installed zel: the module at its installed place beside it.
    const std::string installedExe = scratch.PathOf("inst/bin/zel");
    const fs::path installed = (scratch.path() / "inst" / "bin" / kInstalledModule).lexically_normal();
    fs::create_directories(installed.parent_path());
    std::ofstream(installed, std::ios::binary) << "x";
    const std::string missing = scratch.PathOf("none.so");
    struct Case {
        std::string env, build, exe, found;
    };
    const std::vector<Case> cases = {{"/given/by/env.so", build, exe, "/given/by/env.so"},
                                     {"", build, installedExe, installed.string()},
                                     {"", build, exe, build},
                                     {"", missing, exe, beside},
                                     {"", "", exe, beside},
                                     {"", missing, scratch.PathOf("a/b/zel"), ""},
                                     {"", "", "", ""}};
    for (const Case& c : cases) {
        std::string tried;
        EXPECT_EQ(FindModule(c.env, c.build, c.exe, tried), c.found) << c.build << " " << c.exe;
        EXPECT_EQ(tried.empty(), !c.found.empty());
    }
    std::string tried;
    FindModule("", missing, scratch.PathOf("a/b/zel"), tried);
    EXPECT_NE(tried.find(missing), std::string::npos) << tried;
}

// ---- The command line ------------------------------------------------------

struct CommandCase {
    std::vector<std::string> args;
    int status;
    std::string out;  // a part of standard output
    std::string err;  // a part of standard error
};

void PrintTo(const CommandCase& c, std::ostream* os) {
    *os << "args {";
    for (std::size_t i = 0; i < c.args.size(); ++i) *os << (i == 0 ? "" : ", ") << Quoted(c.args[i]);
    *os << "}, status " << c.status << ", out " << Quoted(c.out) << ", err " << Quoted(c.err);
}

class CommandLine : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandLine, AnswersBeforeLoadingTheModule) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(Main(GetParam().args, in, out, err, false), GetParam().status);
    EXPECT_NE(out.str().find(GetParam().out), std::string::npos) << out.str();
    EXPECT_NE(err.str().find(GetParam().err), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLine,
                         ::testing::Values(CommandCase{{"--help"}, 0, "usage: zel [SCRIPT.zel]", ""},
                                           CommandCase{{"-h"}, 0, "usage: zel", ""},
                                           CommandCase{{"a.zel", "b.zel"}, 2, "", "too many arguments"},
                                           CommandCase{{"--frob"}, 2, "", "unknown option --frob"},
                                           CommandCase{{"/no/such/script.zel"}, 2, "",
                                                       "cannot read /no/such/script.zel: No such file"},
                                           CommandCase{{"/"}, 2, "", "cannot read /: it is a folder"}));

}  // namespace
}  // namespace zelcli::testing
