// OPEN, CLOSE, CLOSEALL and the current file, in both numberings,
// including the failures of the file layer through its fault switch.
#include <gtest/gtest.h>

#include <filesystem>

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

TEST_F(OpenCloseTest, OpenCreatesAMissingFileAndSelectsIt) {
    tavrel::CallResult r = Open("new.bin", "0");
    ASSERT_EQ(r.code, 1);
    EXPECT_GE(r.value, 0);
    EXPECT_TRUE(std::filesystem::exists(scratch_.PathOf("new.bin")));
    EXPECT_EQ(std::filesystem::file_size(scratch_.PathOf("new.bin")), 0u);
    EXPECT_EQ(Number("HFILE"), r.value);
    EXPECT_EQ(Text("FILENAME"), scratch_.PathOf("new.bin"));
    // Mode 0 grants read and write to others: a second open for reading works.
    tavrel::CallResult second = Open("new.bin", "0");
    ASSERT_EQ(second.code, 1);
    EXPECT_NE(second.value, r.value);
    EXPECT_EQ(Number("HFILE"), second.value);
    EXPECT_EQ(zel().io().Files().size(), 2u);
}

TEST_F(OpenCloseTest, OpenKeepsAnExistingFile) {
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
    tavrel::CallResult again = Call("OPEN");
    ASSERT_EQ(again.code, 1);
    EXPECT_EQ(zel().io().Files().size(), 2u);
}

TEST_F(OpenCloseTest, OpenModeIsCheckedOnItsLowByte) {
    scratch_.Make("m.bin", "x");
    EXPECT_EQ(Open("m.bin", "3").code, 2);
    EXPECT_EQ(Error(), 3);
    EXPECT_TRUE(zel().io().Files().empty());
    UseNewActions(true);
    tavrel::CallResult r = Open("m.bin", "3");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(r.value, -1);
    EXPECT_EQ(Open("m.bin", "-1").code, 2);
    // 256 keeps only its low byte: 0, read.
    ASSERT_EQ(Open("m.bin", "256").code, 1);
    EXPECT_EQ(zel().io().HFile().file()->mode(), 0);
    // Without a mode argument the MODE property is used.
    SetNumber("MODE", 2);
    ASSERT_EQ(Call("OPEN", scratch_.PathOf("m2.bin")).code, 1);
    EXPECT_EQ(zel().io().HFile().file()->mode(), 2);
}

struct OpenFailure {
    const char* what;
    int32_t error;      // current numbering
    int32_t syserr;
};

void PrintTo(const OpenFailure& c, std::ostream* out) {
    *out << c.what << ": ERROR " << c.error << ", SYSERR " << c.syserr;
}

class OpenFailures : public OpenCloseTest, public ::testing::WithParamInterface<OpenFailure> {
protected:
    std::string Target(const std::string& what) {
        if (what == "missing folder") return scratch_.PathOf("no/such/file.bin");
        if (what == "directory") return scratch_.path().string();
        if (what == "long name") return scratch_.PathOf(std::string(300, 'x'));
        return "";
    }
};

TEST_P(OpenFailures, ReportTheCauseAndSelectNoFile) {
    const OpenFailure& c = GetParam();
    const int32_t before = OpenFile("before.bin");
    ASSERT_GE(before, 0);
    tavrel::CallResult legacy = Call("OPEN", Target(c.what) + ",0");
    EXPECT_EQ(legacy.code, 2);
    EXPECT_EQ(Error(), 1153);
    EXPECT_EQ(SysErr(), 0);
    EXPECT_EQ(Number("HFILE"), -1);
    UseNewActions(true);
    tavrel::CallResult current = Call("OPEN", Target(c.what) + ",0");
    EXPECT_EQ(current.code, 2);
    EXPECT_EQ(current.value, -1);
    EXPECT_EQ(Error(), c.error);
    EXPECT_EQ(SysErr(), c.syserr);
    EXPECT_EQ(zel().io().Files().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Causes, OpenFailures,
                         ::testing::Values(OpenFailure{"missing folder", 22, 3},
                                           OpenFailure{"directory", 22, 5},
                                           OpenFailure{"long name", 22, 3}),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             for (char& ch : name) {
                                 if (ch == ' ') ch = '_';
                             }
                             return name;
                         });

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

TEST_F(OpenCloseTest, FailedCreateIsTwentyOne) {
    FailingVfs& layer = UseFailingVfs();
    UseNewActions(true);
    layer.Fail(VfsOp::Open, FileCause::FileNotFound);
    layer.Fail(VfsOp::Open, FileCause::DiskFull, 1);
    EXPECT_EQ(Open("x.bin").code, 2);
    EXPECT_EQ(Error(), 21);
    EXPECT_EQ(SysErr(), 13);
}

TEST_F(OpenCloseTest, CloseEndsTheEntryAndTheSelection) {
    const int32_t first = OpenFile("a.bin");
    const int32_t second = OpenFile("b.bin");
    tavrel::CallResult r = Call("CLOSE", std::to_string(first));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 0);
    ASSERT_EQ(zel().io().Files().size(), 1u);
    EXPECT_EQ(zel().io().Files().files()[0]->Handle(), second);
    // No file is selected after a close; legacy keeps the closed number.
    EXPECT_EQ(Number("HFILE"), first);
    EXPECT_EQ(Call("GETPOS").code, 2);
    EXPECT_EQ(Error(), 1024);
}

