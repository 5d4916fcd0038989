// Statements run against a recording stand-in module.
#include <gtest/gtest.h>

#include <algorithm>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "CliTesting.h"
#include "Host.h"
#include "Session.h"
#include "Table.h"
#include "support/ZelFixture.h"

namespace zelcli::testing {
namespace {

// A number of a test case for messages: the shortest text that reads back to
// it (the missing value included).
std::string Shown(double number) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, number).ptr);
}

class SessionTest : public ::testing::Test {
protected:
    // Runs the lines in order; answers the status of the last one.
    LineStatus RunAll(const std::vector<std::string>& lines) {
        LineStatus status = LineStatus::Done;
        for (const auto& line : lines) status = session.RunLine(line, "t.zel:" + std::to_string(++number_));
        return status;
    }
    LineStatus Run(const std::string& line) { return RunAll({line}); }

    // The argument text of the latest call of a method.
    std::string LastArguments() const {
        for (auto it = fake.requests.rbegin(); it != fake.requests.rend(); ++it) {
            if (it->code == ZEL_REQ_CALL) return it->member;
        }
        return "(no call)";
    }

    FakeModule fake;
    tavrel::Host host{&FakeModule::Entry};
    std::ostringstream out;
    std::ostringstream err;
    Session session{host, out, err};

private:
    int number_ = 0;
};

// ---- Calls and their argument texts ------------------------------------------

struct ArgumentCase {
    std::string line;
    std::string args;
};

void PrintTo(const ArgumentCase& c, std::ostream* os) {
    *os << "line " << Quoted(c.line) << ", args " << Quoted(c.args);
}

class ArgumentTexts : public SessionTest, public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(ArgumentTexts, ReachTheModuleAsWritten) {
    ASSERT_EQ(Run(GetParam().line), LineStatus::Done) << err.str();
    EXPECT_EQ(LastArguments(), GetParam().args);
    EXPECT_EQ(out.str(), "echo:" + GetParam().args + "\n");
    EXPECT_EQ(err.str(), "");
}

INSTANTIATE_TEST_SUITE_P(Calls, ArgumentTexts,
                         ::testing::Values(ArgumentCase{"zel.echo(data.bin, 0)", "data.bin, 0"},
                                           ArgumentCase{"zel.echo(  spaced  ,  \"q, (x)\"  )", "  spaced  ,  \"q, (x)\"  "},
                                           ArgumentCase{"zel.echo(\"a)b\")", "\"a)b\""},
                                           ArgumentCase{"zel.echo(f(1, g(2)), 3) # done", "f(1, g(2)), 3"},
                                           ArgumentCase{"zel.echo()", ""},
                                           ArgumentCase{"zel.echo(a # b)", "a # b"},
                                           ArgumentCase{"Zel.ECHO(\\t)", "\\t"},
                                           ArgumentCase{"n = zel.echo(abc) + 1", "abc"}));

TEST_F(SessionTest, CallValueKeepsItsResultAndNameAsWritten) {
    ASSERT_EQ(Run("n = zel.Echo(abcd) * 2"), LineStatus::Done);
    EXPECT_EQ(session.Variable("n"), 8.0);
    const auto call = std::find_if(fake.requests.rbegin(), fake.requests.rend(),
                                   [](const auto& r) { return r.code == ZEL_REQ_CALL; });
    ASSERT_NE(call, fake.requests.rend());
    EXPECT_EQ(call->owner, "Echo");
}

// ---- Numbers inside argument texts -------------------------------------------

struct NumberCase {
    std::string text;
    double number;  // -99: the host reads no number
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << "text " << Quoted(c.text) << ", number " << Shown(c.number);
}

