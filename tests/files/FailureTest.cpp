// Every refusal and file-layer failure of the file methods in one table: the
// code, answer, ERROR and SYSERR of the call in both numberings, and what is
// left of the file that was open.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/ZelFixture.h"

namespace zeltest {
namespace {

using zel::platform::FileCause;

// What the call leaves of a.bin: still open at its position 3 or closed,
// and whether HFILE still selects it.
enum class Ends { Kept, KeptUnselected, Closed, ClosedUnselected };

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
};

class FailureTest : public ZelFixture, public ::testing::WithParamInterface<FailureCase> {
protected:
    std::string Expand(std::string args, int32_t handle) {
        const std::string folder = scratch_.PathOf("");
        for (size_t at = args.find('%'); at != std::string::npos; at = args.find('%', at + folder.size())) {
            args.replace(at, 1, folder);
        }
        for (size_t at = args.find('#'); at != std::string::npos; at = args.find('#')) {
            args.replace(at, 1, std::to_string(handle));
        }
        return args;
    }
};

TEST_P(FailureTest, ReportsAndLeavesTheOpenFile) {
    const FailureCase& c = GetParam();
    FailingVfs& layer = UseFailingVfs();
    scratch_.Make("b.bin", "b");  // a file that is not open
    const int32_t h = OpenFile("a.bin");
    ASSERT_EQ(Call("JUMP", "3").value, 3);
    UseNewActions(c.current);
    if (c.fault) layer.Fail(*c.fault, c.cause, c.after);
    const tavrel::CallResult r = Call(c.method, Expand(c.args, h));
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.value, c.value);
    EXPECT_EQ(Error(), c.error);
    EXPECT_EQ(SysErr(), c.syserr);
    // A failing call lists no new entry and drops none.
    EXPECT_EQ(zel().io().Files().size(), c.code == 2 ? 1u : 0u);
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
        FailureCase{"OpenInAMissingFolderL", L, "OPEN", "%no/such/file.bin,0", 2, -1, 1153, 0, KeptUnselected},
        FailureCase{"OpenInAMissingFolderC", C, "OPEN", "%no/such/file.bin,0", 2, -1, 22, 3, KeptUnselected},
        FailureCase{"OpenAFolderC", C, "OPEN", "%,0", 2, -1, 22, 5, KeptUnselected},
        // A missing file is created by a second open: that one fails.
        FailureCase{"FailedCreateC", C, "OPEN", "%x.bin", 2, -1, 21, 13, KeptUnselected, VfsOp::Open, DiskFull, 1},
        // A failed close keeps the entry; the current numbering selects nothing.
        FailureCase{"CloseL", L, "CLOSE", "", 2, kMissing, 1156, 28, Closed, VfsOp::Close, DiskFull},
        FailureCase{"CloseC", C, "CLOSE", "", 2, kMissing, 23, 10, ClosedUnselected, VfsOp::Close, HardIO},
        FailureCase{"CloseAllC", C, "CLOSEALL", "", 2, -1, 23, 12, Closed, VfsOp::Close, LockViolation},
        // The legacy numbering ignores a failing close.
        FailureCase{"CloseAllIgnoresItL", L, "CLOSEALL", "", 1, 0, 0, 0, Closed, VfsOp::Close, LockViolation},
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
        FailureCase{"JumpChunkWithoutCountL", L, "JUMPCHUNK", ",4", 2, kMissing, 10, 0},
        FailureCase{"JumpChunkWidthL", L, "JUMPCHUNK", "3,5", 2, kMissing, 3, 0},
        FailureCase{"JumpChunkWidthC", C, "JUMPCHUNK", "1,7", 2, kMissing, 12, 0},
        FailureCase{"SwitchModeWithoutModeL", L, "SWITCHMODE", "", 2, kMissing, 65, 0},
        FailureCase{"SwitchModeWithoutModeC", C, "SWITCHMODE", "", 2, kMissing, 10, 0},
        FailureCase{"SwitchModeBadModeL", L, "SWITCHMODE", "3", 2, kMissing, 3, 0},
        FailureCase{"SwitchModeBadModeC", C, "SWITCHMODE", "3", 2, kMissing, 12, 0},
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
        FailureCase{"RemoveRefusedC", C, "REMOVE", "%b.bin", 2, kMissing, 24, 5, Kept, VfsOp::Remove, AccessDenied},
        FailureCase{"SizeOfHandleAndNameC", C, "SIZE", "#,%a.bin", 2, 0, 9, 0},
        FailureCase{"SizeOfAMissingFileL", L, "SIZE", ",%gone.bin", 2, kMissing, 1156, 2},
        FailureCase{"SizeOfAMissingFileC", C, "SIZE", ",%gone.bin", 2, -1, 15, 0},
        FailureCase{"SizeL", L, "SIZE", "", 2, kMissing, 1156, 5, Kept, VfsOp::Size, HardIO},
        FailureCase{"SizeC", C, "SIZE", "", 2, -1, 25, 10, Kept, VfsOp::Size, HardIO}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeltest
