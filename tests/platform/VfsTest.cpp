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

class SystemErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(SystemErrorTest, MapsOntoTheCauseTable) {
    EXPECT_EQ(CauseFromSystemError(GetParam().code), GetParam().cause) << "code " << GetParam().code;
}

std::vector<ErrorCase> SystemErrorCases() {
#ifndef _WIN32
    return {
        {ENOENT, FileCause::FileNotFound},     {ENOTDIR, FileCause::BadPath},     {ENAMETOOLONG, FileCause::BadPath},
        {ELOOP, FileCause::BadPath},           {EINVAL, FileCause::BadPath},      {EMFILE, FileCause::TooManyOpenFiles},
        {ENFILE, FileCause::TooManyOpenFiles}, {EACCES, FileCause::AccessDenied}, {EPERM, FileCause::AccessDenied},
        {EROFS, FileCause::AccessDenied},      {EISDIR, FileCause::AccessDenied}, {EBADF, FileCause::InvalidFile},
        {ENOSPC, FileCause::DiskFull},         {EDQUOT, FileCause::DiskFull},     {EIO, FileCause::HardIO},
        {ESPIPE, FileCause::BadSeek},          {EOVERFLOW, FileCause::BadSeek},
        {0, FileCause::Generic},  // a failure without an error code is still a failure
    };
#else
    return {
        {ERROR_FILE_NOT_FOUND, FileCause::FileNotFound},     {ERROR_PATH_NOT_FOUND, FileCause::BadPath},
        {ERROR_INVALID_NAME, FileCause::BadPath},            {ERROR_BAD_PATHNAME, FileCause::BadPath},
        {ERROR_FILENAME_EXCED_RANGE, FileCause::BadPath},    {ERROR_INVALID_DRIVE, FileCause::BadPath},
        {ERROR_TOO_MANY_OPEN_FILES, FileCause::TooManyOpenFiles}, {ERROR_ACCESS_DENIED, FileCause::AccessDenied},
        {ERROR_WRITE_PROTECT, FileCause::AccessDenied},      {ERROR_INVALID_HANDLE, FileCause::InvalidFile},
        {ERROR_CURRENT_DIRECTORY, FileCause::RemoveCurrentDir}, {ERROR_CANNOT_MAKE, FileCause::DirectoryFull},
        {ERROR_SEEK, FileCause::BadSeek},                    {ERROR_NEGATIVE_SEEK, FileCause::BadSeek},
        {ERROR_CRC, FileCause::HardIO},                      {ERROR_READ_FAULT, FileCause::HardIO},
        {ERROR_WRITE_FAULT, FileCause::HardIO},              {ERROR_SHARING_VIOLATION, FileCause::SharingViolation},
        {ERROR_LOCK_VIOLATION, FileCause::LockViolation},    {ERROR_HANDLE_DISK_FULL, FileCause::DiskFull},
        {ERROR_DISK_FULL, FileCause::DiskFull},              {ERROR_HANDLE_EOF, FileCause::EndOfFile},
        {0, FileCause::Generic},
    };
#endif
}
INSTANTIATE_TEST_SUITE_P(ThisSystem, SystemErrorTest, ::testing::ValuesIn(SystemErrorCases()));

using SystemVfsTest = ScratchTest;

// Seek and Tell set and report the pointer past the end as well; a write
// there extends the file. Two opens of one file name the same file.
TEST_F(SystemVfsTest, ThePointerAndTheIdentity) {
    Vfs& vfs = SystemVfs();
    int32_t fd = -1, again = -1, other = -1;
    ASSERT_EQ(vfs.Open(Make("pointer", "abcdef"), Access::ReadWrite, Share::DenyNone, false, fd), FileCause::None);
    EXPECT_EQ(vfs.Seek(fd, 9), FileCause::None);
    EXPECT_EQ(vfs.Write(fd, "Z", 1), FileCause::None);
    uint64_t size = 0, at = 0;
    EXPECT_EQ(vfs.Size(fd, size), FileCause::None);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(vfs.Seek(fd, uint64_t{1} << 63), FileCause::BadSeek);
    EXPECT_EQ(vfs.Tell(fd, at), FileCause::None);
    EXPECT_EQ(at, 10u);
    EXPECT_EQ(Contents(PathOf("pointer")), std::string("abcdef") + std::string(3, '\0') + "Z");
    ASSERT_EQ(vfs.Open(PathOf("pointer"), Access::Read, Share::DenyNone, false, again), FileCause::None);
    ASSERT_EQ(vfs.Open(Make("other", ""), Access::Read, Share::DenyNone, false, other), FileCause::None);
    const int32_t fds[3] = {fd, again, other};
    FileIdentity ids[3];
    for (int i = 0; i < 3; ++i) EXPECT_EQ(vfs.Identify(fds[i], ids[i]), FileCause::None);
    EXPECT_EQ(ids[0], ids[1]);
    EXPECT_NE(ids[0], ids[2]);
    for (int32_t each : fds) EXPECT_EQ(vfs.Close(each), FileCause::None);
}

#ifndef _WIN32
// A FIFO without a writer must not block the open; it has no pointer to move.
TEST_F(SystemVfsTest, OpensAFifoWithoutHangingAndCannotSeekIt) {
    const std::string fifo = PathOf("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int32_t fd = -1;
    ASSERT_EQ(SystemVfs().Open(fifo, Access::Read, Share::DenyNone, false, fd), FileCause::None);
    EXPECT_GE(fd, 0);
    uint64_t at = 0;
    EXPECT_EQ(SystemVfs().Seek(fd, 0), FileCause::BadSeek);
    EXPECT_EQ(SystemVfs().Tell(fd, at), FileCause::BadSeek);
    EXPECT_EQ(SystemVfs().Close(fd), FileCause::None);
}
#endif

}  // namespace
}  // namespace zel::platform
