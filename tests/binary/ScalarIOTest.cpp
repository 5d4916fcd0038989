// READ, WRITE and the real methods through MODLL: one binary value at the
// position of a file, in both numberings. The byte images of every width,
// order and sign are TypeConverterTest's; these rows check that the call
// brings the settings, the width and the file to the codec.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binary/BinaryTesting.h"

namespace zeltest {
namespace {

using zel::platform::FileCause;

// The value of `bytes` read from the start of the file, which holds a tail after it.
CallCase Read(const char* name, const std::string& bytes, Settings settings, const char* method, const char* args,
              double value, int32_t error = 0) {
    return {.name = name, .file = bytes + "tail", .settings = std::move(settings), .method = method, .args = args,
            .value = value, .error = error, .pos = static_cast<double>(bytes.size())};
}

// A value written to an empty file: the call answers the number of bytes.
CallCase Write(const char* name, bool newActions, Settings settings, const char* method, const char* args,
               const std::string& bytes, int32_t error = 0) {
    return {.name = name, .mode = 1, .newActions = newActions, .settings = std::move(settings), .method = method,
            .args = args, .value = static_cast<double>(bytes.size()), .error = error, .written = bytes};
}

const CallCase kScalarRows[] = {
    Read("ReadBigEndian", Bytes({1, 2, 3, 4}), {{"BYTEORDER", 2}}, "READ", "4", 0x01020304),
    Read("ReadSigned", Bytes({0xFF, 0xFF, 0xFF}), {{"SIGNED", 1}}, "READ", "3", -1),
    Read("ReadUnsigned", Bytes({0xFF, 0xFF, 0xFF, 0xFF}), {}, "INTEGERREAD", "4", 4294967295.0),
    Read("WidthFromNBytes", Bytes({5, 6}), {{"NBYTES", 2}}, "INTREAD", "", 0x0605),
    Read("DoubleBigEndian", Bytes({0x3F, 0xF0, 0, 0, 0, 0, 0, 0}), {{"BYTEORDER", 2}}, "DREAD", "", 1.0),
    Read("Float", Single(1.5f), {}, "FLOATREAD", "", 1.5),
    Read("Extended", Extended(-2.5), {}, "LDREAD", "", -2.5),
    Read("ExtendedOutsideTheDoubleRange", Bytes({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}), {}, "LONGDOUBLEREAD", "",
         ZEL_MISSING_VALUE, 34),
    // A value out of range is reported and written as ever; BYTEORDER 1
    // reverses a 16-bit write in the current numbering only.
    Write("WriteOutOfRange", true, {}, "WRITE", "70000,2", Bytes({0x70, 0x11}), 34),
    Write("WriteSigned", false, {{"SIGNED", 1}}, "INTWRITE", "-1,1", Bytes({0xFF})),
    Write("LegacyWriteOfOrder1", false, {{"BYTEORDER", 1}}, "WRITE", "4660,2", Bytes({0x34, 0x12})),
    Write("WriteOfOrder1", true, {{"BYTEORDER", 1}}, "WRITE", "4660,2", Bytes({0x12, 0x34})),
    Write("WriteUnsigned", false, {}, "INTEGERWRITE", "4294967295,4", Bytes({0xFF, 0xFF, 0xFF, 0xFF})),
    Write("DoubleWrite", false, {{"BYTEORDER", 2}}, "DWRITE", "1", Bytes({0x3F, 0xF0, 0, 0, 0, 0, 0, 0})),
    Write("FloatWrite", true, {{"BYTEORDER", 2}}, "FLOATWRITE", "1.5", Bytes({0x3F, 0xC0, 0, 0})),
    // Refused before any byte moves. NBYTES 8 or a width argument of 5 is no
    // integer width; unchecked stores of the legacy numbering are caught.
    Refused("LegacyNBytesOfNoWidth", false, "READ", "", 2, {{"NBYTES", 8}}),
    Refused("WidthArgumentOfNoWidth", true, "READ", "5", 268),
    Refused("SignedOutOfRange", false, "READ", "1", 3, {{"SIGNED", 5}}),
    Refused("ByteOrderOutOfRange", false, "DREAD", "", 3, {{"BYTEORDER", -1}}),
    Refused("LegacyWriteWithoutValue", false, "WRITE", "", 65),
    Refused("WriteWithoutValue", true, "FWRITE", "", 10),
    // The end of the file; a value cut short leaves the position at the end.
    {.name = "LegacyReadAtTheEnd", .file = "x", .before = {{"TOEND", ""}}, .method = "READ", .args = "2",
     .code = 2, .value = 0, .error = 1158},
    {.name = "ReadCutShort", .file = "x", .newActions = true, .method = "READ", .args = "4", .code = 2,
     .value = ZEL_MISSING_VALUE, .error = 33, .pos = 1},
    {.name = "LegacyFloatAtTheEnd", .file = "x", .before = {{"TOEND", ""}}, .method = "FREAD", .code = 2,
     .value = 0, .error = 1157},
    // The file layer fails.
    {.name = "LegacyReadFails", .file = "abcd", .fail = FileCause::HardIO, .method = "READ", .args = "1",
     .code = 2, .error = 1157, .sysErr = 5},
    {.name = "FloatReadFails", .file = "abcd", .newActions = true, .fail = FileCause::LockViolation,
     .method = "FREAD", .code = 2, .error = 28, .sysErr = 12},
    {.name = "LegacyWriteFails", .mode = 1, .fail = FileCause::DiskFull, .failOp = VfsOp::Write,
     .method = "WRITE", .args = "1,1", .code = 2, .error = 1155, .sysErr = 28},
    {.name = "DoubleWriteFails", .mode = 1, .newActions = true, .fail = FileCause::DiskFull,
     .failOp = VfsOp::Write, .method = "DWRITE", .args = "1", .code = 2, .value = 0, .error = 29, .sysErr = 13},
    // LDWRITE refuses every call before its arguments are looked at: one too
    // many records no error.
    {.name = "LDWriteIsRefusedWithALine", .mode = 1, .method = "LDWRITE", .args = "1,2,3", .code = 2,
     .lines = std::vector<std::string>{"file.LDWrite() is not supported in this version"}},
    // SWITCHMODE reopens without cutting the file: the bytes before the position stay.
    {.name = "WriteAfterSwitchMode", .file = "0123456789abcdefghij", .mode = 0,
     .before = {{"JUMP", "10"}, {"SWITCHMODE", "1"}}, .method = "WRITE", .args = "90,1", .value = 1, .pos = 11,
     .written = "0123456789Zbcdefghij"},
};

// The runner of every table of calls in this folder.
TEST_P(BinaryCall, AnswersAndLeaves) { Check(GetParam()); }
INSTANTIATE_TEST_SUITE_P(Scalar, BinaryCall, ::testing::ValuesIn(kScalarRows), CaseName);

}  // namespace
}  // namespace zeltest
