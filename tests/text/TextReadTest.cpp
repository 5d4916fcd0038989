// The text methods through MODLL (TREAD, LREAD, READTOKEN, CREAD, LINEROW,
// READROW, READARRAY, ASCII, TWRITE, LWRITE): what the variable, the worksheet,
// the dataset or the file holds afterwards, the result, ERROR and the
// position, in both numberings, with the byte runs on and off.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "TextTesting.h"

namespace zeltest {
namespace {

const std::string kOld = "an earlier text";  // what variable A holds before a call

// The sub-properties of ASCII; the defaults are the values after a reset.
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

// What fails during the call, and the SYSERR it leaves.
struct Trouble {
    int32_t sysErr = -1;  // below 0: not checked
    VfsOp op = VfsOp::Read;  // fails with cause after `after` calls of it
    FileCause cause = FileCause::None;
    int after = 0;
    Strike strike = Strike::Once;
    size_t memory = FailingAllocator::kNoLimit;  // allocations above this many bytes are refused
};

struct ReadCase {
    const char* name;
    const char* method;
    std::string args;
    std::string bytes;
    int64_t offset;
    bool newActions;
    int lineMode;
    int listSep;
    int32_t code;  // the host's result: 1 done, 2 failed
    double value;  // the method's result
    int32_t error;
    // Afterwards: variable A (and "#" and the rows of worksheet w when it has
    // any); the rows of w (LINEROW, READROW); the cells of dataset d
    // (READARRAY); the file (TWRITE, LWRITE).
    std::string after;
    double position;
    AsciiSettings ascii = {};
    int columns = 2;      // of w before the call
    int textColumns = 0;  // the first this many of them hold text
    int mode = -1;        // the file's open mode; below 0: 1 to write, 0 to read
    Trouble trouble = {};
    std::vector<std::pair<const char*, const char*>> before = {};  // calls made first, unchecked
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name << ": " << c.method << "(" << c.args << ") from " << c.offset << ", NEWACTIONS " << c.newActions
        << ", NLINEMODE " << c.lineMode << ", LISTSEP " << c.listSep << ", mode " << c.mode;
}

class TextReads : public TextFixture, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(TextReads, StoreAnswerAndPosition) {
    const ReadCase& c = GetParam();
    const std::string method = c.method;
    const bool writes = method == "TWRITE" || method == "LWRITE";
    const bool row = method == "LINEROW" || method == "READROW";
    FailingVfs& vfs = UseFailingVfs();
    FailingAllocator& memory = UseFailingAllocator();
    for (bool runs : {true, false}) {
        SCOPED_TRACE(runs ? "byte runs" : "byte by byte");
        ByteRuns mode(runs);
        Restart();
        tavrel::Worksheet& sheet = host().CreateWorksheet("w", c.columns);
        for (int k = 1; k <= c.textColumns; ++k) ASSERT_TRUE(sheet.setFormat(k, tavrel::kFormatText));
        const tavrel::Dataset& d = host().CreateDataset("d");
        Settings(false, c.lineMode, c.listSep);
        const AsciiSettings& a = c.ascii;
        for (auto [name, value] : {std::pair{"READMODE", a.readMode}, {"NTOKENS", a.tokens}, {"NLINES", a.lines},
                                   {"STOPMODE", a.stopMode}}) {
            SetNumber(name, value, "ASCII");
        }
        for (auto [name, text] : {std::pair{"INCLUDE", a.include}, {"EXCLUDE", a.exclude}, {"STOPCHAR", a.stopChar},
                                  {"STOPSTRING", a.stopString}}) {
            SetText(name, text, "ASCII");
        }
        OpenText(c.bytes, c.offset, c.mode >= 0 ? c.mode : writes ? 1 : 0);
        UseNewActions(c.newActions);
        host().SetVariable('A', kOld);
        for (const auto& [method, args] : c.before) Call(method, args);
        const Trouble& t = c.trouble;
        if (t.cause != FileCause::None) vfs.Fail(t.op, t.cause, t.after, t.strike);
        memory.RefuseAbove(t.memory);
        const tavrel::CallResult r = Call(c.method, c.args);
        vfs.Clear();
        memory.RefuseAbove(FailingAllocator::kNoLimit);
        if (t.sysErr >= 0) { EXPECT_EQ(SysErr(), t.sysErr); }
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(NumberText(r.value), NumberText(c.value));
        EXPECT_EQ(Error(), c.error);
        EXPECT_EQ(Position(), c.position);
        if (writes) Call("CLOSEALL");
        const std::string rows = RowsOf(sheet);
        const std::string text = Variable('A') + (rows.empty() ? "" : "#" + rows);
        EXPECT_EQ(writes ? FileText() : method == "READARRAY" ? CellsOf(d) : row ? rows : text, c.after);
    }
}

std::string Name(const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; }

// Every byte value once, in order; without NUL, LF and CR when asked.
std::string EveryByte(bool lineBytes = true) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        if (lineBytes || (b != 0 && b != '\n' && b != '\r')) bytes += static_cast<char>(b);
    }
    return bytes;
}

