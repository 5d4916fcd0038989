// The file layer of this system: names, error codes and the pointer. Tests
// that need a facility of one system only (a FIFO, a drive letter) have a
// variant for each system with the same assertions.
#ifndef _WIN32
#include <sys/stat.h>
#else
#include <windows.h>
#endif

#include <cerrno>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "Scratch.h"
#include "platform/Vfs.h"

namespace zel::platform {
namespace {

using test::ScratchTest;

struct NameCase {
    std::string in, out;
};
void PrintTo(const NameCase& c, std::ostream* out) { *out << '"' << c.in << "\" -> \"" << c.out << '"'; }

class FullPathTest : public ::testing::TestWithParam<NameCase> {};

// "." and ".." are resolved by name; relative names are taken from the
// current folder.
TEST_P(FullPathTest, ResolvesDotsByName) {
    EXPECT_EQ(SystemVfs().FullPath(GetParam().in), GetParam().out);
}

std::vector<NameCase> FullPathCases() {
    const std::string cwd = std::filesystem::current_path().string();
#ifndef _WIN32
    const std::string root = cwd == "/" ? "" : cwd;
    return {
        {"/a/b/../c", "/a/c"}, {"/a/./b//c", "/a/b/c"}, {"/../..", "/"},
        {"/", "/"},            {"/a/b/", "/a/b/"},      {"/a/b/..", "/a"},
        {"x/../y", root + "/y"}, {"./z", root + "/z"},  {"q", root + "/q"},
    };
#else
    // Windows: backslashes, and the drive of a rooted name.
    const std::string root = cwd.size() > 3 && cwd.back() != '\\' ? cwd : cwd.substr(0, cwd.size() - 1);
    const std::string drive = cwd.substr(0, 2);
    return {
        {"C:\\a\\b\\..\\c", "C:\\a\\c"}, {"C:/a/./b//c", "C:\\a\\b\\c"}, {"C:\\..\\..", "C:\\"},
        {"C:\\", "C:\\"},                {"C:\\a\\b\\", "C:\\a\\b\\"},   {"C:/a/b/..", "C:\\a"},
        {"x/../y", root + "\\y"},        {".\\z", root + "\\z"},         {"q", root + "\\q"},
        {"\\top", drive + "\\top"},
    };
#endif
}
INSTANTIATE_TEST_SUITE_P(ThisSystem, FullPathTest, ::testing::ValuesIn(FullPathCases()));

class FileNameTest : public ::testing::TestWithParam<NameCase> {};

// LISTALL's Name column: the part after the last separator.
TEST_P(FileNameTest, IsThePartAfterTheLastSeparator) {
    EXPECT_EQ(FileNameOf(GetParam().in), GetParam().out);
}

std::vector<NameCase> FileNameCases() {
    std::vector<NameCase> cases = {{"/a/b/data.bin", "data.bin"}, {"data.bin", "data.bin"},
                                   {"/a/b/", ""}, {"", ""}};
#ifndef _WIN32
    cases.push_back({"/a/b\\c.bin", "b\\c.bin"});  // a backslash is part of a name
    cases.push_back({"/a/c:d.bin", "c:d.bin"});
#else
    cases.push_back({"C:\\a\\b\\c.bin", "c.bin"});
    cases.push_back({"C:\\a/b\\c.bin", "c.bin"});
    cases.push_back({"C:c.bin", "c.bin"});
#endif
    return cases;
}
INSTANTIATE_TEST_SUITE_P(ThisSystem, FileNameTest, ::testing::ValuesIn(FileNameCases()));

struct ErrorCase {
    int64_t code;
    FileCause cause;
};
void PrintTo(const ErrorCase& c, std::ostream* out) {
    *out << "code " << c.code << " -> cause " << static_cast<int>(c.cause);
}

class SystemErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SystemErrorTest, MapsOntoTheCauseTable) {
    EXPECT_EQ(CauseFromSystemError(GetParam().code), GetParam().cause);
}

std::vector<ErrorCase> SystemErrorCases() {
#ifndef _WIN32
    return {
        {ENOENT, FileCause::FileNotFound},   {ENOTDIR, FileCause::BadPath},
        {ENAMETOOLONG, FileCause::BadPath},  {ELOOP, FileCause::BadPath},
        {EINVAL, FileCause::BadPath},        {EMFILE, FileCause::TooManyOpenFiles},
        {ENFILE, FileCause::TooManyOpenFiles}, {EACCES, FileCause::AccessDenied},
        {EPERM, FileCause::AccessDenied},    {EROFS, FileCause::AccessDenied},
        {EISDIR, FileCause::AccessDenied},   {EBADF, FileCause::InvalidFile},
        {ENOSPC, FileCause::DiskFull},       {EDQUOT, FileCause::DiskFull},
        {EIO, FileCause::HardIO},            {ESPIPE, FileCause::BadSeek},
        {EOVERFLOW, FileCause::BadSeek},     {EXDEV, FileCause::Generic},
        // A failure without an error code is still a failure.
        {0, FileCause::Generic},
    };
#else
    return {
        {ERROR_FILE_NOT_FOUND, FileCause::FileNotFound},
        {ERROR_PATH_NOT_FOUND, FileCause::BadPath},
        {ERROR_INVALID_NAME, FileCause::BadPath},
        {ERROR_BAD_PATHNAME, FileCause::BadPath},
        {ERROR_FILENAME_EXCED_RANGE, FileCause::BadPath},
        {ERROR_INVALID_DRIVE, FileCause::BadPath},
        {ERROR_TOO_MANY_OPEN_FILES, FileCause::TooManyOpenFiles},
        {ERROR_ACCESS_DENIED, FileCause::AccessDenied},
        {ERROR_WRITE_PROTECT, FileCause::AccessDenied},
        {ERROR_INVALID_HANDLE, FileCause::InvalidFile},
        {ERROR_CURRENT_DIRECTORY, FileCause::RemoveCurrentDir},
        {ERROR_CANNOT_MAKE, FileCause::DirectoryFull},
        {ERROR_SEEK, FileCause::BadSeek},
        {ERROR_NEGATIVE_SEEK, FileCause::BadSeek},
        {ERROR_CRC, FileCause::HardIO},
        {ERROR_READ_FAULT, FileCause::HardIO},
        {ERROR_WRITE_FAULT, FileCause::HardIO},
        {ERROR_SHARING_VIOLATION, FileCause::SharingViolation},
        {ERROR_LOCK_VIOLATION, FileCause::LockViolation},
        {ERROR_HANDLE_DISK_FULL, FileCause::DiskFull},
        {ERROR_DISK_FULL, FileCause::DiskFull},
        {ERROR_HANDLE_EOF, FileCause::EndOfFile},
        {ERROR_NOT_ENOUGH_MEMORY, FileCause::Generic},
        {0, FileCause::Generic},
    };
#endif
}
INSTANTIATE_TEST_SUITE_P(ThisSystem, SystemErrorTest, ::testing::ValuesIn(SystemErrorCases()));

using SystemVfsTest = ScratchTest;

// Reads and writes happen at the pointer and move it; Seek and Tell set and
// report it, past the end as well.
TEST_F(SystemVfsTest, ThePointerFollowsReadsWritesAndSeeks) {
    Vfs& vfs = SystemVfs();
    int32_t fd = -1;
    ASSERT_EQ(vfs.Open(PathOf("pointer"), Access::ReadWrite, Share::DenyNone, true, fd), FileCause::None);
    EXPECT_GE(fd, 0);
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

// Two opens of one file name the same file; another file has another
// identity.
TEST_F(SystemVfsTest, IdentityTellsFilesApart) {
    Vfs& vfs = SystemVfs();
    int32_t a = -1, b = -1, c = -1;
    ASSERT_EQ(vfs.Open(Make("one", "1"), Access::Read, Share::DenyNone, false, a), FileCause::None);
    ASSERT_EQ(vfs.Open(PathOf("one"), Access::Read, Share::DenyNone, false, b), FileCause::None);
    ASSERT_EQ(vfs.Open(Make("two", "2"), Access::Read, Share::DenyNone, false, c), FileCause::None);
    FileIdentity ia, ib, ic;
    EXPECT_EQ(vfs.Identify(a, ia), FileCause::None);
    EXPECT_EQ(vfs.Identify(b, ib), FileCause::None);
    EXPECT_EQ(vfs.Identify(c, ic), FileCause::None);
    EXPECT_EQ(ia, ib);
    EXPECT_NE(ia, ic);
    for (int32_t fd : {a, b, c}) EXPECT_EQ(vfs.Close(fd), FileCause::None);
}

#ifndef _WIN32
// A FIFO without a writer must not block the open.
TEST_F(SystemVfsTest, OpensFifoWithoutHanging) {
    const std::string fifo = PathOf("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int32_t fd = -1;
    ASSERT_EQ(SystemVfs().Open(fifo, Access::Read, Share::DenyNone, false, fd), FileCause::None);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(SystemVfs().Close(fd), FileCause::None);
}

// A pipe has no pointer to move.
TEST_F(SystemVfsTest, APipeCannotSeek) {
    const std::string fifo = PathOf("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int32_t fd = -1;
    ASSERT_EQ(SystemVfs().Open(fifo, Access::Read, Share::DenyNone, false, fd), FileCause::None);
    uint64_t at = 0;
    EXPECT_EQ(SystemVfs().Seek(fd, 0), FileCause::BadSeek);
    EXPECT_EQ(SystemVfs().Tell(fd, at), FileCause::BadSeek);
    EXPECT_EQ(SystemVfs().Close(fd), FileCause::None);
}
#endif

}  // namespace
}  // namespace zel::platform
