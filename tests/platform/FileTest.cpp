// The file class (sharing, the read-ahead and what other handles write,
// positions, handles, the cause each failing call raises) and the file layer
// under it (names, identity, descriptors). Tests that need a facility of one
// system only (a FIFO, a drive letter) have a variant for each system.
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif

#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "platform/File.h"
#include "platform/Vfs.h"
#include "support/FailingVfs.h"
#include "support/ZelFixture.h"

namespace zel::platform {
namespace {

using zeltest::VfsOp;

// A scratch folder per test.
class FileTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return scratch_.PathOf(name); }
    std::string Make(const std::string& name, const std::string& bytes) const { return scratch_.Make(name, bytes); }
    static std::string Contents(const std::string& path) { return zeltest::ScratchDir::Contents(path); }

    zeltest::ScratchDir scratch_;
};

template <class Op>
FileCause CauseOf(Op&& op) {
    try {
        op();
    } catch (const FileException& e) {
        return e.cause();
    }
    return FileCause::None;
}

FileCause OpenCause(File& f, const std::string& path, OpenFlags flags) {
    FileException error;
    const bool ok = f.Open(path, flags, &error);
    EXPECT_EQ(ok, error.cause() == FileCause::None) << path;
    EXPECT_EQ(ok, f.IsOpen());
    return error.cause();
}

std::string ReadString(File& f, uint32_t count) {
    std::string s(count, '\0');
    s.resize(f.Read(s.data(), count));
    return s;
}

void WriteString(File& f, const std::string& s) { f.Write(s.data(), static_cast<uint32_t>(s.size())); }

std::string Text(std::span<const uint8_t> view) { return {view.begin(), view.end()}; }

constexpr OpenFlags kRead{Access::Read, Share::DenyNone, false};
constexpr OpenFlags kWrite{Access::Write, Share::DenyWrite, false};
constexpr OpenFlags kBoth{Access::ReadWrite, Share::DenyWrite, false};
constexpr OpenFlags kCreate{Access::Write, Share::DenyWrite, true};

// Row: the first open; column: whether each kind may open second.
TEST_F(FileTest, SecondOpensFollowTheSharingRules) {
    const OpenFlags kinds[] = {kRead, kWrite, kBoth, {Access::Read, Share::Exclusive, false},
                               {Access::Write, Share::Exclusive, false}, {Access::ReadWrite, Share::Exclusive, false}};
    const bool opens[6][6] = {{true, true, true, false, false, false},    // others read and write
                              {true, false, false, false, false, false},  // others read
                              {true, false, false, false, false, false},  // others read
                              {}, {}, {}};                                // exclusive
    const std::string path = Make("shared", "content");
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            SCOPED_TRACE(::testing::Message() << "first open " << i << ", second " << j);
            File first, second;
            ASSERT_EQ(OpenCause(first, path, kinds[i]), FileCause::None);
            EXPECT_EQ(OpenCause(second, path, kinds[j]), opens[i][j] ? FileCause::None : FileCause::SharingViolation);
            if (opens[i][j]) continue;
            first.Close();  // the refusal left nothing behind
            EXPECT_EQ(OpenCause(second, path, kinds[j]), FileCause::None);
        }
    }
}

TEST_F(FileTest, HandlesSeeEachOthersWritesAtOnce) {
    const std::string path = Make("two", "0123456789");
    File reader, writer, creator;
    ASSERT_EQ(OpenCause(reader, path, kRead), FileCause::None);
    ASSERT_EQ(OpenCause(writer, path, kWrite), FileCause::None);  // no create: the contents stay
    EXPECT_EQ(ReadString(reader, 1), "0");  // the whole file is now buffered
    writer.Seek(5, SeekFrom::Begin);
    WriteString(writer, "XY");
    EXPECT_EQ(ReadString(reader, 6), "1234XY");
    WriteString(writer, "Q");  // at 7, where the reader stands
    EXPECT_EQ(Text(reader.Peek()), "Q89");
    writer.Seek(0, SeekFrom::End);
    WriteString(writer, "tail");  // grows the file past the reader's buffer
    EXPECT_EQ(reader.GetLength(), 14u);
    EXPECT_EQ(ReadString(reader, 10), "Q89tail");
    // The writer lets others read only: a create is refused before it empties the file.
    EXPECT_EQ(OpenCause(creator, path, kCreate), FileCause::SharingViolation);
    EXPECT_EQ(Contents(path), "01234XYQ89tail");
    writer.Close();
    reader.Seek(0, SeekFrom::Begin);
    EXPECT_EQ(ReadString(reader, 1), "0");
    ASSERT_EQ(OpenCause(creator, path, kCreate), FileCause::None);  // empties the file
    EXPECT_EQ(ReadString(reader, 5), "");
}