class NumbersInArguments : public SessionTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(NumbersInArguments, ComeFromTheVariables) {
    ASSERT_EQ(RunAll({"h = 5", "p = 2.5", "Big = 1e6", "A$ = \"7\"", "n = zel.num(" + GetParam().text + ")"}),
              LineStatus::Done)
        << err.str();
    EXPECT_EQ(session.Variable("n"), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(Texts, NumbersInArguments,
                         ::testing::Values(NumberCase{"h", 5}, NumberCase{"  h\t", 5}, NumberCase{"p*2 + h", 10},
                                           NumberCase{"-h", -5}, NumberCase{"(h - 1) / 2", 2},
                                           NumberCase{"Big", 1e6}, NumberCase{"12", 12}, NumberCase{" -0.5 ", -0.5},
                                           NumberCase{"big", -99}, NumberCase{"nope", -99},
                                           NumberCase{"h / 0", -99}, NumberCase{"A$", -99},
                                           NumberCase{"zel.nbytes", -99}, NumberCase{"h h", -99}));

TEST_F(SessionTest, TheNumberHookLastsAsLongAsTheSession) {
    tavrel::Host other{&FakeModule::Entry};
    {
        std::ostringstream sink;
        Session inner(other, sink, sink);
        ASSERT_EQ(inner.RunLine("x = 4", "t"), LineStatus::Done);
        double value = 0.0;
        EXPECT_EQ(tavrel::Host::Callback(other.handle(), ZEL_CB_TEXT_TO_NUMBER, reinterpret_cast<intptr_t>("x"),
                                         reinterpret_cast<intptr_t>(&value)),
                  1);
        EXPECT_EQ(value, 4.0);
    }
    EXPECT_FALSE(other.numberOfName);
    EXPECT_FALSE(other.onPrint);
}

// ---- Members -------------------------------------------------------------

TEST_F(SessionTest, SetsGoToTheKindOfTheValue) {
    ASSERT_EQ(RunAll({"B$ = \"b.bin\"", "zel.filename = B$", "zel.open.mode = 1 + 1", "zel.nbytes = zel.open.mode * 2"}),
              LineStatus::Done)
        << err.str();
    EXPECT_EQ(fake.texts["FILENAME"], "b.bin");
    EXPECT_EQ(fake.numbers["OPEN.MODE"], 2.0);
    EXPECT_EQ(fake.numbers["NBYTES"], 4.0);
    std::vector<std::string> seen;
    for (const auto& request : fake.requests) {
        if (request.code == ZEL_REQ_SET_NUMBER || request.code == ZEL_REQ_SET_STRING) {
            seen.push_back(std::to_string(request.code) + (request.hasOwner ? " " + request.owner + "." : " ") +
                           request.member);
        }
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"19 filename", "17 open.mode", "17 nbytes"}));
}

TEST_F(SessionTest, ReadsTryANumberFirstThenAText) {
    fake.texts["FILENAME"] = "data.bin";
    ASSERT_EQ(Run("print zel.nbytes, zel.FileName, zel.open.mode"), LineStatus::Done) << err.str();
    EXPECT_EQ(out.str(), "1 data.bin 0\n");
    std::vector<int32_t> codes;
    for (const auto& request : fake.requests) codes.push_back(request.code);
    EXPECT_EQ(codes, (std::vector<int32_t>{ZEL_REQ_GET_NUMBER, ZEL_REQ_GET_NUMBER, ZEL_REQ_GET_STRING,
                                           ZEL_REQ_GET_NUMBER}));
}

TEST_F(SessionTest, StringVariablesAreTheHostsAndIgnoreCase) {
    fake.texts["FILENAME"] = "from.module";
    ASSERT_EQ(RunAll({"a$ = \"one\\ttab\"", "B$ = A$", "c$ = zel.filename", "print b$, C$"}), LineStatus::Done)
        << err.str();
    EXPECT_EQ(host.Variable('B'), "one\ttab");
    EXPECT_EQ(host.Variable('c'), "from.module");
    EXPECT_EQ(out.str(), "one\ttab from.module\n");
}

// ---- Printing --------------------------------------------------------------

class Printing : public SessionTest, public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(Printing, ItemsJoinedByABlank) {
    ASSERT_EQ(RunAll({"E$ = \"\"", "x = 3", GetParam().line}), LineStatus::Done) << err.str();
    EXPECT_EQ(out.str(), GetParam().args + "\n");
}

