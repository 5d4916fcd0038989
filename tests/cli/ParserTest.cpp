// The parser of script lines, with its lexer.
#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "CliTesting.h"
#include "Parser.h"
#include "Program.h"

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
        LineCase{"save w to w.csv crlf sep \";\"", "save w to w.csv sep ; crlf"},
        LineCase{"LOAD w FROM \"my data.csv\" noheader", "load w from my data.csv noheader"},
        LineCase{"load w from w.tsv sep \"\\t\"", "load w from w.tsv sep \t"},
        LineCase{"exit 1 + 2", "exit (+ 1 2)"}, LineCase{"QUIT", "exit"}, LineCase{"quit 3", "exit 3"},
        LineCase{"help", "help"}, LineCase{"show d 2 * n", "show d (* 2 n)"},
        // Comparisons and logic: not > comparisons > and > or; arithmetic binds tighter.
        LineCase{"x = a + 1 < b * 2", "let x (< (+ a 1) (* b 2))"},
        LineCase{"x = a<=b", "let x (<= a b)"}, LineCase{"x = a>=b", "let x (>= a b)"},
        LineCase{"x = a == -b", "let x (== a (neg b))"}, LineCase{"x = a != b", "let x (!= a b)"},
        LineCase{"x = a > b", "let x (> a b)"},
        LineCase{"x = a or b and c", "let x (or a (and b c))"},
        LineCase{"x = a and b or c and d", "let x (or (and a b) (and c d))"},
        LineCase{"x = NOT a == b AND c", "let x (and (not (== a b)) c)"},
        LineCase{"x = not not a", "let x (not (not a))"},
        LineCase{"x = (a or b) and c", "let x (and (or a b) c)"},
        LineCase{"print zel.getpos() < zel.size()", "print (< call:getpos[] call:size[])"},
        // Control flow.
        LineCase{"for i = 1 to n", "for i 1 n"}, LineCase{"FOR k = -1 TO 2 * n STEP -0.5", "for k (neg 1) (* 2 n) | (neg 0.5)"},
        LineCase{"for step = to to step step step", "for step to step | step"},
        LineCase{"next", "next"}, LineCase{"Next i # done", "next i"},
        LineCase{"while zel.lread(A) >= 0", "while (>= call:lread[A] 0)"},
        LineCase{"if x", "if x"}, LineCase{"else if x < 1 or y", "else if (or (< x 1) y)"},
        LineCase{"ELSE", "else"}, LineCase{"end", "end"}, LineCase{"break", "break"},
        LineCase{"Continue", "continue"},
        // A comma at the end of print; text columns.
        LineCase{"print x,", "print x ,"}, LineCase{"print \"a\", 1 ,  # open", "print \"a\" | 1 ,"},
        LineCase{"worksheet w 3 text 1, c + 1", "worksheet w 3 text 1 | (+ c 1)"},
        LineCase{"worksheet w n TEXT All", "worksheet w n text all"}));

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
                      ErrorCase{"load w to x.csv", "the word from"},
                      ErrorCase{"load w from x.csv crlf", "sep or noheader"},
                      ErrorCase{"save w to x.csv sep \";;\"", "one character in quotes after sep"},
                      ErrorCase{"save w to x.csv crlf crlf", "sep or crlf"},
                      ErrorCase{"list a b", "end of line"},
                      ErrorCase{"errors now", "end of line"},
                      ErrorCase{"x = y(1)", "end of line"},
                      ErrorCase{"x = zel.open(a)(b)", "end of line"},
                      ErrorCase{"x = (1", "expected ')'"},
                      ErrorCase{"x = " + std::string(kMaxNesting + 1, '(') + "1" + std::string(kMaxNesting + 1, ')'),
                                "nested too deeply"},
                      ErrorCase{"x = " + std::string(100000, '-') + "1", "nested too deeply"},
                      ErrorCase{"x = " + [] {
                          std::string nots;
                          for (int i = 0; i < 1000; ++i) nots += "not ";
                          return nots;
                      }() + "1", "nested too deeply"},
                      ErrorCase{"x = a < b < c", "comparisons do not chain ('<' at column 11)"},
                      ErrorCase{"x = a == \"t\"", "a text cannot be compared"},
                      ErrorCase{"x = A$ != B$", "a text cannot be compared"},
                      ErrorCase{"x = 1 and A$", "a text cannot take part in and"},
                      ErrorCase{"x = \"a\" or 1", "a text cannot take part in or"},
                      ErrorCase{"x = not \"a\"", "a text cannot take part in not"},
                      ErrorCase{"x = a ! b", "unexpected '!'"}, ErrorCase{"x = a =< b", "expected end of line but found \"=\""},
                      ErrorCase{"x = and", "and is a keyword"}, ErrorCase{"next = 1", "expected end of line"},
                      ErrorCase{"while = 1", "expected a value"},
                      ErrorCase{"for", "the loop's variable after for"},
                      ErrorCase{"for 1 = 2 to 3", "the loop's variable after for"},
                      ErrorCase{"for end = 1 to 2", "end is a keyword"},
                      ErrorCase{"for i 1 to 2", "'=' after the loop's variable"},
                      ErrorCase{"for i = 1, 2", "the word to"}, ErrorCase{"for i = 1 to", "expected a value"},
                      ErrorCase{"for i = 1 to 2 step", "expected a value"},
                      ErrorCase{"for i = 1 to 2 by 1", "end of line"},
                      ErrorCase{"for i = \"a\" to 2", "the loop's first value, not a text"},
                      ErrorCase{"next 3", "end of line"}, ErrorCase{"next if", "if is a keyword"},
                      ErrorCase{"while", "expected a value"}, ErrorCase{"while A$", "a condition, not a text"},
                      ErrorCase{"if x = 1", "'=' at column 6 sets a variable; compare with =="},
                      ErrorCase{"if x then", "end of line"}, ErrorCase{"else x", "end of line"},
                      ErrorCase{"else if", "expected a value"}, ErrorCase{"end while", "end of line"},
                      ErrorCase{"break 2", "end of line"},
                      ErrorCase{"worksheet w text 1", "the number of columns comes before text"},
                      ErrorCase{"worksheet w 3 text", "the text columns (or all)"},
                      ErrorCase{"worksheet w 3 text \"1\"", "numbers, not texts"},
                      ErrorCase{"worksheet w 3 text all 2", "end of line"},
                      ErrorCase{"print 1,,", "expected a value"}, ErrorCase{"dataset d = 1,", "expected a value"}));

