// TREAD, LREAD, READTOKEN and CREAD through MODLL: the text stored in the
// string variable, the result, ERROR and the position afterwards, in both
// numberings, with the byte runs on and off.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <tuple>

#include "TextTesting.h"

namespace zeltest {
namespace {

constexpr const char* kOld = "old";  // what the variable holds before a call

struct ReadCase {
    const char* name;
    const char* method;
    const char* args;
    std::string bytes;
    int64_t offset;
    bool newActions;
    int lineMode;
    int listSep;
    int32_t code;                      // the host's result: 1 done, 2 failed
    double value;                      // the method's result
    int32_t error;
    std::optional<std::string> text;   // variable A afterwards; none: left as it was
    double position;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name << ": " << c.method << "(" << c.args << ") on " << Quoted(c.bytes) << " from " << c.offset
        << ", NEWACTIONS " << c.newActions << ", NLINEMODE " << c.lineMode << ", LISTSEP " << c.listSep;
}

class TextReads : public TextFixture, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(TextReads, StoreAnswerAndPosition) {
    const ReadCase& c = GetParam();
    for (bool runs : {true, false}) {
        SCOPED_TRACE(runs ? "byte runs" : "byte by byte");
        ByteRuns mode(runs);
        Call("CLOSEALL");
        Settings(false, c.lineMode, c.listSep);
        OpenText(c.bytes, c.offset);
        UseNewActions(c.newActions);
        host().SetVariable('A', kOld);
        const tavrel::CallResult r = Call(c.method, c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(zeltest::NumberText(r.value), zeltest::NumberText(c.value));
        EXPECT_EQ(Error(), c.error);
        EXPECT_EQ(Variable('A'), c.text.value_or(kOld));
        EXPECT_EQ(Position(), c.position);
    }
}

const std::string kLines = "ab\r\ncd\r\nef";
constexpr double kMissing = ZEL_MISSING_VALUE;

INSTANTIATE_TEST_SUITE_P(
    Lines, TextReads,
    ::testing::Values(
        // Lines with a carriage return and a line feed (mode 0).
        ReadCase{"TwoLines", "TREAD", "A,2", kLines, 0, false, 0, 44, 1, 4, 0, "ab\r\ncd", 8},
        ReadCase{"OneLine", "LREAD", "A", kLines, 0, false, 0, 44, 1, 2, 0, "ab", 4},
        ReadCase{"SecondLine", "LREAD", "A", kLines, 4, false, 0, 44, 1, 2, 0, "cd", 8},
        ReadCase{"OneLineByTRead", "TREAD", "A,1", kLines, 0, false, 0, 44, 1, 0, 0, "ab", 4},
        // Mode 1: the carriage returns stay, the lines run together.
        ReadCase{"TwoLinesMode1", "TREAD", "A,2", kLines, 0, false, 1, 44, 1, 6, 0, "ab\rcd\r", 8},
        ReadCase{"OneLineMode1", "LREAD", "A", kLines, 0, false, 1, 44, 1, 3, 0, "ab\r", 4},
        // Mode 2: a line ends at the carriage return; the line feed opens the next.
        ReadCase{"OneLineMode2", "LREAD", "A", kLines, 0, false, 2, 44, 1, 2, 0, "ab", 3},
        ReadCase{"NextLineMode2", "LREAD", "A", kLines, 3, false, 2, 44, 1, 3, 0, "\ncd", 7},
        ReadCase{"TwoLinesMode2", "TREAD", "A,2", kLines, 0, false, 2, 44, 1, 5, 0, "ab\ncd", 7},
        // The last line without a line end: stored from the start and from
        // any later position; the next call finds the data spent.
        ReadCase{"UnterminatedFromStart", "TREAD", "A,2", "ab\r\ncd", 0, false, 0, 44, 1, 4, 0, "ab\r\ncd", 6},
        ReadCase{"UnterminatedLater", "LREAD", "A", "ab\r\ncd", 4, false, 0, 44, 1, 2, 0, "cd", 6},
        ReadCase{"UnterminatedLaterCurrent", "LREAD", "A", "ab\r\ncd", 4, true, 0, 44, 1, 2, 0, "cd", 6},
        ReadCase{"DataSpent", "LREAD", "A", "ab\r\ncd", 6, false, 0, 44, 2, kMissing, 33, std::nullopt, 6},
        ReadCase{"DataSpentCurrent", "LREAD", "A", "ab\r\ncd", 6, true, 0, 44, 2, kMissing, 33, std::nullopt, 6},
        ReadCase{"EmptyFileLegacy", "LREAD", "A", "", 0, false, 0, 44, 1, 0, 0, std::nullopt, 0},
        ReadCase{"EmptyFileCurrent", "LREAD", "A", "", 0, true, 0, 44, 2, kMissing, 33, std::nullopt, 0},
        // Mode 0 keeps no carriage return of the last line; its result is
        // two less than the characters stored, but never below 0.
        ReadCase{"EmptyLine", "TREAD", "A,1", "\r\nab", 0, false, 0, 44, 1, 0, 0, "", 2},
        ReadCase{"OneCharacterLine", "TREAD", "A,1", "x\r\nab", 0, false, 0, 44, 1, 0, 0, "x", 3},
        ReadCase{"LoneCarriageReturn", "TREAD", "A,1", "a\rb\r\nc", 0, false, 0, 44, 1, 0, 0, "ab", 5},
        ReadCase{"LineFeedAtTheStart", "LREAD", "A", "\nab\r\nc", 0, false, 0, 44, 1, 2, 0, "ab", 5},
        // A negative count reads on to the end of the data.
        ReadCase{"NegativeLines", "TREAD", "A,-1", kLines, 0, false, 0, 44, 1, 8, 0, kLines, 10},
        ReadCase{"LowerCaseLetter", "LREAD", "a", kLines, 0, false, 0, 44, 1, 2, 0, "ab", 4},
        // NUL: dropped by LREAD in modes 0 and 1; kept in mode 2, where the
        // host takes the text up to it.
        ReadCase{"NulDropped", "LREAD", "A", std::string("a\0b\r\n", 5), 0, false, 0, 44, 1, 2, 0, "ab", 5},
        ReadCase{"NulKept", "LREAD", "A", std::string("a\0b\rc", 5), 0, false, 2, 44, 1, 3, 0, "a", 4},
        ReadCase{"NulInTRead", "TREAD", "A,1", std::string("a\0b\n", 4), 0, false, 1, 44, 1, 3, 0, "a", 4},
        // Tokens: through the separator that makes the count.
        ReadCase{"Tokens", "READTOKEN", "A,2", "1,2,3", 0, false, 0, 44, 1, 4, 0, "1,2,", 4},
        ReadCase{"TokensToTheEnd", "READTOKEN", "A,5", "1,2,3", 0, false, 0, 44, 1, 5, 0, "1,2,3", 5},
        ReadCase{"TokenLineEndLegacy", "READTOKEN", "A,2", "a\r\nb,c", 0, false, 0, 44, 1, 3, 0, "ab,", 5},
        ReadCase{"TokenLineEndCurrent", "READTOKEN", "A,2", "a\r\nb,c", 0, true, 0, 44, 1, 5, 0, "a\r\nb,", 5},
        ReadCase{"TokenSeparator200", "READTOKEN", "A,1", "a,b\xC8" "c", 0, false, 0, 200, 1, 4, 0, "a,b\xC8", 4},
        ReadCase{"TokenSeparatorLineFeed", "READTOKEN", "A,2", "a\nb\nc", 0, false, 1, 10, 1, 2, 0, "ab", 4},
        // Refusals before any byte moves.
        ReadCase{"DigitLetter", "LREAD", "1", kLines, 0, false, 0, 44, 2, 0, 65, std::nullopt, 0},
        ReadCase{"DigitLetterCurrent", "TREAD", "1,1", kLines, 0, true, 0, 44, 2, 0, 18, std::nullopt, 0},
        ReadCase{"ZeroLinesLegacy", "TREAD", "A,0", kLines, 0, false, 0, 44, 2, 0, 0, std::nullopt, 0},
        ReadCase{"ZeroLinesCurrent", "TREAD", "A,0", kLines, 0, true, 0, 44, 2, kMissing, 12, std::nullopt, 0},
        ReadCase{"ZeroTokens", "READTOKEN", "A,0", kLines, 0, true, 0, 44, 2, kMissing, 12, std::nullopt, 0},
        ReadCase{"NoLineCount", "TREAD", "A", kLines, 0, false, 0, 44, 2, 0, 1024, std::nullopt, 0},
        ReadCase{"NoTokenCount", "READTOKEN", "A", kLines, 0, true, 0, 44, 2, 0, 10, std::nullopt, 0},
        ReadCase{"LineModeUnchecked", "LREAD", "A", kLines, 0, false, 7, 44, 2, 0, 3, std::nullopt, 0},
        ReadCase{"SeparatorUnchecked", "READTOKEN", "A,1", kLines, 0, true, 0, 300, 2, 0, 12, std::nullopt, 0}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Characters, TextReads,
    ::testing::Values(
        ReadCase{"Whole", "CREAD", "A,5", "hello world", 0, false, 0, 44, 1, 5, 0, "hello", 5},
        // The positions the file did not fill stay blanks, and ERROR is 33.
        ReadCase{"ShortRead", "CREAD", "A,5", "hello", 2, false, 0, 44, 1, 5, 33, "llo  ", 5},
        ReadCase{"ShortReadCurrent", "CREAD", "A,5", "hello", 2, true, 0, 44, 1, 5, 33, "llo  ", 5},
        ReadCase{"AtTheEnd", "CREAD", "A,5", "hello", 5, false, 0, 44, 1, 5, 33, "     ", 5},
        ReadCase{"EveryByte", "CREAD", "A,4", "\r\n,x", 0, false, 0, 44, 1, 4, 0, "\r\n,x", 4},
        ReadCase{"Nul", "CREAD", "A,4", std::string("a\0bc", 4), 0, false, 0, 44, 1, 4, 0, "a", 4},
        ReadCase{"ZeroLegacy", "CREAD", "A,0", "hello", 0, false, 0, 44, 2, 0, 0, std::nullopt, 0},
        ReadCase{"ZeroCurrent", "CREAD", "A,0", "hello", 0, true, 0, 44, 2, kMissing, 12, std::nullopt, 0},
        ReadCase{"Negative", "CREAD", "A,-1", "hello", 0, false, 0, 44, 2, 0, 3, std::nullopt, 0},
        ReadCase{"NegativeCurrent", "CREAD", "A,-5", "hello", 0, true, 0, 44, 2, 0, 12, std::nullopt, 0},
        ReadCase{"BadLetter", "CREAD", "?,2", "hello", 0, true, 0, 44, 2, 0, 18, std::nullopt, 0},
        ReadCase{"NoCount", "CREAD", "A", "hello", 0, false, 0, 44, 2, 0, 1024, std::nullopt, 0},
        ReadCase{"NoLetter", "CREAD", ",3", "hello", 0, true, 0, 44, 2, 0, 10, std::nullopt, 0}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

class LineReadTest : public TextFixture {};

TEST_F(LineReadTest, SuccessiveLinesAndTheLetterOfThePreviousCall) {
    OpenText(kLines);
    EXPECT_EQ(Call("LREAD", "b").value, 2);
    EXPECT_EQ(Variable('B'), "ab");
    EXPECT_EQ(Call("LREAD").value, 2);  // the letter of the call before
    EXPECT_EQ(Variable('B'), "cd");
    EXPECT_EQ(Call("LREAD", "C").value, 2);
    EXPECT_EQ(Variable('C'), "ef");
    EXPECT_EQ(Call("LREAD", "C").code, 2);
    EXPECT_EQ(Error(), 33);
    EXPECT_EQ(Variable('C'), "ef");
}

TEST_F(LineReadTest, WithoutAnyLetterYet) {
    OpenText(kLines);
    UseNewActions(true);
    EXPECT_EQ(Call("LREAD", "").code, 2);
    EXPECT_EQ(Error(), 18);
    EXPECT_EQ(Call("READTOKEN", ",2").code, 2);
    EXPECT_EQ(Error(), 18);
    EXPECT_EQ(Position(), 0);
}

TEST_F(LineReadTest, AGivenFileBecomesCurrent) {
    const int32_t first = OpenText(kLines);
    scratch_.Make("other.txt", "xy\r\n");
    OpenFile("other.txt");
    EXPECT_EQ(Call("LREAD", "A," + std::to_string(first)).value, 2);
    EXPECT_EQ(Variable('A'), "ab");
    EXPECT_EQ(Number("HFILE"), first);
    UseNewActions(true);
    EXPECT_EQ(Call("LREAD", "A,99999").code, 2);
    EXPECT_EQ(Error(), 14);
}

TEST_F(LineReadTest, LinesOfManyMegabytesAndBinaryBytes) {
    const std::string line(3 * 1024 * 1024 + 7, 'q');
    OpenText(line + "\r\nnext");
    EXPECT_EQ(Call("LREAD", "A").value, static_cast<double>(line.size()));
    EXPECT_EQ(Variable('A'), line);
    Call("CLOSEALL");
    std::string bytes;
    for (int b = 255; b >= 0; --b) bytes += static_cast<char>(b);
    OpenText(bytes);
    // No line feed follows a carriage return: the line runs to the end of
    // the data, without its carriage return, line feed and NUL byte.
    EXPECT_EQ(Call("LREAD", "A").value, 253);
    EXPECT_EQ(Position(), 256);
    EXPECT_EQ(Variable('A').size(), 253u);
}

TEST_F(LineReadTest, AFileOpenedForWritingOnlyIsNotRead) {
    OpenText(kLines, 0, 1);
    for (auto [newActions, error, syserr] : {std::tuple{true, 28, 5}, std::tuple{false, 28, 13}}) {
        UseNewActions(newActions);
        host().SetVariable('A', kOld);
        EXPECT_EQ(Call("LREAD", "A").code, 2);
        EXPECT_EQ(Error(), error);
        EXPECT_EQ(SysErr(), syserr);
        EXPECT_EQ(Call("CREAD", "A,3").code, 2);
        EXPECT_EQ(Error(), newActions ? 30 : 1157);
        EXPECT_EQ(Variable('A'), kOld);
    }
}

TEST_F(LineReadTest, ACharacterReadLeavesNothingOfAnEarlierText) {
    OpenText("abcdefgh");
    EXPECT_EQ(Call("CREAD", "A,8").value, 8);
    Call("SETPOS", "6");
    EXPECT_EQ(Call("CREAD", "A,4").value, 4);
    EXPECT_EQ(Error(), 33);
    EXPECT_EQ(Variable('A'), "gh  ");
}

}  // namespace
}  // namespace zeltest
