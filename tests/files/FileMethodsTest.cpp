// The file methods in both numberings: OPEN, CLOSE, CLOSEALL and the
// current file; GETPOS, SETPOS, REWIND, TOEND, JUMP, JUMPCHUNK and
// SWITCHMODE; EXISTS, REMOVE and SIZE. What they answer, then every refusal
// and file-layer failure in one table.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "support/ZelFixture.h"

namespace zeltest {
namespace {

class FileMethodsTest : public ZelFixture {
protected:
    // "%" stands for the scratch folder, "#" for handle.
    std::string Expand(std::string args, int32_t handle = -1) const {
        if (const size_t at = args.find('%'); at != std::string::npos) args.replace(at, 1, scratch_.PathOf(""));
        if (const size_t at = args.find('#'); at != std::string::npos) args.replace(at, 1, std::to_string(handle));
        return args;
    }

    struct Answer {
        const char* method;
        std::string args;
        double value;
    };
    // Calls that succeed, in turn, each with its answer.
    void ExpectAnswers(std::initializer_list<Answer> answers) {
        for (const Answer& a : answers) {
            const tavrel::CallResult r = Call(a.method, Expand(a.args));
            EXPECT_EQ(r.code, 1) << a.method << "(" << a.args << "): ERROR " << Error();
            EXPECT_EQ(r.value, a.value) << a.method << "(" << a.args << ")";
        }
    }
};

// The mode of OPEN is the low byte of its argument, or MODE; its name the
// argument, or the one stored.
TEST_F(FileMethodsTest, OpenCreatesAMissingFileEvenForReadingAndKeepsAnExistingOne) {
    const int32_t first = OpenFile("new.bin", 0);
    EXPECT_EQ(std::filesystem::file_size(scratch_.PathOf("new.bin")), 0u);
    EXPECT_EQ(Text("FILENAME"), scratch_.PathOf("new.bin"));
    // Without a name OPEN takes the stored one; mode 0 lets others read and
    // write, so a second open for reading works.
    const tavrel::CallResult second = Call("OPEN");
    ASSERT_EQ(second.code, 1);
    EXPECT_NE(second.value, first);
    EXPECT_EQ(Number("HFILE"), second.value);
    scratch_.Make("old.bin", "content");
    ASSERT_GE(OpenFile("old.bin", 257), 0);  // its low byte: 1, writing
    EXPECT_EQ(zel().io().HFile().file()->mode(), 1);
    OpenFile("old.bin", 0);  // a reader is welcome beside the writer
    EXPECT_EQ(ScratchDir::Contents(scratch_.PathOf("old.bin")), "content");
    SetNumber("MODE", 2);
    ASSERT_EQ(Call("OPEN", scratch_.PathOf("m2.bin")).code, 1);
    EXPECT_EQ(zel().io().HFile().file()->mode(), 2);
}

// What selects a file after a close is a row of FailureTest.
TEST_F(FileMethodsTest, CloseAndCloseAllEndTheEntries) {
    ExpectAnswers({{"CLOSEALL", "", 0}});
    const int32_t first = OpenFile("a.bin");
    const int32_t second = OpenFile("b.bin");
    ExpectAnswers({{"CLOSE", std::to_string(first), 0}});
    ASSERT_EQ(zel().io().Files().size(), 1u);
    EXPECT_EQ(zel().io().Files().files()[0]->Handle(), second);
    OpenFile("c.bin");
    UseNewActions(true);
    ExpectAnswers({{"CLOSEALLFILES", "", 0}});
    EXPECT_TRUE(zel().io().Files().empty());
    EXPECT_EQ(Number("HFILE"), -1);
}

TEST_F(FileMethodsTest, CloseAllStopsAtAFailingClose) {
    FailingVfs& layer = UseFailingVfs();
    OpenFile("a.bin");
    const int32_t second = OpenFile("b.bin");
    const int32_t third = OpenFile("c.bin");
    UseNewActions(true);
    layer.Fail(VfsOp::Close, FileCause::LockViolation, 1);  // the first close succeeds, the second fails
    EXPECT_EQ(Call("CLOSEALL").code, 2);
    ASSERT_EQ(zel().io().Files().size(), 2u);
    EXPECT_EQ(zel().io().Files().files()[1]->Handle(), third);
    // The failed close released its file: it no longer has its number.
    EXPECT_EQ(zel().io().Files().FindFile(second), nullptr);
}

TEST_F(FileMethodsTest, PositionsOfAFile) {
    scratch_.Make("four.bin", "abcd");
    OpenFile("four.bin");
    ExpectAnswers({{"GETPOS", "", 0}, {"TOEND", "", 4}, {"GETPOS", "", 4}, {"TOBEGINNING", "", 0},
                   {"SETPOS", "10", 10}, {"GETPOS", "", 10}, {"JUMP", "-3", 7}, {"REWIND", "", 0},
                   {"FASTFORWARD", "", 4}, {"TOSTART", "", 0}});
}

// The move is count times width (NBYTES when no width is given), taken in
// 32 bits: 536870912 * 8 is 2^32, which wraps to a move of 0.
TEST_F(FileMethodsTest, JumpChunkMovesByWidthsAndWrapsIn32Bits) {
    OpenFile("a.bin");
    SetNumber("NBYTES", 4);
    ExpectAnswers({{"JUMPCHUNK", "3,8", 24}, {"JUMPCHUNKS", "3", 36}, {"JUMPCHUNK", "-2,10", 16}, {"REWIND", "", 0},
                   {"JUMPCHUNK", "536870912,8", 0}, {"JUMPCHUNK", "536870913,8", 8}});
    // A bad NBYTES stored unchecked is caught before the move.
    SetNumber("NBYTES", 6);
    EXPECT_EQ(Call("JUMPCHUNK", "1").code, 2);
    EXPECT_EQ(Error(), 3);
    UseNewActions(true);
    EXPECT_EQ(Call("JUMPCHUNK", "1").code, 2);
    EXPECT_EQ(Error(), 12);
}

// Sizes and positions past what 32 bits hold.
TEST_F(FileMethodsTest, PositionsAndSizesOfBigFiles) {
    const std::pair<const char*, uint64_t> files[] = {{"3g.bin", 3000000000u}, {"4g.bin", (uint64_t{1} << 32) + 10}};
    for (const auto& [name, size] : files) {
        std::error_code sizing;
        std::filesystem::resize_file(scratch_.Make(name, ""), size, sizing);
        if (sizing) GTEST_SKIP() << "no sparse files here";
    }
    OpenFile("3g.bin");
    // TOEND reports the end cut to 32 bits and read as signed; GETPOS refuses such a position.
    EXPECT_EQ(Call("TOEND").value, static_cast<int32_t>(3000000000u));
    const tavrel::CallResult legacy = Call("GETPOS");
    EXPECT_EQ(legacy.code, 2);
    EXPECT_EQ(legacy.value, ZEL_MISSING_VALUE);
    EXPECT_EQ(Error(), 1156);
    UseNewActions(true);
    EXPECT_EQ(Call("GETPOS").code, 2);
    EXPECT_EQ(Error(), 0);
    // SIZE cuts to 32 bits, by name and of the current file.
    ExpectAnswers({{"SIZE", ",%4g.bin", 10}});
    OpenFile("4g.bin");
    ExpectAnswers({{"SIZE", "", 10}, {"TOEND", "", 10}});
}

// SIZE takes a name, a handle that becomes current, or the current file.
TEST_F(FileMethodsTest, ExistsRemoveAndSize) {
    scratch_.Make("here.txt", "abc");
    ExpectAnswers({{"EXISTS", "%here.txt", 1}, {"EXIST", "%gone.txt", 0}, {"EXISTS", "%", 1},
                   {"REMOVE", "%here.txt", 1}, {"EXISTS", "%here.txt", 0}});
    scratch_.Make("five.bin", "12345");
    scratch_.Make("three.bin", "123");
    scratch_.Make("seven.bin", "1234567");
    ExpectAnswers({{"SIZE", ",%five.bin", 5}});
    EXPECT_TRUE(zel().io().Files().empty());
    const std::string five = std::to_string(OpenFile("five.bin"));
    OpenFile("three.bin");
    ExpectAnswers({{"SIZE", "", 3}, {"SIZE", five, 5}});
    EXPECT_EQ(Number("HFILE"), std::stoi(five));
    // By name the current file stays; given both, the legacy numbering takes the name.
    ExpectAnswers({{"SIZE", ",%three.bin", 3}, {"SIZE", five + ",%seven.bin", 7}});
    EXPECT_EQ(Number("HFILE"), std::stoi(five));
}

// A switch that fails leaves the file as the table of FailureTest shows.
TEST_F(FileMethodsTest, SwitchModeReopensAtTheSamePosition) {
    scratch_.Make("s.bin", "0123456789abcdefghij");
    OpenFile("s.bin", 0);
    ExpectAnswers({{"JUMP", "10", 10}});
    const tavrel::CallResult r = Call("SWITCHMODE", "1");
    ASSERT_EQ(r.code, 1);
    EXPECT_EQ(Number("HFILE"), r.value);
    EXPECT_EQ(zel().io().HFile().file()->mode(), 1);
    EXPECT_EQ(zel().io().Files().size(), 1u);
    // Methods without hFile argument work on the switched file.
    ExpectAnswers({{"GETPOS", "", 10}, {"SIZE", "", 20}});
}

// What the call leaves of a.bin: still open at its position 3 or closed,
// and whether HFILE still selects it.
enum class Ends { Kept, KeptUnselected, Closed, ClosedUnselected };
using Steps = std::vector<std::pair<const char*, std::string>>;  // method and arguments

struct FailureCase {
    const char* name;
    bool current;  // NEWACTIONS 1
    const char* method;
    std::string args;  // "%" stands for the scratch folder, "#" for the handle of a.bin
    int32_t code;
    double value;
    int32_t error, syserr;
    Ends ends = Ends::Kept;
    std::optional<VfsOp> fault = {};  // fails with cause after `after` calls of it
    FileCause cause = FileCause::None;
    int after = 0;
    Steps before = {};  // calls that succeed first, in the same numbering
};

FailureCase After(Steps before, FailureCase c) {
    c.before = std::move(before);
    return c;
}

class FailureTest : public FileMethodsTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureTest, ReportsAndLeavesTheOpenFile) {
    const FailureCase& c = GetParam();
    FailingVfs& layer = UseFailingVfs();
    scratch_.Make("b.bin", "b");  // a file that is not open
    const int32_t h = OpenFile("a.bin");
    ASSERT_EQ(Call("JUMP", "3").value, 3);
    UseNewActions(c.current);
    for (const auto& [method, args] : c.before) ASSERT_EQ(Call(method, Expand(args, h)).code, 1) << method;
    UseNewActions(c.current);  // a RESET among them put NEWACTIONS back to 0
    const size_t listed = zel().io().Files().size();
    if (c.fault) layer.Fail(*c.fault, c.cause, c.after);
    const tavrel::CallResult r = Call(c.method, Expand(c.args, h));
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.value, c.value);
    EXPECT_EQ(Error(), c.error);
    EXPECT_EQ(SysErr(), c.syserr);
    // A failing call lists no new entry and drops none.
    EXPECT_EQ(zel().io().Files().size(), c.code == 2 ? listed : 0u);
    const bool selected = c.ends == Ends::Kept || c.ends == Ends::Closed;
    EXPECT_EQ(Number("HFILE"), selected ? h : -1);
    layer.Clear();
    const bool kept = c.ends == Ends::Kept || c.ends == Ends::KeptUnselected;
    const tavrel::CallResult position = Call("GETPOS", std::to_string(h));
    EXPECT_EQ(position.code, kept ? 1 : 2);
    if (kept) {
        EXPECT_EQ(position.value, 3);
    }
    // Whatever the failure left listed, CLOSEALL closes.
    EXPECT_EQ(Call("CLOSEALL").code, 1);
    EXPECT_TRUE(zel().io().Files().empty());
    EXPECT_EQ(layer.OpenDescriptors(), 0);
}

