// The parser of script lines, with its lexer.
#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "CliTesting.h"
#include "Parser.h"

namespace zelcli::testing {
namespace {

struct LineCase {
    std::string line;
    std::string parsed;  // the rendered statement
};

struct ErrorCase {
    std::string line;
    std::string reason;  // a part of the message
};

// How gtest shows a case (in failures and in --gtest_list_tests).
void PrintTo(const LineCase& c, std::ostream* os) {
    *os << "line " << Quoted(c.line) << ", parsed " << Quoted(c.parsed);
}
void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << "line " << Quoted(c.line) << ", reason " << Quoted(c.reason);
}

// ---- Parser ----------------------------------------------------------------

class ParsesLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ParsesLine, IntoTheStatement) {
    Parsed parsed = ParseLine(GetParam().line);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(Render(parsed.statement), GetParam().parsed);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ParsesLine,
    ::testing::Values(
        LineCase{"", "empty"}, LineCase{"   # only a comment", "empty"},
        LineCase{"x = 2.5e3 + y_1 - 1E-2 + 7e+1 + 4. + .5", "let x (+ (+ (+ (- (+ 2500 y_1) 0.01) 70) 4) 0.5)"},
        LineCase{"print .5, 3 # comment \"x\"", "print 0.5 | 3"},
        LineCase{"a$ = \"q\\\"x\\\\y\\tz\\n\\r# no comment\"", "let A$ \"q\"x\\y\tz\n\r# no comment\""},
        LineCase{"x = 1 + 2 * 3", "let x (+ 1 (* 2 3))"},
        LineCase{"x = (1 + 2) * -3", "let x (* (+ 1 2) (neg 3))"},
        LineCase{"x = 8 / 4 / 2 - 1 - 1", "let x (- (- (/ (/ 8 4) 2) 1) 1)"},
        LineCase{"x=--y", "let x (neg (neg y))"},
        LineCase{"Print_count = 2", "let Print_count 2"},
        LineCase{"h = zel.open(data.bin, 0)", "let h call:open[data.bin, 0]"},
        LineCase{"ZEL.Open(\"a)b\", (1, 2)) # c", "call:Open[\"a)b\", (1, 2)]"},
        LineCase{"zel.setpos(p+4)", "call:setpos[p+4]"},
        LineCase{"p = zel.getpos(h) * 2", "let p (* call:getpos[h] 2)"},
        LineCase{"zel.nbytes = 4", "set zel.nbytes 4"},
        LineCase{"zel.open.mode = 2", "set zel.open.mode 2"},
        LineCase{"zel.filename = \"x.bin\"", "set zel.filename \"x.bin\""},
        LineCase{"zel.filename = b$", "set zel.filename B$"},
        LineCase{"zel.skip = zel.nbytes", "set zel.skip zel.nbytes"},
        LineCase{"a$ = zel.filename", "let A$ zel.filename"},
        LineCase{"Q$ = \"text\"", "let Q$ \"text\""},
        LineCase{"PRINT \"p:\", p, zel.getpos(h) + 1, A$", "print \"p:\" | p | (+ call:getpos[h] 1) | A$"},
        LineCase{"print", "print "}, LineCase{"Errors", "errors"}, LineCase{"list", "list "},
        LineCase{"list open # comment", "list open"}, LineCase{"onerror Continue", "onerror continue"},
        LineCase{"ONERROR stop", "onerror stop"}, LineCase{"dataset d", "dataset d []"},
        LineCase{"dataset \"my data\" text", "dataset my data text []"},
        LineCase{"dataset d = 1, -2, x", "dataset d [1 | (neg 2) | x]"},
        LineCase{"dataset d=1", "dataset d [1]"}, LineCase{"worksheet Book1 3", "worksheet Book1 3"},
        LineCase{"worksheet \"W 2\"", "worksheet W 2"}, LineCase{"show d", "show d"},
        LineCase{"save Book1 to out/book.csv", "save Book1 to out/book.csv"},
        LineCase{"save \"a b\" TO \"c d.csv\"", "save a b to c d.csv"}, LineCase{"exit", "exit"},
        LineCase{"exit 1 + 2", "exit (+ 1 2)"}, LineCase{"QUIT", "exit"}, LineCase{"quit 3", "exit 3"},
        LineCase{"help", "help"}, LineCase{"show d 2 * n", "show d (* 2 n)"}));