// "0" to n - 1, separated.
std::string Counting(int n, const char* separator) {
    std::string text = "0";
    for (int i = 1; i < n; ++i) text += separator + std::to_string(i);
    return text;
}

const std::string kLines = "ab\r\ncd\r\nef";
const std::string kLong(3 * 1024 * 1024 + 7, 'q');
const std::string kDigits = std::string(4 * 1024 * 1024, '0') + "7,1\n";
const std::string kForty = Counting(40, ",") + "\r\n";
const std::string kBeyond = std::to_string(tavrel::Dataset::kMaxCells + 1);
constexpr double kMissing = ZEL_MISSING_VALUE;
constexpr double kReadAhead = zel::platform::File::kReadBufferSize;
const std::string kPastReadAhead(zel::platform::File::kReadBufferSize + 100, 'a');
constexpr Trouble kLengthFails{.op = VfsOp::Size, .cause = FileCause::HardIO, .strike = Strike::Always};

INSTANTIATE_TEST_SUITE_P(
    Lines, TextReads,
    ::testing::Values(
        // Lines with a carriage return and a line feed (mode 0).
        ReadCase{"TwoLines", "TREAD", "A,2", kLines, 0, false, 0, 44, 1, 4, 0, "ab\r\ncd", 8},
        ReadCase{"OneLine", "LREAD", "A", kLines, 0, false, 0, 44, 1, 2, 0, "ab", 4},
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
        ReadCase{"DataSpent", "LREAD", "A", "ab\r\ncd", 6, false, 0, 44, 2, kMissing, 33, kOld, 6},
        ReadCase{"EmptyFileLegacy", "LREAD", "A", "", 0, false, 0, 44, 1, 0, 0, kOld, 0},
        ReadCase{"EmptyFileCurrent", "LREAD", "A", "", 0, true, 0, 44, 2, kMissing, 33, kOld, 0},
        ReadCase{"PastTheEnd", "LREAD", "A", "abc", 10, true, 0, 44, 2, kMissing, 33, kOld, 10},
        // Mode 0 keeps no carriage return of the last line; its result is
        // two less than the characters stored, but never below 0.
        ReadCase{"EmptyLine", "TREAD", "A,1", "\r\nab", 0, false, 0, 44, 1, 0, 0, "", 2},
        ReadCase{"OneCharacterLine", "TREAD", "A,1", "x\r\nab", 0, false, 0, 44, 1, 0, 0, "x", 3},
        ReadCase{"LoneCarriageReturn", "TREAD", "A,1", "a\rb\r\nc", 0, false, 0, 44, 1, 0, 0, "ab", 5},
        ReadCase{"LineFeedAtTheStart", "LREAD", "A", "\nab\r\nc", 0, false, 0, 44, 1, 2, 0, "ab", 5},
        ReadCase{"LineFeedAfterTheOffset", "LREAD", "A", "\r\nab\r\nc", 1, false, 0, 44, 1, 2, 0, "ab", 6},
        // A negative count reads on to the end of the data.
        ReadCase{"NegativeLines", "TREAD", "A,-1", kLines, 0, false, 0, 44, 1, 8, 0, kLines, 10},
        ReadCase{"LowerCaseLetter", "LREAD", "a", kLines, 0, false, 0, 44, 1, 2, 0, "ab", 4},
        // Without a letter LREAD takes the letter of the call before.
        ReadCase{"LetterOfTheCallBefore", "LREAD", "", kLines, 0, false, 0, 44, 1, 2, 0, "cd", 8, {}, 2, 0, -1, {},
                 {{"LREAD", "a"}}},
        // Lines of megabytes; every byte value, where no line feed follows
        // the carriage return: the line runs to the end of the data.
        ReadCase{"LineOfMegabytes", "LREAD", "A", kLong + "\r\nnext", 0, false, 0, 44, 1, 3145735, 0, kLong,
                 3145737},
        ReadCase{"EveryByteValue", "LREAD", "A", EveryByte(), 0, false, 0, 44, 1, 253, 0, EveryByte(false), 256},
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
        ReadCase{"TokenSeparatorNul", "READTOKEN", "A,1", std::string("a\0b,c", 5), 0, false, 0, 0, 1, 2, 0, "a", 2},
        // Refusals before any byte moves.
        ReadCase{"DigitLetter", "LREAD", "1", kLines, 0, false, 0, 44, 2, 0, 65, kOld, 0},
        ReadCase{"NoLetterYet", "LREAD", "", kLines, 0, true, 0, 44, 2, 0, 18, kOld, 0},
        ReadCase{"ZeroLinesLegacy", "TREAD", "A,0", kLines, 0, false, 0, 44, 2, 0, 0, kOld, 0},
        ReadCase{"ZeroLinesCurrent", "TREAD", "A,0", kLines, 0, true, 0, 44, 2, kMissing, 12, kOld, 0},
        ReadCase{"ZeroTokens", "READTOKEN", "A,0", kLines, 0, true, 0, 44, 2, kMissing, 12, kOld, 0},
        ReadCase{"NoLineCount", "TREAD", "A", kLines, 0, false, 0, 44, 2, 0, 1024, kOld, 0},
        ReadCase{"NoTokenCount", "READTOKEN", "A", kLines, 0, true, 0, 44, 2, 0, 10, kOld, 0},
        // NLINEMODE and LISTSEP stored unchecked are refused when a reader starts.
        ReadCase{"LineModeUnchecked", "LREAD", "A", kLines, 0, false, 7, 44, 2, 0, 3, kOld, 0},
        ReadCase{"LineModeUncheckedCurrent", "TREAD", "A,1", kLines, 0, true, 3, 44, 2, 0, 12, kOld, 0},
        ReadCase{"SeparatorUnchecked", "READTOKEN", "A,1", kLines, 0, true, 0, 300, 2, 0, 12, kOld, 0},
        ReadCase{"NegativeSeparatorUnchecked", "LINEROW", "w", kLines, 0, false, 0, -1, 2, 0, 3, "", 0},
        // A file opened for writing only is not read; when it is empty, the
        // reading ends before it reads, as for any empty file.
        ReadCase{"WriteOnlyFile", "LREAD", "A", "abc", 0, true, 0, 44, 2, kMissing, 28, kOld, 0, {}, 2, 0, 1,
                 {.sysErr = 5}},
        ReadCase{"WriteOnlyFileLegacy", "LREAD", "A", "abc", 0, false, 0, 44, 2, kMissing, 28, kOld, 0, {}, 2, 0, 1,
                 {.sysErr = 13}},
        ReadCase{"EmptyWriteOnlyFile", "LREAD", "A", "", 0, true, 0, 44, 2, kMissing, 33, kOld, 0, {}, 2, 0, 1},
        // A failure of the file ends the reading at the byte it cost: a line
        // longer than the read-ahead whose second read fails.
        ReadCase{"SecondReadFails", "LREAD", "A", kPastReadAhead, 0, true, 0, 44, 2, kMissing, 28, kOld, kReadAhead,
                 {}, 2, 0, -1, {.sysErr = 10, .cause = FileCause::HardIO, .after = 1}},
        ReadCase{"SecondReadMeetsTheEnd", "LREAD", "A", kPastReadAhead, 0, true, 0, 44, 2, kMissing, 33, kOld,
                 kReadAhead, {}, 2, 0, -1, {.sysErr = 14, .cause = FileCause::EndOfFile, .after = 1}},
        // The file's length is asked only when no byte is at hand; its
        // failure follows the numbering.
        ReadCase{"LengthNotAskedWithBytesAtHand", "LREAD", "A", "abc", 0, true, 0, 44, 1, 3, 0, "abc", 3, {}, 2, 0, -1,
                 kLengthFails},
        ReadCase{"LengthFails", "LREAD", "A", "abc", 3, true, 0, 44, 2, kMissing, 25, kOld, 3, {}, 2, 0, -1,
                 kLengthFails},
        ReadCase{"LengthFailsLegacy", "LREAD", "A", "abc", 3, false, 0, 44, 2, kMissing, 1028, kOld, 3, {}, 2, 0, -1,
                 kLengthFails}),
    Name);