INSTANTIATE_TEST_SUITE_P(Lines, Printing,
                         ::testing::Values(ArgumentCase{"print 1, 2.5, -0.125", "1 2.5 -0.125"},
                                           ArgumentCase{"print 1/3", "0.3333333333333333"},
                                           ArgumentCase{"print -1.23456789e-300", "--"},
                                           ArgumentCase{"print 1e21, 1e-7, 0.1 + 0.2", "1e+21 1e-07 0.30000000000000004"},
                                           ArgumentCase{"print \"a\\tb\", \"q\\\"x\"", "a\tb q\"x"},
                                           ArgumentCase{"print", ""}, ArgumentCase{"print E$, E$", " "},
                                           ArgumentCase{"print 2 * (x + 4) - -1, -x", "15 -3"},
                                           ArgumentCase{"print \"n:\", zel.nbytes", "n: 1"}));

TEST(TerminalLine, TurnsCarriageReturnsIntoLineFeeds) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\r\nb", "a\nb"}, {"a\rb", "a\nb"}, {"ab\r\n", "ab\n"}, {"\r\r\n", "\n\n"}, {"", ""}, {"a\tb", "a\tb"}};
    for (const auto& [line, shown] : cases) EXPECT_EQ(TerminalLine(line), shown);
}

// ---- Failures --------------------------------------------------------------

struct FailureCase {
    bool onErrorContinue;
    std::string line;
    std::string message;  // what follows "zel: t.zel:N: "
    bool xSet;            // whether the statement still set x
    double x;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << "onErrorContinue " << std::boolalpha << c.onErrorContinue << ", line " << Quoted(c.line) << ", message "
        << Quoted(c.message) << ", xSet " << c.xSet << ", x " << Shown(c.x);
}

class Failures : public SessionTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Failures, AreReportedOnOneLine) {
    const FailureCase& c = GetParam();
    fake.texts["FILENAME"] = "f.bin";
    RunAll({c.onErrorContinue ? "onerror continue" : "onerror stop", "q = 1"});
    EXPECT_EQ(Run(c.line), LineStatus::Failed);
    EXPECT_EQ(err.str(), "zel: t.zel:3: " + c.message + "\n");
    EXPECT_EQ(session.Variable("x").has_value(), c.xSet);
    if (c.xSet) {
        EXPECT_EQ(session.Variable("x"), c.x);
    }
    EXPECT_EQ(session.stopOnError(), !c.onErrorContinue);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Failures,
    ::testing::Values(
        FailureCase{false, "x = zel.fail(a, 1) + 1", "zel.fail(a, 1) failed: ERROR 22, SYSERR 3", false, 0},
        FailureCase{true, "x = zel.fail(a, 1) + 1", "zel.fail(a, 1) failed: ERROR 22, SYSERR 3", true, 0},
        FailureCase{true, "x = zel.refuse(1)",
                    "zel.refuse(1) failed: more arguments than REFUSE takes (error 900, MoOpen)", true,
                    -1.23456789e-300},
        FailureCase{false, "x = zel.nosuch(1)", "zel.nosuch(1) failed: no member \"NOSUCH\"", false, 0},
        FailureCase{true, "x = zel.nosuch(1)", "zel.nosuch(1) failed: no member \"NOSUCH\"", false, 0},
        FailureCase{true, "x = zel.nbytes(1)", "zel.nbytes(1) failed: \"NBYTES\" is a property, not a method", false,
                    0},
        FailureCase{false, "zel.nbytes = 5", "zel.nbytes = 5 failed: ERROR 12 (a value outside the allowed range), SYSERR 0", false, 0},
        FailureCase{true, "zel.nbytes = \"4\"", "zel.nbytes = \"4\" failed: \"NBYTES\" takes a number, not a text",
                    false, 0},
        FailureCase{true, "zel.filename = 3", "zel.filename = 3 failed: \"FILENAME\" takes a text, not a number", false,
                    0},
        FailureCase{true, "zel.Frob = 3", "zel.Frob = 3 failed: no member \"FROB\"", false, 0},
        FailureCase{true, "print zel.open.frob", "zel.open.frob failed: no member \"OPEN.FROB\"", false, 0},
        FailureCase{true, "x = zel.open", "zel.open failed: \"OPEN\" is a method; call it as zel.open(...)", false, 0},
        FailureCase{true, "x = zel.filename", "zel.filename is a text; a number is expected here", false, 0},
        FailureCase{true, "A$ = zel.nbytes", "zel.nbytes is a number; a text is expected here", false, 0},
        FailureCase{true, "x = y + 1", "unknown variable y", false, 0},
        FailureCase{true, "x = Q", "unknown variable Q", false, 0},
        FailureCase{true, "x = 1 / (q - 1)", "division by zero", false, 0},
        FailureCase{true, "exit 256", "the exit status must be a whole number from 0 to 255, not 256", false, 0},
        FailureCase{true, "exit 0.5", "the exit status must be a whole number from 0 to 255, not 0.5", false, 0},
        FailureCase{true, "worksheet w -1", "the number of columns must be a whole number from 0 to 1000, not -1",
                    false, 0},
        FailureCase{true, "show nothing", "no dataset or worksheet \"nothing\"", false, 0},
        FailureCase{true, "save nothing to x.csv", "no dataset or worksheet \"nothing\"", false, 0}));

