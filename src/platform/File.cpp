#include "platform/File.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <new>

namespace zel::platform {

// Every open File of this process, so that opens can honour each other's
// sharing and writes can drop each other's stale read buffers.
class OpenFileRegistry {
public:
    // Built on first use; objects that keep files open until they are
    // destroyed at unload call File::Initialize first, so that the registry
    // outlives them.
    static OpenFileRegistry& Instance() {
        static OpenFileRegistry registry;
        return registry;
    }

    // True when an open of identity with flags is forbidden by another open,
    // or would forbid an access that another open already has.
    bool Conflicts(const FileIdentity& identity, const OpenFlags& flags) const {
        for (const File* other : files_) {
            if (other->identity_ == identity && !Compatible(other->flags_, flags)) return true;
        }
        return false;
    }

    bool IsOpen(const FileIdentity& identity) const {
        return std::any_of(files_.begin(), files_.end(),
                           [&](const File* f) { return f->identity_ == identity; });
    }

    void Add(File* file) { files_.push_back(file); }

    void Remove(const File* file) { std::erase(files_, file); }

    // Drops every read buffer of identity that overlaps [start, start + count).
    void DropBuffers(const FileIdentity& identity, uint64_t start, uint64_t count) {
        for (File* f : files_) {
            if (f->identity_ != identity || f->bufferLength_ == 0) continue;
            const uint64_t bufferEnd = f->bufferStart_ + f->bufferLength_;
            const bool before = count <= std::numeric_limits<uint64_t>::max() - start &&
                                start + count <= f->bufferStart_;
            if (!before && start < bufferEnd) f->DropReadBuffer();
        }
    }

    void DropAllBuffers(const FileIdentity& identity) {
        for (File* f : files_) {
            if (f->identity_ == identity) f->DropReadBuffer();
        }
    }

private:
    static bool Reads(Access a) { return a != Access::Write; }
    static bool Writes(Access a) { return a != Access::Read; }
    static bool DeniesRead(Share s) { return s == Share::Exclusive || s == Share::DenyRead; }
    static bool DeniesWrite(Share s) { return s == Share::Exclusive || s == Share::DenyWrite; }

    static bool Compatible(const OpenFlags& existing, const OpenFlags& wanted) {
        if (Reads(wanted.access) && DeniesRead(existing.share)) return false;
        if (Writes(wanted.access) && DeniesWrite(existing.share)) return false;
        if (Reads(existing.access) && DeniesRead(wanted.share)) return false;
        if (Writes(existing.access) && DeniesWrite(wanted.share)) return false;
        return true;
    }

    std::vector<File*> files_;
};

namespace {

constexpr std::size_t kOpCount = static_cast<std::size_t>(FileOp::Remove) + 1;
constexpr std::size_t kPendingPerOp = 4;

// A failure waiting for its operation: it strikes when remaining calls of
// that operation have passed.
struct PendingFault {
    FileCause cause = FileCause::None;
    int remaining = 0;
};
constinit std::array<std::array<PendingFault, kPendingPerOp>, kOpCount> g_faults{};

// The injected failure for this call of op, consumed; None when there is none.
FileCause TakeFault(FileOp op) {
    const auto index = static_cast<std::size_t>(op);
    if (index >= kOpCount) return FileCause::None;
    FileCause strike = FileCause::None;
    for (PendingFault& pending : g_faults[index]) {
        if (pending.cause == FileCause::None) continue;
        if (pending.remaining == 0 && strike == FileCause::None) {
            strike = pending.cause;
            pending = PendingFault{};
        } else if (pending.remaining > 0) {
            --pending.remaining;
        }
    }
    return strike;
}

void ThrowIfFault(FileOp op, const std::string& path) {
    const FileCause cause = TakeFault(op);
    if (cause != FileCause::None) throw FileException(cause, -1, path);
}

// A NUL inside a name would silently cut it short at the system call.
bool UsablePath(const std::string& path) {
    return !path.empty() && path.find('\0') == std::string::npos;
}

constexpr uint64_t kMaxPosition = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());

}  // namespace

File::File() = default;

File::~File() {
    if (IsOpen()) Release();
}

void File::Fail(FileCause cause) const { throw FileException(cause, -1, path_); }

