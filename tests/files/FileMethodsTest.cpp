// The file methods in both numberings: OPEN, CLOSE, CLOSEALL and the
// current file; GETPOS, SETPOS, REWIND, TOEND, JUMP, JUMPCHUNK and
// SWITCHMODE; EXISTS, REMOVE and SIZE. Their refusals and file-layer
// failures are rows of FailureTest.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "support/ZelFixture.h"

namespace zeltest {
namespace {

using zel::platform::FileCause;

class OpenCloseTest : public ZelFixture {
protected:
    tavrel::CallResult Open(const std::string& name, const std::string& mode = "") {
        return Call("OPEN", scratch_.PathOf(name) + (mode.empty() ? "" : "," + mode));
    }
};

TEST_F(OpenCloseTest, OpenCreatesAMissingFileEvenForReadingAndKeepsAnExistingOne) {
    tavrel::CallResult r = Open("new.bin", "0");
    ASSERT_EQ(r.code, 1);
    EXPECT_GE(r.value, 0);
    EXPECT_EQ(std::filesystem::file_size(scratch_.PathOf("new.bin")), 0u);
    EXPECT_EQ(Number("HFILE"), r.value);
    EXPECT_EQ(Text("FILENAME"), scratch_.PathOf("new.bin"));
    // Mode 0 grants read and write to others: a second open for reading works.
    tavrel::CallResult second = Open("new.bin", "0");
    ASSERT_EQ(second.code, 1);
    EXPECT_NE(second.value, r.value);
    EXPECT_EQ(Number("HFILE"), second.value);
    EXPECT_EQ(zel().io().Files().size(), 2u);

    scratch_.Make("old.bin", "content");
    ASSERT_EQ(Open("old.bin", "1").code, 1);
    EXPECT_EQ(ScratchDir::Contents(scratch_.PathOf("old.bin")), "content");
    EXPECT_EQ(Call("GETPOS").value, 0);
}

TEST_F(OpenCloseTest, OpenWithoutNameUsesTheStoredName) {
    // Nothing stored yet: refused, no current file.
    EXPECT_EQ(Call("OPEN").code, 2);
    EXPECT_EQ(Error(), 1153);
    EXPECT_EQ(SysErr(), 0);
    UseNewActions(true);
    EXPECT_EQ(Call("OPEN", ",1").code, 2);
    EXPECT_EQ(Error(), 261);
    EXPECT_EQ(Number("HFILE"), -1);
    // After a successful open the name is stored and reopened.
    ASSERT_EQ(Open("kept.bin").code, 1);
    ASSERT_EQ(Call("OPEN").code, 1);
    EXPECT_EQ(zel().io().Files().size(), 2u);
}

TEST_F(OpenCloseTest, OpenTakesTheLowByteOfItsModeOrTheModeProperty) {
    ASSERT_EQ(Open("m.bin", "256").code, 1);  // 256 keeps only its low byte: 0, read
    EXPECT_EQ(zel().io().HFile().file()->mode(), 0);
    SetNumber("MODE", 2);
    ASSERT_EQ(Call("OPEN", scratch_.PathOf("m2.bin")).code, 1);
    EXPECT_EQ(zel().io().HFile().file()->mode(), 2);
}

TEST_F(OpenCloseTest, SharingRulesBetweenOpens) {
    UseNewActions(true);
    ASSERT_EQ(Open("shared.bin", "1").code, 1);
    // Write access grants others read only.
    EXPECT_EQ(Open("shared.bin", "1").code, 2);
    EXPECT_EQ(Error(), 22);
    EXPECT_EQ(SysErr(), 11);
    EXPECT_EQ(Open("shared.bin", "2").code, 2);
    EXPECT_EQ(SysErr(), 11);
    // A reader is welcome: it grants the writer its write access.
    EXPECT_EQ(Open("shared.bin", "0").code, 1);
}

TEST_F(OpenCloseTest, CloseAndCloseAllEndTheEntriesAndTheSelection) {
    EXPECT_EQ(Call("CLOSEALL").value, 0);
    const int32_t first = OpenFile("a.bin");
    const int32_t second = OpenFile("b.bin");
    tavrel::CallResult r = Call("CLOSE", std::to_string(first));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 0);
    ASSERT_EQ(zel().io().Files().size(), 1u);
    EXPECT_EQ(zel().io().Files().files()[0]->Handle(), second);
    // No file is selected after a close; legacy keeps the closed number.
    EXPECT_EQ(Number("HFILE"), first);
    EXPECT_EQ(Call("CLOSE").code, 2);
    EXPECT_EQ(Error(), 1024);
    UseNewActions(true);
    EXPECT_EQ(Call("CLOSE", std::to_string(second)).code, 1);
    EXPECT_EQ(Number("HFILE"), -1);
    EXPECT_EQ(Call("CLOSE").code, 2);
    EXPECT_EQ(Error(), 13);
    OpenFile("c.bin");
    OpenFile("d.bin");
    r = Call("CLOSEALLFILES");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 0);
    EXPECT_TRUE(zel().io().Files().empty());
    EXPECT_EQ(Number("HFILE"), -1);
}

