// GETPOS, SETPOS, REWIND, TOEND, JUMP, JUMPCHUNK and SWITCHMODE.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "support/ZelFixture.h"

namespace zeltest {
namespace {

using zel::platform::FileCause;

class PositionTest : public ZelFixture {};

TEST_F(PositionTest, PositionsOfAFile) {
    scratch_.Make("four.bin", "abcd");
    OpenFile("four.bin");
    EXPECT_EQ(Call("GETPOS").value, 0);
    EXPECT_EQ(Call("TOEND").value, 4);
    EXPECT_EQ(Call("GETPOS").value, 4);
    EXPECT_EQ(Call("REWIND").value, 0);
    EXPECT_EQ(Call("SETPOS", "10").value, 10);
    EXPECT_EQ(Call("GETPOS").value, 10);
    EXPECT_EQ(Call("JUMP", "-3").value, 7);
    EXPECT_EQ(Call("TOSTART").value, 0);
    EXPECT_EQ(Call("FASTFORWARD").value, 4);
}

TEST_F(PositionTest, RewindOfAnEmptyFile) {
    OpenFile("empty.bin");
    tavrel::CallResult r = Call("TOBEGINNING");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 0);
}

TEST_F(PositionTest, MovesBeforeTheStartAreRefused) {
    OpenFile("a.bin");
    tavrel::CallResult legacy = Call("JUMP", "-1");
    EXPECT_EQ(legacy.code, 2);
    EXPECT_EQ(legacy.value, -1);
    EXPECT_EQ(Error(), 1156);
    EXPECT_EQ(SysErr(), 0);
    UseNewActions(true);
    EXPECT_EQ(Call("SETPOS", "-1").code, 2);
    EXPECT_EQ(Error(), 27);
    EXPECT_EQ(SysErr(), 9);
    EXPECT_EQ(Call("GETPOS").value, 0);
}

TEST_F(PositionTest, MissingArguments) {
    OpenFile("a.bin");
    EXPECT_EQ(Call("SETPOS").code, 2);
    EXPECT_EQ(Error(), 65);
    EXPECT_EQ(Call("JUMP").code, 2);
    EXPECT_EQ(Error(), 10);
    EXPECT_EQ(Call("JUMPCHUNK", ",4").code, 2);
    EXPECT_EQ(Error(), 10);
    UseNewActions(true);
    EXPECT_EQ(Call("SETPOS").code, 2);
    EXPECT_EQ(Error(), 10);
}

TEST_F(PositionTest, JumpChunkByWidths) {
    OpenFile("a.bin");
    EXPECT_EQ(Call("JUMPCHUNK", "3,8").value, 24);
    SetNumber("NBYTES", 4);
    EXPECT_EQ(Call("JUMPCHUNKS", "3").value, 36);
    EXPECT_EQ(Call("JUMPCHUNK", "-2,10").value, 16);
    // A bad width argument: 258 in the legacy numbering, 268 in the current.
    tavrel::CallResult bad = Call("JUMPCHUNK", "3,5");
    EXPECT_EQ(bad.code, 2);
    EXPECT_EQ(Error(), 3);
    EXPECT_EQ(Call("GETPOS").value, 16);
    // A bad NBYTES stored unchecked is caught before the move.
    SetNumber("NBYTES", 6);
    EXPECT_EQ(Call("JUMPCHUNK", "1").code, 2);
    EXPECT_EQ(Error(), 3);
    UseNewActions(true);
    EXPECT_EQ(Call("JUMPCHUNK", "1").code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("JUMPCHUNK", "1,7").code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("GETPOS").value, 16);
}

TEST_F(PositionTest, JumpChunkDistanceWrapsIn32Bits) {
    OpenFile("a.bin");
    // 536870912 * 8 is 2^32, which wraps to a move of 0.
    EXPECT_EQ(Call("JUMPCHUNK", "536870912,8").value, 0);
    // 536870913 * 8 wraps to 8.
    EXPECT_EQ(Call("JUMPCHUNK", "536870913,8").value, 8);
    // 268435456 * 8 is 2^31, which wraps to a move backwards past the start.
    EXPECT_EQ(Call("JUMPCHUNK", "268435456,8").code, 2);
    EXPECT_EQ(Call("GETPOS").value, 8);
}

TEST_F(PositionTest, FileLayerFailures) {
    FailingVfs& layer = UseFailingVfs();
    OpenFile("a.bin");
    layer.Fail(VfsOp::Tell, FileCause::HardIO);
    tavrel::CallResult legacy = Call("GETPOS");
    EXPECT_EQ(legacy.code, 2);
    EXPECT_EQ(legacy.value, -1);
    EXPECT_EQ(Error(), 1156);
    EXPECT_EQ(SysErr(), 5);
    UseNewActions(true);
    layer.Fail(VfsOp::Tell, FileCause::AccessDenied);
    EXPECT_EQ(Call("GETPOS").code, 2);
    EXPECT_EQ(Error(), 26);
    EXPECT_EQ(SysErr(), 5);
    layer.Fail(VfsOp::Seek, FileCause::DiskFull);
    EXPECT_EQ(Call("TOEND").code, 2);
    EXPECT_EQ(Error(), 27);
    EXPECT_EQ(SysErr(), 13);
    layer.Fail(VfsOp::Seek, FileCause::BadSeek);
    EXPECT_EQ(Call("REWIND").value, -1);
    EXPECT_EQ(Error(), 27);
}

TEST_F(PositionTest, PositionsBeyondTwoGigabytes) {
    const std::string path = scratch_.PathOf("big.bin");
    std::ofstream(path, std::ios::binary).flush();
    std::error_code sizing;
    std::filesystem::resize_file(path, 3000000000LL, sizing);
    const bool sized = !sizing;
    if (!sized) GTEST_SKIP() << "no sparse files here";
    OpenFile("big.bin");
    // TOEND reports the end cut to 32 bits and read as signed.
    EXPECT_EQ(Call("TOEND").value, static_cast<int32_t>(3000000000u));
    // GETPOS refuses such a position: legacy ERROR 1156, code 2 in both.
    tavrel::CallResult legacy = Call("GETPOS");
    EXPECT_EQ(legacy.code, 2);
    EXPECT_EQ(legacy.value, ZEL_MISSING_VALUE);
    EXPECT_EQ(Error(), 1156);
    UseNewActions(true);
    EXPECT_EQ(Call("GETPOS").code, 2);
    EXPECT_EQ(Error(), 0);
}

class SwitchModeTest : public ZelFixture {};

TEST_F(SwitchModeTest, ReopensAtTheSamePosition) {
    scratch_.Make("s.bin", "0123456789abcdefghij");
    const int32_t h = OpenFile("s.bin", 0);
    EXPECT_EQ(Call("JUMP", "10").value, 10);
    tavrel::CallResult r = Call("SWITCHMODE", "1");
    ASSERT_EQ(r.code, 1);
    EXPECT_GE(r.value, 0);
    EXPECT_EQ(Number("HFILE"), r.value);
    EXPECT_EQ(zel().io().HFile().file()->mode(), 1);
    EXPECT_EQ(zel().io().Files().size(), 1u);
    // Methods without hFile argument work on the switched file.
    EXPECT_EQ(Call("GETPOS").value, 10);
    EXPECT_EQ(Call("SIZE").value, 20);
    (void)h;
}

TEST_F(SwitchModeTest, ArgumentRefusalsLeaveTheFileAlone) {
    OpenFile("s.bin", 0);
    Call("JUMP", "3");
    EXPECT_EQ(Call("SWITCHMODE").code, 2);
    EXPECT_EQ(Error(), 65);
    EXPECT_EQ(Call("SWITCHMODE", "3").code, 2);
    EXPECT_EQ(Error(), 3);
    UseNewActions(true);
    tavrel::CallResult r = Call("SWITCHMODE", "3");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.value, ZEL_MISSING_VALUE);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("SWITCHMODE").code, 2);
    EXPECT_EQ(Error(), 10);
    EXPECT_EQ(Call("GETPOS").value, 3);
}