class RejectsLine : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RejectsLine, WithTheReason) {
    Parsed parsed = ParseLine(GetParam().line);
    ASSERT_FALSE(parsed.ok()) << Render(parsed.statement);
    EXPECT_NE(parsed.error.find(GetParam().reason), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Statements, RejectsLine,
    ::testing::Values(ErrorCase{"x = 3abc", "bad number 3abc"}, ErrorCase{"x = 1.2.3", "bad number 1.2.3"},
                      ErrorCase{"x = 1e999", "out of range"}, ErrorCase{"A$ = \"abc", "no closing quote"},
                      ErrorCase{"A$ = \"a\\qb\"", "unknown escape \\q"},
                      ErrorCase{"ab$ = \"\"", "string variables are A$ to Z$"},
                      ErrorCase{"_$ = \"\"", "string variables are A$ to Z$"},
                      ErrorCase{"x @ 1", "unexpected '@' at column 3"},
                      ErrorCase{std::string("A$ = \"a\0b\"", 10), "NUL"},
                      ErrorCase{"x = \x01", "character 0x01"},
                      ErrorCase{"zel.open(a, (b)", "no closing ')'"},
                      ErrorCase{"zel.open(\"a)", "no closing quote"},
                      ErrorCase{"zel.open(\"a\" (\")\"", "no closing ')'"},
                      ErrorCase{"x = ", "expected a value but found end of line"},
                      ErrorCase{"x 3", "expected '=' after x"},
                      ErrorCase{"3 = x", "a keyword, a variable or zel."},
                      ErrorCase{"zel.open(a", "no closing ')'"},
                      ErrorCase{"zel.open(a) + 1", "expected end of line"},
                      ErrorCase{"zel.filename", "'=' or '(' after zel.filename"},
                      ErrorCase{"zel.", "a member name after zel."},
                      ErrorCase{"zel.open.(1)", "a sub-property name"},
                      ErrorCase{"zel = 3", "'.' after zel"},
                      ErrorCase{"x = zel", "'.' after zel"},
                      ErrorCase{"x = print", "print is a keyword"},
                      ErrorCase{"Exit = 3", "expected a value"},
                      ErrorCase{"A$ = 3", "A$ takes a text"},
                      ErrorCase{"A$ = zel.getpos(h)", "A$ takes a text"},
                      ErrorCase{"x = \"a\"", "not a text"},
                      ErrorCase{"x = 1 + \"a\"", "a text cannot take part in arithmetic"},
                      ErrorCase{"x = -A$", "a text cannot take part in arithmetic"},
                      ErrorCase{"x = 2 * B$", "a text cannot take part in arithmetic"},
                      ErrorCase{"exit \"a\"", "not a text"},
                      ErrorCase{"help = 1", "expected end of line"},
                      ErrorCase{"show d \"x\"", "not a text"},
                      ErrorCase{"onerror maybe", "continue or stop"},
                      ErrorCase{"onerror", "continue or stop"},
                      ErrorCase{"dataset", "a dataset name"},
                      ErrorCase{"dataset = 3", "a dataset name"},
                      ErrorCase{"dataset d = ", "expected a value"},
                      ErrorCase{"dataset d = \"a\"", "numbers, not texts"},
                      ErrorCase{"dataset d text = 1", "end of line"},
                      ErrorCase{"worksheet w \"3\"", "not a text"},
                      ErrorCase{"save d", "the word to"},
                      ErrorCase{"save d into x", "the word to"},
                      ErrorCase{"save d to", "a file name after to"},
                      ErrorCase{"list a b", "end of line"},
                      ErrorCase{"errors now", "end of line"},
                      ErrorCase{"x = y(1)", "end of line"},
                      ErrorCase{"x = zel.open(a)(b)", "end of line"},
                      ErrorCase{"x = (1", "expected ')'"},
                      ErrorCase{"x = " + std::string(kMaxNesting + 1, '(') + "1" + std::string(kMaxNesting + 1, ')'),
                                "nested too deeply"},
                      ErrorCase{"x = " + std::string(100000, '-') + "1", "nested too deeply"}));

TEST(ParsesLine, NestingUpToTheLimit) {
    const int depth = kMaxNesting - 1;
    Parsed parsed = ParseLine("x = " + std::string(depth, '(') + "1" + std::string(depth, ')'));
    EXPECT_TRUE(parsed.ok()) << parsed.error;
}

TEST(ParsesLine, KeepsTheCaseOfVariablesAndMembers) {
    Parsed parsed = ParseLine("Total = zel.GetPos(Hx)");
    ASSERT_TRUE(parsed.ok());
    EXPECT_EQ(parsed.statement.name, "Total");
    EXPECT_EQ(parsed.statement.value->member.name, "GetPos");
    EXPECT_EQ(parsed.statement.value->CallSpelling(), "zel.GetPos(Hx)");
}

// ---- Arithmetic in argument texts ------------------------------------------

class Arithmetic : public ::testing::TestWithParam<LineCase> {};

TEST_P(Arithmetic, OnlyNumbersAndVariables) {
    auto expr = ParseArithmetic(GetParam().line);
    EXPECT_EQ(expr ? Render(*expr) : "none", GetParam().parsed);
}

INSTANTIATE_TEST_SUITE_P(Texts, Arithmetic,
                         ::testing::Values(LineCase{"h", "h"}, LineCase{" p + 4 ", "(+ p 4)"},
                                           LineCase{"2*(a-1)", "(* 2 (- a 1))"}, LineCase{"-h", "(neg h)"},
                                           LineCase{"data.bin", "none"}, LineCase{"zel.hfile", "none"},
                                           LineCase{"zel.getpos(h)", "none"}, LineCase{"A$", "none"},
                                           LineCase{"\"3\"", "none"}, LineCase{"1 # 2", "none"},
                                           LineCase{"", "none"}, LineCase{"x y", "none"},
                                           LineCase{"print", "none"}, LineCase{"x = 1", "none"}));

// ---- Garbage ---------------------------------------------------------------

// Random lines, from bytes and from pieces of the language, never crash the
// parser and always end either in a statement or in a reason.
TEST(ParserGarbage, NeverCrashes) {
    std::mt19937 random(20240611);
    const std::vector<std::string> pieces = {
        "zel", ".", "open", "(", ")", "\"", "\\", "$", "A$", "x", "=", "+", "-", "*", "/", ",", "#", " ", "1",
        "2.5e", "e9", "print", "dataset", "save", "to", "exit", "onerror", "list", "\t", "9999999999", ".5", "_"};
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        const int length = static_cast<int>(random() % 24);
        for (int k = 0; k < length; ++k) {
            if (i % 2 == 0) {
                line += pieces[random() % pieces.size()];
            } else {
                line += static_cast<char>(random() % 256);
            }
        }
        Parsed parsed = ParseLine(line);
        EXPECT_TRUE(parsed.ok() || !parsed.error.empty()) << line;
        ParseArithmetic(line);
    }
}

}  // namespace
}  // namespace zelcli::testing
