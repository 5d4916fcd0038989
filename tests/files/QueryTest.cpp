// EXISTS, REMOVE and SIZE.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/File.h"
#include "support/ZelFixture.h"

namespace zeltest {
namespace {

using zel::platform::FileCause;

class QueryTest : public ZelFixture {};

TEST_F(QueryTest, Exists) {
    scratch_.Make("here.txt", "abc");
    tavrel::CallResult yes = Call("EXISTS", scratch_.PathOf("here.txt"));
    EXPECT_EQ(yes.code, 1);
    EXPECT_EQ(yes.value, 1);
    tavrel::CallResult no = Call("EXIST", scratch_.PathOf("gone.txt"));
    EXPECT_EQ(no.code, 1);
    EXPECT_EQ(no.value, 0);
    EXPECT_EQ(Call("EXISTS", scratch_.path().string()).value, 1);
}

TEST_F(QueryTest, NameArgumentIsRequired) {
    for (const char* method : {"EXISTS", "REMOVE", "DELETE"}) {
        UseNewActions(false);
        EXPECT_EQ(Call(method).code, 2) << method;
        EXPECT_EQ(Error(), 65);
        UseNewActions(true);
        EXPECT_EQ(Call(method, "").code, 2) << method;
        EXPECT_EQ(Error(), 5);
    }
}

TEST_F(QueryTest, RemoveByName) {
    const std::string path = scratch_.Make("doomed.txt", "x");
    tavrel::CallResult r = Call("REMOVE", path);
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 1);
    EXPECT_FALSE(std::filesystem::exists(path));

    tavrel::CallResult legacy = Call("DELETE", path);
    EXPECT_EQ(legacy.code, 2);
    EXPECT_EQ(legacy.value, ZEL_MISSING_VALUE);
    EXPECT_EQ(Error(), 1156);
    EXPECT_EQ(SysErr(), 2);
    UseNewActions(true);
    EXPECT_EQ(Call("REMOVE", path).code, 2);
    EXPECT_EQ(Error(), 15);
    EXPECT_EQ(SysErr(), 0);
}

TEST_F(QueryTest, RemoveRefusedByThePlatform) {
    const int32_t h = OpenFile("open.txt");
    ASSERT_GE(h, 0);
    // An open file cannot be removed.
    EXPECT_EQ(Call("REMOVE", scratch_.PathOf("open.txt")).code, 2);
    EXPECT_EQ(Error(), 1156);
    EXPECT_EQ(SysErr(), 0);
    UseNewActions(true);
    EXPECT_EQ(Call("REMOVE", scratch_.PathOf("open.txt")).code, 2);
    EXPECT_EQ(Error(), 24);
    EXPECT_EQ(SysErr(), 11);
    EXPECT_TRUE(std::filesystem::exists(scratch_.PathOf("open.txt")));
    // A directory is not a file to remove.
    EXPECT_EQ(Call("REMOVE", scratch_.path().string()).code, 2);
    EXPECT_EQ(Error(), 24);
    EXPECT_EQ(SysErr(), 5);
    // And any cause of the platform's remove is passed on.
    const std::string other = scratch_.Make("other.txt", "x");
    UseFailingVfs().Fail(VfsOp::Remove, FileCause::AccessDenied);
    EXPECT_EQ(Call("REMOVE", other).code, 2);
    EXPECT_EQ(Error(), 24);
    EXPECT_EQ(SysErr(), 5);
    EXPECT_TRUE(std::filesystem::exists(other));
}

TEST_F(QueryTest, SizeOfTheCurrentFileOfAHandleAndOfAName) {
    scratch_.Make("five.bin", "12345");
    scratch_.Make("three.bin", "123");
    EXPECT_EQ(Call("SIZE", std::string(",") + scratch_.PathOf("five.bin")).value, 5);
    EXPECT_TRUE(zel().io().Files().empty());
    const int32_t five = OpenFile("five.bin");
    const int32_t three = OpenFile("three.bin");
    EXPECT_EQ(Call("SIZE").value, 3);
    EXPECT_EQ(Call("SIZE", std::to_string(five)).value, 5);
    EXPECT_EQ(Number("HFILE"), five);
    // By name: the current file stays.
    EXPECT_EQ(Call("SIZE", std::string(",") + scratch_.PathOf("three.bin")).value, 3);
    EXPECT_EQ(Number("HFILE"), five);
    (void)three;
}

TEST_F(QueryTest, SizeRefusals) {
    FailingVfs& layer = UseFailingVfs();
    const int32_t h = OpenFile("a.bin");
    UseNewActions(true);
    EXPECT_EQ(Call("SIZE", std::to_string(h) + std::string(",") + scratch_.PathOf("a.bin")).code, 2);
    EXPECT_EQ(Error(), 9);
    EXPECT_EQ(Call("SIZE", std::string(",") + scratch_.PathOf("missing")).code, 2);
    EXPECT_EQ(Error(), 15);
    tavrel::CallResult r = Call("SIZE", std::string(",") + scratch_.PathOf("missing"));
    EXPECT_EQ(r.value, -1);
    UseNewActions(false);
    EXPECT_EQ(Call("SIZE", std::string(",") + scratch_.PathOf("missing")).code, 2);
    EXPECT_EQ(Error(), 1156);
    EXPECT_EQ(SysErr(), 2);
    // Both given in the legacy numbering: the name of this call is used.
    scratch_.Make("seven.bin", "1234567");
    EXPECT_EQ(Call("SIZE", std::to_string(h) + std::string(",") + scratch_.PathOf("seven.bin")).value, 7);

    layer.Fail(VfsOp::Size, FileCause::HardIO);
    EXPECT_EQ(Call("SIZE").code, 2);
    EXPECT_EQ(Error(), 1156);
    EXPECT_EQ(SysErr(), 5);
    UseNewActions(true);
    layer.Fail(VfsOp::Size, FileCause::HardIO);
    EXPECT_EQ(Call("SIZE").code, 2);
    EXPECT_EQ(Error(), 25);
    EXPECT_EQ(SysErr(), 10);
}

TEST_F(QueryTest, SizeAboveFourGigabytesIsCutTo32Bits) {
    const std::string path = scratch_.PathOf("big.bin");
    std::ofstream(path, std::ios::binary).flush();
    std::error_code sizing;
    std::filesystem::resize_file(path, 4294967296LL + 10, sizing);
    const bool sized = !sizing;
    if (!sized) GTEST_SKIP() << "no sparse files here";
    EXPECT_EQ(Call("SIZE", "," + path).value, 10);
    OpenFile("big.bin");
    EXPECT_EQ(Call("SIZE").value, 10);
    // The end of such a file is past what scripts can see as a position.
    EXPECT_EQ(Call("TOEND").value, 10);
}

}  // namespace
}  // namespace zeltest
