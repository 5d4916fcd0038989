// TWRITE and LWRITE through MODLL: the bytes written, the result, ERROR,
// the argument taken as a quoted literal or as a string variable.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "TextTesting.h"

namespace zeltest {
namespace {

struct WriteCase {
    const char* name;
    const char* method;
    std::string args;
    int lineMode;
    bool newActions;
    int32_t code;
    double value;
    int32_t error;
    std::string written;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name << ": " << c.method << "(" << c.args << "), NLINEMODE " << c.lineMode << ", NEWACTIONS "
        << c.newActions;
}

class TextWrites : public TextFixture, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(TextWrites, WriteAndAnswer) {
    const WriteCase& c = GetParam();
    Settings(false, c.lineMode, 44);
    OpenText("", 0, 1);
    UseNewActions(c.newActions);
    host().SetVariable('A', "hello");
    const tavrel::CallResult r = Call(c.method, c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(NumberText(r.value), NumberText(c.value));
    EXPECT_EQ(Error(), c.error);
    Call("CLOSEALL");
    EXPECT_EQ(FileText(), c.written);
}

const std::string k300 = std::string(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Texts, TextWrites,
    ::testing::Values(
        WriteCase{"Quoted", "TWRITE", "\"abc\"", 0, false, 1, 3, 0, "abc"},
        WriteCase{"LineMode0", "LWRITE", "\"abc\"", 0, false, 1, 5, 0, "abc\r\n"},
        WriteCase{"LineMode1", "LWRITE", "\"abc\"", 1, false, 1, 4, 0, "abc\n"},
        WriteCase{"LineMode2", "LWRITE", "\"abc\"", 2, true, 1, 4, 0, "abc\r"},
        WriteCase{"Empty", "TWRITE", "\"\"", 0, false, 1, 0, 0, ""},
        WriteCase{"EmptyLine", "LWRITE", "\"\"", 0, false, 1, 2, 0, "\r\n"},
        WriteCase{"NoClosingQuote", "TWRITE", "\"abc", 0, false, 1, 3, 0, "abc"},
        WriteCase{"UpToTheSecondQuote", "TWRITE", "\"ab\"cd", 0, false, 1, 2, 0, "ab"},
        WriteCase{"CommaInQuotes", "TWRITE", "\"a, b\"", 0, false, 1, 4, 0, "a, b"},
        WriteCase{"BlanksInQuotes", "TWRITE", "  \" x \"  ", 0, false, 1, 3, 0, " x "},
        // A letter names a string variable, in either case; anything else
        // is written as typed.
        WriteCase{"Variable", "TWRITE", "A", 0, false, 1, 5, 0, "hello"},
        WriteCase{"VariableLowerCase", "LWRITE", "a", 1, false, 1, 6, 0, "hello\n"},
        WriteCase{"EmptyVariable", "TWRITE", "B", 0, false, 1, 0, 0, ""},
        WriteCase{"WordNamesItsFirstLetter", "TWRITE", "abc", 0, false, 1, 5, 0, "hello"},
        WriteCase{"AsTyped", "TWRITE", "1bc", 0, false, 1, 3, 0, "1bc"},
        // 259 characters at most, cut before the quotes are looked at.
        WriteCase{"LongQuoted", "TWRITE", "\"" + k300 + "\"", 0, false, 1, 258, 0, std::string(258, 'x')},
        WriteCase{"LongAsTyped", "TWRITE", "1" + k300, 0, false, 1, 259, 0, "1" + std::string(258, 'x')},
        // Refusals.
        WriteCase{"NoText", "TWRITE", "", 0, false, 2, 0, 1024, ""},
        WriteCase{"NoTextCurrent", "LWRITE", ",", 0, true, 2, 0, 10, ""},
        WriteCase{"LineModeUnchecked", "LWRITE", "\"abc\"", 4, false, 2, ZEL_MISSING_VALUE, 3, ""},
        WriteCase{"LineModeUncheckedCurrent", "LWRITE", "\"abc\"", -1, true, 2, ZEL_MISSING_VALUE, 12, ""}),
    [](const ::testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

class TextWriteTest : public TextFixture {};

TEST_F(TextWriteTest, AFileTheLayerRefusesFailsTheCall) {
    OpenText("kept", 0, 0);  // opened for reading only
    for (auto [newActions, error] : {std::pair{true, 31}, std::pair{false, 6}}) {
        UseNewActions(newActions);
        const tavrel::CallResult r = Call("TWRITE", "\"abc\"");
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(Error(), error);
        EXPECT_EQ(Call("LWRITE", "\"abc\"").code, 2);
    }
    Call("CLOSEALL");
    EXPECT_EQ(FileText(), "kept");
}

TEST_F(TextWriteTest, ADiskThatFillsUpFailsTheCall) {
    FailingVfs& vfs = UseFailingVfs();
    OpenText("", 0, 1);
    UseNewActions(true);
    vfs.Fail(VfsOp::Write, FileCause::DiskFull);
    EXPECT_EQ(Call("LWRITE", "\"abc\"").code, 2);
    EXPECT_EQ(Error(), 31);
    EXPECT_EQ(Call("LWRITE", "\"abc\"").value, 5);
    EXPECT_EQ(Error(), 0);
}

TEST_F(TextWriteTest, NoMemoryForTheTextFailsWithoutWriting) {
    FailingAllocator& allocator = UseFailingAllocator();
    OpenText("", 0, 1);
    allocator.RefuseAbove(2);
    EXPECT_EQ(Call("TWRITE", "\"abc\"").code, 2);
    EXPECT_EQ(Error(), 5);  // out of memory, in the legacy numbering
    EXPECT_EQ(allocator.refusals(), 1);  // the budget of one allows no halving
    EXPECT_EQ(Call("TWRITE", "\"ab\"").value, 2);
    Call("CLOSEALL");
    EXPECT_EQ(FileText(), "ab");
}

TEST_F(TextWriteTest, LinesWrittenAreReadBack) {
    OpenText("", 0, 2);
    for (const char* line : {"\"first\"", "\"\"", "\"third, with a comma\""}) Call("LWRITE", line);
    Call("TWRITE", "\"last\"");
    Call("REWIND");
    for (const char* expected : {"first", "", "third, with a comma", "last"}) {
        Call("LREAD", "Z");
        EXPECT_EQ(Variable('Z'), expected);
    }
    EXPECT_EQ(Call("LREAD", "Z").code, 2);
}

TEST_F(TextWriteTest, TheGivenFileIsWritten) {
    scratch_.Make("a.txt", "");
    const int32_t a = OpenFile("a.txt", 1);
    OpenText("", 0, 1);
    EXPECT_EQ(Call("TWRITE", "\"to a\"," + std::to_string(a)).value, 4);
    EXPECT_EQ(Number("HFILE"), a);
    Call("CLOSEALL");
    EXPECT_EQ(FileText("a.txt"), "to a");
    EXPECT_EQ(FileText(), "");
}

}  // namespace
}  // namespace zeltest