TEST_F(OpenCloseTest, CloseTwice) {
    OpenFile("a.bin");
    EXPECT_EQ(Call("CLOSE").code, 1);
    EXPECT_EQ(Call("CLOSE").code, 2);
    EXPECT_EQ(Error(), 1024);
    UseNewActions(true);
    OpenFile("b.bin");
    EXPECT_EQ(Call("CLOSE").code, 1);
    EXPECT_EQ(Number("HFILE"), -1);
    EXPECT_EQ(Call("CLOSE").code, 2);
    EXPECT_EQ(Error(), 13);
}

TEST_F(OpenCloseTest, CloseFailureKeepsTheEntry) {
    FailingVfs& layer = UseFailingVfs();
    const int32_t h = OpenFile("a.bin");
    layer.Fail(VfsOp::Close, FileCause::DiskFull);
    tavrel::CallResult legacy = Call("CLOSE");
    EXPECT_EQ(legacy.code, 2);
    EXPECT_EQ(legacy.value, ZEL_MISSING_VALUE);
    EXPECT_EQ(Error(), 1156);
    EXPECT_EQ(SysErr(), 28);
    EXPECT_EQ(zel().io().Files().size(), 1u);
    EXPECT_EQ(Number("HFILE"), h);

    UseNewActions(true);
    OpenFile("b.bin");
    layer.Fail(VfsOp::Close, FileCause::HardIO);
    EXPECT_EQ(Call("CLOSE").code, 2);
    EXPECT_EQ(Error(), 23);
    EXPECT_EQ(SysErr(), 10);
    EXPECT_EQ(zel().io().Files().size(), 2u);
    EXPECT_EQ(Number("HFILE"), -1);
    // CLOSEALL then clears the broken entries.
    EXPECT_EQ(Call("CLOSEALL").code, 1);
    EXPECT_TRUE(zel().io().Files().empty());
}

TEST_F(OpenCloseTest, CloseAllClosesEveryFile) {
    EXPECT_EQ(Call("CLOSEALL").value, 0);
    OpenFile("a.bin");
    OpenFile("b.bin");
    OpenFile("c.bin");
    UseNewActions(true);
    tavrel::CallResult r = Call("CLOSEALLFILES");
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
    // The first close succeeds, the second fails.
    layer.Fail(VfsOp::Close, FileCause::LockViolation, 1);
    tavrel::CallResult r = Call("CLOSEALL");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.value, -1);
    EXPECT_EQ(Error(), 23);
    EXPECT_EQ(SysErr(), 12);
    ASSERT_EQ(zel().io().Files().size(), 2u);
    EXPECT_EQ(zel().io().Files().files()[1]->Handle(), third);
    // The failed close released its file: it no longer has its number.
    EXPECT_EQ(zel().io().Files().FindFile(second), nullptr);
    // A second CLOSEALL finishes.
    EXPECT_EQ(Call("CLOSEALL").code, 1);
    EXPECT_TRUE(zel().io().Files().empty());
    // In the legacy numbering a failing close is ignored.
    UseNewActions(false);
    OpenFile("d.bin");
    layer.Fail(VfsOp::Close, FileCause::LockViolation);
    EXPECT_EQ(Call("CLOSEALL").code, 1);
    EXPECT_TRUE(zel().io().Files().empty());
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
    EXPECT_EQ(SetNumber("HFILE", -5), 1);
    EXPECT_EQ(Call("GETPOS", "-5").code, 2);
    EXPECT_EQ(Error(), 3);
    EXPECT_EQ(Call("GETPOS", "99999").code, 2);
    EXPECT_EQ(Error(), 1156);
    EXPECT_EQ(SysErr(), 9);
    UseNewActions(true);
    EXPECT_EQ(Call("GETPOS", "99999").code, 2);
    EXPECT_EQ(Error(), 14);
    EXPECT_EQ(Call("GETPOS", "100000").code, 2);
    EXPECT_EQ(Error(), 13);
    EXPECT_EQ(Call("GETPOS", std::to_string(h)).code, 1);
}

TEST_F(OpenCloseTest, AnHFileArgumentChangesTheCurrentFile) {
    const int32_t first = OpenFile("a.bin");
    const int32_t second = OpenFile("b.bin");
    EXPECT_EQ(Number("HFILE"), second);
    EXPECT_EQ(Call("GETPOS", std::to_string(first)).code, 1);
    EXPECT_EQ(Number("HFILE"), first);
    // A closed number is refused unless a newer file has it.
    ASSERT_EQ(Call("CLOSE", std::to_string(second)).code, 1);
    UseNewActions(true);
    tavrel::CallResult r = Call("GETPOS", std::to_string(second));
    if (zel().io().Files().FindFile(second) == nullptr) {
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(Error(), 14);
    }
    const int32_t third = OpenFile("c.bin");
    EXPECT_EQ(third, second);  // the system hands the freed number out again
    EXPECT_EQ(Call("GETPOS", std::to_string(second)).code, 1);
    EXPECT_EQ(zel().io().HFile().file()->GetFilePath(), scratch_.PathOf("c.bin"));
}

}  // namespace
}  // namespace zeltest
