// READ, WRITE and the real methods: one binary value at the position of a
// file, in both numberings, compared with byte images written by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/Printing.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

using zel::platform::FileCause;

std::string Bytes(std::initializer_list<unsigned> bytes) {
    std::string s;
    for (unsigned b : bytes) s.push_back(static_cast<char>(b));
    return s;
}

class ScalarIOTest : public ZelFixture {
protected:
    int32_t OpenWith(const std::string& bytes, int mode = 2) {
        scratch_.Make("data.bin", bytes);
        return OpenFile("data.bin", mode);
    }
    std::string FileBytes() { return ScratchDir::Contents(scratch_.PathOf("data.bin")); }
};

struct ReadCase {
    int width;
    int byteOrder;
    int signedFlag;
    std::string bytes;
    double value;
};

void PrintTo(const ReadCase& c, std::ostream* out) {
    *out << HexBytes(c.bytes) << " as " << c.width << " bytes, BYTEORDER " << c.byteOrder
         << ", SIGNED " << c.signedFlag << ": " << NumberText(c.value);
}

class IntegerReads : public ScalarIOTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IntegerReads, DecodeByOrderAndSign) {
    const ReadCase& c = GetParam();
    OpenWith(c.bytes + "tail", 0);
    SetNumber("BYTEORDER", c.byteOrder);
    SetNumber("SIGNED", c.signedFlag);
    tavrel::CallResult r = Call("READ", std::to_string(c.width));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, c.value);
    EXPECT_EQ(Call("GETPOS").value, c.width);
}

INSTANTIATE_TEST_SUITE_P(
    Images, IntegerReads,
    ::testing::Values(ReadCase{4, 0, 0, Bytes({1, 2, 3, 4}), 0x04030201},
                      ReadCase{4, 1, 0, Bytes({1, 2, 3, 4}), 0x04030201},
                      ReadCase{4, 2, 0, Bytes({1, 2, 3, 4}), 0x01020304},
                      ReadCase{2, 1, 0, Bytes({0x12, 0x34}), 0x1234},
                      ReadCase{2, 0, 0, Bytes({0x12, 0x34}), 0x3412},
                      ReadCase{3, 0, 1, Bytes({0xFF, 0xFF, 0xFF}), -1},
                      ReadCase{3, 0, 0, Bytes({0xFF, 0xFF, 0xFF}), 16777215},
                      ReadCase{1, 0, 1, Bytes({0x80}), -128}, ReadCase{1, 0, 0, Bytes({0x80}), 128},
                      ReadCase{4, 0, 1, Bytes({0, 0, 0, 0x80}), -2147483648.0},
                      ReadCase{4, 0, 0, Bytes({0xFF, 0xFF, 0xFF, 0xFF}), 4294967295.0}));

TEST_F(ScalarIOTest, ReadWidthComesFromTheArgumentOrNBytes) {
    OpenWith(Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9}), 0);
    SetNumber("NBYTES", 8);
    // NBYTES 8 is no integer width: refused, nothing read.
    tavrel::CallResult legacy = Call("READ");
    EXPECT_EQ(legacy.code, 2);
    EXPECT_EQ(Error(), 2);
    EXPECT_EQ(Call("READ", "4").value, 0x04030201);
    UseNewActions(true);
    SetNumber("NBYTES", 8);
    EXPECT_EQ(Call("READ").code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("READ", "5").code, 2);
    EXPECT_EQ(Error(), 268);
    EXPECT_EQ(Call("GETPOS").value, 4);
    SetNumber("NBYTES", 2);
    EXPECT_EQ(Call("INTREAD").value, 0x0605);
}

TEST_F(ScalarIOTest, ReadAtTheEnd) {
    OpenWith(Bytes({1}), 0);
    Call("TOEND");
    tavrel::CallResult legacy = Call("READ", "2");
    EXPECT_EQ(legacy.code, 2);
    EXPECT_EQ(legacy.value, 0);
    EXPECT_EQ(Error(), 1158);
    UseNewActions(true);
    tavrel::CallResult current = Call("READ", "2");
    EXPECT_EQ(current.code, 2);
    EXPECT_EQ(current.value, ZEL_MISSING_VALUE);
    EXPECT_EQ(Error(), 33);
    // A value cut short by the end: the position stands at the end.
    Call("REWIND");
    EXPECT_EQ(Call("READ", "4").code, 2);
    EXPECT_EQ(Error(), 33);
    EXPECT_EQ(Call("GETPOS").value, 1);
    // The real methods report the same.
    EXPECT_EQ(Call("DREAD").code, 2);
    EXPECT_EQ(Error(), 33);
    UseNewActions(false);
    tavrel::CallResult real = Call("FREAD");
    EXPECT_EQ(real.value, 0);
    EXPECT_EQ(Error(), 1157);
}