void File::CheckOpen() const {
    if (fd_ < 0) Fail(FileCause::InvalidFile);
}

bool File::Open(const std::string& path, OpenFlags flags, FileException* error) {
    auto failed = [&](FileCause cause) {
        if (error != nullptr) error->Set(cause, -1, path);
        return false;
    };
    if (IsOpen()) Release();  // reopening an object never leaks its old handle

    if (const FileCause injected = TakeFault(FileOp::Open); injected != FileCause::None) {
        return failed(injected);
    }
    if (!UsablePath(path)) return failed(FileCause::BadPath);

    try {
        Vfs& vfs = CurrentVfs();
        auto& registry = OpenFileRegistry::Instance();
        std::string full = vfs.FullPath(path);

        // Creating empties an existing file: refuse before the truncation,
        // not after it, when the sharing of another open forbids this one.
        if (flags.create) {
            FileStatus status;
            FileIdentity existing;
            if (vfs.Stat(full, status, existing) && !status.isDirectory &&
                registry.Conflicts(existing, flags)) {
                return failed(FileCause::SharingViolation);
            }
        }

        int32_t fd = -1;
        if (const FileCause cause = vfs.Open(full, flags.access, flags.create, fd);
            cause != FileCause::None) {
            return failed(cause);
        }
        FileIdentity identity;
        FileCause cause = vfs.Identify(fd, identity);
        if (cause == FileCause::None && registry.Conflicts(identity, flags)) {
            cause = FileCause::SharingViolation;
        }
        if (cause == FileCause::None) {
            try {
                registry.Add(this);
            } catch (const std::bad_alloc&) {
                cause = FileCause::Generic;
            }
        }
        if (cause != FileCause::None) {
            vfs.Close(fd);
            return failed(cause);
        }

        vfs_ = &vfs;
        fd_ = fd;
        flags_ = flags;
        identity_ = identity;
        path_ = std::move(full);
        position_ = 0;
        bufferStart_ = 0;
        bufferLength_ = 0;
        // The file may have been emptied under other opens' read buffers.
        if (flags.create) registry.DropAllBuffers(identity);
        return true;
    } catch (const std::bad_alloc&) {
        return failed(FileCause::Generic);
    }
}

FileCause File::Release() {
    OpenFileRegistry::Instance().Remove(this);
    const FileCause cause = vfs_->Close(fd_);
    fd_ = -1;
    vfs_ = nullptr;
    bufferLength_ = 0;
    position_ = 0;
    return cause;
}

void File::Close() {
    if (!IsOpen()) return;
    const FileCause injected = TakeFault(FileOp::Close);
    const FileCause cause = Release();  // the handle goes even when the close fails
    if (injected != FileCause::None) Fail(injected);
    if (cause != FileCause::None) Fail(cause);
}

uint32_t File::ReadDirect(uint8_t* out, uint32_t count) {
    uint32_t got = 0;
    if (const FileCause cause = vfs_->ReadAt(fd_, out, count, position_, got);
        cause != FileCause::None) {
        Fail(cause);
    }
    position_ += got;
    return got;
}

uint32_t File::Read(void* buffer, uint32_t count) {
    ThrowIfFault(FileOp::Read, path_);
    CheckOpen();
    if (flags_.access == Access::Write) Fail(FileCause::AccessDenied);
    if (count == 0) return 0;
    if (buffer == nullptr) Fail(FileCause::Generic);

    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        const uint64_t bufferEnd = bufferStart_ + bufferLength_;
        if (bufferLength_ > 0 && position_ >= bufferStart_ && position_ < bufferEnd) {
            const auto offset = static_cast<std::size_t>(position_ - bufferStart_);
            const auto n = static_cast<uint32_t>(
                std::min<uint64_t>(count - done, bufferEnd - position_));
            std::memcpy(out + done, buffer_.data() + offset, n);
            done += n;
            position_ += n;
            continue;
        }
        const uint32_t remaining = count - done;
        if (remaining >= kReadBufferSize) return done + ReadDirect(out + done, remaining);
        if (buffer_.size() != kReadBufferSize) {
            try {
                buffer_.resize(kReadBufferSize);
            } catch (const std::bad_alloc&) {
                return done + ReadDirect(out + done, remaining);  // unbuffered is still correct
            }
        }
        bufferLength_ = 0;
        uint32_t got = 0;
        if (const FileCause cause =
                vfs_->ReadAt(fd_, buffer_.data(), kReadBufferSize, position_, got);
            cause != FileCause::None) {
            Fail(cause);
        }
        if (got == 0) break;  // end of file
        bufferStart_ = position_;
        bufferLength_ = got;
    }
    return done;
}

