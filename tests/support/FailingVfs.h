// A file layer that fails chosen operations: it passes every call to the
// real layer except the ones armed to fail, which answer their cause
// without reaching it. A failed Close still releases the descriptor.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/Vfs.h"

namespace zeltest {

using zel::platform::FileCause;

// The operations of the layer that can be made to fail.
enum class VfsOp : uint8_t { Open, Close, Read, Write, Seek, Tell, Size, Identify, Stat, Remove };
inline constexpr std::size_t kVfsOpCount = static_cast<std::size_t>(VfsOp::Remove) + 1;

const char* NameOf(VfsOp op);
void PrintTo(VfsOp op, std::ostream* out);

enum class Strike : uint8_t {
    Once,    // the one call
    Always,  // that call and every later one
};

class FailingVfs final : public zel::platform::Vfs {
public:
    explicit FailingVfs(zel::platform::Vfs& real = zel::platform::SystemVfs()) : real_(real) {}

    // The call of op after `after` further calls of it fails with cause.
    // Several failures may wait for one operation; when two are due at the
    // same call, the one armed first strikes and the other waits for the
    // next call. A failing Stat answers that no entry exists.
    void Fail(VfsOp op, FileCause cause, int after = 0, Strike strike = Strike::Once);
    // The n-th call of the layer, counted from 1 over every operation,
    // fails with cause (0: none does).
    void FailNth(int n, FileCause cause) {
        failNth_ = n;
        failNthCause_ = cause;
    }
    // Disarms every failure.
    void Clear();
    // Calls of op so far, failed ones included.
    int Calls(VfsOp op) const { return calls_[Index(op)]; }
    // Calls of every operation so far, failed ones included.
    int TotalCalls() const { return total_; }
    // Descriptors opened through this layer and not closed yet.
    int OpenDescriptors() const { return open_; }

    FileCause Open(const std::string& path, zel::platform::Access access,
                   zel::platform::Share share, bool create, int32_t& fd) override;
    FileCause Close(int32_t fd) override;
    FileCause Read(int32_t fd, void* buffer, uint32_t count, uint32_t& got) override;
    FileCause Write(int32_t fd, const void* buffer, uint32_t count) override;
    FileCause Seek(int32_t fd, uint64_t position) override;
    FileCause Tell(int32_t fd, uint64_t& position) override;
    FileCause Size(int32_t fd, uint64_t& size) override;
    FileCause Identify(int32_t fd, zel::platform::FileIdentity& identity) override;
    bool Stat(const std::string& path, zel::platform::FileStatus& status) override;
    FileCause Remove(const std::string& path) override;
    std::string FullPath(const std::string& path) override { return real_.FullPath(path); }

private:
    struct Armed {
        FileCause cause;
        int remaining;  // calls still to pass
        Strike strike;
    };
    static std::size_t Index(VfsOp op) { return static_cast<std::size_t>(op); }
    // Counts this call of op and answers the cause it fails with, None when
    // it goes through.
    FileCause Take(VfsOp op);

    zel::platform::Vfs& real_;
    std::array<std::vector<Armed>, kVfsOpCount> armed_{};
    std::array<int, kVfsOpCount> calls_{};
    int total_ = 0;
    int failNth_ = 0;
    FileCause failNthCause_ = FileCause::None;
    int open_ = 0;
};

// Puts a layer in place for its lifetime and then the one before it back.
// Files opened meanwhile keep the layer they were opened through, so it must
// outlive them.
class ScopedVfs {
public:
    explicit ScopedVfs(zel::platform::Vfs& vfs) : previous_(&zel::platform::CurrentVfs()) {
        zel::platform::SetVfs(&vfs);
    }
    ~ScopedVfs() { zel::platform::SetVfs(previous_); }
    ScopedVfs(const ScopedVfs&) = delete;
    ScopedVfs& operator=(const ScopedVfs&) = delete;

private:
    zel::platform::Vfs* previous_;
};

}  // namespace zeltest