INSTANTIATE_TEST_SUITE_P(
    Characters, TextReads,
    ::testing::Values(
        ReadCase{"Whole", "CREAD", "A,5", "hello world", 0, false, 0, 44, 1, 5, 0, "hello", 5},
        // The positions the file did not fill are blanks, and ERROR is 33;
        // nothing of the earlier text stays.
        ReadCase{"ShortRead", "CREAD", "A,5", "hello", 2, false, 0, 44, 1, 5, 33, "llo  ", 5},
        ReadCase{"AtTheEnd", "CREAD", "A,5", "hello", 5, false, 0, 44, 1, 5, 33, "     ", 5},
        ReadCase{"EveryByte", "CREAD", "A,4", "\r\n,x", 0, false, 0, 44, 1, 4, 0, "\r\n,x", 4},
        ReadCase{"ZeroLegacy", "CREAD", "A,0", "hello", 0, false, 0, 44, 2, 0, 0, kOld, 0},
        ReadCase{"ZeroCurrent", "CREAD", "A,0", "hello", 0, true, 0, 44, 2, kMissing, 12, kOld, 0},
        ReadCase{"Negative", "CREAD", "A,-1", "hello", 0, false, 0, 44, 2, 0, 3, kOld, 0},
        ReadCase{"BadLetter", "CREAD", "?,2", "hello", 0, true, 0, 44, 2, 0, 18, kOld, 0},
        ReadCase{"NoCount", "CREAD", "A", "hello", 0, false, 0, 44, 2, 0, 1024, kOld, 0},
        ReadCase{"NoLetter", "CREAD", ",3", "hello", 0, true, 0, 44, 2, 0, 10, kOld, 0},
        // A file opened for writing only is not read.
        ReadCase{"WriteOnly", "CREAD", "A,3", "hello", 0, true, 0, 44, 2, kMissing, 30, kOld, 0, {}, 2, 0, 1},
        ReadCase{"WriteOnlyLegacy", "CREAD", "A,3", "hello", 0, false, 0, 44, 2, kMissing, 1157, kOld, 0, {}, 2, 0, 1}),
    Name);