constexpr bool L = false, C = true;  // the legacy and the current numbering
constexpr double kMissing = ZEL_MISSING_VALUE;
using enum Ends;
using enum FileCause;

INSTANTIATE_TEST_SUITE_P(
    Calls, FailureTest,
    ::testing::Values(
        // OPEN checks the low byte of its mode; a failed open selects no file.
        FailureCase{"OpenModeL", L, "OPEN", "%m.bin,3", 2, -1, 3, 0},
        FailureCase{"OpenModeC", C, "OPEN", "%m.bin,3", 2, -1, 12, 0},
        FailureCase{"OpenNegativeModeC", C, "OPEN", "%m.bin,-1", 2, -1, 12, 0},
        // RESET leaves no name stored.
        After({{"RESET", ""}}, {"OpenWithoutANameL", L, "OPEN", "", 2, -1, 1153, 0, KeptUnselected}),
        After({{"RESET", ""}}, {"OpenWithoutANameC", C, "OPEN", ",1", 2, -1, 261, 0, KeptUnselected}),
        FailureCase{"OpenInAMissingFolderL", L, "OPEN", "%no/such/file.bin,0", 2, -1, 1153, 0, KeptUnselected},
        FailureCase{"OpenInAMissingFolderC", C, "OPEN", "%no/such/file.bin,0", 2, -1, 22, 3, KeptUnselected},
        FailureCase{"OpenAFolderC", C, "OPEN", "%,0", 2, -1, 22, 5, KeptUnselected},
        // Writing lets others read only.
        After({{"OPEN", "%b.bin,1"}}, {"OpenSharedC", C, "OPEN", "%b.bin,1", 2, -1, 22, 11, KeptUnselected}),
        // A missing file is created by a second open: that one fails.
        FailureCase{"FailedCreateC", C, "OPEN", "%x.bin", 2, -1, 21, 13, KeptUnselected, VfsOp::Open, DiskFull, 1},
        // A failed close keeps the entry; the current numbering selects nothing.
        FailureCase{"CloseL", L, "CLOSE", "", 2, kMissing, 1156, 28, Closed, VfsOp::Close, DiskFull},
        FailureCase{"CloseC", C, "CLOSE", "", 2, kMissing, 23, 10, ClosedUnselected, VfsOp::Close, HardIO},
        FailureCase{"CloseAllC", C, "CLOSEALL", "", 2, -1, 23, 12, Closed, VfsOp::Close, LockViolation},
        // The legacy numbering ignores a failing close.
        FailureCase{"CloseAllIgnoresItL", L, "CLOSEALL", "", 1, 0, 0, 0, Closed, VfsOp::Close, LockViolation},
        // After a close no file is current; the legacy HFILE keeps the closed number.
        After({{"CLOSE", ""}}, {"CloseWithoutAFileL", L, "CLOSE", "", 2, 0, 1024, 9, Closed}),
        After({{"CLOSE", ""}}, {"CloseWithoutAFileC", C, "CLOSE", "", 2, 0, 13, 0, ClosedUnselected}),
        After({{"CLOSE", ""}}, {"ClosedHandleC", C, "GETPOS", "#", 2, 0, 14, 0, ClosedUnselected}),
        // An hFile argument: negative, never handed out, or out of range.
        FailureCase{"NegativeHandleL", L, "GETPOS", "-5", 2, 0, 3, 0},
        FailureCase{"UnknownHandleL", L, "GETPOS", "99999", 2, 0, 1156, 9},
        FailureCase{"UnknownHandleC", C, "GETPOS", "99999", 2, 0, 14, 0},
        FailureCase{"HandleOutOfRangeC", C, "GETPOS", "100000", 2, 0, 13, 0},
        // Positions before the start, missing arguments, bad widths.
        FailureCase{"JumpBeforeTheStartL", L, "JUMP", "-4", 2, -1, 1156, 0},
        FailureCase{"SetposBeforeTheStartC", C, "SETPOS", "-1", 2, -1, 27, 9},
        FailureCase{"JumpChunkBeforeTheStartC", C, "JUMPCHUNK", "268435456,8", 2, -1, 27, 9},  // 2^31 wraps
        FailureCase{"SetposWithoutPositionL", L, "SETPOS", "", 2, kMissing, 65, 0},
        FailureCase{"SetposWithoutPositionC", C, "SETPOS", "", 2, kMissing, 10, 0},
        FailureCase{"JumpWithoutOffsetL", L, "JUMP", "", 2, kMissing, 10, 0},
        FailureCase{"JumpChunkWidthL", L, "JUMPCHUNK", "3,5", 2, kMissing, 3, 0},
        FailureCase{"JumpChunkWidthC", C, "JUMPCHUNK", "1,7", 2, kMissing, 12, 0},
        FailureCase{"SwitchModeWithoutModeL", L, "SWITCHMODE", "", 2, kMissing, 65, 0},
        FailureCase{"SwitchModeWithoutModeC", C, "SWITCHMODE", "", 2, kMissing, 10, 0},
        FailureCase{"SwitchModeBadModeL", L, "SWITCHMODE", "3", 2, kMissing, 3, 0},
        FailureCase{"SwitchModeBadModeC", C, "SWITCHMODE", "3", 2, kMissing, 12, 0},
        // The exclusive reopen of a file open twice fails; its entry stays listed.
        After({{"OPEN", "%a.bin,0"}}, {"SwitchModeSharedL", L, "SWITCHMODE", "1", 2, -1, 1153, 0, KeptUnselected}),
        After({{"OPEN", "%a.bin,0"}}, {"SwitchModeSharedC", C, "SWITCHMODE", "2", 2, -1, 22, 11, KeptUnselected}),
        // The file layer fails under a position.
        FailureCase{"GetposTellL", L, "GETPOS", "", 2, -1, 1156, 5, Kept, VfsOp::Tell, HardIO},
        FailureCase{"GetposTellC", C, "GETPOS", "", 2, -1, 26, 5, Kept, VfsOp::Tell, AccessDenied},
        FailureCase{"ToendSeekC", C, "TOEND", "", 2, -1, 27, 13, Kept, VfsOp::Seek, DiskFull},
        FailureCase{"RewindSeekC", C, "REWIND", "", 2, -1, 27, 9, Kept, VfsOp::Seek, BadSeek},
        FailureCase{"SwitchModeTellC", C, "SWITCHMODE", "1", 2, -1, 26, 10, Kept, VfsOp::Tell, HardIO},
        FailureCase{"SwitchModeCloseL", L, "SWITCHMODE", "0", 2, -1, 1156, 28, Closed, VfsOp::Close, DiskFull},
        FailureCase{"SwitchModeCloseC", C, "SWITCHMODE", "1", 2, -1, 23, 13, ClosedUnselected, VfsOp::Close,
                    DiskFull},
        // EXISTS, REMOVE and SIZE.
        FailureCase{"ExistsWithoutNameL", L, "EXISTS", "", 2, 0, 65, 0},
        FailureCase{"ExistsWithoutNameC", C, "EXISTS", "", 2, 0, 5, 0},
        FailureCase{"RemoveWithoutNameL", L, "REMOVE", "", 2, 0, 65, 0},
        FailureCase{"RemoveWithoutNameC", C, "REMOVE", "", 2, 0, 5, 0},
        FailureCase{"RemoveMissingL", L, "DELETE", "%gone.bin", 2, kMissing, 1156, 2},
        FailureCase{"RemoveMissingC", C, "REMOVE", "%gone.bin", 2, kMissing, 15, 0},
        FailureCase{"RemoveAnOpenFileL", L, "REMOVE", "%a.bin", 2, kMissing, 1156, 0},
        FailureCase{"RemoveAnOpenFileC", C, "REMOVE", "%a.bin", 2, kMissing, 24, 11},
        FailureCase{"RemoveAFolderC", C, "REMOVE", "%", 2, kMissing, 24, 5},
        FailureCase{"SizeOfHandleAndNameC", C, "SIZE", "#,%a.bin", 2, 0, 9, 0},
        FailureCase{"SizeOfAMissingFileL", L, "SIZE", ",%gone.bin", 2, kMissing, 1156, 2},
        FailureCase{"SizeOfAMissingFileC", C, "SIZE", ",%gone.bin", 2, -1, 15, 0},
        FailureCase{"SizeL", L, "SIZE", "", 2, kMissing, 1156, 5, Kept, VfsOp::Size, HardIO},
        FailureCase{"SizeC", C, "SIZE", "", 2, -1, 25, 10, Kept, VfsOp::Size, HardIO}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltest
