#include "platform/File.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace zel::platform {

// Every open File of this process, so that writes can drop each other's
// stale read buffers.
class OpenFileRegistry {
public:
    // Built on first use; objects that keep files open until they are
    // destroyed at unload call File::Initialize first, so that the registry
    // outlives them.
    static OpenFileRegistry& Instance() {
        static OpenFileRegistry registry;
        return registry;
    }

    void Add(File* file) { files_.push_back(file); }

    void Remove(const File* file) { std::erase(files_, file); }

    // Drops every read buffer of identity that overlaps [start, start + count).
    void DropBuffers(const FileIdentity& identity, uint64_t start, uint64_t count) {
        for (File* f : files_) {
            if (f->identity_ != identity || f->bufferLength_ == 0) continue;
            const uint64_t bufferStart = f->BufferStart();
            const bool before = count <= std::numeric_limits<uint64_t>::max() - start &&
                                start + count <= bufferStart;
            if (!before && start < f->pointer_) f->DropReadBuffer();
        }
    }

    void DropAllBuffers(const FileIdentity& identity) {
        for (File* f : files_) {
            if (f->identity_ == identity) f->DropReadBuffer();
        }
    }

private:
    std::vector<File*> files_;
};

namespace {

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

void File::Fail(FileCause cause) const { throw FileException(cause); }

void File::CheckOpen() const {
    if (fd_ < 0) Fail(FileCause::InvalidFile);
}

bool File::Open(const std::string& path, OpenFlags flags, FileException* error) {
    auto failed = [&](FileCause cause) {
        if (error != nullptr) error->Set(cause);
        return false;
    };
    if (IsOpen()) Release();  // reopening an object never leaks its old handle

    if (!UsablePath(path)) return failed(FileCause::BadPath);

    try {
        Vfs& vfs = CurrentVfs();
        auto& registry = OpenFileRegistry::Instance();
        std::string full = vfs.FullPath(path);

        int32_t fd = -1;
        if (const FileCause cause = vfs.Open(full, flags.access, flags.share, flags.create, fd);
            cause != FileCause::None) {
            return failed(cause);
        }
        FileIdentity identity;
        FileCause cause = vfs.Identify(fd, identity);
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
        ResetBuffer(0);
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
    ResetBuffer(0);
    return cause;
}

void File::Close() {
    if (!IsOpen()) return;
    // The handle goes even when the close fails.
    if (const FileCause cause = Release(); cause != FileCause::None) Fail(cause);
}

void File::ResetBuffer(uint64_t pointer) {
    pointer_ = pointer;
    bufferLength_ = 0;
    cursor_ = 0;
    bufferStale_ = false;
}

void File::ReturnToPosition() {
    if (Unread() > 0) {
        const uint64_t position = pointer_ - Unread();
        if (const FileCause cause = vfs_->Seek(fd_, position); cause != FileCause::None) {
            Fail(cause);
        }
        pointer_ = position;
    }
    ResetBuffer(pointer_);
}

uint32_t File::ReadDirect(uint8_t* out, uint32_t count) {
    ReturnToPosition();
    uint32_t got = 0;
    if (const FileCause cause = vfs_->Read(fd_, out, count, got); cause != FileCause::None) {
        Fail(cause);
    }
    pointer_ += got;
    return got;
}

uint32_t File::Read(void* buffer, uint32_t count) {
    CheckOpen();
    if (flags_.access == Access::Write) Fail(FileCause::AccessDenied);
    if (count == 0) return 0;
    if (buffer == nullptr) Fail(FileCause::Generic);

    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        if (!bufferStale_ && cursor_ < bufferLength_) {
            const uint32_t n = std::min(count - done, Unread());
            std::memcpy(out + done, buffer_.data() + cursor_, n);
            done += n;
            cursor_ += n;
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
        ReturnToPosition();
        uint32_t got = 0;
        if (const FileCause cause = vfs_->Read(fd_, buffer_.data(), kReadBufferSize, got);
            cause != FileCause::None) {
            Fail(cause);
        }
        pointer_ += got;
        bufferLength_ = got;
        if (got == 0) break;  // end of file
    }
    return done;
}

std::span<const uint8_t> File::Peek() {
    CheckOpen();
    if (flags_.access == Access::Write) Fail(FileCause::AccessDenied);
    if (bufferStale_ || cursor_ >= bufferLength_) {
        if (buffer_.size() != kReadBufferSize) buffer_.resize(kReadBufferSize);
        ReturnToPosition();
        uint32_t got = 0;
        if (const FileCause cause = vfs_->Read(fd_, buffer_.data(), kReadBufferSize, got);
            cause != FileCause::None) {
            Fail(cause);
        }
        pointer_ += got;
        bufferLength_ = got;
    }
    return {buffer_.data() + cursor_, Unread()};
}

void File::Write(const void* buffer, uint32_t count) {
    CheckOpen();
    if (flags_.access == Access::Read) Fail(FileCause::AccessDenied);
    if (count == 0) return;
    if (buffer == nullptr) Fail(FileCause::Generic);

    ReturnToPosition();
    if (pointer_ > kMaxPosition || count > kMaxPosition - pointer_) Fail(FileCause::BadSeek);
    const FileCause cause = vfs_->Write(fd_, buffer, count);
    // Even a failed write may have changed part of the range.
    OpenFileRegistry::Instance().DropBuffers(identity_, pointer_, count);
    if (cause != FileCause::None) Fail(cause);
    pointer_ += count;
}

uint64_t File::Seek(int64_t offset, SeekFrom from) {
    CheckOpen();
    uint64_t base = 0;
    switch (from) {
        case SeekFrom::Begin: base = 0; break;
        case SeekFrom::Current: base = GetPosition(); break;
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
    // Inside the read-ahead only the cursor moves; the layer's pointer
    // already stands past it.
    if (!bufferStale_ && bufferLength_ > 0 && target >= BufferStart() && target <= pointer_) {
        cursor_ = static_cast<uint32_t>(target - BufferStart());
        return target;
    }
    if (const FileCause cause = vfs_->Seek(fd_, target); cause != FileCause::None) Fail(cause);
    ResetBuffer(target);
    return target;
}

uint64_t File::GetPosition() const {
    CheckOpen();
    uint64_t pointer = 0;
    if (const FileCause cause = vfs_->Tell(fd_, pointer); cause != FileCause::None) Fail(cause);
    // Only this File moves the pointer, so it stands past the unread bytes;
    // a pointer short of them means the layer lost the file.
    if (pointer < Unread()) Fail(FileCause::InvalidFile);
    return pointer - Unread();
}

uint64_t File::GetLength() const {
    CheckOpen();
    uint64_t size = 0;
    if (const FileCause cause = vfs_->Size(fd_, size); cause != FileCause::None) Fail(cause);
    return size;
}

bool File::GetStatus(const std::string& path, FileStatus& status) {
    if (!UsablePath(path)) return false;
    try {
        Vfs& vfs = CurrentVfs();
        FileStatus found;
        if (!vfs.Stat(vfs.FullPath(path), found)) return false;
        status = found;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void File::Remove(const std::string& path) {
    if (!UsablePath(path)) throw FileException(FileCause::BadPath);
    FileCause cause = FileCause::None;
    try {
        Vfs& vfs = CurrentVfs();
        cause = vfs.Remove(vfs.FullPath(path));
    } catch (const std::bad_alloc&) {
        cause = FileCause::Generic;
    }
    if (cause != FileCause::None) throw FileException(cause);
}

void File::Initialize() {
    OpenFileRegistry::Instance();
    SystemVfs();
}

}  // namespace zel::platform