INSTANTIATE_TEST_SUITE_P(
    Rows, TextReads,
    ::testing::Values(
        ReadCase{"ThreeNumbers", "LINEROW", "w", "1,2,3\r\n4,5,6\r\n", 0, false, 0, 44, 1, 3, 0, "1|2|3", 7, {}, 3},
        // Empty fields store nothing: the values are packed to the left.
        ReadCase{"EmptyField", "LINEROW", "w", "1,,3\r\n", 0, false, 0, 44, 1, 3, 0, "1|3|", 6, {}, 3},
        // A column is added for a value beyond the last one.
        ReadCase{"AddsEveryColumn", "LINEROW", "w", "7;8\r\n", 0, false, 0, ';', 1, 2, 0, "7|8", 5, {}, 0},
        // More columns than the row keeps at hand: the columns past the first sixteen are kept apart.
        // Rows wider than the sixteen columns a reader keeps at hand, by READROW and then LINEROW.
        ReadCase{"FortyColumnsTwice", "LINEROW", "w", kForty + kForty, 0, false, 0, 44, 1, 40, 0,
                 Counting(40, "|") + "/" + Counting(40, "|"), 222, {}, 1, 0, -1, {}, {{"READROW", "w,40"}}},
        ReadCase{"ReadRowAddsColumns", "READROW", "w,3", "1,2,3", 0, false, 0, 44, 1, 3, 0, "1|2|3", 5, {}, 1},
        // Only the characters of numbers are kept.
        ReadCase{"NumberCharacters", "LINEROW", "w", "+1.5e+3, x 7 ,\"8\"\r\n", 0, false, 0, 44, 1, 3, 0,
                 "1500|7|8", 19, {}, 3},
        ReadCase{"NotANumber", "LINEROW", "w", "1-2,abc,4\r\n", 0, false, 0, 44, 1, 3, 0, "|4|", 11, {}, 3},
        ReadCase{"EveryByteValue", "LINEROW", "w", EveryByte(), 0, false, 1, 44, 1, 1, 0, "", 11, {}, 1},
        ReadCase{"MegabytesOfDigits", "LINEROW", "w", kDigits, 0, false, 1, 44, 1, 2, 0, "7|1", 4194308, {}, 1},
        // The last line without a line end, from the start or later.
        ReadCase{"LastLineFromTheStart", "LINEROW", "w", "1,2", 0, false, 0, 44, 1, 2, 0, "1|2", 3},
        ReadCase{"LastLineLater", "LINEROW", "w", "1,2\r\n3,4", 5, true, 0, 44, 1, 2, 0, "3|4", 8},
        ReadCase{"NoMoreLines", "LINEROW", "w", "1,2\r\n", 5, false, 0, 44, 2, kMissing, 33, "", 5},
        // Text columns receive the kept characters as text.
        ReadCase{"TextInLineRow", "LINEROW", "w", "1a2,b3\r\n", 0, false, 0, 44, 1, 2, 0, "12|3", 8, {}, 2, 1},
        ReadCase{"ReadRowText", "READROW", "w,2", "a b,c d\r\ne", 0, false, 0, 44, 1, 2, 0, "a b|c d", 9, {}, 2, 2},
        ReadCase{"ReadRowNumbers", "READROW", "w,3", " 1 ,2.5,x\r\n", 0, false, 0, 44, 1, 3, 0, "1|2.5|", 11, {}, 3},
        // The last byte of the file is kept, from the start as later.
        ReadCase{"ReadRowLastByte", "READROW", "w,2", "1,2", 0, false, 0, 44, 1, 2, 0, "1|2", 3},
        ReadCase{"ReadRowLastByteLater", "READROW", "w,2", "x1,2", 1, false, 0, 44, 1, 2, 0, "1|2", 4},
        ReadCase{"ReadRowAcrossLines", "READROW", "w,3", "1,2\r\n3,4", 0, false, 0, 44, 1, 3, 0, "1|2|3", 7, {}, 3},
        ReadCase{"ReadRowZeroTokens", "READROW", "w,0", "1,2", 0, true, 0, 44, 1, 0, 0, "", 0},
        // Refusals before any byte moves.
        ReadCase{"ReadRowNegativeTokens", "READROW", "w,-1", "1,2", 0, true, 0, 44, 2, 0, 12, "", 0},
        ReadCase{"NoSuchWorksheet", "LINEROW", "nowhere", "1,2", 0, false, 0, 44, 2, 0, 6, "", 0},
        ReadCase{"NoSuchWorksheetCurrent", "READROW", "nowhere,2", "1,2", 0, true, 0, 44, 2, 0, 20, "", 0},
        ReadCase{"NoWorksheetName", "LINEROW", "", "1,2", 0, false, 0, 44, 2, 0, 1024, "", 0}),
    Name);

