// The file layer of POSIX systems.
#include "platform/Vfs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <limits>
#include <new>
#include <vector>

namespace zel::platform {
namespace {

constexpr uint64_t kMaxOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());

// The folder part of an absolute or relative path ("/" for a root entry,
// "." for a bare name). Trailing slashes belong to the entry, not the folder.
std::string ParentOf(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const auto slash = p.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return p.substr(0, slash);
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Windows tells a missing file from a missing folder; so do we.
FileCause MissingCause(const std::string& path) {
    return IsFolder(ParentOf(path)) ? FileCause::FileNotFound : FileCause::BadPath;
}

std::string CurrentDirectory() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) return std::string(buffer.data());
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
}

// Resolves "." and ".." by name only. A trailing slash is kept, so that a
// name written as a folder still opens as one.
std::string Normalise(const std::string& path) {
    const bool absolute = !path.empty() && path.front() == '/';
    const bool trailingSlash = path.size() > 1 && path.back() == '/';
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        auto end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
            } else if (!absolute) {
                parts.push_back(std::move(part));
            }
            continue;
        }
        parts.push_back(std::move(part));
    }
    std::string result = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) result += '/';
        result += parts[i];
    }
    if (result.empty()) return ".";
    if (trailingSlash && result != "/") result += '/';
    return result;
}

// A failed read or write leaves the pointer where it was: moves it back over
// the bytes that went through before the failure.
void Unwind(int fd, uint32_t moved) {
    if (moved > 0) ::lseek(fd, -static_cast<off_t>(moved), SEEK_CUR);
}

// lseek's EINVAL means a position the file cannot have, not a bad name.
FileCause SeekCause(int err) { return err == EINVAL ? FileCause::BadSeek : CauseFromSystemError(err); }