TEST_F(ScalarIOTest, ReadFailuresOfTheFileLayer) {
    FailingVfs& layer = UseFailingVfs();
    OpenWith(Bytes({1, 2, 3, 4}), 0);
    layer.Fail(VfsOp::Read, FileCause::HardIO);
    EXPECT_EQ(Call("READ", "1").code, 2);
    EXPECT_EQ(Error(), 1157);
    EXPECT_EQ(SysErr(), 5);
    UseNewActions(true);
    layer.Fail(VfsOp::Read, FileCause::LockViolation);
    EXPECT_EQ(Call("FREAD").code, 2);
    EXPECT_EQ(Error(), 28);
    EXPECT_EQ(SysErr(), 12);
    // A file opened for writing only cannot be read.
    Call("CLOSEALL");
    OpenWith(Bytes({1, 2}), 1);
    EXPECT_EQ(Call("READ", "1").code, 2);
    EXPECT_EQ(Error(), 28);
    EXPECT_EQ(SysErr(), 5);
}

TEST_F(ScalarIOTest, UncheckedSettingsAreCaughtBeforeUse) {
    OpenWith(Bytes({1, 2}), 0);
    SetNumber("SIGNED", 5);
    EXPECT_EQ(Call("READ", "1").code, 2);
    EXPECT_EQ(Error(), 3);
    SetNumber("SIGNED", 0);
    SetNumber("BYTEORDER", -1);
    EXPECT_EQ(Call("DREAD").code, 2);
    EXPECT_EQ(Error(), 3);
    EXPECT_EQ(Call("GETPOS").value, 0);
}

struct WriteCase {
    const char* method;
    std::string args;
    int byteOrder;
    int signedFlag;
    bool newActions;
    std::string bytes;
    int32_t error;
};

void PrintTo(const WriteCase& c, std::ostream* out) {
    *out << c.method << "(" << c.args << "), BYTEORDER " << c.byteOrder << ", SIGNED "
         << c.signedFlag << ", NEWACTIONS " << c.newActions << ": " << HexBytes(c.bytes)
         << ", ERROR " << c.error;
}

class Writes : public ScalarIOTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(Writes, EncodeToHandMadeImages) {
    const WriteCase& c = GetParam();
    OpenWith("", 1);
    UseNewActions(c.newActions);
    SetNumber("BYTEORDER", c.byteOrder);
    SetNumber("SIGNED", c.signedFlag);
    tavrel::CallResult r = Call(c.method, c.args);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, static_cast<double>(c.bytes.size()));
    EXPECT_EQ(Error(), c.error);
    EXPECT_EQ(FileBytes(), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Images, Writes,
    ::testing::Values(
        WriteCase{"WRITE", "70000,2", 0, 0, false, Bytes({0x70, 0x11}), 34},
        WriteCase{"WRITE", "70000,2", 0, 0, true, Bytes({0x70, 0x11}), 34},
        WriteCase{"WRITE", "-1,1", 0, 0, true, Bytes({0xFF}), 34},
        WriteCase{"WRITE", "-1,1", 0, 1, false, Bytes({0xFF}), 0},
        WriteCase{"WRITE", "-32769,2", 0, 1, true, Bytes({0xFF, 0x7F}), 34},
        WriteCase{"WRITE", "-1,3", 0, 0, false, Bytes({0xFF, 0xFF, 0xFF}), 34},
        WriteCase{"WRITE", "4660,2", 1, 0, false, Bytes({0x34, 0x12}), 0},
        WriteCase{"WRITE", "4660,2", 1, 0, true, Bytes({0x12, 0x34}), 0},
        WriteCase{"WRITE", "8388608,3", 0, 1, true, Bytes({0x00, 0x00, 0x80}), 34},
        WriteCase{"INTEGERWRITE", "4294967295,4", 0, 0, false, Bytes({0xFF, 0xFF, 0xFF, 0xFF}), 0},
        WriteCase{"WRITE", "4294967295,4", 0, 1, false, Bytes({0x00, 0x00, 0x00, 0x80}), 34},
        WriteCase{"WRITE", "4294967296,4", 0, 0, true, Bytes({0x00, 0x00, 0x00, 0x00}), 34},
        WriteCase{"WRITE", "256.9,1", 0, 0, false, Bytes({0x00}), 34},
        WriteCase{"WRITE", "-0.5,1", 0, 0, false, Bytes({0x00}), 0},
        WriteCase{"DWRITE", "1", 2, 0, false, Bytes({0x3F, 0xF0, 0, 0, 0, 0, 0, 0}), 0},
        WriteCase{"DOUBLEWRITE", "-2", 0, 0, false, Bytes({0, 0, 0, 0, 0, 0, 0, 0xC0}), 0},
        WriteCase{"FWRITE", "1.5", 0, 0, true, Bytes({0, 0, 0xC0, 0x3F}), 0},
        WriteCase{"FLOATWRITE", "1.5", 2, 0, true, Bytes({0x3F, 0xC0, 0, 0}), 0},
        WriteCase{"FWRITE", "1e39", 0, 0, false, Bytes({0, 0, 0x80, 0x7F}), 34},
        WriteCase{"FWRITE", "-1e39", 0, 0, true, Bytes({0, 0, 0x80, 0xFF}), 34}));