void File::Write(const void* buffer, uint32_t count) {
    ThrowIfFault(FileOp::Write, path_);
    CheckOpen();
    if (flags_.access == Access::Read) Fail(FileCause::AccessDenied);
    if (count == 0) return;
    if (buffer == nullptr) Fail(FileCause::Generic);

    const FileCause cause = vfs_->WriteAt(fd_, buffer, count, position_);
    // Even a failed write may have changed part of the range.
    OpenFileRegistry::Instance().DropBuffers(identity_, position_, count);
    if (cause != FileCause::None) Fail(cause);
    position_ += count;
}

uint64_t File::Seek(int64_t offset, SeekFrom from) {
    ThrowIfFault(FileOp::Seek, path_);
    CheckOpen();
    uint64_t base = 0;
    switch (from) {
        case SeekFrom::Begin: base = 0; break;
        case SeekFrom::Current: base = position_; break;
        case SeekFrom::End:
            if (const FileCause cause = vfs_->Size(fd_, base); cause != FileCause::None) {
                Fail(cause);
            }
            break;
        default: Fail(FileCause::BadSeek);
    }
    uint64_t target = 0;
    if (offset < 0) {
        const uint64_t back = static_cast<uint64_t>(-(offset + 1)) + 1;  // no overflow at INT64_MIN
        if (back > base) Fail(FileCause::BadSeek);
        target = base - back;
    } else {
        const auto forward = static_cast<uint64_t>(offset);
        if (base > kMaxPosition || forward > kMaxPosition - base) Fail(FileCause::BadSeek);
        target = base + forward;
    }
    position_ = target;
    return position_;
}

uint64_t File::GetPosition() const {
    ThrowIfFault(FileOp::Position, path_);
    CheckOpen();
    return position_;
}

uint64_t File::GetLength() const {
    ThrowIfFault(FileOp::Length, path_);
    CheckOpen();
    uint64_t size = 0;
    if (const FileCause cause = vfs_->Size(fd_, size); cause != FileCause::None) Fail(cause);
    return size;
}

bool File::GetStatus(const std::string& path, FileStatus& status) {
    if (TakeFault(FileOp::Status) != FileCause::None) return false;
    if (!UsablePath(path)) return false;
    try {
        Vfs& vfs = CurrentVfs();
        FileIdentity identity;
        FileStatus found;
        if (!vfs.Stat(vfs.FullPath(path), found, identity)) return false;
        status = found;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void File::Remove(const std::string& path) {
    ThrowIfFault(FileOp::Remove, path);
    if (!UsablePath(path)) throw FileException(FileCause::BadPath, -1, path);
    FileCause cause = FileCause::None;
    try {
        Vfs& vfs = CurrentVfs();
        const std::string full = vfs.FullPath(path);
        FileStatus status;
        FileIdentity identity;
        if (vfs.Stat(full, status, identity)) {
            if (status.isDirectory) {
                cause = FileCause::AccessDenied;
            } else if (OpenFileRegistry::Instance().IsOpen(identity)) {
                cause = FileCause::SharingViolation;
            }
        }
        if (cause == FileCause::None) cause = vfs.Remove(full);
    } catch (const std::bad_alloc&) {
        cause = FileCause::Generic;
    }
    if (cause != FileCause::None) throw FileException(cause, -1, path);
}

void File::FailNext(FileOp op, FileCause cause, int skip) {
    const auto index = static_cast<std::size_t>(op);
    if (index >= kOpCount || cause == FileCause::None || skip < 0) return;
    for (PendingFault& pending : g_faults[index]) {
        if (pending.cause == FileCause::None) {
            pending = PendingFault{cause, skip};
            return;
        }
    }
}

void File::ClearFaults() {
    for (auto& pending : g_faults) pending.fill(PendingFault{});
}

void File::Initialize() {
    OpenFileRegistry::Instance();
    PosixVfs();
}

}  // namespace zel::platform