TEST_F(OpenCloseTest, CloseAllStopsAtAFailingClose) {
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

TEST_F(OpenCloseTest, HFileStoresAndChecks) {
    UseNewActions(true);
    EXPECT_EQ(SetNumber("HFILE", 100000), 2);
    EXPECT_EQ(Error(), 13);
    EXPECT_EQ(SetNumber("HFILE", 99999), 2);
    EXPECT_EQ(Error(), 14);
    EXPECT_EQ(SysErr(), 0);
    const int32_t h = OpenFile("a.bin");
    EXPECT_EQ(SetNumber("HFILE", h), 1);
    // Legacy: stored unchecked, refused by the next file method.
    UseNewActions(false);
    EXPECT_EQ(SetNumber("HFILE", 100000), 1);
    EXPECT_EQ(Call("GETPOS").code, 2);
    EXPECT_EQ(Error(), 1024);
}

TEST_F(OpenCloseTest, AnHFileArgumentChangesTheCurrentFile) {
    const int32_t first = OpenFile("a.bin");
    const int32_t second = OpenFile("b.bin");
    EXPECT_EQ(Number("HFILE"), second);
    EXPECT_EQ(Call("GETPOS", std::to_string(first)).code, 1);
    EXPECT_EQ(Number("HFILE"), first);
    // A closed number is refused until a newer file has it.
    ASSERT_EQ(Call("CLOSE", std::to_string(second)).code, 1);
    UseNewActions(true);
    EXPECT_EQ(Call("GETPOS", std::to_string(second)).code, 2);
    EXPECT_EQ(Error(), 14);
    EXPECT_EQ(OpenFile("c.bin"), second);  // the system hands the freed number out again
    EXPECT_EQ(Call("GETPOS", std::to_string(second)).code, 1);
    EXPECT_EQ(zel().io().HFile().file()->GetFilePath(), scratch_.PathOf("c.bin"));
}

class PositionTest : public ZelFixture {};

TEST_F(PositionTest, PositionsOfAFile) {
    OpenFile("empty.bin");
    tavrel::CallResult r = Call("TOBEGINNING");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 0);
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

TEST_F(PositionTest, JumpChunkMovesByWidthsAndWrapsIn32Bits) {
    OpenFile("a.bin");
    EXPECT_EQ(Call("JUMPCHUNK", "3,8").value, 24);
    SetNumber("NBYTES", 4);
    EXPECT_EQ(Call("JUMPCHUNKS", "3").value, 36);
    EXPECT_EQ(Call("JUMPCHUNK", "-2,10").value, 16);
    // A bad NBYTES stored unchecked is caught before the move.
    SetNumber("NBYTES", 6);
    EXPECT_EQ(Call("JUMPCHUNK", "1").code, 2);
    EXPECT_EQ(Error(), 3);
    UseNewActions(true);
    EXPECT_EQ(Call("JUMPCHUNK", "1").code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Call("REWIND").value, 0);
    // 536870912 * 8 is 2^32, which wraps to a move of 0; 536870913 * 8 to 8.
    EXPECT_EQ(Call("JUMPCHUNK", "536870912,8").value, 0);
    EXPECT_EQ(Call("JUMPCHUNK", "536870913,8").value, 8);
}

// Sizes and positions past what 32 bits hold.
TEST_F(PositionTest, PositionsAndSizesOfBigFiles) {
    const std::pair<const char*, uint64_t> files[] = {{"3g.bin", 3000000000u}, {"4g.bin", 4294967296u + 10}};
    for (const auto& [name, size] : files) {
        std::ofstream(scratch_.PathOf(name), std::ios::binary).flush();
        std::error_code sizing;
        std::filesystem::resize_file(scratch_.PathOf(name), size, sizing);
        if (sizing) GTEST_SKIP() << "no sparse files here";
    }
    OpenFile("3g.bin");
    // TOEND reports the end cut to 32 bits and read as signed.
    EXPECT_EQ(Call("TOEND").value, static_cast<int32_t>(3000000000u));
    // GETPOS refuses such a position.
    tavrel::CallResult legacy = Call("GETPOS");
    EXPECT_EQ(legacy.code, 2);
    EXPECT_EQ(legacy.value, ZEL_MISSING_VALUE);
    EXPECT_EQ(Error(), 1156);
    UseNewActions(true);
    EXPECT_EQ(Call("GETPOS").code, 2);
    EXPECT_EQ(Error(), 0);
    // SIZE cuts to 32 bits, by name and of the current file.
    EXPECT_EQ(Call("SIZE", "," + scratch_.PathOf("4g.bin")).value, 10);
    OpenFile("4g.bin");
    EXPECT_EQ(Call("SIZE").value, 10);
    EXPECT_EQ(Call("TOEND").value, 10);
}

class QueryTest : public ZelFixture {};

TEST_F(QueryTest, ExistsAndRemove) {
    const std::string path = scratch_.Make("here.txt", "abc");
    tavrel::CallResult yes = Call("EXISTS", path);
    EXPECT_EQ(yes.code, 1);
    EXPECT_EQ(yes.value, 1);
    tavrel::CallResult no = Call("EXIST", scratch_.PathOf("gone.txt"));
    EXPECT_EQ(no.code, 1);
    EXPECT_EQ(no.value, 0);
    EXPECT_EQ(Call("EXISTS", scratch_.path().string()).value, 1);
    tavrel::CallResult removed = Call("REMOVE", path);
    EXPECT_EQ(removed.code, 1);
    EXPECT_EQ(removed.value, 1);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(Call("EXISTS", path).value, 0);
}

TEST_F(QueryTest, SizeOfTheCurrentFileOfAHandleAndOfAName) {
    scratch_.Make("five.bin", "12345");
    scratch_.Make("three.bin", "123");
    EXPECT_EQ(Call("SIZE", "," + scratch_.PathOf("five.bin")).value, 5);
    EXPECT_TRUE(zel().io().Files().empty());
    const int32_t five = OpenFile("five.bin");
    OpenFile("three.bin");
    EXPECT_EQ(Call("SIZE").value, 3);
    EXPECT_EQ(Call("SIZE", std::to_string(five)).value, 5);
    EXPECT_EQ(Number("HFILE"), five);
    // By name: the current file stays.
    EXPECT_EQ(Call("SIZE", "," + scratch_.PathOf("three.bin")).value, 3);
    EXPECT_EQ(Number("HFILE"), five);
    // Both given in the legacy numbering: the name of this call is used.
    scratch_.Make("seven.bin", "1234567");
    EXPECT_EQ(Call("SIZE", std::to_string(five) + "," + scratch_.PathOf("seven.bin")).value, 7);
}

class SwitchModeTest : public ZelFixture {};

TEST_F(SwitchModeTest, ReopensAtTheSamePosition) {
    scratch_.Make("s.bin", "0123456789abcdefghij");
    OpenFile("s.bin", 0);
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
}

TEST_F(SwitchModeTest, AFileOpenTwiceCannotBeSwitched) {
    OpenFile("twice.bin", 0);
    OpenFile("twice.bin", 0);
    EXPECT_EQ(Call("SWITCHMODE", "1").code, 2);
    EXPECT_EQ(Error(), 1153);
    EXPECT_EQ(SysErr(), 0);
    OpenFile("twice.bin", 0);
    UseNewActions(true);
    tavrel::CallResult r = Call("SWITCHMODE", "2");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.value, -1);
    EXPECT_EQ(Error(), 22);
    EXPECT_EQ(SysErr(), 11);
    EXPECT_EQ(Number("HFILE"), -1);
    // The entries stay listed, the switched ones closed.
    EXPECT_EQ(Call("LISTALL").value, 3);
    EXPECT_FALSE(zel().io().Files().files()[2]->IsOpen());
    EXPECT_EQ(Call("CLOSEALL").code, 1);
}

// The file was reopened; only the position could not be restored.
TEST_F(SwitchModeTest, AFailedSeekAfterTheReopenKeepsTheNewMode) {
    FailingVfs& layer = UseFailingVfs();
    const int32_t h = OpenFile("t.bin", 0);
    UseNewActions(true);
    layer.Fail(VfsOp::Seek, FileCause::BadSeek);
    EXPECT_EQ(Call("SWITCHMODE", "2," + std::to_string(h)).code, 2);
    EXPECT_EQ(Error(), 27);
    EXPECT_EQ(zel().io().HFile().file()->mode(), 2);
}

}  // namespace
}  // namespace zeltest
