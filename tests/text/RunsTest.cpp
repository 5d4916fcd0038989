// The readers that take plain bytes in runs against the same readers asking
// their decisions byte by byte: on random text, every call of a sequence
// must give the same answer, ERROR, position, variable and cells.
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
};

void PrintTo(const RunsCase& c, std::ostream* os) {
    *os << c.name << ": " << c.method << "(" << c.args << "), NLINEMODE " << c.lineMode << ", LISTSEP "
        << c.listSep << ", NEWACTIONS " << c.newActions << ", " << c.size << " random bytes, seed " << c.seed;
}

// Text that is mostly separators, line ends, NUL, digits and the other
// characters of numbers, with a few letters and blanks.
std::string RandomText(size_t size, unsigned seed) {
    static constexpr char kAlphabet[] = {',', ',', ';', '\r', '\n', '\r', '\n', '\0', '0', '1', '2', '5', '9',
                                         '.', '-', 'e', 'E', '+', ' ', 'a', 'x', '"', '\t', '1'};
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
    // Calls the method until it fails (at most limit times) and notes every
    // call; the cells of the dataset and the worksheet are noted last.
    std::vector<Outcome> Sequence(bool runs, const std::string& text, std::vector<std::string>& cells) {
        const RunsCase& c = GetParam();
        ByteRuns mode(runs);
        Call("CLOSEALL");
        host().CreateDataset("d");
        tavrel::Worksheet& sheet = host().CreateWorksheet(runs ? "w" : "w2", 2);
        sheet.setFormat(2, tavrel::kFormatText);
        Settings(false, c.lineMode, c.listSep);
        OpenText(text);
        UseNewActions(c.newActions);
        host().SetVariable('A', "");
        std::string args = c.args;
        if (!runs && (args == "w" || args.starts_with("w,"))) args.insert(1, "2");
        std::vector<Outcome> outcomes;
        for (int i = 0; i < 400; ++i) {
            const tavrel::CallResult r = Call(c.method, args);
            outcomes.push_back({r.code, NumberText(r.value), Error(), Position(), Variable('A')});
            if (r.code != 1 || Position() >= static_cast<double>(text.size())) break;
        }
        cells.clear();
        const tavrel::Dataset* d = host().FindDataset("d");
        for (int32_t i = 0; i < d->upper(); ++i) cells.push_back(d->display(static_cast<size_t>(i)));
        for (int k = 1; k <= sheet.columnCount(); ++k) {
            for (int32_t r = 0; r < sheet.rows(); ++r) cells.push_back(sheet.column(k)->dataset().display(static_cast<size_t>(r)));
        }
        return outcomes;
    }
};

TEST_P(Runs, GiveWhatTheDecisionsGive) {
    const RunsCase& c = GetParam();
    const std::string text = RandomText(c.size, c.seed);
    std::vector<std::string> cellsWithRuns;
    std::vector<std::string> cellsByByte;
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
        RunsCase{"RowOfALine", "LINEROW", "w", 0, 44, false, 3000, 12},
        RunsCase{"RowOfALineMode1", "LINEROW", "w", 1, 59, true, 3000, 13},
        RunsCase{"RowOfALineMode2", "LINEROW", "w", 2, 44, false, 3000, 14},
        RunsCase{"RowOfValues", "READROW", "w,3", 0, 44, false, 3000, 15},
        RunsCase{"RowOfValuesMode2", "READROW", "w,2", 2, 0, true, 3000, 16},
        RunsCase{"Array", "READARRAY", "d,1,50", 0, 44, false, 3000, 17},
        RunsCase{"ArrayMode1", "READARRAY", "d,3,40", 1, 59, true, 3000, 18},
        // Across the end of the file's read-ahead.
        RunsCase{"LinesAcrossTheReadAhead", "TREAD", "A,200", 0, 44, false, 70000, 19},
        RunsCase{"ArrayAcrossTheReadAhead", "READARRAY", "d,1,9000", 1, 44, false, 70000, 20}),
    [](const ::testing::TestParamInfo<RunsCase>& info) { return std::string(info.param.name); });

// A reader keeps its byte classes from call to call: calls under new
// settings (the line end, the list separator, the numbering) after calls
// under the first ones still give what the decisions give.
struct ChangeCase {
    const char* name;
    const char* method;
    const char* args;
    int lineMode[2];
    int listSep[2];
    bool newActions[2];
};

void PrintTo(const ChangeCase& c, std::ostream* os) {
    *os << c.name << ": " << c.method << "(" << c.args << "), NLINEMODE " << c.lineMode[0] << " then "
        << c.lineMode[1] << ", LISTSEP " << c.listSep[0] << " then " << c.listSep[1] << ", NEWACTIONS "
        << c.newActions[0] << " then " << c.newActions[1];
}

class RunsAfterASettingsChange : public TextFixture, public ::testing::WithParamInterface<ChangeCase> {
protected:
    // Three calls under each of the settings; every call noted, and the
    // worksheet's cells last.
    std::vector<Outcome> Calls(bool runs, const std::string& text, std::vector<std::string>& cells) {
        const ChangeCase& c = GetParam();
        ByteRuns mode(runs);
        Call("CLOSEALL");
        const std::string sheetName = runs ? "w" : "w2";
        tavrel::Worksheet& sheet = host().CreateWorksheet(sheetName, 2);
        OpenText(text);
        std::string args = c.args;
        if (args == "w" || args.starts_with("w,")) args.replace(0, 1, sheetName);
        std::vector<Outcome> outcomes;
        for (int phase = 0; phase < 2; ++phase) {
            Settings(c.newActions[phase], c.lineMode[phase], c.listSep[phase]);
            for (int i = 0; i < 3; ++i) {
                const tavrel::CallResult r = Call(c.method, args);
                outcomes.push_back({r.code, NumberText(r.value), Error(), Position(), Variable('A')});
            }
        }
        cells.clear();
        for (int k = 1; k <= sheet.columnCount(); ++k) {
            for (int32_t r = 0; r < sheet.rows(); ++r) cells.push_back(sheet.column(k)->dataset().display(static_cast<size_t>(r)));
        }
        return outcomes;
    }
};

TEST_P(RunsAfterASettingsChange, GiveWhatTheDecisionsGive) {
    const std::string text = RandomText(4000, 21);
    std::vector<std::string> cellsWithRuns;
    std::vector<std::string> cellsByByte;
    const std::vector<Outcome> withRuns = Calls(true, text, cellsWithRuns);
    EXPECT_EQ(withRuns, Calls(false, text, cellsByByte));
    EXPECT_EQ(cellsWithRuns, cellsByByte);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RunsAfterASettingsChange,
    ::testing::Values(ChangeCase{"Lines", "LREAD", "A", {1, 2}, {44, 44}, {false, false}},
                      ChangeCase{"ThreeLines", "TREAD", "A,3", {2, 0}, {44, 44}, {false, false}},
                      ChangeCase{"Tokens", "READTOKEN", "A,4", {0, 0}, {44, 44}, {true, false}},
                      ChangeCase{"TokensSeparator", "READTOKEN", "A,4", {0, 0}, {44, 59}, {false, false}},
                      ChangeCase{"RowOfALine", "LINEROW", "w", {0, 2}, {44, 59}, {false, false}},
                      ChangeCase{"RowOfValues", "READROW", "w,3", {1, 2}, {44, 44}, {false, false}}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltest
