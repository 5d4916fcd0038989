#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "Scratch.h"
#include "support/FailingVfs.h"

namespace zel::platform {
namespace {

using test::ScratchTest;
using zeltest::VfsOp;
using FileTest = ScratchTest;

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

void WriteString(File& f, const std::string& s) {
    f.Write(s.data(), static_cast<uint32_t>(s.size()));
}

constexpr OpenFlags kRead{Access::Read, Share::DenyNone, false};
constexpr OpenFlags kWrite{Access::Write, Share::DenyWrite, false};
constexpr OpenFlags kBoth{Access::ReadWrite, Share::DenyWrite, false};
constexpr OpenFlags kCreate{Access::Write, Share::DenyWrite, true};

struct SharingCase {
    std::string name;
    OpenFlags first, second;
    bool secondOpens;
};
const char* NameOf(Access access) {
    switch (access) {
        case Access::Read: return "read";
        case Access::Write: return "write";
        case Access::ReadWrite: return "read-write";
    }
    return "?";
}

const char* NameOf(Share share) {
    switch (share) {
        case Share::Exclusive: return "exclusive";
        case Share::DenyWrite: return "deny write";
        case Share::DenyRead: return "deny read";
        case Share::DenyNone: return "deny none";
    }
    return "?";
}

void PrintTo(const OpenFlags& flags, std::ostream* out) {
    *out << NameOf(flags.access) << ", " << NameOf(flags.share) << (flags.create ? ", create" : "");
}

void PrintTo(const SharingCase& c, std::ostream* out) {
    *out << c.name << ": first ";
    PrintTo(c.first, out);
    *out << "; second ";
    PrintTo(c.second, out);
    *out << (c.secondOpens ? "; the second opens" : "; the second is refused");
}

class SharingTest : public ScratchTest, public ::testing::WithParamInterface<SharingCase> {};

TEST_P(SharingTest, SecondOpenFollowsTheSharingRules) {
    const auto& c = GetParam();
    const std::string path = Make("shared", "content");
    File first, second;
    ASSERT_EQ(OpenCause(first, path, c.first), FileCause::None);
    if (c.secondOpens) {
        EXPECT_EQ(OpenCause(second, path, c.second), FileCause::None);
        return;
    }
    EXPECT_EQ(OpenCause(second, path, c.second), FileCause::SharingViolation);
    EXPECT_EQ(second.Handle(), -1);
    first.Close();  // the refusal left nothing behind
    EXPECT_EQ(OpenCause(second, path, c.second), FileCause::None);
}

std::vector<SharingCase> SharingCases() {
    const std::pair<const char*, OpenFlags> kinds[] = {
        {"Read", kRead},
        {"Write", kWrite},
        {"Both", kBoth},
        {"ReadX", {Access::Read, Share::Exclusive, false}},
        {"WriteX", {Access::Write, Share::Exclusive, false}},
        {"BothX", {Access::ReadWrite, Share::Exclusive, false}}};
    // Row: the first open; column: whether each kind may open second.
    const bool opens[6][6] = {{true, true, true, false, false, false},  // others read and write
                              {true, false, false, false, false, false},  // others read
                              {true, false, false, false, false, false},  // others read
                              {}, {}, {}};                                // exclusive
    std::vector<SharingCase> cases;
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            cases.push_back({std::string(kinds[i].first) + "_then_" + kinds[j].first,
                             kinds[i].second, kinds[j].second, opens[i][j]});
        }
    }
    return cases;
}
INSTANTIATE_TEST_SUITE_P(Matrix, SharingTest, ::testing::ValuesIn(SharingCases()),
                         [](const auto& info) { return info.param.name; });

TEST_F(FileTest, CreateEmptiesUnlessSharingRefusesIt) {
    const std::string path = Make("data", "0123456789");
    File writer, other;
    ASSERT_EQ(OpenCause(writer, path, kWrite), FileCause::None);  // no create: contents stay
    WriteString(writer, "ab");
    EXPECT_EQ(OpenCause(other, path, kCreate), FileCause::SharingViolation);
    EXPECT_EQ(Contents(path), "ab23456789");
    writer.Close();
    ASSERT_EQ(OpenCause(other, path, kCreate), FileCause::None);
    EXPECT_EQ(other.GetLength(), 0u);
}