FileIdentity IdentityOf(const struct stat& st) {
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

// POSIX has no sharing modes: the layer keeps the opens of this process with
// what each grants others, and refuses by Windows' rules.
class ShareTable {
public:
    // True when an open of identity for access granting share is forbidden by
    // another open, or would forbid an access that another open already has.
    bool Conflicts(const FileIdentity& identity, Access access, Share share) const {
        return std::any_of(opens_.begin(), opens_.end(), [&](const Entry& e) {
            return e.identity == identity && !Compatible(e, access, share);
        });
    }
    bool IsOpen(const FileIdentity& identity) const {
        return std::any_of(opens_.begin(), opens_.end(),
                           [&](const Entry& e) { return e.identity == identity; });
    }
    void Add(int fd, const FileIdentity& identity, Access access, Share share) {
        opens_.push_back({fd, identity, access, share});
    }
    void Remove(int fd) {
        std::erase_if(opens_, [fd](const Entry& e) { return e.fd == fd; });
    }

private:
    struct Entry {
        int fd;
        FileIdentity identity;
        Access access;
        Share share;
    };
    static bool Reads(Access a) { return a != Access::Write; }
    static bool Writes(Access a) { return a != Access::Read; }
    static bool DeniesRead(Share s) { return s == Share::Exclusive || s == Share::DenyRead; }
    static bool DeniesWrite(Share s) { return s == Share::Exclusive || s == Share::DenyWrite; }
    static bool Compatible(const Entry& existing, Access access, Share share) {
        if (Reads(access) && DeniesRead(existing.share)) return false;
        if (Writes(access) && DeniesWrite(existing.share)) return false;
        if (Reads(existing.access) && DeniesRead(share)) return false;
        if (Writes(existing.access) && DeniesWrite(share)) return false;
        return true;
    }

    std::vector<Entry> opens_;
};

class PosixVfsImpl final : public Vfs {
public:
    FileCause Open(const std::string& path, Access access, Share share, bool create,
                   int32_t& fd) override {
        fd = -1;
        // Creating empties an existing file: refuse before the truncation,
        // not after it, when the sharing of another open forbids this one.
        if (create) {
            struct stat st {};
            if (::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
                shares_.Conflicts(IdentityOf(st), access, share)) {
                return FileCause::SharingViolation;
            }
        }
        int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;  // a FIFO must not hang the open
        switch (access) {
            case Access::Read: flags |= O_RDONLY; break;
            case Access::Write: flags |= O_WRONLY; break;
            case Access::ReadWrite: flags |= O_RDWR; break;
        }
        if (create) flags |= O_CREAT | O_TRUNC;
        int handle;
        do {
            handle = ::open(path.c_str(), flags, 0666);
        } while (handle < 0 && errno == EINTR);
        if (handle < 0) {
            const int err = errno;
            if (err == ENOENT) return create ? FileCause::BadPath : MissingCause(path);
            return CauseFromSystemError(err);
        }
        struct stat st {};
        FileCause cause = FileCause::None;
        if (::fstat(handle, &st) != 0) {
            cause = CauseFromSystemError(errno);
        } else if (S_ISDIR(st.st_mode)) {
            cause = FileCause::AccessDenied;  // a directory is not a file
        } else if (shares_.Conflicts(IdentityOf(st), access, share)) {
            cause = FileCause::SharingViolation;
        } else {
            const int fl = ::fcntl(handle, F_GETFL);
            if (fl < 0 || ::fcntl(handle, F_SETFL, fl & ~O_NONBLOCK) != 0) {
                cause = CauseFromSystemError(errno);
            }
        }
        if (cause == FileCause::None) {
            try {
                shares_.Add(handle, IdentityOf(st), access, share);
            } catch (const std::bad_alloc&) {
                cause = FileCause::Generic;
            }
        }
        if (cause != FileCause::None) {
            ::close(handle);
            return cause;
        }
        fd = handle;
        return FileCause::None;
    }

    FileCause Close(int32_t fd) override {
        shares_.Remove(fd);
        // EINTR still releases the descriptor on Linux; retrying could close
        // a descriptor that another open has been given meanwhile.
        if (::close(fd) != 0 && errno != EINTR) return CauseFromSystemError(errno);
        return FileCause::None;
    }

    FileCause Read(int32_t fd, void* buffer, uint32_t count, uint32_t& got) override {
        got = 0;
        auto* out = static_cast<unsigned char*>(buffer);
        while (got < count) {
            const ssize_t n = ::read(fd, out + got, count - got);
            if (n < 0) {
                if (errno == EINTR) continue;
                const int err = errno;
                Unwind(fd, got);
                got = 0;
                return CauseFromSystemError(err);
            }
            if (n == 0) break;
            got += static_cast<uint32_t>(n);
        }
        return FileCause::None;
    }

    FileCause Write(int32_t fd, const void* buffer, uint32_t count) override {
        const auto* in = static_cast<const unsigned char*>(buffer);
        uint32_t done = 0;
        while (done < count) {
            const ssize_t n = ::write(fd, in + done, count - done);
            FileCause cause = FileCause::None;
            if (n < 0) {
                if (errno == EINTR) continue;
                cause = CauseFromSystemError(errno);
            } else if (n == 0) {
                cause = FileCause::DiskFull;  // no progress: the device takes no more
            }
            if (cause != FileCause::None) {
                Unwind(fd, done);
                return cause;
            }
            done += static_cast<uint32_t>(n);
        }
        return FileCause::None;
    }

    FileCause Seek(int32_t fd, uint64_t position) override {
        if (position > kMaxOffset) return FileCause::BadSeek;
        if (::lseek(fd, static_cast<off_t>(position), SEEK_SET) < 0) return SeekCause(errno);
        return FileCause::None;
    }

    FileCause Tell(int32_t fd, uint64_t& position) override {
        const off_t at = ::lseek(fd, 0, SEEK_CUR);
        if (at < 0) return SeekCause(errno);
        position = static_cast<uint64_t>(at);
        return FileCause::None;
    }

    FileCause Size(int32_t fd, uint64_t& size) override {
        struct stat st {};
        if (::fstat(fd, &st) != 0) return CauseFromSystemError(errno);
        size = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
        return FileCause::None;
    }

    FileCause Identify(int32_t fd, FileIdentity& identity) override {
        struct stat st {};
        if (::fstat(fd, &st) != 0) return CauseFromSystemError(errno);
        identity = IdentityOf(st);
        return FileCause::None;
    }

    bool Stat(const std::string& path, FileStatus& status) override {
        struct stat st {};
        if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
        status.size = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
        status.isDirectory = S_ISDIR(st.st_mode);
        return true;
    }

    FileCause Remove(const std::string& path) override {
        if (struct stat st {}; ::stat(path.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) return FileCause::AccessDenied;
            if (shares_.IsOpen(IdentityOf(st))) return FileCause::SharingViolation;
        }
        if (::unlink(path.c_str()) == 0) return FileCause::None;
        const int err = errno;
        if (err == ENOENT) return MissingCause(path);
        if (err == EISDIR || IsFolder(path)) return FileCause::AccessDenied;
        return CauseFromSystemError(err);
    }

    std::string FullPath(const std::string& path) override {
        if (!path.empty() && path.front() == '/') return Normalise(path);
        const std::string cwd = CurrentDirectory();
        if (cwd.empty()) return Normalise(path);  // no current folder: keep it relative
        return Normalise(cwd + "/" + path);
    }

private:
    ShareTable shares_;
};

}  // namespace

Vfs& SystemVfs() {
    // Built on first use; see File::Initialize for the order at exit.
    static PosixVfsImpl vfs;
    return vfs;
}

std::string_view FileNameOf(std::string_view path) {
    const std::size_t cut = path.find_last_of('/');
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

FileCause CauseFromSystemError(int64_t code) {
    switch (code) {
        case ENOENT: return FileCause::FileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case EINVAL: return FileCause::BadPath;
        case EMFILE:
        case ENFILE: return FileCause::TooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return FileCause::AccessDenied;
        case EBADF: return FileCause::InvalidFile;
        case ENOSPC:
        case EDQUOT: return FileCause::DiskFull;
        case EIO: return FileCause::HardIO;
        case ESPIPE:
        case EOVERFLOW: return FileCause::BadSeek;
        default: return FileCause::Generic;
    }
}

}  // namespace zel::platform