TEST_F(FileTest, InterleavedReadWriteSeekOnOneHandle) {
    const std::string path = Make("mixed", "abcdefghij");
    File f;
    ASSERT_EQ(OpenCause(f, path, kBoth), FileCause::None);
    EXPECT_EQ(f.GetFilePath(), path);
    EXPECT_EQ(ReadString(f, 2), "ab");
    WriteString(f, "XY");
    EXPECT_EQ(ReadString(f, 2), "ef");
    EXPECT_EQ(f.Seek(-4, SeekFrom::Current), 2u);
    EXPECT_EQ(ReadString(f, 4), "XYef");
    EXPECT_EQ(f.Seek(3, SeekFrom::End), 13u);  // past the end: reads nothing, writes extend
    EXPECT_EQ(ReadString(f, 4), "");
    WriteString(f, "Z");
    EXPECT_EQ(f.GetLength(), 14u);
    EXPECT_EQ(f.Seek(0, SeekFrom::Begin), 0u);
    EXPECT_EQ(ReadString(f, 100), "abXYefghij" + std::string(3, '\0') + "Z");
    EXPECT_EQ(f.GetPosition(), 14u);
}

// Peek shows the read-ahead from the position on and Skip moves over it,
// never past the bytes shown. Reads, peeks and seeks inside the read-ahead
// reach no layer: the layer here fails nothing, it counts.
TEST_F(FileTest, TheReadAheadServesWhatItHolds) {
    constexpr uint32_t kSize = File::kReadBufferSize;
    std::string bytes(2 * kSize + 5, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
    const auto at = [&](std::size_t from, std::size_t n) { return bytes.substr(from, n); };
    const std::string path = Make("ahead", bytes);
    zeltest::FailingVfs layer;
    File f;
    {
        zeltest::ScopedVfs scope(layer);
        ASSERT_EQ(OpenCause(f, path, kRead), FileCause::None);
    }  // the open file keeps the layer it was opened through
    EXPECT_TRUE(Text(f.Peek()) == at(0, kSize));
    f.Skip(3);
    EXPECT_EQ(ReadString(f, 1), at(3, 1));
    EXPECT_EQ(f.Seek(1000, SeekFrom::Begin), 1000u);
    EXPECT_EQ(f.Seek(-500, SeekFrom::Current), 500u);
    EXPECT_EQ(Text(f.Peek()).substr(0, 2), at(500, 2));
    EXPECT_EQ(f.Seek(0, SeekFrom::Begin), 0u);          // the first byte read ahead
    EXPECT_EQ(f.Seek(kSize, SeekFrom::Begin), kSize);  // just past the last
    f.Skip(1);                                          // nothing is left to skip
    EXPECT_EQ(f.GetPosition(), kSize);
    EXPECT_EQ(layer.Calls(VfsOp::Read), 1);
    // Used up, the read-ahead is filled again at the position.
    EXPECT_TRUE(Text(f.Peek()) == at(kSize, kSize));
    f.Skip(kSize + 100);
    EXPECT_EQ(ReadString(f, 10), at(2 * kSize, 5));
    EXPECT_TRUE(f.Peek().empty());
    EXPECT_EQ(layer.Calls(VfsOp::Read), 5);  // three fills, and two that meet the end
    EXPECT_EQ(layer.Calls(VfsOp::Seek), 0);
    // Before the read-ahead the layer moves its pointer, and reads again.
    EXPECT_EQ(f.Seek(3, SeekFrom::Begin), 3u);
    EXPECT_EQ(ReadString(f, 2), at(3, 2));
    EXPECT_EQ(layer.Calls(VfsOp::Seek), 1);
    EXPECT_EQ(layer.Calls(VfsOp::Read), 6);
}

class ChunkReadTest : public FileTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(ChunkReadTest, ChunksAcrossBufferBoundariesEqualTheFile) {
    std::string bytes(2 * File::kReadBufferSize + 123, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 + i / 251);
    File f;
    ASSERT_EQ(OpenCause(f, Make("big", bytes), kRead), FileCause::None);
    std::string read;
    for (std::string piece; !(piece = ReadString(f, GetParam())).empty();) read += piece;
    EXPECT_EQ(read, bytes);
}
INSTANTIATE_TEST_SUITE_P(Sizes, ChunkReadTest,
                         ::testing::Values(1u, 7u, File::kReadBufferSize - 1, File::kReadBufferSize,
                                           File::kReadBufferSize + 1));

// Two opens of one file have handles of their own; reopening an open
// object frees its old handle, and a close its handle.
TEST_F(FileTest, HandlesAreUniqueAndReopeningFreesTheOldOne) {
    File a, b;
    ASSERT_EQ(OpenCause(a, Make("a", ""), kRead), FileCause::None);
    ASSERT_EQ(OpenCause(b, PathOf("a"), kRead), FileCause::None);
    EXPECT_NE(a.Handle(), b.Handle());
    const int32_t old = b.Handle();
    ASSERT_EQ(OpenCause(b, Make("b", ""), kRead), FileCause::None);
    EXPECT_EQ(b.Handle(), old);
    b.Close();
    EXPECT_EQ(b.Handle(), -1);
}

// A failing call raises its cause and the file keeps its bytes; a file that
// stays open keeps its position, with the bytes read ahead still unread. The
// file holds "0123456789"; one that can read has read three. The layer's own
// failures are stepped through every call in tests/faults.
using Call = std::function<void(File&, const std::string&)>;  // on the file and its path

struct FailureCase {
    std::string name;
    std::optional<OpenFlags> open;  // none: the file is closed, and stays so
    Call call;
    FileCause cause;
    uint64_t kept = 3;  // the position after
};

class FailureTest : public FileTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureTest, RaisesItsCauseAndKeepsThePosition) {
    const FailureCase& c = GetParam();
    const std::string bytes = "0123456789";
    const std::string path = Make("kept", bytes);
    File f;
    const bool reads = c.open && c.open->access != Access::Write;
    if (c.open) {
        ASSERT_EQ(OpenCause(f, path, *c.open), FileCause::None);
    }
    if (reads) {
        EXPECT_EQ(ReadString(f, 3), "012");  // the rest of the file is read ahead
    }
    EXPECT_EQ(CauseOf([&] { c.call(f, path); }), c.cause);
    EXPECT_EQ(Contents(path), bytes);
    ASSERT_EQ(f.IsOpen(), c.open.has_value());
    if (!c.open) return;
    EXPECT_EQ(f.GetPosition(), c.kept);
    if (reads) {
        EXPECT_EQ(ReadString(f, 3), bytes.substr(static_cast<std::size_t>(c.kept), 3));
    }
}