INSTANTIATE_TEST_SUITE_P(
    Arrays, TextReads,
    ::testing::Values(
        ReadCase{"ALine", "READARRAY", "d,1,3", "1,2,3\r\n4", 0, false, 0, 44, 1, 3, 0, "1|2|3", 7},
        ReadCase{"LaterRows", "READARRAY", "d,5,6", "7,8,9", 0, false, 0, 44, 1, 2, 0, "||||7|8", 4},
        ReadCase{"EmptyRange", "READARRAY", "d,3,2", "7,8,9", 0, true, 0, 44, 1, 0, 0, "", 0},
        // An empty field takes its row and stores nothing.
        ReadCase{"EmptyField", "READARRAY", "d,1,3", "1,,3", 0, false, 0, 44, 1, 3, 0, "1||3", 4},
        ReadCase{"OverLines", "READARRAY", "d,1,3", "1\r\n2\r\n3", 0, false, 0, 44, 1, 3, 0, "1|2|3", 7},
        ReadCase{"ManyNumbers", "READARRAY", "d,1,20000", Counting(20000, ",") + ",", 0, false, 0, 44, 1, 20000, 0,
                 Counting(20000, "|"), 108890},
        // Fewer numbers than rows: the data ends the reading, from the start
        // or later.
        ReadCase{"ShortData", "READARRAY", "d,1,5", "1,2", 0, false, 0, 44, 1, 2, 0, "1|2", 3},
        ReadCase{"ShortDataLater", "READARRAY", "d,1,5", "0,1,2", 2, true, 0, 44, 1, 2, 0, "1|2", 5},
        ReadCase{"NoData", "READARRAY", "d,1,5", "0,1,2", 5, true, 0, 44, 2, kMissing, 33, "", 5},
        ReadCase{"NotANumber", "READARRAY", "d,1,3", "1,-,x,3", 0, false, 0, 44, 1, 3, 0, "1||", 6},
        // A row the host refuses ends the reading after the first value.
        ReadCase{"RowRefused", "READARRAY", "d," + kBeyond + "," + kBeyond, "1,2\r\n", 0, true, 0, 44, 2, kMissing,
                 20, "", 2},
        // Refusals before any byte moves.
        ReadCase{"EndBeforeStart", "READARRAY", "d,3,1", "1,2", 0, false, 0, 44, 2, 0, 64, "", 0},
        ReadCase{"RowZero", "READARRAY", "d,0,3", "1,2", 0, true, 0, 44, 2, 0, 19, "", 0},
        ReadCase{"NoEnd", "READARRAY", "d,1", "1,2", 0, false, 0, 44, 2, 0, 1024, "", 0},
        ReadCase{"NoSuchDataset", "READARRAY", "nowhere,1,2", "1,2", 0, false, 0, 44, 2, 0, 6, "", 0},
        ReadCase{"NoSuchDatasetCurrent", "READARRAY", "nowhere,1,2", "1,2", 0, true, 0, 44, 2, 0, 20, "", 0}),
    Name);