// ---- Blocks ----------------------------------------------------------------

struct BlockCase {
    std::string script;
    std::string error;  // "LINE: reason"; empty when the script is whole
};

void PrintTo(const BlockCase& c, std::ostream* os) {
    *os << "script " << Quoted(c.script) << ", error " << Quoted(c.error);
}

// Lines nested depth deep in whiles, each closed.
std::string NestedWhiles(int depth) {
    std::string script;
    for (int i = 0; i < depth; ++i) script += "while 0\n";
    for (int i = 0; i < depth; ++i) script += "end\n";
    return script;
}

class Blocks : public ::testing::TestWithParam<BlockCase> {};

TEST_P(Blocks, BalanceOrNameTheLine) {
    ProgramBuilder builder;
    std::string line;
    long number = 0;
    bool whole = true;
    for (std::size_t at = 0; whole && at < GetParam().script.size();) {
        const std::size_t end = GetParam().script.find('\n', at);
        whole = builder.Add(GetParam().script.substr(at, end - at), ++number);
        at = end == std::string::npos ? GetParam().script.size() : end + 1;
    }
    whole = whole && builder.Finish();
    EXPECT_EQ(whole ? "" : std::to_string(builder.error().line) + ": " + builder.error().reason, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, Blocks,
    ::testing::Values(
        BlockCase{"for i = 1 to 2\nwhile 0\nif 1\nbreak\nelse if 2\ncontinue\nelse\nend\nend\nnext i\n", ""},
        BlockCase{"if 1\nend\nif 0\nelse\nend\n", ""}, BlockCase{NestedWhiles(kMaxBlockDepth), ""},
        BlockCase{NestedWhiles(kMaxBlockDepth + 1), "65: blocks nested too deeply (more than 64 levels)"},
        BlockCase{"x = 1\nend\n", "2: end without while or if"},
        BlockCase{"for i = 1 to 2\nend\n", "2: end without while or if: the for of line 1 is still open (it ends with next)"},
        BlockCase{"next\n", "1: next without for"},
        BlockCase{"for i = 1 to 2\nwhile 1\nnext\n", "3: next without for: the while of line 2 is still open (it ends with end)"},
        BlockCase{"for i = 1 to 2\nnext j\n", "2: next j does not match the for of i on line 1"},
        BlockCase{"else\n", "1: else without if"}, BlockCase{"while 1\nelse if 1\n", "2: else if without if: the while of line 1 is still open (it ends with end)"},
        BlockCase{"if 1\nelse\nelse\n", "3: else after the else of the if of line 1"},
        BlockCase{"if 1\nelse\nelse if 2\n", "3: else if after the else of the if of line 1"},
        BlockCase{"break\n", "1: break outside a loop"}, BlockCase{"if 1\ncontinue\nend\n", "2: continue outside a loop"},
        BlockCase{"for i = 1 to 2\n\n", "1: for without next"}, BlockCase{"while 1\nif 1\nend\n", "1: while without end"},
        BlockCase{"while 1\nif 1\n", "2: if without end"},
        BlockCase{"while 1\nx = (\nend\n", "2: expected a value but found end of line at column 6"}));

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