void ReadOne(File& f, const std::string&) { ReadString(f, 1); }
void WriteTwo(File& f, const std::string&) { WriteString(f, "ab"); }
void PeekAt(File& f, const std::string&) { f.Peek(); }
Call SeekTo(int64_t offset, SeekFrom from) {
    return [offset, from](File& f, const std::string&) { f.Seek(offset, from); };
}
std::string Beside(const std::string& path, const std::string& name) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return name.empty() ? folder : folder + "/" + name;
}
// Opens `name` in the file's folder ("": the folder itself). Open answers its
// cause instead of raising it.
Call OpenBeside(const std::string& name, Access access, bool create) {
    return [=](File& f, const std::string& path) {
        throw FileException(OpenCause(f, Beside(path, name), {access, Share::DenyNone, create}));
    };
}
Call RemoveBeside(const std::string& name) {
    return [name](File&, const std::string& path) { File::Remove(Beside(path, name)); };
}

using enum FileCause;
using enum SeekFrom;
using enum Access;
constexpr std::nullopt_t kClosed = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Calls, FailureTest,
    ::testing::Values(
        FailureCase{"WriteOfAReadOnlyFile", kRead, WriteTwo, AccessDenied},
        FailureCase{"ReadOfAWriteOnlyFile", kWrite, ReadOne, AccessDenied, 0},
        FailureCase{"PeekOfAWriteOnlyFile", kWrite, PeekAt, AccessDenied, 0},
        FailureCase{"ReadOfAClosedFile", kClosed, ReadOne, InvalidFile},
        FailureCase{"WriteOfAClosedFile", kClosed, WriteTwo, InvalidFile},
        FailureCase{"PeekOfAClosedFile", kClosed, PeekAt, InvalidFile},
        FailureCase{"SeekOfAClosedFile", kClosed, SeekTo(0, Begin), InvalidFile},
        FailureCase{"PositionOfAClosedFile", kClosed, [](File& f, auto&) { f.GetPosition(); }, InvalidFile},
        FailureCase{"LengthOfAClosedFile", kClosed, [](File& f, auto&) { f.GetLength(); }, InvalidFile},
        FailureCase{"CloseOfAClosedFileIsNoFailure", kClosed, [](File& f, auto&) { f.Close(); }, None},
        // Seeks one byte before the start, and the start itself.
        FailureCase{"SeekBeforeTheStart", kBoth, SeekTo(-1, Begin), BadSeek},
        FailureCase{"SeekFromHereBeforeTheStart", kBoth, SeekTo(-4, Current), BadSeek},
        FailureCase{"SeekFromHereToTheStartIsNoFailure", kBoth, SeekTo(-3, Current), None, 0},
        FailureCase{"SeekFromTheEndBeforeTheStart", kBoth, SeekTo(-11, End), BadSeek},
        FailureCase{"SeekByTheLeastOffset", kBoth, SeekTo(INT64_MIN, End), BadSeek},
        FailureCase{"SeekPastTheLargestPosition", kBoth, SeekTo(INT64_MAX, End), BadSeek},
        // Names that cannot be opened or removed; the module's table has the
        // missing folder, the folder and the open file of its methods.
        FailureCase{"CreateInAMissingFolder", kClosed, OpenBeside("nofolder/new", Write, true), BadPath},
        FailureCase{"OpenInsideAFile", kClosed, OpenBeside("kept/inside", Read, false), BadPath},
        FailureCase{"OpenAFolderForWriting", kClosed, OpenBeside("", Write, false), AccessDenied},
        FailureCase{"CreateOverAFolder", kClosed, OpenBeside("", ReadWrite, true), AccessDenied},
        FailureCase{"OpenWithANul", kClosed, OpenBeside(std::string("kept\0tail", 9), Write, true), BadPath},
        FailureCase{"OpenWithoutAName", kClosed, [](File& f, auto&) { throw FileException(OpenCause(f, "", kRead)); },
                    BadPath},
        FailureCase{"RemoveOfAMissingFile", kClosed, RemoveBeside("missing"), FileNotFound},
        FailureCase{"RemoveInAMissingFolder", kClosed, RemoveBeside("nofolder/x"), BadPath},
        FailureCase{"RemoveWithoutAName", kClosed, [](File&, auto&) { File::Remove(""); }, BadPath}),
    [](const auto& info) { return info.param.name; });