TEST_F(SwitchModeTest, AFileOpenTwiceCannotBeSwitched) {
    OpenFile("twice.bin", 0);
    OpenFile("twice.bin", 0);
    UseNewActions(true);
    tavrel::CallResult r = Call("SWITCHMODE", "2");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.value, -1);
    EXPECT_EQ(Error(), 22);
    EXPECT_EQ(SysErr(), 11);
    EXPECT_EQ(Number("HFILE"), -1);
    // The entry stays listed, closed.
    EXPECT_EQ(Call("LISTALL").value, 2);
    EXPECT_FALSE(zel().io().Files().files()[1]->IsOpen());
    EXPECT_EQ(Call("CLOSEALL").code, 1);
}

TEST_F(SwitchModeTest, LegacyReopenFailure) {
    OpenFile("twice.bin", 0);
    OpenFile("twice.bin", 0);
    EXPECT_EQ(Call("SWITCHMODE", "1").code, 2);
    EXPECT_EQ(Error(), 1153);
    EXPECT_EQ(SysErr(), 0);
}

TEST_F(SwitchModeTest, FileLayerFailures) {
    FailingVfs& layer = UseFailingVfs();
    OpenFile("s.bin", 0);
    UseNewActions(true);
    layer.Fail(VfsOp::Tell, FileCause::HardIO);
    EXPECT_EQ(Call("SWITCHMODE", "1").code, 2);
    EXPECT_EQ(Error(), 26);
    EXPECT_TRUE(zel().io().HFile().file()->IsOpen());

    layer.Fail(VfsOp::Close, FileCause::DiskFull);
    tavrel::CallResult closeFailed = Call("SWITCHMODE", "1");
    EXPECT_EQ(closeFailed.code, 2);
    EXPECT_EQ(closeFailed.value, -1);
    EXPECT_EQ(Error(), 23);
    EXPECT_EQ(SysErr(), 13);
    EXPECT_EQ(Number("HFILE"), -1);

    Call("CLOSEALL");
    const int32_t h = OpenFile("t.bin", 0);
    layer.Fail(VfsOp::Seek, FileCause::BadSeek);
    tavrel::CallResult seekFailed = Call("SWITCHMODE", "2," + std::to_string(h));
    EXPECT_EQ(seekFailed.code, 2);
    EXPECT_EQ(Error(), 27);
    // The file was reopened; only the position could not be restored.
    EXPECT_EQ(zel().io().HFile().file()->mode(), 2);

    UseNewActions(false);
    layer.Fail(VfsOp::Close, FileCause::DiskFull);
    EXPECT_EQ(Call("SWITCHMODE", "0").code, 2);
    EXPECT_EQ(Error(), 1156);
    EXPECT_EQ(SysErr(), 28);
}

}  // namespace
}  // namespace zeltest