const std::string kFour = "l1\r\nl2\r\nl3\r\nl4\r\n";
const std::string kTwo = "a1b2\r\nxyz";
// STOPMODE 8 with NLINES 0: up to the first line end.
constexpr AsciiSettings kFirstLine{.lines = 0, .stopMode = 8};

INSTANTIATE_TEST_SUITE_P(
    Ascii, TextReads,
    ::testing::Values(
        // Include and exclude sets.
        ReadCase{"IncludeDigits", "ASCII", "A", kTwo, 0, false, 0, 44, 1, 2, 0, "12", 6,
                 {.readMode = 1, .include = "0123456789", .lines = 0, .stopMode = 8}},
        ReadCase{"ExcludeNothing", "ASCII", "A", kTwo, 0, false, 0, 44, 1, 6, 0, "a1b2\r\n", 6, kFirstLine},
        ReadCase{"ExcludeSome", "ASCII", "a", kTwo, 0, false, 0, 44, 1, 3, 0, "12\n", 6,
                 {.exclude = "ab\r", .lines = 0, .stopMode = 8}},
        // A READMODE other than 0 and 1, stored unchecked, admits nothing.
        ReadCase{"ReadModeTwoAdmitsNothing", "ASCII", "A", kTwo, 0, false, 0, 44, 1, 0, 0, "", 6,
                 {.readMode = 2, .include = "ab", .lines = 0, .stopMode = 8}},
        // STOPMODE 1: the stop character is consumed and treated like any other.
        ReadCase{"StopChar", "ASCII", "A", "ab;cd", 0, false, 0, 44, 1, 3, 0, "ab;", 3,
                 {.stopChar = ";", .stopMode = 1}},
        ReadCase{"StopCharNotAdmitted", "ASCII", "A", "ab;cd", 0, false, 0, 44, 1, 2, 0, "ab", 3,
                 {.readMode = 1, .include = "abcd", .stopChar = ";:", .stopMode = 1}},
        // STOPMODE 4: at the NTOKENS-th separator; with a worksheet the
        // numbers go to one row.
        ReadCase{"TokensIntoARow", "ASCII", ",w", "1,2,3,4", 0, false, 0, 44, 1, 3, 0, kOld + "#1|2|3", 6,
                 {.tokens = 3, .stopMode = 4}},
        ReadCase{"NoTokens", "ASCII", "A", "1,2,3,4", 0, false, 0, 44, 1, 0, 0, "", 0, {.tokens = 0, .stopMode = 4}},
        ReadCase{"LetterAndRow", "ASCII", "A,w", "1,x2\r\n3", 0, true, 0, 44, 1, 2, 0, "1,x2\r\n#1|2", 6, kFirstLine},
        // STOPMODE 2: a piece equal to STOPSTRING; bit 8 turns it off.
        ReadCase{"StopString", "ASCII", "A", "END,X", 0, false, 0, 44, 1, 3, 0, "END", 4,
                 {.readMode = 1, .include = "DEN", .stopString = "END", .stopMode = 2}},
        ReadCase{"StopStringWithLines", "ASCII", "A", "END,X", 0, false, 0, 44, 1, 3, 0, "END", 5,
                 {.readMode = 1, .include = "DEN", .stopString = "END", .lines = 1, .stopMode = 10}},
        ReadCase{"StopStringWithTheComma", "ASCII", "A", "END,X", 0, false, 0, 44, 1, 5, 0, "END,X", 5,
                 {.stopString = "END", .stopMode = 2}},
        // STOPMODE 8: every line end counts twice.
        ReadCase{"TwoLines", "ASCII", "A", kFour, 0, false, 0, 44, 1, 8, 0, "l1\r\nl2\r\n", 8,
                 {.lines = 2, .stopMode = 8}},
        ReadCase{"ThreeGiveTwo", "ASCII", "A", kFour, 0, false, 0, 44, 1, 8, 0, "l1\r\nl2\r\n", 8,
                 {.lines = 3, .stopMode = 8}},
        ReadCase{"FourGiveThree", "ASCII", "A", kFour, 0, false, 0, 44, 1, 12, 0, "l1\r\nl2\r\nl3\r\n", 12,
                 {.lines = 4, .stopMode = 8}},
        ReadCase{"LoneLineFeedIsNoLineEnd", "ASCII", "A", "a\nb\r\nc", 0, false, 0, 44, 1, 5, 0, "a\nb\r\n", 5,
                 kFirstLine},
        // Without a letter or a worksheet the bytes are consumed, and 0 answered.
        ReadCase{"NothingDelivered", "ASCII", "", kFour, 0, false, 0, 44, 1, 0, 0, kOld, 8,
                 {.lines = 2, .stopMode = 8}},
        // STOPMODE 0 reads to the end of the data, from the start or later.
        ReadCase{"ToTheEnd", "ASCII", "A", "ab\r\ncd", 0, false, 0, 44, 1, 6, 0, "ab\r\ncd", 6},
        ReadCase{"ToTheEndFromLater", "ASCII", "A", "ab\r\ncd", 2, true, 0, 44, 1, 4, 0, "\r\ncd", 6},
        ReadCase{"DataSpent", "ASCII", "A", "ab", 2, false, 0, 44, 2, kMissing, 33, kOld, 2},
        // Refusals before any byte moves.
        ReadCase{"NegativeTokens", "ASCII", "A", "ab", 0, false, 0, 44, 2, 0, 12, kOld, 0, {.tokens = -1}},
        ReadCase{"NegativeLines", "ASCII", "A", "ab", 0, true, 0, 44, 2, 0, 12, kOld, 0, {.lines = -3}},
        ReadCase{"LetterNotAVariable", "ASCII", "1", "ab", 0, false, 0, 44, 2, 0, 6, kOld, 0},
        ReadCase{"NoSuchWorksheet", "ASCII", "A,nowhere", "1,2", 0, true, 0, 44, 2, 0, 20, kOld, 0}),
    Name);