TEST_F(FileTest, WriteToFullDeviceReportsDiskFull) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    File f;
    ASSERT_EQ(OpenCause(f, "/dev/full", {Access::Write, Share::DenyNone, false}), FileCause::None);
    EXPECT_EQ(CauseOf([&] { WriteString(f, "x"); }), FileCause::DiskFull);
    EXPECT_EQ(f.GetPosition(), 0u);
}

TEST_F(FileTest, LengthsBeyondFourGigabytes) {
    constexpr uint64_t kSize = (uint64_t{1} << 32) + 10;
    const std::string path = Make("sparse", "");
    std::filesystem::resize_file(path, kSize);
    File f;
    ASSERT_EQ(OpenCause(f, path, kBoth), FileCause::None);
    EXPECT_EQ(f.GetLength(), 4294967306u);
    EXPECT_EQ(f.Seek(-5, SeekFrom::End), kSize - 5);
    WriteString(f, "end");
    f.Seek(-6, SeekFrom::Current);
    EXPECT_EQ(ReadString(f, 10), std::string(3, '\0') + "end" + std::string(2, '\0'));
    FileStatus status;
    ASSERT_TRUE(File::GetStatus(path, status));
    EXPECT_EQ(status.size, kSize);
}

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

const NameCase kFileNames[] = {
    {"/a/b/data.bin", "data.bin"}, {"data.bin", "data.bin"}, {"/a/b/", ""}, {"", ""},
#ifndef _WIN32
    {"/a/b\\c.bin", "b\\c.bin"}, {"/a/c:d.bin", "c:d.bin"},  // a backslash or a colon is part of a name
#else
    {"C:\\a\\b\\c.bin", "c.bin"}, {"C:\\a/b\\c.bin", "c.bin"}, {"C:c.bin", "c.bin"},
#endif
};
INSTANTIATE_TEST_SUITE_P(ThisSystem, FileNameTest, ::testing::ValuesIn(kFileNames));