TEST_F(FileTest, OpenFailureCauses) {
    Make("plain", "x");
    std::filesystem::create_directory(dir_ / "folder");
    const struct {
        std::string path;
        bool create;
        FileCause cause;
    } cases[] = {
        {PathOf("missing"), false, FileCause::FileNotFound},
        {PathOf("nofolder/missing"), false, FileCause::BadPath},
        {PathOf("nofolder/new"), true, FileCause::BadPath},
        {PathOf("plain/inside"), false, FileCause::BadPath},
        {PathOf("folder"), false, FileCause::AccessDenied},
        {PathOf("folder"), true, FileCause::AccessDenied},
        {"", false, FileCause::BadPath},
        {PathOf("plain") + std::string(1, '\0') + "tail", true, FileCause::BadPath},
    };
    for (const auto& c : cases) {
        for (Access access : {Access::Read, Access::Write, Access::ReadWrite}) {
            File f;
            EXPECT_EQ(OpenCause(f, c.path, {access, Share::DenyNone, c.create}), c.cause)
                << c.path << " access " << static_cast<int>(access);
            EXPECT_EQ(f.Handle(), -1);
        }
    }
    EXPECT_EQ(Contents(PathOf("plain")), "x");
}

TEST_F(FileTest, HandlesSeeEachOthersWritesAtOnce) {
    const std::string path = Make("two", "0123456789");
    File reader, writer, creator;
    ASSERT_EQ(OpenCause(reader, path, kRead), FileCause::None);
    ASSERT_EQ(OpenCause(writer, path, kWrite), FileCause::None);
    EXPECT_EQ(ReadString(reader, 1), "0");  // the whole file is now buffered
    writer.Seek(5, SeekFrom::Begin);
    WriteString(writer, "XY");
    EXPECT_EQ(ReadString(reader, 6), "1234XY");
    writer.Seek(0, SeekFrom::End);
    WriteString(writer, "tail");  // grows the file past the reader's buffer
    EXPECT_EQ(reader.GetLength(), 14u);
    EXPECT_EQ(ReadString(reader, 10), "789tail");
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

TEST_F(FileTest, SeekBeforeStartFailsAndKeepsPosition) {
    File f;
    ASSERT_EQ(OpenCause(f, Make("seek", "0123456789"), kRead), FileCause::None);
    f.Seek(3, SeekFrom::Begin);
    const std::pair<int64_t, SeekFrom> cases[] = {{-1, SeekFrom::Begin},
                                                  {-4, SeekFrom::Current},
                                                  {-11, SeekFrom::End},
                                                  {INT64_MIN, SeekFrom::End},
                                                  {INT64_MAX, SeekFrom::End}};
    for (const auto& seek : cases) {
        EXPECT_EQ(CauseOf([&] { f.Seek(seek.first, seek.second); }), FileCause::BadSeek) << seek.first;
        EXPECT_EQ(f.GetPosition(), 3u);
    }
}

class ChunkReadTest : public ScratchTest, public ::testing::WithParamInterface<uint32_t> {};

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

// Passes everything to the real layer, counting the reads.
class CountingVfs final : public Vfs {
public:
    int reads = 0;
    Vfs& real = SystemVfs();
    FileCause Open(const std::string& p, Access a, Share s, bool c, int32_t& fd) override {
        return real.Open(p, a, s, c, fd);
    }
    FileCause Close(int32_t fd) override { return real.Close(fd); }
    FileCause Read(int32_t fd, void* b, uint32_t n, uint32_t& got) override {
        ++reads;
        return real.Read(fd, b, n, got);
    }
    FileCause Write(int32_t fd, const void* b, uint32_t n) override {
        return real.Write(fd, b, n);
    }
    FileCause Seek(int32_t fd, uint64_t at) override { return real.Seek(fd, at); }
    FileCause Tell(int32_t fd, uint64_t& at) override { return real.Tell(fd, at); }
    FileCause Size(int32_t fd, uint64_t& size) override { return real.Size(fd, size); }
    FileCause Identify(int32_t fd, FileIdentity& id) override { return real.Identify(fd, id); }
    bool Stat(const std::string& p, FileStatus& s) override { return real.Stat(p, s); }
    FileCause Remove(const std::string& p) override { return real.Remove(p); }
    std::string FullPath(const std::string& p) override { return real.FullPath(p); }
};

TEST_F(FileTest, SmallReadsAreServedFromTheBuffer) {
    const std::string path = Make("counted", std::string(3 * File::kReadBufferSize + 5, 'x'));
    CountingVfs counting;
    SetVfs(&counting);
    File f;
    const FileCause opened = OpenCause(f, path, kRead);
    SetVfs(nullptr);  // the open file keeps the layer it was opened through
    ASSERT_EQ(opened, FileCause::None);
    char byte;
    while (f.Read(&byte, 1) == 1) {
    }
    EXPECT_EQ(counting.reads, 5);  // four buffer fills and the one that meets the end
}

TEST_F(FileTest, SeeksInsideTheReadAheadStayInMemory) {
    std::string bytes(2 * File::kReadBufferSize, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
    const std::string path = Make("seeks", bytes);
    zeltest::FailingVfs layer;  // fails nothing here: it counts
    zeltest::ScopedVfs scope(layer);
    File f;
    ASSERT_EQ(OpenCause(f, path, kRead), FileCause::None);
    const auto byteAt = [&](uint64_t at) { return bytes.substr(static_cast<std::size_t>(at), 1); };

    EXPECT_EQ(ReadString(f, 1), byteAt(0));  // fills the read-ahead
    EXPECT_EQ(f.Seek(1000, SeekFrom::Begin), 1000u);
    EXPECT_EQ(ReadString(f, 1), byteAt(1000));
    EXPECT_EQ(f.Seek(-501, SeekFrom::Current), 500u);
    EXPECT_EQ(ReadString(f, 1), byteAt(500));
    EXPECT_EQ(f.Seek(File::kReadBufferSize, SeekFrom::Begin), File::kReadBufferSize);
    EXPECT_EQ(f.GetPosition(), File::kReadBufferSize);
    EXPECT_EQ(layer.Calls(VfsOp::Seek), 0);
    EXPECT_EQ(layer.Calls(VfsOp::Read), 1);

    // Past the read-ahead the layer moves its pointer, and reads again.
    EXPECT_EQ(f.Seek(File::kReadBufferSize + 7, SeekFrom::Begin), File::kReadBufferSize + 7);
    EXPECT_EQ(ReadString(f, 1), byteAt(File::kReadBufferSize + 7));
    EXPECT_EQ(f.Seek(3, SeekFrom::Begin), 3u);
    EXPECT_EQ(ReadString(f, 2), bytes.substr(3, 2));
    EXPECT_EQ(layer.Calls(VfsOp::Seek), 2);
    EXPECT_EQ(layer.Calls(VfsOp::Read), 3);
    EXPECT_EQ(f.GetPosition(), 5u);
}

// A call that the layer fails leaves the position where it was, with the
// bytes read ahead still unread.
struct KeptPositionCase {
    std::string name;
    VfsOp failing;
    std::function<void(File&)> call;
    uint64_t kept;  // the position after the failure
};

void PrintTo(const KeptPositionCase& c, std::ostream* out) {
    *out << c.name << " (the layer fails " << zeltest::NameOf(c.failing) << "; position "
         << c.kept << ")";
}

class KeptPositionTest : public ScratchTest,
                         public ::testing::WithParamInterface<KeptPositionCase> {};

TEST_P(KeptPositionTest, FailureKeepsThePosition) {
    const KeptPositionCase& c = GetParam();
    const std::string bytes = "0123456789";
    const std::string path = Make("kept", bytes);
    zeltest::FailingVfs layer;
    zeltest::ScopedVfs scope(layer);
    File f;
    ASSERT_EQ(OpenCause(f, path, kBoth), FileCause::None);
    EXPECT_EQ(ReadString(f, 3), "012");  // the rest of the file is read ahead
    layer.Fail(c.failing, FileCause::HardIO);
    EXPECT_EQ(CauseOf([&] { c.call(f); }), FileCause::HardIO);
    EXPECT_EQ(f.GetPosition(), c.kept);
    EXPECT_EQ(ReadString(f, 3), bytes.substr(static_cast<std::size_t>(c.kept), 3));
    EXPECT_EQ(Contents(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, KeptPositionTest,
    ::testing::Values(
        KeptPositionCase{"Write", VfsOp::Write, [](File& f) { WriteString(f, "ab"); }, 3},
        KeptPositionCase{"SeekPastTheReadAhead", VfsOp::Seek,
                         [](File& f) { f.Seek(20, SeekFrom::Begin); }, 3},
        KeptPositionCase{"SeekFromHere", VfsOp::Tell,
                         [](File& f) { f.Seek(2, SeekFrom::Current); }, 3},
        KeptPositionCase{"SeekFromTheEnd", VfsOp::Size,
                         [](File& f) { f.Seek(-1, SeekFrom::End); }, 3},
        KeptPositionCase{"ReadAfterTheReadAhead", VfsOp::Read,
                         [](File& f) {
                             f.Seek(10, SeekFrom::Begin);  // the end of the read-ahead
                             ReadString(f, 2);
                         },
                         10}),
    [](const auto& info) { return info.param.name; });

TEST_F(FileTest, AccessAndClosedFileFailures) {
    const std::string path = Make("acc", "abc");
    char byte = 'q';
    File reader, writer, closed;
    ASSERT_EQ(OpenCause(reader, path, kRead), FileCause::None);
    ASSERT_EQ(OpenCause(writer, path, kWrite), FileCause::None);
    EXPECT_EQ(CauseOf([&] { reader.Write(&byte, 1); }), FileCause::AccessDenied);
    EXPECT_EQ(CauseOf([&] { writer.Read(&byte, 1); }), FileCause::AccessDenied);
    EXPECT_EQ(CauseOf([&] { closed.Read(&byte, 1); }), FileCause::InvalidFile);
    EXPECT_EQ(CauseOf([&] { closed.Write(&byte, 1); }), FileCause::InvalidFile);
    EXPECT_EQ(CauseOf([&] { closed.Seek(0, SeekFrom::Begin); }), FileCause::InvalidFile);
    EXPECT_EQ(CauseOf([&] { closed.GetPosition(); }), FileCause::InvalidFile);
    EXPECT_EQ(CauseOf([&] { closed.GetLength(); }), FileCause::InvalidFile);
    EXPECT_EQ(CauseOf([&] { closed.Close(); }), FileCause::None);
    EXPECT_EQ(Contents(path), "abc");
}

TEST_F(FileTest, HandlesAreUniqueAndComeBackAfterClose) {
    File a, b, c;
    ASSERT_EQ(OpenCause(a, Make("a", ""), kRead), FileCause::None);
    ASSERT_EQ(OpenCause(b, Make("b", ""), kRead), FileCause::None);
    ASSERT_EQ(OpenCause(c, PathOf("a"), kRead), FileCause::None);
    EXPECT_GE(a.Handle(), 0);
    EXPECT_NE(a.Handle(), b.Handle());
    EXPECT_NE(a.Handle(), c.Handle());
    EXPECT_NE(b.Handle(), c.Handle());
    const int32_t freed = b.Handle();
    b.Close();
    EXPECT_EQ(b.Handle(), -1);
    ASSERT_EQ(OpenCause(b, PathOf("a"), kRead), FileCause::None);
    EXPECT_EQ(b.Handle(), freed);
    ASSERT_EQ(OpenCause(b, PathOf("b"), kRead), FileCause::None);  // reopening frees the old one
    EXPECT_EQ(b.Handle(), freed);
}

TEST_F(FileTest, StatusAndRemove) {
    const std::string path = Make("victim", "12345");
    std::filesystem::create_directory(dir_ / "folder");
    FileStatus status;
    ASSERT_TRUE(File::GetStatus(path, status));
    EXPECT_EQ(status.size, 5u);
    ASSERT_TRUE(File::GetStatus(PathOf("folder"), status));
    EXPECT_TRUE(status.isDirectory);
    {
        File f;
        ASSERT_EQ(OpenCause(f, path, kRead), FileCause::None);
        EXPECT_EQ(CauseOf([&] { File::Remove(path); }), FileCause::SharingViolation);
    }  // the destructor closes
    EXPECT_EQ(CauseOf([&] { File::Remove(path); }), FileCause::None);
    EXPECT_FALSE(File::GetStatus(path, status));
    EXPECT_EQ(CauseOf([&] { File::Remove(path); }), FileCause::FileNotFound);
    EXPECT_EQ(CauseOf([&] { File::Remove(PathOf("nofolder/x")); }), FileCause::BadPath);
    EXPECT_EQ(CauseOf([&] { File::Remove(PathOf("folder")); }), FileCause::AccessDenied);
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "folder"));
}

// A failing layer is in place before the test opens a file.
class FaultTest : public ScratchTest, public ::testing::WithParamInterface<VfsOp> {
protected:
    zeltest::FailingVfs layer_;
    zeltest::ScopedVfs scope_{layer_};
};

// The File call that reaches op of the layer.
FileCause RunOp(VfsOp op, File& f, const std::string& path) {
    char byte = 0;
    FileStatus status;
    switch (op) {
        case VfsOp::Open:
        case VfsOp::Identify: return OpenCause(f, path, kBoth);
        case VfsOp::Close: return CauseOf([&] { f.Close(); });
        case VfsOp::Read: return CauseOf([&] { f.Read(&byte, 1); });
        case VfsOp::Write: return CauseOf([&] { f.Write(&byte, 1); });
        case VfsOp::Seek: return CauseOf([&] { f.Seek(1, SeekFrom::Begin); });
        case VfsOp::Tell: return CauseOf([&] { f.GetPosition(); });
        case VfsOp::Size: return CauseOf([&] { f.GetLength(); });
        case VfsOp::Stat:
            return File::GetStatus(path, status) ? FileCause::None : FileCause::FileNotFound;
        case VfsOp::Remove: return CauseOf([&] { File::Remove(path); });
    }
    return FileCause::Generic;
}

TEST_P(FaultTest, FailsTheNextCallOnce) {
    const VfsOp op = GetParam();
    const bool opens = op == VfsOp::Open || op == VfsOp::Identify;
    const std::string path = Make("faulty", "abc");
    File f;
    if (!opens && op != VfsOp::Remove) {
        ASSERT_EQ(OpenCause(f, path, kBoth), FileCause::None);
    }
    layer_.Fail(op, FileCause::DiskFull);
    EXPECT_EQ(RunOp(op, f, path),
              op == VfsOp::Stat ? FileCause::FileNotFound : FileCause::DiskFull);
    if (opens || op == VfsOp::Close) {
        EXPECT_FALSE(f.IsOpen());  // a failed close still releases the handle
        if (op == VfsOp::Close) {
            ASSERT_EQ(OpenCause(f, path, kBoth), FileCause::None);
        }
    }
    EXPECT_EQ(RunOp(op, f, path), FileCause::None);
}
INSTANTIATE_TEST_SUITE_P(Ops, FaultTest,
                         ::testing::Values(VfsOp::Open, VfsOp::Close, VfsOp::Read, VfsOp::Write,
                                           VfsOp::Seek, VfsOp::Tell, VfsOp::Size,
                                           VfsOp::Identify, VfsOp::Stat, VfsOp::Remove),
                         [](const auto& info) { return std::string(zeltest::NameOf(info.param)); });

TEST_F(FileTest, QueuedFaultsStrikeAfterTheirSkippedCalls) {
    const std::string path = Make("queued", "abcdef");
    zeltest::FailingVfs layer;
    zeltest::ScopedVfs scope(layer);
    File f;
    ASSERT_EQ(OpenCause(f, path, kBoth), FileCause::None);
    layer.Fail(VfsOp::Seek, FileCause::HardIO, 2);
    layer.Fail(VfsOp::Seek, FileCause::BadSeek);
    const FileCause expected[] = {FileCause::BadSeek, FileCause::None, FileCause::HardIO,
                                  FileCause::None};
    for (FileCause cause : expected) {
        EXPECT_EQ(RunOp(VfsOp::Seek, f, path), cause);
    }
    // The second read of the layer (the one that meets the end) would fail.
    layer.Fail(VfsOp::Read, FileCause::HardIO, 1);
    layer.Clear();
    for (int i = 0; i < 7; ++i) EXPECT_EQ(RunOp(VfsOp::Read, f, path), FileCause::None);
}

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

}  // namespace
}  // namespace zel::platform