const std::string k300(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Writes, TextReads,
    ::testing::Values(
        ReadCase{"LineMode0", "LWRITE", "\"abc\"", "", 0, false, 0, 44, 1, 5, 0, "abc\r\n", 5},
        ReadCase{"LineMode1", "LWRITE", "\"abc\"", "", 0, false, 1, 44, 1, 4, 0, "abc\n", 4},
        ReadCase{"LineMode2", "LWRITE", "\"abc\"", "", 0, true, 2, 44, 1, 4, 0, "abc\r", 4},
        ReadCase{"Empty", "TWRITE", "\"\"", "", 0, false, 0, 44, 1, 0, 0, "", 0},
        ReadCase{"EmptyLine", "LWRITE", "\"\"", "", 0, false, 0, 44, 1, 2, 0, "\r\n", 2},
        ReadCase{"NoClosingQuote", "TWRITE", "\"abc", "", 0, false, 0, 44, 1, 3, 0, "abc", 3},
        ReadCase{"UpToTheSecondQuote", "TWRITE", "\"ab\"cd", "", 0, false, 0, 44, 1, 2, 0, "ab", 2},
        // A letter names a string variable, in either case; anything else
        // is written as typed.
        ReadCase{"Variable", "TWRITE", "A", "", 0, false, 0, 44, 1, 15, 0, kOld, 15},
        ReadCase{"VariableLowerCase", "LWRITE", "a", "", 0, false, 1, 44, 1, 16, 0, kOld + "\n", 16},
        ReadCase{"AsTyped", "TWRITE", "1bc", "", 0, false, 0, 44, 1, 3, 0, "1bc", 3},
        // 259 characters at most, cut before the quotes are looked at.
        ReadCase{"LongQuoted", "TWRITE", "\"" + k300 + "\"", "", 0, false, 0, 44, 1, 258, 0, k300.substr(42), 258},
        ReadCase{"LongAsTyped", "TWRITE", "1" + k300, "", 0, false, 0, 44, 1, 259, 0, "1" + k300.substr(42), 259},
        // Refusals.
        ReadCase{"NoText", "TWRITE", "", "", 0, false, 0, 44, 2, 0, 1024, "", 0},
        ReadCase{"LineModeUnchecked", "LWRITE", "\"abc\"", "", 0, false, 4, 44, 2, kMissing, 3, "", 0},
        ReadCase{"LineModeUncheckedCurrent", "LWRITE", "\"abc\"", "", 0, true, -1, 44, 2, kMissing, 12, "", 0},
        // A file opened for reading only refuses the bytes.
        ReadCase{"ReadOnlyFile", "TWRITE", "\"abc\"", "", 0, true, 0, 44, 2, kMissing, 31, "", 0, {}, 2, 0, 0},
        ReadCase{"ReadOnlyFileLegacy", "LWRITE", "\"abc\"", "", 0, false, 0, 44, 2, kMissing, 6, "", 0, {}, 2, 0, 0},
        // Without memory for its buffer a write fails before it writes: a
        // budget of one allows no halving.
        ReadCase{"NoMemory", "TWRITE", "\"xyz\"", "", 0, false, 0, 44, 2, kMissing, 5, "", 0, {}, 2, 0, -1,
                 {.memory = 2}}),
    Name);