using SystemVfsTest = FileTest;

// Two opens of one file name the same file; a pointer past what the system's
// offsets hold is refused. A close that succeeds succeeds whatever errno held
// before; a descriptor that is not open does not close.
TEST_F(SystemVfsTest, TheIdentityAndTheLargestPointer) {
    Vfs& vfs = SystemVfs();
    int32_t fds[3] = {-1, -1, -1};
    const std::string paths[3] = {Make("one", "abc"), PathOf("one"), Make("other", "")};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(vfs.Open(paths[i], Access::Read, Share::DenyNone, false, fds[i]), FileCause::None);
    }
    EXPECT_EQ(vfs.Seek(fds[0], uint64_t{1} << 63), FileCause::BadSeek);
    FileIdentity ids[3];
    for (int i = 0; i < 3; ++i) EXPECT_EQ(vfs.Identify(fds[i], ids[i]), FileCause::None);
    EXPECT_EQ(ids[0], ids[1]);
    EXPECT_NE(ids[0], ids[2]);
    for (int32_t fd : fds) {
        errno = ENOENT;
        EXPECT_EQ(vfs.Close(fd), FileCause::None);
    }
    EXPECT_EQ(vfs.Close(fds[0]), FileCause::InvalidFile);
    EXPECT_EQ(CauseFromSystemError(0), FileCause::Generic);  // a failure without a code is still one
}

#ifndef _WIN32
// A FIFO without a writer must not block the open; it has no pointer to move.
TEST_F(SystemVfsTest, OpensAFifoWithoutHangingAndCannotSeekIt) {
    const std::string fifo = PathOf("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int32_t fd = -1;
    ASSERT_EQ(SystemVfs().Open(fifo, Access::Read, Share::DenyNone, false, fd), FileCause::None);
    uint64_t at = 0;
    EXPECT_EQ(SystemVfs().Seek(fd, 0), FileCause::BadSeek);
    EXPECT_EQ(SystemVfs().Tell(fd, at), FileCause::BadSeek);
    EXPECT_EQ(SystemVfs().Close(fd), FileCause::None);
}

// A write the system takes in part and then refuses (past a file-size limit)
// fails, and the pointer goes back to where the write began.
TEST_F(SystemVfsTest, AWriteTakenInPartFailsAndLeavesThePointer) {
    int32_t fd = -1;
    ASSERT_EQ(SystemVfs().Open(Make("limited", ""), Access::Write, Share::DenyNone, false, fd), FileCause::None);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit low = old;
    low.rlim_cur = 4;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &low), 0);
    const FileCause cause = SystemVfs().Write(fd, "0123456789", 10);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    uint64_t at = 99;
    EXPECT_NE(cause, FileCause::None);
    EXPECT_EQ(SystemVfs().Tell(fd, at), FileCause::None);
    EXPECT_EQ(at, 0u);
    EXPECT_EQ(SystemVfs().Close(fd), FileCause::None);
}
#endif

}  // namespace
}  // namespace zel::platform