// A call that fails with ERROR 0 is explained by the newest entry of the
// error list, which the user does not see printed.
struct ListCase {
    std::vector<std::string> list;  // what LISTERR prints
    std::string reason;
};

void PrintTo(const ListCase& c, std::ostream* os) {
    *os << "list {";
    for (const auto& line : c.list) *os << Quoted(line) << " ";
    *os << "}, reason " << Quoted(c.reason);
}

class ErrorList : public SessionTest, public ::testing::WithParamInterface<ListCase> {};

TEST_P(ErrorList, ExplainsAFailureWithoutAnError) {
    fake.errorList = GetParam().list;
    EXPECT_EQ(Run("zel.refuse(a, b)"), LineStatus::Failed);
    EXPECT_EQ(err.str(), "zel: t.zel:1: zel.refuse(a, b) failed: " + GetParam().reason + "\n");
    EXPECT_EQ(out.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ErrorList,
    ::testing::Values(ListCase{{"MoOpen\t900", "MoClose\t1000"}, "more arguments than REFUSE takes (error 900, MoOpen)"},
                      ListCase{{"MoTavrelWks\t779"}, "no worksheet of that name (error 779, MoTavrelWks)"},
                      ListCase{{"MoData\t1000"}, "no dataset of that name (error 1000, MoData)"},
                      ListCase{{"\t777"}, "writing a worksheet column failed (error 777)"},
                      ListCase{{"MoX\t4242"}, "ZEL's error list holds error 4242, MoX"},
                      ListCase{{"\t0", "MoOpen\t900"}, "ERROR 0, SYSERR 0"}, ListCase{{}, "ERROR 0, SYSERR 0"},
                      ListCase{{"MoOpen 900"}, "ERROR 0, SYSERR 0"}, ListCase{{"MoOpen\t9x"}, "ERROR 0, SYSERR 0"}));

TEST_F(SessionTest, ParseErrorsRunNothing) {
    EXPECT_EQ(Run("x = zel.echo(a) +"), LineStatus::ParseFailed);
    EXPECT_EQ(err.str(), "zel: t.zel:1: cannot parse: expected a value but found end of line at column 18\n");
    EXPECT_TRUE(fake.requests.empty());
    EXPECT_EQ(out.str(), "");
}

TEST_F(SessionTest, StopAbandonsTheRestOfTheStatement) {
    ASSERT_EQ(Run("print zel.echo(one), zel.fail(), zel.echo(two)"), LineStatus::Failed);
    EXPECT_EQ(out.str(), "echo:one\n");
    ASSERT_EQ(RunAll({"onerror continue", "print zel.echo(one), zel.fail(), zel.echo(two)"}), LineStatus::Failed);
    EXPECT_EQ(out.str(), "echo:one\necho:one\necho:two\n3 -1 3\n");
}

TEST_F(SessionTest, ErrorsPrintsTheNumbersAndTheList) {
    ASSERT_EQ(RunAll({"onerror continue", "zel.fail()"}), LineStatus::Failed);
    ASSERT_EQ(Run("errors"), LineStatus::Done);
    EXPECT_EQ(out.str(), "ERROR 22  SYSERR 3\nMoOpen\t900\n\t0\n");
}

TEST_F(SessionTest, ListAsksForTheListingOfAPath) {
    ASSERT_EQ(RunAll({"list", "list open", "LIST \"ascii\""}), LineStatus::Done);
    EXPECT_EQ(out.str(), "listing (all)\nlisting open\nlisting ascii\n");
    EXPECT_FALSE(fake.requests.front().hasOwner);
}

TEST_F(SessionTest, ExitGivesItsStatus) {
    const std::vector<std::pair<std::string, int>> cases = {{"exit", 0}, {"exit 3", 3}, {"exit 1 + 1", 2}};
    for (const auto& [line, status] : cases) {
        EXPECT_EQ(Run(line), LineStatus::Exit) << line;
        EXPECT_EQ(session.exitStatus(), status) << line;
    }
}

// ---- Datasets and worksheets -------------------------------------------------

TEST_F(SessionTest, DatasetsAreMadeFilledShownAndSaved) {
    zeltest::ScratchDir scratch;
    const std::string csv = scratch.PathOf("d.csv");
    std::string quoted;  // the name as a text of the script: backslashes escaped
    for (char c : csv) quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
    ASSERT_EQ(RunAll({"x = 4", "dataset d = 1, 2.5, x, -1.23456789e-300", "dataset \"t t\" text", "show d",
                   "save d to \"" + quoted + "\""}),
              LineStatus::Done)
        << err.str();
    tavrel::Dataset* d = host.FindDataset("d");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->upper(), 4);
    EXPECT_EQ(d->number(2), 4.0);
    EXPECT_EQ(d->kind(3), tavrel::CellKind::Empty);
    ASSERT_NE(host.FindDataset("t t"), nullptr);
    EXPECT_TRUE(host.FindDataset("t t")->isText());
    EXPECT_EQ(out.str(), tavrel::Format(*d));
    EXPECT_EQ(zeltest::ScratchDir::Contents(csv), "d\n1\n2.5\n4\n\n");
}

