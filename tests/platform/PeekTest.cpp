// Reading without a copy: Peek shows the read-ahead from the position on and
// Skip moves the position over it, in step with Read, Seek and the writes of
// other handles.
#include <string>

#include "Scratch.h"
#include "support/FailingVfs.h"

namespace zel::platform {
namespace {

using test::ScratchTest;
using zeltest::VfsOp;
using PeekTest = ScratchTest;

std::string Text(std::span<const uint8_t> view) { return {view.begin(), view.end()}; }

constexpr OpenFlags kRead{Access::Read, Share::DenyNone, false};
constexpr OpenFlags kWrite{Access::Write, Share::DenyWrite, false};

TEST_F(PeekTest, ShowsTheBytesAtThePositionAndSkipMovesIt) {
    const std::string path = Make("peek", "abcdefgh");
    File f;
    ASSERT_TRUE(f.Open(path, kRead, nullptr));
    EXPECT_EQ(Text(f.Peek()), "abcdefgh");
    f.Skip(3);
    EXPECT_EQ(f.GetPosition(), 3u);
    EXPECT_EQ(Text(f.Peek()), "defgh");
    char c = 0;
    EXPECT_EQ(f.Read(&c, 1), 1u);
    EXPECT_EQ(c, 'd');
    EXPECT_EQ(Text(f.Peek()), "efgh");
    f.Skip(100);  // never past the bytes shown
    EXPECT_EQ(f.GetPosition(), 8u);
    EXPECT_TRUE(f.Peek().empty());
    EXPECT_EQ(f.Seek(1, SeekFrom::Begin), 1u);
    EXPECT_EQ(Text(f.Peek()), "bcdefgh");
}

TEST_F(PeekTest, RefillsOnlyWhenTheReadAheadIsSpent) {
    const std::string bytes(File::kReadBufferSize + 10, 'x');
    const std::string path = Make("long", bytes);
    zeltest::FailingVfs layer;  // fails nothing here: it counts
    zeltest::ScopedVfs scope(layer);
    File f;
    ASSERT_TRUE(f.Open(path, kRead, nullptr));
    EXPECT_EQ(f.Peek().size(), File::kReadBufferSize);
    EXPECT_EQ(f.Peek().size(), File::kReadBufferSize);
    EXPECT_EQ(layer.Calls(VfsOp::Read), 1);
    f.Skip(File::kReadBufferSize);
    EXPECT_EQ(f.Peek().size(), 10u);
    EXPECT_EQ(layer.Calls(VfsOp::Read), 2);
    EXPECT_EQ(layer.Calls(VfsOp::Seek), 0);
    EXPECT_EQ(f.GetPosition(), File::kReadBufferSize);
}

TEST_F(PeekTest, SeesTheWritesOfAnotherHandle) {
    const std::string path = Make("shared", "0123456789");
    File reader, writer;
    ASSERT_TRUE(reader.Open(path, kRead, nullptr));
    ASSERT_TRUE(writer.Open(path, kWrite, nullptr));
    EXPECT_EQ(Text(reader.Peek()), "0123456789");
    reader.Skip(2);
    writer.Seek(4, SeekFrom::Begin);
    writer.Write("XY", 2);
    EXPECT_EQ(Text(reader.Peek()), "23XY6789");
    EXPECT_EQ(reader.GetPosition(), 2u);
}

TEST_F(PeekTest, FailsAsReadDoes) {
    const std::string path = Make("w", "abc");
    File writeOnly;
    ASSERT_TRUE(writeOnly.Open(path, kWrite, nullptr));
    try {
        writeOnly.Peek();
        ADD_FAILURE() << "a file opened for writing only was read";
    } catch (const FileException& e) {
        EXPECT_EQ(e.cause(), FileCause::AccessDenied);
    }

    zeltest::FailingVfs layer;
    zeltest::ScopedVfs scope(layer);
    File f;
    ASSERT_TRUE(f.Open(path, kRead, nullptr));
    layer.Fail(VfsOp::Read, FileCause::HardIO);
    try {
        f.Peek();
        ADD_FAILURE() << "the failing read went unnoticed";
    } catch (const FileException& e) {
        EXPECT_EQ(e.cause(), FileCause::HardIO);
    }
    EXPECT_EQ(Text(f.Peek()), "abc");  // the position did not move
    File closed;
    try {
        closed.Peek();
        ADD_FAILURE() << "a closed file was read";
    } catch (const FileException& e) {
        EXPECT_EQ(e.cause(), FileCause::InvalidFile);
    }
}

}  // namespace
}  // namespace zel::platform
