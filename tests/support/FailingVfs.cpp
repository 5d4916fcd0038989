#include "support/FailingVfs.h"

namespace zeltest {

using zel::platform::Access;
using zel::platform::FileIdentity;
using zel::platform::FileStatus;
using zel::platform::Share;

const char* NameOf(VfsOp op) {
    switch (op) {
        case VfsOp::Open: return "Open";
        case VfsOp::Close: return "Close";
        case VfsOp::Read: return "Read";
        case VfsOp::Write: return "Write";
        case VfsOp::Seek: return "Seek";
        case VfsOp::Tell: return "Tell";
        case VfsOp::Size: return "Size";
        case VfsOp::Identify: return "Identify";
        case VfsOp::Stat: return "Stat";
        case VfsOp::Remove: return "Remove";
    }
    return "Unknown";
}

void PrintTo(VfsOp op, std::ostream* out) { *out << NameOf(op); }

void FailingVfs::Fail(VfsOp op, FileCause cause, int after, Strike strike) {
    armed_[Index(op)].push_back({cause, after, strike});
}

void FailingVfs::Clear() {
    for (auto& armed : armed_) armed.clear();
}

FileCause FailingVfs::Take(VfsOp op) {
    ++calls_[Index(op)];
    std::vector<Armed>& armed = armed_[Index(op)];
    FileCause strike = FileCause::None;
    if (++total_ == failNth_) strike = failNthCause_;
    for (auto it = armed.begin(); it != armed.end();) {
        if (it->remaining > 0) {
            --it->remaining;
        } else if (strike == FileCause::None) {
            strike = it->cause;
            if (it->strike == Strike::Once) {
                it = armed.erase(it);
                continue;
            }
        }
        ++it;
    }
    return strike;
}

FileCause FailingVfs::Open(const std::string& path, Access access, Share share, bool create,
                           int32_t& fd) {
    fd = -1;
    if (const FileCause cause = Take(VfsOp::Open); cause != FileCause::None) return cause;
    const FileCause opened = real_.Open(path, access, share, create, fd);
    if (opened == FileCause::None) ++open_;
    return opened;
}

FileCause FailingVfs::Close(int32_t fd) {
    const FileCause cause = Take(VfsOp::Close);
    const FileCause closed = real_.Close(fd);  // the descriptor goes either way
    --open_;
    return cause != FileCause::None ? cause : closed;
}

FileCause FailingVfs::Read(int32_t fd, void* buffer, uint32_t count, uint32_t& got) {
    got = 0;
    if (const FileCause cause = Take(VfsOp::Read); cause != FileCause::None) return cause;
    return real_.Read(fd, buffer, count, got);
}

FileCause FailingVfs::Write(int32_t fd, const void* buffer, uint32_t count) {
    if (const FileCause cause = Take(VfsOp::Write); cause != FileCause::None) return cause;
    return real_.Write(fd, buffer, count);
}

FileCause FailingVfs::Seek(int32_t fd, uint64_t position) {
    if (const FileCause cause = Take(VfsOp::Seek); cause != FileCause::None) return cause;
    return real_.Seek(fd, position);
}

FileCause FailingVfs::Tell(int32_t fd, uint64_t& position) {
    if (const FileCause cause = Take(VfsOp::Tell); cause != FileCause::None) return cause;
    return real_.Tell(fd, position);
}

FileCause FailingVfs::Size(int32_t fd, uint64_t& size) {
    if (const FileCause cause = Take(VfsOp::Size); cause != FileCause::None) return cause;
    return real_.Size(fd, size);
}

FileCause FailingVfs::Identify(int32_t fd, FileIdentity& identity) {
    if (const FileCause cause = Take(VfsOp::Identify); cause != FileCause::None) return cause;
    return real_.Identify(fd, identity);
}

bool FailingVfs::Stat(const std::string& path, FileStatus& status) {
    if (Take(VfsOp::Stat) != FileCause::None) return false;
    return real_.Stat(path, status);
}

FileCause FailingVfs::Remove(const std::string& path) {
    if (const FileCause cause = Take(VfsOp::Remove); cause != FileCause::None) return cause;
    return real_.Remove(path);
}

}  // namespace zeltest
