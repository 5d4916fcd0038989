#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Scratch.h"
#include "platform/Vfs.h"

namespace zel::platform {
namespace {

using test::ScratchTest;

TEST(FullPathTest, ResolvesDotsByName) {
    const std::string cwd = std::filesystem::current_path().string();
    const std::string root = cwd == "/" ? "" : cwd;
    struct Case {
        std::string in, out;
    };
    const std::vector<Case> cases = {
        {"/a/b/../c", "/a/c"},
        {"/a/./b//c", "/a/b/c"},
        {"/../..", "/"},
        {"/", "/"},
        {"/a/b/", "/a/b/"},
        {"/a/b/..", "/a"},
        {"x/../y", root + "/y"},
        {"./z", root + "/z"},
        {"q", root + "/q"},
    };
    for (const auto& c : cases) EXPECT_EQ(PosixVfs().FullPath(c.in), c.out) << c.in;
}

using PosixVfsTest = ScratchTest;

// A FIFO without a writer must not block the open.
TEST_F(PosixVfsTest, OpensFifoWithoutHanging) {
    const std::string fifo = PathOf("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int32_t fd = -1;
    ASSERT_EQ(PosixVfs().Open(fifo, Access::Read, false, fd), FileCause::None);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(PosixVfs().Close(fd), FileCause::None);
}

}  // namespace
}  // namespace zel::platform
