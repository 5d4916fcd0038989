// ASCII through MODLL: its stop conditions, the include and exclude sets,
// the worksheet row, and its sub-properties in listings and resets.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "TextTesting.h"

namespace zeltest {
namespace {

// The sub-properties a case sets; the defaults are the values after a reset.
struct AsciiSettings {
    int readMode = 0;
    const char* include = "";
    const char* exclude = "";
    const char* stopChar = "";
    const char* stopString = "";
    int tokens = 1;
    int lines = 1;
    int stopMode = 0;
};

struct AsciiCase {
    const char* name;
    const char* args;
    std::string bytes;
    int64_t offset;
    bool newActions;
    AsciiSettings settings;
    int32_t code;
    double value;
    int32_t error;
    std::optional<std::string> text;  // of A afterwards; none: left as it was
    std::vector<std::string> row;     // the first row of w, cell by cell
    double position;
};

void PrintTo(const AsciiCase& c, std::ostream* os) {
    const AsciiSettings& s = c.settings;
    *os << c.name << ": ASCII(" << c.args << ") on " << Quoted(c.bytes) << " from " << c.offset << ", READMODE "
        << s.readMode << ", INCLUDE " << Quoted(s.include) << ", EXCLUDE " << Quoted(s.exclude) << ", STOPCHAR "
        << Quoted(s.stopChar) << ", STOPSTRING " << Quoted(s.stopString) << ", NTOKENS " << s.tokens << ", NLINES "
        << s.lines << ", STOPMODE " << s.stopMode << ", NEWACTIONS " << c.newActions;
}

class AsciiReads : public TextFixture, public ::testing::WithParamInterface<AsciiCase> {};

TEST_P(AsciiReads, StopDeliverAndAnswer) {
    const AsciiCase& c = GetParam();
    const AsciiSettings& s = c.settings;
    tavrel::Worksheet& sheet = host().CreateWorksheet("w", 1);
    OpenText(c.bytes, c.offset);
    SetNumber("READMODE", s.readMode, "ASCII");
    SetText("INCLUDE", s.include, "ASCII");
    SetText("EXCLUDE", s.exclude, "ASCII");
    SetText("STOPCHAR", s.stopChar, "ASCII");
    SetText("STOPSTRING", s.stopString, "ASCII");
    SetNumber("NTOKENS", s.tokens, "ASCII");
    SetNumber("NLINES", s.lines, "ASCII");
    SetNumber("STOPMODE", s.stopMode, "ASCII");
    UseNewActions(c.newActions);
    host().SetVariable('A', "old");
    const tavrel::CallResult r = Call("ASCII", c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(NumberText(r.value), NumberText(c.value));
    EXPECT_EQ(Error(), c.error);
    EXPECT_EQ(Variable('A'), c.text.value_or("old"));
    std::vector<std::string> row;
    for (int k = 1; k <= sheet.columnCount(); ++k) row.push_back(sheet.column(k)->dataset().display(0));
    EXPECT_EQ(row, c.row);
    EXPECT_EQ(Position(), c.position);
}

using Row = std::vector<std::string>;
const Row kUntouched{""};
const std::string kLines = "l1\r\nl2\r\nl3\r\nl4\r\n";
constexpr double kMissing = ZEL_MISSING_VALUE;

INSTANTIATE_TEST_SUITE_P(
    Stops, AsciiReads,
    ::testing::Values(
        // Include and exclude sets; STOPMODE 8 with NLINES 0 ends at the first line end.
        AsciiCase{"IncludeDigits", "A", "a1b2\r\nxyz", 0, false,
                  {.readMode = 1, .include = "0123456789", .lines = 0, .stopMode = 8}, 1, 2, 0, "12", kUntouched, 6},
        AsciiCase{"ExcludeNothing", "A", "a1b2\r\nxyz", 0, false, {.lines = 0, .stopMode = 8}, 1, 6, 0,
                  "a1b2\r\n", kUntouched, 6},
        AsciiCase{"ExcludeSome", "a", "a1b2\r\nxyz", 0, false, {.exclude = "ab\r", .lines = 0, .stopMode = 8}, 1, 3,
                  0, "12\n", kUntouched, 6},
        AsciiCase{"EmptyIncludeAdmitsNothing", "A", "a1b2\r\nxyz", 0, false,
                  {.readMode = 1, .lines = 0, .stopMode = 8}, 1, 0, 0, "", kUntouched, 6},
        // A READMODE other than 0 and 1, stored unchecked, admits nothing.
        AsciiCase{"ReadModeTwoAdmitsNothing", "A", "a1b2\r\nxyz", 0, false,
                  {.readMode = 2, .include = "ab", .lines = 0, .stopMode = 8}, 1, 0, 0, "", kUntouched, 6},
        AsciiCase{"ReadModeNegativeAdmitsNothingCurrent", "A", "a1,b2\r\nxyz", 0, true,
                  {.readMode = -1, .exclude = "ab", .tokens = 1, .stopMode = 4}, 1, 0, 0, "", kUntouched, 3},
        // STOPMODE 1: the stop character is consumed and treated like any other.
        AsciiCase{"StopChar", "A", "ab;cd", 0, false, {.stopChar = ";", .stopMode = 1}, 1, 3, 0, "ab;", kUntouched, 3},
        AsciiCase{"StopCharNotAdmitted", "A", "ab;cd", 0, false,
                  {.readMode = 1, .include = "abcd", .stopChar = ";:", .stopMode = 1}, 1, 2, 0, "ab", kUntouched, 3},
        // STOPMODE 4: at the NTOKENS-th separator; with a worksheet the
        // numbers go to one row.
        AsciiCase{"TokensIntoARow", ",w", "1,2,3,4", 0, false, {.tokens = 3, .stopMode = 4}, 1, 3, 0, std::nullopt,
                  Row{"1", "2", "3"}, 6},
        AsciiCase{"NoTokens", "A", "1,2,3,4", 0, false, {.tokens = 0, .stopMode = 4}, 1, 0, 0, "", kUntouched, 0},
        AsciiCase{"LetterAndRow", "A,w", "1,x2\r\n3", 0, true, {.lines = 0, .stopMode = 8}, 1, 2, 0, "1,x2\r\n",
                  Row{"1", "2"}, 6},
        // STOPMODE 2: a piece equal to STOPSTRING; bit 8 turns it off.
        AsciiCase{"StopString", "A", "END,X", 0, false,
                  {.readMode = 1, .include = "DEN", .stopString = "END", .stopMode = 2}, 1, 3, 0, "END", kUntouched, 4},
        AsciiCase{"StopStringWithLines", "A", "END,X", 0, false,
                  {.readMode = 1, .include = "DEN", .stopString = "END", .lines = 1, .stopMode = 10}, 1, 3, 0, "END",
                  kUntouched, 5},
        AsciiCase{"StopStringWithTheComma", "A", "END,X", 0, false, {.stopString = "END", .stopMode = 2}, 1, 5, 0,
                  "END,X", kUntouched, 5},
        AsciiCase{"StopStringIsCaseSensitive", "A", "end,X", 0, false,
                  {.readMode = 1, .include = "den", .stopString = "END", .stopMode = 2}, 1, 3, 0, "end", kUntouched,
                  5},
        // STOPMODE 8: every line end counts twice.
        AsciiCase{"TwoLines", "A", kLines, 0, false, {.lines = 2, .stopMode = 8}, 1, 8, 0, "l1\r\nl2\r\n", kUntouched, 8},
        AsciiCase{"ThreeGiveTwo", "A", kLines, 0, false, {.lines = 3, .stopMode = 8}, 1, 8, 0, "l1\r\nl2\r\n",
                  kUntouched, 8},
        AsciiCase{"FourGiveThree", "A", kLines, 0, false, {.lines = 4, .stopMode = 8}, 1, 12, 0,
                  "l1\r\nl2\r\nl3\r\n", kUntouched, 12},
        AsciiCase{"LoneLineFeedIsNoLineEnd", "A", "a\nb\r\nc", 0, false, {.lines = 0, .stopMode = 8}, 1, 5, 0,
                  "a\nb\r\n", kUntouched, 5},
        // Without a letter or a worksheet the bytes are consumed, and 0 answered.
        AsciiCase{"NothingDelivered", "", kLines, 0, false, {.lines = 2, .stopMode = 8}, 1, 0, 0, std::nullopt,
                  kUntouched, 8},
        // STOPMODE 0 reads to the end of the data, from the start or later.
        AsciiCase{"ToTheEnd", "A", "ab\r\ncd", 0, false, {}, 1, 6, 0, "ab\r\ncd", kUntouched, 6},
        AsciiCase{"ToTheEndFromLater", "A", "ab\r\ncd", 2, true, {}, 1, 4, 0, "\r\ncd", kUntouched, 6},
        AsciiCase{"DataSpent", "A", "ab", 2, false, {}, 2, kMissing, 33, std::nullopt, kUntouched, 2},
        // Refusals before any byte moves.
        AsciiCase{"NegativeTokens", "A", "ab", 0, false, {.tokens = -1}, 2, 0, 12, std::nullopt, kUntouched, 0},
        AsciiCase{"NegativeLines", "A", "ab", 0, true, {.lines = -3}, 2, 0, 12, std::nullopt, kUntouched, 0},
        AsciiCase{"LetterNotAVariable", "1", "ab", 0, false, {}, 2, 0, 6, std::nullopt, kUntouched, 0},
        AsciiCase{"LetterNotAVariableCurrent", "#,w", "ab", 0, true, {}, 2, 0, 20, std::nullopt, kUntouched, 0},
        AsciiCase{"NoSuchWorksheet", "A,nowhere", "1,2", 0, true, {}, 2, 0, 20, std::nullopt, kUntouched, 0}),
    [](const ::testing::TestParamInfo<AsciiCase>& info) { return std::string(info.param.name); });

class AsciiTest : public TextFixture {};

TEST_F(AsciiTest, SubPropertiesAreListedUnderBothNamesAndReset) {
    host().ClearLines();
    EXPECT_EQ(host().List("readascii"), 1);
    const std::vector<std::string> reset = {"INCLUDE$\t\"\"", "EXCLUDE$\t\"\"", "READMODE\t0", "STOPCHAR$\t\"\"",
                                            "STOPSTRING$\t\"\"", "NTOKENS\t1", "TOKENS\t1", "NLINES\t1",
                                            "LINES\t1", "STOPMODE\t0"};
    EXPECT_EQ(host().lines(), reset);

    EXPECT_EQ(SetNumber("TOKENS", 7, "ASCII"), 1);
    EXPECT_EQ(Number("NTOKENS", "READASCII"), 7);
    EXPECT_EQ(SetText("STOPSTRING", "END", "ascii"), 1);
    EXPECT_EQ(SetNumber("LINES", 3, "ASCII"), 1);
    host().ClearLines();
    host().List(nullptr);
    const std::vector<std::string>& all = host().lines();
    const auto at = std::find(all.begin(), all.end(), "ASCII()");
    ASSERT_NE(at, all.end());
    EXPECT_EQ(at[5], "  ASCII.STOPSTRING$\t\"END\"");
    EXPECT_EQ(at[6], "  ASCII.NTOKENS\t7");
    EXPECT_EQ(at[9], "  ASCII.LINES\t3");
    EXPECT_EQ(at[11], "READASCII()");
    EXPECT_EQ(at[12], "  READASCII.INCLUDE$\t\"\"");

    EXPECT_EQ(Call("RESET").code, 1);
    host().ClearLines();
    host().List("ASCII");
    EXPECT_EQ(host().lines(), reset);
}

TEST_F(AsciiTest, ReadModeIsCheckedWhenStoredInTheCurrentNumbering) {
    UseNewActions(true);
    EXPECT_EQ(SetNumber("READMODE", 2, "ASCII"), 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Number("READMODE", "ASCII"), 0);
}

TEST_F(AsciiTest, SuccessiveRowsAndTheHelpTexts) {
    tavrel::Worksheet& sheet = host().CreateWorksheet("w", 2);
    OpenText("1,2\r\n3,4\r\n");
    SetNumber("STOPMODE", 8, "ASCII");
    SetNumber("NLINES", 0, "ASCII");
    EXPECT_EQ(Call("READASCII", ",w").value, 2);
    EXPECT_EQ(Call("ASCII", ",w").value, 2);
    EXPECT_EQ(sheet.column(1)->dataset().number(1), 3.0);
    EXPECT_EQ(sheet.column(2)->dataset().number(1), 4.0);
    Call("SYNTAX", "readascii");
    EXPECT_EQ(TakeLines(), std::vector<std::string>{
                               "zel.readascii([strVarLetter][,wksname$][,hFile])\r\nNote: Heavily influenced by "
                               "subproperties."});
    Call("ALTSPELL", "ascii");
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{"ASCII", "READASCII"}));
}

}  // namespace
}  // namespace zeltest