// Each row goes below the longest column; cells stored before stay. A cell
// the host refuses ends the row.
TEST_F(TextFixture, RowsGoBelowTheLongestColumn) {
    tavrel::Worksheet& sheet = host().CreateWorksheet("w", 3);
    sheet.column(2)->dataset().set(1, 9.0);
    sheet.column(2)->dataset().resize(2);
    OpenText("1,2,3\r\n4,5\r\n6,7,8,9\r\n1,2\r\n");
    EXPECT_EQ(Call("LINEROW", "w").value, 3);
    EXPECT_EQ(Call("LINEROW", "w").value, 2);
    EXPECT_EQ(Call("LINEROW", "w").value, 4);
    EXPECT_EQ(RowsOf(sheet), "|||/|9||/1|2|3|/4|5||/6|7|8|9");
    // A column as long as a dataset may be: no row fits below it.
    sheet.column(2)->dataset().resize(static_cast<int32_t>(tavrel::Dataset::kMaxCells));
    UseNewActions(true);
    EXPECT_EQ(Call("LINEROW", "w").code, 2);
    EXPECT_EQ(Error(), 20);
    EXPECT_EQ(Position(), 23);  // the first value's separator was read
}

// The sub-properties answer under both names of the method and both of their
// own; READMODE is checked when stored in the current numbering; RESET
// brings back their first values.
TEST_F(TextFixture, AsciiSubPropertiesUnderEveryNameAndReset) {
    const std::vector<std::string> reset = {"INCLUDE$\t\"\"", "EXCLUDE$\t\"\"", "READMODE\t0", "STOPCHAR$\t\"\"",
                                            "STOPSTRING$\t\"\"", "NTOKENS\t1", "TOKENS\t1", "NLINES\t1",
                                            "LINES\t1", "STOPMODE\t0"};
    EXPECT_EQ(SetNumber("TOKENS", 7, "readascii"), 1);
    EXPECT_EQ(Number("NTOKENS", "ASCII"), 7);
    EXPECT_EQ(SetText("STOPSTRING", "END", "ASCII"), 1);
    UseNewActions(true);
    EXPECT_EQ(SetNumber("READMODE", 2, "ASCII"), 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Number("READMODE", "ASCII"), 0);
    EXPECT_EQ(Call("RESET").code, 1);
    host().ClearLines();
    EXPECT_EQ(host().List("readascii"), 1);
    EXPECT_EQ(host().lines(), reset);
}

}  // namespace
}  // namespace zeltest
