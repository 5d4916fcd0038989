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

// Reads and writes happen at the pointer and move it; Seek and Tell set and
// report it, past the end as well.
TEST_F(PosixVfsTest, ThePointerFollowsReadsWritesAndSeeks) {
    Vfs& vfs = PosixVfs();
    int32_t fd = -1;
    ASSERT_EQ(vfs.Open(PathOf("pointer"), Access::ReadWrite, true, fd), FileCause::None);
    uint64_t at = 99;
    EXPECT_EQ(vfs.Tell(fd, at), FileCause::None);
    EXPECT_EQ(at, 0u);
    EXPECT_EQ(vfs.Write(fd, "abcdef", 6), FileCause::None);
    EXPECT_EQ(vfs.Tell(fd, at), FileCause::None);
    EXPECT_EQ(at, 6u);
    EXPECT_EQ(vfs.Seek(fd, 2), FileCause::None);
    char buffer[8] = {};
    uint32_t got = 0;
    EXPECT_EQ(vfs.Read(fd, buffer, sizeof buffer, got), FileCause::None);
    EXPECT_EQ(std::string(buffer, got), "cdef");
    EXPECT_EQ(vfs.Tell(fd, at), FileCause::None);
    EXPECT_EQ(at, 6u);
    EXPECT_EQ(vfs.Seek(fd, 9), FileCause::None);
    EXPECT_EQ(vfs.Read(fd, buffer, sizeof buffer, got), FileCause::None);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(vfs.Write(fd, "Z", 1), FileCause::None);
    uint64_t size = 0;
    EXPECT_EQ(vfs.Size(fd, size), FileCause::None);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(vfs.Seek(fd, uint64_t{1} << 63), FileCause::BadSeek);
    EXPECT_EQ(vfs.Tell(fd, at), FileCause::None);
    EXPECT_EQ(at, 10u);
    EXPECT_EQ(vfs.Close(fd), FileCause::None);
    EXPECT_EQ(Contents(PathOf("pointer")), std::string("abcdef") + std::string(3, '\0') + "Z");
}

// A pipe has no pointer to move.
TEST_F(PosixVfsTest, APipeCannotSeek) {
    const std::string fifo = PathOf("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int32_t fd = -1;
    ASSERT_EQ(PosixVfs().Open(fifo, Access::Read, false, fd), FileCause::None);
    uint64_t at = 0;
    EXPECT_EQ(PosixVfs().Seek(fd, 0), FileCause::BadSeek);
    EXPECT_EQ(PosixVfs().Tell(fd, at), FileCause::BadSeek);
    EXPECT_EQ(PosixVfs().Close(fd), FileCause::None);
}

}  // namespace
}  // namespace zel::platform
