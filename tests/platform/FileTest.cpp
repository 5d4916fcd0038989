// The file class: sharing, the read-ahead and what other handles write,
// positions, handles, and the cause each failing call raises.
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
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

void WriteString(File& f, const std::string& s) { f.Write(s.data(), static_cast<uint32_t>(s.size())); }

std::string Text(std::span<const uint8_t> view) { return {view.begin(), view.end()}; }

constexpr OpenFlags kRead{Access::Read, Share::DenyNone, false};
constexpr OpenFlags kWrite{Access::Write, Share::DenyWrite, false};
constexpr OpenFlags kBoth{Access::ReadWrite, Share::DenyWrite, false};
constexpr OpenFlags kCreate{Access::Write, Share::DenyWrite, true};

struct SharingCase {
    std::string name;
    OpenFlags first, second;
    bool secondOpens;
};

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
    first.Close();  // the refusal left nothing behind
    EXPECT_EQ(OpenCause(second, path, c.second), FileCause::None);
}

std::vector<SharingCase> SharingCases() {
    const std::pair<const char*, OpenFlags> kinds[] = {
        {"Read", kRead}, {"Write", kWrite}, {"Both", kBoth}, {"ReadX", {Access::Read, Share::Exclusive, false}},
        {"WriteX", {Access::Write, Share::Exclusive, false}}, {"BothX", {Access::ReadWrite, Share::Exclusive, false}}};
    // Row: the first open; column: whether each kind may open second.
    const bool opens[6][6] = {{true, true, true, false, false, false},    // others read and write
                              {true, false, false, false, false, false},  // others read
                              {true, false, false, false, false, false},  // others read
                              {}, {}, {}};                                // exclusive
    std::vector<SharingCase> cases;
    for (int i = 0; i < 6; ++i) {
        for (int j = 0; j < 6; ++j) {
            cases.push_back({std::string(kinds[i].first) + "_then_" + kinds[j].first, kinds[i].second,
                             kinds[j].second, opens[i][j]});
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
    std::filesystem::create_directory(scratch_.path() / "folder");
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
    WriteString(writer, "Q");  // at 7, where the reader stands
    EXPECT_EQ(Text(reader.Peek()), "Q89");
    writer.Seek(0, SeekFrom::End);
    WriteString(writer, "tail");  // grows the file past the reader's buffer
    EXPECT_EQ(reader.GetLength(), 14u);
    EXPECT_EQ(ReadString(reader, 10), "Q89tail");
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

// Peek shows the read-ahead from the position on; Skip moves over it, never
// past the bytes shown.
TEST_F(FileTest, PeekShowsTheBytesAtThePositionAndSkipMovesIt) {
    File f;
    ASSERT_EQ(OpenCause(f, Make("peek", "abcdefgh"), kRead), FileCause::None);
    EXPECT_EQ(Text(f.Peek()), "abcdefgh");
    f.Skip(3);
    EXPECT_EQ(f.GetPosition(), 3u);
    EXPECT_EQ(ReadString(f, 1), "d");
    EXPECT_EQ(Text(f.Peek()), "efgh");
    f.Skip(100);
    EXPECT_EQ(f.GetPosition(), 8u);
    EXPECT_TRUE(f.Peek().empty());
    EXPECT_EQ(f.Seek(1, SeekFrom::Begin), 1u);
    EXPECT_EQ(Text(f.Peek()), "bcdefgh");
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

TEST_F(FileTest, SmallReadsAndPeeksAreServedFromTheReadAhead) {
    const std::string path = Make("counted", std::string(3 * File::kReadBufferSize + 5, 'x'));
    zeltest::FailingVfs layer;  // fails nothing here: it counts
    File f;
    {
        zeltest::ScopedVfs scope(layer);
        ASSERT_EQ(OpenCause(f, path, kRead), FileCause::None);
    }  // the open file keeps the layer it was opened through
    EXPECT_EQ(f.Peek().size(), File::kReadBufferSize);
    EXPECT_EQ(f.Peek().size(), File::kReadBufferSize);
    EXPECT_EQ(layer.Calls(VfsOp::Read), 1);
    char byte;
    while (f.Read(&byte, 1) == 1) {
    }
    EXPECT_EQ(layer.Calls(VfsOp::Read), 5);  // four buffer fills and the one that meets the end
    EXPECT_EQ(layer.Calls(VfsOp::Seek), 0);
}

TEST_F(FileTest, SeeksInsideTheReadAheadStayInMemory) {
    std::string bytes(2 * File::kReadBufferSize, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
    const std::string path = Make("seeks", bytes);
    zeltest::FailingVfs layer;  // fails nothing here: it counts
    zeltest::ScopedVfs scope(layer);
    File f;
    ASSERT_EQ(OpenCause(f, path, kRead), FileCause::None);
    EXPECT_EQ(ReadString(f, 1), bytes.substr(0, 1));  // fills the read-ahead
    EXPECT_EQ(f.Seek(1000, SeekFrom::Begin), 1000u);
    EXPECT_EQ(f.Seek(-500, SeekFrom::Current), 500u);
    EXPECT_EQ(ReadString(f, 1), bytes.substr(500, 1));
    EXPECT_EQ(f.Seek(File::kReadBufferSize, SeekFrom::Begin), File::kReadBufferSize);
    EXPECT_EQ(f.GetPosition(), File::kReadBufferSize);
    EXPECT_EQ(layer.Calls(VfsOp::Seek), 0);
    EXPECT_EQ(layer.Calls(VfsOp::Read), 1);
    // Past the read-ahead the layer moves its pointer, and reads again.
    EXPECT_EQ(f.Seek(File::kReadBufferSize + 7, SeekFrom::Begin), File::kReadBufferSize + 7);
    EXPECT_EQ(ReadString(f, 1), bytes.substr(File::kReadBufferSize + 7, 1));
    EXPECT_EQ(f.Seek(3, SeekFrom::Begin), 3u);
    EXPECT_EQ(ReadString(f, 2), bytes.substr(3, 2));
    EXPECT_EQ(layer.Calls(VfsOp::Seek), 2);
    EXPECT_EQ(layer.Calls(VfsOp::Read), 3);
}

// Two opens of one file have handles of their own; a handle goes with its
// close, and reopening an open object frees its old one.
TEST_F(FileTest, HandlesAreUniqueAndComeBackAfterClose) {
    File a, b;
    ASSERT_EQ(OpenCause(a, Make("a", ""), kRead), FileCause::None);
    ASSERT_EQ(OpenCause(b, PathOf("a"), kRead), FileCause::None);
    EXPECT_NE(a.Handle(), b.Handle());
    const int32_t freed = b.Handle();
    b.Close();
    EXPECT_EQ(b.Handle(), -1);
    ASSERT_EQ(OpenCause(b, Make("b", ""), kRead), FileCause::None);
    EXPECT_EQ(b.Handle(), freed);
    ASSERT_EQ(OpenCause(b, PathOf("a"), kRead), FileCause::None);
    EXPECT_EQ(b.Handle(), freed);
}

// A failing call raises its cause, the file keeps its bytes, and a file
// that stays open keeps its position with the bytes read ahead still
// unread. The file holds "0123456789"; one that can read has read three.
enum class Start { Closed, Read, Write, Both };
using Call = std::function<void(File&, const std::string&)>;  // on the file and its path
constexpr int64_t kEndsClosed = -1;

struct FailureCase {
    std::string name;
    Start start;
    Call call;
    FileCause cause;
    std::optional<VfsOp> fault = {};  // the layer's operation that fails with the cause
    int64_t kept = 3;                 // the position after, or kEndsClosed
};

class FailureTest : public ScratchTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureTest, RaisesItsCauseAndKeepsThePosition) {
    const FailureCase& c = GetParam();
    const std::string bytes = "0123456789";
    const std::string path = Make("kept", bytes);
    zeltest::FailingVfs layer;
    zeltest::ScopedVfs scope(layer);
    File f;
    const bool reads = c.start == Start::Read || c.start == Start::Both;
    if (c.start != Start::Closed) {
        const OpenFlags flags = c.start == Start::Read ? kRead : c.start == Start::Write ? kWrite : kBoth;
        ASSERT_EQ(OpenCause(f, path, flags), FileCause::None);
        if (reads) {
            EXPECT_EQ(ReadString(f, 3), "012");  // the rest of the file is read ahead
        }
    }
    if (c.fault) layer.Fail(*c.fault, c.cause);
    EXPECT_EQ(CauseOf([&] { c.call(f, path); }), c.cause);
    EXPECT_EQ(Contents(path), bytes);
    if (c.kept == kEndsClosed) {
        EXPECT_FALSE(f.IsOpen());
        EXPECT_EQ(layer.OpenDescriptors(), 0);
        return;
    }
    ASSERT_TRUE(f.IsOpen());
    EXPECT_EQ(f.GetPosition(), static_cast<uint64_t>(c.kept));
    if (reads) {
        EXPECT_EQ(ReadString(f, 3), bytes.substr(static_cast<std::size_t>(c.kept), 3));
    }
}

void ReadOne(File& f, const std::string&) { ReadString(f, 1); }
void WriteTwo(File& f, const std::string&) { WriteString(f, "ab"); }
void PeekAt(File& f, const std::string&) { f.Peek(); }
void Position(File& f, const std::string&) { f.GetPosition(); }
void Length(File& f, const std::string&) { f.GetLength(); }
void CloseIt(File& f, const std::string&) { f.Close(); }
// Open answers its cause instead of raising it.
void OpenBoth(File& f, const std::string& path) { throw FileException(OpenCause(f, path, kBoth)); }
void RemoveFolder(File&, const std::string& path) {
    File::Remove(std::filesystem::path(path).parent_path().string());
}
Call SeekTo(int64_t offset, SeekFrom from) {
    return [offset, from](File& f, const std::string&) { f.Seek(offset, from); };
}
// Moves to the end of the read-ahead first.
Call AtTen(Call call) {
    return [call](File& f, const std::string& path) {
        f.Seek(10, SeekFrom::Begin);
        call(f, path);
    };
}
Call RemoveAt(const std::string& suffix) {
    return [suffix](File&, const std::string& path) { File::Remove(path + suffix); };
}

using enum Start;
using enum FileCause;
using enum SeekFrom;
constexpr std::nullopt_t kNoFault = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Calls, FailureTest,
    ::testing::Values(
        FailureCase{"WriteOfAReadOnlyFile", Read, WriteTwo, AccessDenied},
        FailureCase{"ReadOfAWriteOnlyFile", Write, ReadOne, AccessDenied, kNoFault, 0},
        FailureCase{"PeekOfAWriteOnlyFile", Write, PeekAt, AccessDenied, kNoFault, 0},
        FailureCase{"ReadOfAClosedFile", Closed, ReadOne, InvalidFile, kNoFault, kEndsClosed},
        FailureCase{"WriteOfAClosedFile", Closed, WriteTwo, InvalidFile, kNoFault, kEndsClosed},
        FailureCase{"PeekOfAClosedFile", Closed, PeekAt, InvalidFile, kNoFault, kEndsClosed},
        FailureCase{"SeekOfAClosedFile", Closed, SeekTo(0, Begin), InvalidFile, kNoFault, kEndsClosed},
        FailureCase{"PositionOfAClosedFile", Closed, Position, InvalidFile, kNoFault, kEndsClosed},
        FailureCase{"LengthOfAClosedFile", Closed, Length, InvalidFile, kNoFault, kEndsClosed},
        FailureCase{"CloseOfAClosedFileIsNoFailure", Closed, CloseIt, None, kNoFault, kEndsClosed},
        FailureCase{"SeekBeforeTheStart", Both, SeekTo(-1, Begin), BadSeek},
        FailureCase{"SeekFromHereBeforeTheStart", Both, SeekTo(-4, Current), BadSeek},
        FailureCase{"SeekFromTheEndBeforeTheStart", Both, SeekTo(-11, End), BadSeek},
        FailureCase{"SeekByTheLeastOffset", Both, SeekTo(INT64_MIN, End), BadSeek},
        FailureCase{"SeekPastTheLargestPosition", Both, SeekTo(INT64_MAX, End), BadSeek},
        FailureCase{"RemoveOfAnOpenFile", Read, RemoveAt(""), SharingViolation},
        FailureCase{"RemoveOfAMissingFile", Closed, RemoveAt("-missing"), FileNotFound, kNoFault, kEndsClosed},
        FailureCase{"RemoveInAMissingFolder", Closed, RemoveAt("-nofolder/x"), BadPath, kNoFault, kEndsClosed},
        FailureCase{"RemoveOfAFolder", Closed, RemoveFolder, AccessDenied, kNoFault, kEndsClosed},
        FailureCase{"RemoveWithoutAName", Closed, [](File&, auto&) { File::Remove(""); }, BadPath, kNoFault,
                    kEndsClosed},
        // The layer fails one operation.
        FailureCase{"FailingOpen", Closed, OpenBoth, DiskFull, VfsOp::Open, kEndsClosed},
        FailureCase{"FailingIdentifyClosesAgain", Closed, OpenBoth, DiskFull, VfsOp::Identify, kEndsClosed},
        FailureCase{"FailingCloseStillReleases", Both, CloseIt, DiskFull, VfsOp::Close, kEndsClosed},
        FailureCase{"FailingWrite", Both, WriteTwo, HardIO, VfsOp::Write},
        FailureCase{"FailingSeekPastTheReadAhead", Both, SeekTo(20, Begin), HardIO, VfsOp::Seek},
        FailureCase{"FailingTellOfASeekFromHere", Both, SeekTo(2, Current), HardIO, VfsOp::Tell},
        FailureCase{"FailingSizeOfASeekFromTheEnd", Both, SeekTo(-1, End), HardIO, VfsOp::Size},
        FailureCase{"FailingTell", Both, Position, HardIO, VfsOp::Tell},
        FailureCase{"FailingSize", Both, Length, HardIO, VfsOp::Size},
        FailureCase{"FailingReadAfterTheReadAhead", Both, AtTen(ReadOne), HardIO, VfsOp::Read, 10},
        FailureCase{"FailingPeekAfterTheReadAhead", Both, AtTen(PeekAt), HardIO, VfsOp::Read, 10},
        FailureCase{"FailingRemove", Closed, RemoveAt(""), HardIO, VfsOp::Remove, kEndsClosed}),
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

}  // namespace
}  // namespace zel::platform