TEST_F(SessionTest, WorksheetsAreMadeShownAndSaved) {
    zeltest::ScratchDir scratch;
    const std::string csv = scratch.PathOf("w.csv");
    ASSERT_EQ(RunAll({"worksheet Book1 3", "show book1", "save BOOK1 to " + csv}), LineStatus::Done) << err.str();
    tavrel::Worksheet* sheet = host.FindWorksheet("Book1");
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->columnCount(), 3);
    EXPECT_EQ(out.str(), tavrel::Format(*sheet));
    EXPECT_EQ(zeltest::ScratchDir::Contents(csv), "A,B,C\n");
}

TEST_F(SessionTest, HostRefusalsOfDatasetsAndWorksheetsAreFailures) {
    ASSERT_EQ(Run("worksheet W 1"), LineStatus::Done);
    const std::vector<std::string> lines = {"worksheet W", "worksheet " + std::string(120, 'n'), "dataset W_A = 1",
                                            "save W to /no/such/folder/w.csv"};
    for (const auto& line : lines) {
        err.str("");
        EXPECT_EQ(Run(line), LineStatus::Failed) << line;
        EXPECT_NE(err.str().find("zel: t.zel:"), std::string::npos) << line;
    }
}

// ---- Garbage ---------------------------------------------------------------

// Random lines made of pieces of the language run against the module
// without crashing; each ends in one of the statuses.
TEST_F(SessionTest, GarbageLinesNeverCrash) {
    std::mt19937 random(7);
    const std::vector<std::string> pieces = {
        "zel.", "echo(", "num(", "fail(", "open", "nbytes", "filename", ")", "\"", "A$", "x", " = ", "+", "-",
        "*",    "/",     ",",    "1",     "0",    "print ", "dataset d", "show d", "exit", "onerror continue",
        ".",    "(",     "#",    "list ", "errors", "worksheet w ", "save d to /no/such/d.csv", "1e308", "\\"};
    std::ostringstream sink;
    Session quiet(host, sink, sink);
    int statuses[4] = {0, 0, 0, 0};
    for (int i = 0; i < 5000; ++i) {
        std::string line;
        const int length = static_cast<int>(random() % 8);
        for (int k = 0; k < length; ++k) line += pieces[random() % pieces.size()];
        ++statuses[static_cast<int>(quiet.RunLine(line, "g"))];
    }
    EXPECT_GT(statuses[static_cast<int>(LineStatus::Done)], 0);
    EXPECT_GT(statuses[static_cast<int>(LineStatus::ParseFailed)], 0);
}

}  // namespace
}  // namespace zelcli::testing
