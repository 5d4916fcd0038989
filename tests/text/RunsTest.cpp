// The readers that take plain bytes in runs against the same readers asking
// their decisions byte by byte: on random text, every call of a sequence
// must give the same answer, ERROR, position, variable and cells, and the
// position only moves forward, never past the end.
#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "TextTesting.h"

namespace zeltest {
namespace {

struct RunsCase {
    const char* name;
    const char* method;
    const char* args;
    int lineMode;
    int listSep;
    bool newActions;
    size_t size;  // bytes of random text
    unsigned seed;
    // A reader keeps its byte classes from call to call: when not 0, this
    // many calls, then as many under the second settings.
    int calls = 0;
    int lineMode2 = 0;
    int listSep2 = 44;
    bool newActions2 = false;
};

void PrintTo(const RunsCase& c, std::ostream* os) { *os << c.name << ": " << c.method << "(" << c.args << ")"; }

// Text that is mostly separators, line ends, NUL, digits and the other
// characters of numbers, with a few letters, blanks and bytes above 127.
std::string RandomText(size_t size, unsigned seed) {
    static constexpr char kAlphabet[] = {',', ',', ';', '\r', '\n', '\r', '\n', '\0', '0', '1', '2', '5', '9', '.',
                                         '-', 'e', 'E', '+', ' ', 'a', 'x', '"', '\t', '1', '\xC8', '\xFF'};
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 1);
    std::string text(size, ' ');
    for (char& c : text) c = kAlphabet[pick(rng)];
    return text;
}

// What one call left behind.
struct Outcome {
    int32_t code;
    std::string value;
    int32_t error;
    double position;
    std::string variable;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

void PrintTo(const Outcome& o, std::ostream* os) {
    *os << "code " << o.code << ", value " << o.value << ", ERROR " << o.error << ", position " << o.position
        << ", A " << Quoted(o.variable);
}

class Runs : public TextFixture, public ::testing::WithParamInterface<RunsCase> {
protected:
    // Calls the method until it fails or the data is spent (or the calls of
    // both settings) and notes every call; the cells of the dataset and the
    // worksheet are noted last.
    std::vector<Outcome> Sequence(bool runs, const std::string& text, std::string& cells) {
        const RunsCase& c = GetParam();
        ByteRuns mode(runs);
        Restart();
        const tavrel::Dataset& d = host().CreateDataset("d");
        tavrel::Worksheet& sheet = host().CreateWorksheet("w", 2);
        sheet.setFormat(2, tavrel::kFormatText);
        Settings(false, c.lineMode, c.listSep);
        SetNumber("STOPMODE", 12, "ASCII");  // at 3 separators or the second line end
        SetNumber("NTOKENS", 3, "ASCII");
        SetNumber("NLINES", 2, "ASCII");
        OpenText(text);
        UseNewActions(c.newActions);
        host().SetVariable('A', "");
        std::vector<Outcome> outcomes;
        double position = 0;
        for (int i = 0; i < (c.calls != 0 ? 2 * c.calls : 400); ++i) {
            if (c.calls != 0 && i == c.calls) Settings(c.newActions2, c.lineMode2, c.listSep2);
            const tavrel::CallResult r = Call(c.method, c.args);
            outcomes.push_back({r.code, NumberText(r.value), Error(), Position(), Variable('A')});
            EXPECT_GE(outcomes.back().position, position) << i;
            EXPECT_LE(outcomes.back().position, static_cast<double>(text.size())) << i;
            position = outcomes.back().position;
            if (c.calls == 0 && (r.code != 1 || position >= static_cast<double>(text.size()))) break;
        }
        cells = CellsOf(d) + "/" + RowsOf(sheet);
        return outcomes;
    }
};

TEST_P(Runs, GiveWhatTheDecisionsGive) {
    const RunsCase& c = GetParam();
    const std::string text = RandomText(c.size, c.seed);
    std::string cellsWithRuns;
    std::string cellsByByte;
    const std::vector<Outcome> withRuns = Sequence(true, text, cellsWithRuns);
    const std::vector<Outcome> byByte = Sequence(false, text, cellsByByte);
    ASSERT_FALSE(withRuns.empty());
    EXPECT_EQ(withRuns, byByte);
    EXPECT_EQ(cellsWithRuns, cellsByByte);
}

INSTANTIATE_TEST_SUITE_P(
    RandomText, Runs,
    ::testing::Values(
        RunsCase{"LinesMode0", "LREAD", "A", 0, 44, false, 3000, 1},
        RunsCase{"LinesMode1", "LREAD", "A", 1, 44, true, 3000, 2},
        RunsCase{"LinesMode2", "LREAD", "A", 2, 59, false, 3000, 3},
        RunsCase{"LinesSeparatorIsLineFeed", "LREAD", "A", 1, 10, false, 2000, 4},
        RunsCase{"LinesSeparatorIsNul", "LREAD", "A", 0, 0, false, 2000, 5},
        RunsCase{"ThreeLines", "TREAD", "A,3", 0, 44, false, 3000, 6},
        RunsCase{"ThreeLinesMode1", "TREAD", "A,3", 1, 13, true, 3000, 7},
        RunsCase{"ThreeLinesMode2", "TREAD", "A,3", 2, 44, false, 3000, 8},
        RunsCase{"Tokens", "READTOKEN", "A,4", 0, 44, false, 2000, 9},
        RunsCase{"TokensCurrent", "READTOKEN", "A,4", 1, 59, true, 2000, 10},
        RunsCase{"TokensSeparatorIsDigit", "READTOKEN", "A,2", 2, '1', false, 2000, 11},
        RunsCase{"TokensSeparatorAbove127", "READTOKEN", "A,2", 0, 0xC8, true, 2000, 24},
        RunsCase{"RowOfALine", "LINEROW", "w", 0, 44, false, 3000, 12},
        RunsCase{"RowOfALineMode1", "LINEROW", "w", 1, 59, true, 3000, 13},
        RunsCase{"RowOfALineMode2", "LINEROW", "w", 2, 44, false, 3000, 14},
        RunsCase{"RowOfValues", "READROW", "w,3", 0, 44, false, 3000, 15},
        RunsCase{"RowOfValuesMode2", "READROW", "w,2", 2, 0, true, 3000, 16},
        RunsCase{"Array", "READARRAY", "d,1,50", 0, 44, false, 3000, 17},
        RunsCase{"ArrayMode1", "READARRAY", "d,3,40", 1, 59, true, 3000, 18},
        RunsCase{"Ascii", "ASCII", "A,w", 0, 44, false, 3000, 22},
        RunsCase{"AsciiMode2", "ASCII", "A,w", 2, 0xFF, true, 3000, 23},
        // Across the end of the file's read-ahead.
        RunsCase{"LinesAcrossTheReadAhead", "TREAD", "A,200", 0, 44, false, 70000, 19},
        RunsCase{"ArrayAcrossTheReadAhead", "READARRAY", "d,1,9000", 1, 44, false, 70000, 20},
        // Calls under new settings after calls under the first ones.
        RunsCase{"LinesNewMode", "LREAD", "A", 1, 44, false, 4000, 21, 3, 2, 44, false},
        RunsCase{"ThreeLinesNewMode", "TREAD", "A,3", 2, 44, false, 4000, 21, 3, 0, 44, false},
        RunsCase{"TokensNewNumbering", "READTOKEN", "A,4", 0, 44, true, 4000, 21, 3, 0, 44, false},
        RunsCase{"TokensNewSeparator", "READTOKEN", "A,4", 0, 44, false, 4000, 21, 3, 0, 59, false},
        RunsCase{"RowOfALineNewSettings", "LINEROW", "w", 0, 44, false, 4000, 21, 3, 2, 59, false},
        RunsCase{"RowOfValuesNewMode", "READROW", "w,3", 1, 44, false, 4000, 21, 3, 2, 44, false}),
    [](const ::testing::TestParamInfo<RunsCase>& info) { return std::string(info.param.name); });

// READTOKEN with NEWACTIONS 1 keeps every byte: its text is the file's, from
// the position on.
TEST_F(TextFixture, TokensOfABinaryFileAreItsBytes) {
    std::mt19937 rng(42);
    std::string bytes(4000, '\0');
    for (char& b : bytes) b = static_cast<char>(1 + rng() % 255);
    OpenText(bytes);
    UseNewActions(true);
    for (double position = 0; position < static_cast<double>(bytes.size());) {
        ASSERT_EQ(Call("READTOKEN", "A,2").code, 1);
        const double now = Position();
        EXPECT_EQ(Variable('A'), bytes.substr(static_cast<size_t>(position), static_cast<size_t>(now - position)));
        position = now;
    }
}

}  // namespace
}  // namespace zeltest
