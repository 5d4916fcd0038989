// The lexer and the parser of script lines.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../../cli/Lexer.h"
#include "../../cli/Parser.h"
#include "CliTesting.h"
#include "NumberText.h"

namespace zelcli::testing {
namespace {

// ---- Lexer -----------------------------------------------------------------

std::string Tokens(const std::string& line) {
    Lexer lexer(line);
    std::string text;
    for (;;) {
        Token token = lexer.Next();
        if (token.kind == TokenKind::End) return text;
        if (!text.empty()) text += ' ';
        switch (token.kind) {
            case TokenKind::Number: text += "N" + tavrel::FormatNumber(token.number); break;
            case TokenKind::Identifier: text += "I" + token.text; break;
            case TokenKind::StringVar: text += "S" + token.text; break;
            case TokenKind::Text: text += "T<" + token.text + ">"; break;
            default: text += token.text; break;
        }
    }
}

struct TokenCase {
    std::string line;
    std::string tokens;
};

class LexerTokens : public ::testing::TestWithParam<TokenCase> {};

TEST_P(LexerTokens, SplitsTheLine) { EXPECT_EQ(Tokens(GetParam().line), GetParam().tokens); }

INSTANTIATE_TEST_SUITE_P(
    Lines, LexerTokens,
    ::testing::Values(TokenCase{"x = 2.5e3 + y_1", "Ix = N2500 + Iy_1"},
                      TokenCase{"print .5, 3 # comment \"x\"", "Iprint N0.5 , N3"},
                      TokenCase{"a$ = b$", "SA = SB"},
                      TokenCase{"\"q\\\"x\\\\y\\tz\\n\\r\"", "T<q\"x\\y\tz\n\r>"},
                      TokenCase{"\"# not a comment\" # but this is", "T<# not a comment>"},
                      TokenCase{"(-)*/", "( - ) * /"},
                      TokenCase{"1E-2 7e+1 4.", "N0.01 N70 N4"},
                      TokenCase{"zel.open.mode", "Izel . Iopen . Imode"},
                      TokenCase{"  \t ", ""}));

struct ErrorCase {
    std::string line;
    std::string reason;  // a part of the message
};

class LexerErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(LexerErrors, RejectsTheLine) {
    try {
        Tokens(GetParam().line);
        ADD_FAILURE() << "no error for " << GetParam().line;
    } catch (const ParseError& error) {
        EXPECT_NE(std::string(error.what()).find(GetParam().reason), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, LexerErrors,
                         ::testing::Values(ErrorCase{"x = 3abc", "bad number 3abc"},
                                           ErrorCase{"x = 1.2.3", "bad number 1.2.3"},
                                           ErrorCase{"x = 1e999", "out of range"},
                                           ErrorCase{"\"abc", "no closing quote"},
                                           ErrorCase{"\"a\\qb\"", "unknown escape \\q"},
                                           ErrorCase{"ab$ = 1", "string variables are A$ to Z$"},
                                           ErrorCase{"_$ = 1", "string variables are A$ to Z$"},
                                           ErrorCase{"x @ 1", "unexpected '@' at column 3"},
                                           ErrorCase{std::string("x = \"a\0b\"", 9), "NUL"},
                                           ErrorCase{"x = \x01", "character 0x01"}));

struct RawCase {
    std::string afterParen;  // the line after the opening parenthesis
    std::string args;
    std::string rest;  // tokens after the closing parenthesis
};

class LexerRawArguments : public ::testing::TestWithParam<RawCase> {};

TEST_P(LexerRawArguments, TakesTheTextUpToTheMatchingParenthesis) {
    Lexer lexer(GetParam().afterParen);
    EXPECT_EQ(lexer.RawArguments(), GetParam().args);
    std::string rest;
    for (Token token = lexer.Next(); token.kind != TokenKind::End; token = lexer.Next()) rest += token.text;
    EXPECT_EQ(rest, GetParam().rest);
}

INSTANTIATE_TEST_SUITE_P(Texts, LexerRawArguments,
                         ::testing::Values(RawCase{"a.bin, 0) + 1", "a.bin, 0", "+1"},
                                           RawCase{"\"x)y\", (1,(2))) # c", "\"x)y\", (1,(2))", ""},
                                           RawCase{" spaced ,  \"q\" )", " spaced ,  \"q\" ", ""},
                                           RawCase{"x # y)", "x # y", ""},
                                           RawCase{"\"(\")", "\"(\"", ""},
                                           RawCase{")", "", ""}));

TEST(LexerRawArguments, RefusesUnclosedTexts) {
    for (const char* line : {"a, (b)", "\"a)", "((a)", "\"a\" (\")\""}) {
        Lexer lexer(line);
        EXPECT_THROW(lexer.RawArguments(), ParseError) << line;
    }
}

// ---- Parser ----------------------------------------------------------------

class ParsesLine : public ::testing::TestWithParam<TokenCase> {};

TEST_P(ParsesLine, IntoTheStatement) {
    Parsed parsed = ParseLine(GetParam().line);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(Render(parsed.statement), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ParsesLine,
    ::testing::Values(
        TokenCase{"", "empty"}, TokenCase{"   # only a comment", "empty"},
        TokenCase{"x = 1 + 2 * 3", "let x (+ 1 (* 2 3))"},
        TokenCase{"x = (1 + 2) * -3", "let x (* (+ 1 2) (neg 3))"},
        TokenCase{"x = 8 / 4 / 2 - 1 - 1", "let x (- (- (/ (/ 8 4) 2) 1) 1)"},
        TokenCase{"x=--y", "let x (neg (neg y))"},
        TokenCase{"Print_count = 2", "let Print_count 2"},
        TokenCase{"h = zel.open(data.bin, 0)", "let h call:open[data.bin, 0]"},
        TokenCase{"ZEL.Open(\"a)b\", (1, 2)) # c", "call:Open[\"a)b\", (1, 2)]"},
        TokenCase{"zel.setpos(p+4)", "call:setpos[p+4]"},
        TokenCase{"p = zel.getpos(h) * 2", "let p (* call:getpos[h] 2)"},
        TokenCase{"zel.nbytes = 4", "set zel.nbytes 4"},
        TokenCase{"zel.open.mode = 2", "set zel.open.mode 2"},
        TokenCase{"zel.filename = \"x.bin\"", "set zel.filename \"x.bin\""},
        TokenCase{"zel.filename = b$", "set zel.filename B$"},
        TokenCase{"zel.skip = zel.nbytes", "set zel.skip zel.nbytes"},
        TokenCase{"a$ = zel.filename", "let A$ zel.filename"},
        TokenCase{"Q$ = \"text\"", "let Q$ \"text\""},
        TokenCase{"PRINT \"p:\", p, zel.getpos(h) + 1, A$", "print \"p:\" | p | (+ call:getpos[h] 1) | A$"},
        TokenCase{"print", "print "}, TokenCase{"Errors", "errors"}, TokenCase{"list", "list "},
        TokenCase{"list open # comment", "list open"}, TokenCase{"onerror Continue", "onerror continue"},
        TokenCase{"ONERROR stop", "onerror stop"}, TokenCase{"dataset d", "dataset d []"},
        TokenCase{"dataset \"my data\" text", "dataset my data text []"},
        TokenCase{"dataset d = 1, -2, x", "dataset d [1 | (neg 2) | x]"},
        TokenCase{"dataset d=1", "dataset d [1]"}, TokenCase{"worksheet Book1 3", "worksheet Book1 3"},
        TokenCase{"worksheet \"W 2\"", "worksheet W 2"}, TokenCase{"show d", "show d"},
        TokenCase{"save Book1 to out/book.csv", "save Book1 to out/book.csv"},
        TokenCase{"save \"a b\" TO \"c d.csv\"", "save a b to c d.csv"}, TokenCase{"exit", "exit"},
        TokenCase{"exit 1 + 2", "exit (+ 1 2)"}));

class RejectsLine : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RejectsLine, WithTheReason) {
    Parsed parsed = ParseLine(GetParam().line);
    ASSERT_FALSE(parsed.ok()) << Render(parsed.statement);
    EXPECT_NE(parsed.error.find(GetParam().reason), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Statements, RejectsLine,
    ::testing::Values(ErrorCase{"x = ", "expected a value but found end of line"},
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

class Arithmetic : public ::testing::TestWithParam<TokenCase> {};

TEST_P(Arithmetic, OnlyNumbersAndVariables) {
    auto expr = ParseArithmetic(GetParam().line);
    EXPECT_EQ(expr ? Render(*expr) : "none", GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(Texts, Arithmetic,
                         ::testing::Values(TokenCase{"h", "h"}, TokenCase{" p + 4 ", "(+ p 4)"},
                                           TokenCase{"2*(a-1)", "(* 2 (- a 1))"}, TokenCase{"-h", "(neg h)"},
                                           TokenCase{"data.bin", "none"}, TokenCase{"zel.hfile", "none"},
                                           TokenCase{"zel.getpos(h)", "none"}, TokenCase{"A$", "none"},
                                           TokenCase{"\"3\"", "none"}, TokenCase{"1 # 2", "none"},
                                           TokenCase{"", "none"}, TokenCase{"x y", "none"},
                                           TokenCase{"print", "none"}, TokenCase{"x = 1", "none"}));

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