TEST_F(ScalarIOTest, RealsReadBack) {
    OpenWith(Bytes({0x3F, 0xF0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F, 0, 0, 0xC0,
                    0x3F}));
    SetNumber("BYTEORDER", 2);
    EXPECT_EQ(Call("DREAD").value, 1.0);
    SetNumber("BYTEORDER", 0);
    EXPECT_EQ(Call("LDREAD").value, 1.0);
    EXPECT_EQ(Call("FREAD").value, 1.5);
}

TEST_F(ScalarIOTest, ExtendedOutsideTheDoubleRange) {
    OpenWith(Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}));
    tavrel::CallResult r = Call("LONGDOUBLEREAD");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, ZEL_MISSING_VALUE);
    EXPECT_EQ(Error(), 34);
}

TEST_F(ScalarIOTest, WriteNeedsItsValue) {
    OpenWith("", 1);
    EXPECT_EQ(Call("WRITE").code, 2);
    EXPECT_EQ(Error(), 65);
    UseNewActions(true);
    tavrel::CallResult r = Call("FWRITE");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(Error(), 10);
    EXPECT_EQ(FileBytes(), "");
}

TEST_F(ScalarIOTest, LDWriteIsRefusedWithALine) {
    OpenWith("", 1);
    tavrel::CallResult r = Call("LDWRITE", "1.0");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(TakeLines(), (std::vector<std::string>{"file.LDWrite() is not supported in this version"}));
    EXPECT_EQ(FileBytes(), "");
}

// One argument too many: the error list names the class of the method that
// refused the call, each real method its own; LDWRITE refuses every call
// before its arguments are looked at and records nothing.
struct NameCase {
    const char* method;
    const char* args;
    const char* entry;  // the newest line of LISTERR
};

void PrintTo(const NameCase& c, std::ostream* out) { *out << c.method << "(" << c.args << ")"; }

class ErrorListNames : public ScalarIOTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ErrorListNames, NameTheRefusingClass) {
    const NameCase& c = GetParam();
    OpenWith("", 2);
    EXPECT_EQ(Call(c.method, c.args).code, 2);
    TakeLines();
    ASSERT_EQ(Call("LISTERR").code, 1);
    const std::vector<std::string> lines = TakeLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], c.entry);
}

INSTANTIATE_TEST_SUITE_P(
    RealMethods, ErrorListNames,
    ::testing::Values(NameCase{"FREAD", "1,2", "MoFRead\t900"}, NameCase{"FLOATWRITE", "1,2,3", "MoFWrite\t900"},
                      NameCase{"DREAD", "1,2", "MoDRead\t900"}, NameCase{"DWRITE", "1,2,3", "MoDWrite\t900"},
                      NameCase{"LDREAD", "1,2", "MoLDRead\t900"}, NameCase{"LDWRITE", "1,2,3", "\t0"},
                      NameCase{"READ", "1,2,3", "MoRead\t900"}));

TEST_F(ScalarIOTest, WriteFailuresOfTheFileLayer) {
    FailingVfs& layer = UseFailingVfs();
    OpenWith("", 1);
    layer.Fail(VfsOp::Write, FileCause::DiskFull);
    EXPECT_EQ(Call("WRITE", "1,1").code, 2);
    EXPECT_EQ(Error(), 1155);
    EXPECT_EQ(SysErr(), 28);
    UseNewActions(true);
    layer.Fail(VfsOp::Write, FileCause::DiskFull);
    tavrel::CallResult r = Call("DWRITE", "1");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(Error(), 29);
    EXPECT_EQ(SysErr(), 13);
    // A file opened for reading refuses writes.
    Call("CLOSEALL");
    OpenWith("x", 0);
    EXPECT_EQ(Call("WRITE", "1,1").code, 2);
    EXPECT_EQ(Error(), 29);
    EXPECT_EQ(SysErr(), 5);
    EXPECT_EQ(FileBytes(), "x");
}

TEST_F(ScalarIOTest, WriteOverwritesInPlaceAndAnotherHandleSeesIt) {
    const int32_t writer = OpenWith(Bytes({1, 2, 3, 4, 5, 6}), 1);
    const int32_t reader = OpenFile("data.bin", 0);
    EXPECT_EQ(Call("READ", "1," + std::to_string(reader)).value, 1);
    EXPECT_EQ(Call("SETPOS", "1," + std::to_string(writer)).value, 1);
    EXPECT_EQ(Call("WRITE", "170,1").value, 1);
    EXPECT_EQ(Call("READ", "1," + std::to_string(reader)).value, 170);
    EXPECT_EQ(FileBytes(), Bytes({1, 170, 3, 4, 5, 6}));
}

TEST_F(ScalarIOTest, SwitchModeThenWriteKeepsTheBytesBefore) {
    OpenWith("0123456789abcdefghij", 0);
    EXPECT_EQ(Call("JUMP", "10").value, 10);
    ASSERT_EQ(Call("SWITCHMODE", "1").code, 1);
    EXPECT_EQ(Call("GETPOS").value, 10);
    EXPECT_EQ(Call("WRITE", "90,1").code, 1);
    EXPECT_EQ(Call("CLOSE").code, 1);  // the switch took the file for itself alone
    EXPECT_EQ(FileBytes(), "0123456789Zbcdefghij");
}

}  // namespace
}  // namespace zeltest
