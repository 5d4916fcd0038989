#include "platform/Vfs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <limits>
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
FileCause SeekCause(int err) { return err == EINVAL ? FileCause::BadSeek : CauseFromErrno(err); }

class PosixVfsImpl final : public Vfs {
public:
    FileCause Open(const std::string& path, Access access, bool create, int32_t& fd) override {
        fd = -1;
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
            return CauseFromErrno(err);
        }
        struct stat st {};
        FileCause cause = FileCause::None;
        if (::fstat(handle, &st) != 0) {
            cause = CauseFromErrno(errno);
        } else if (S_ISDIR(st.st_mode)) {
            cause = FileCause::AccessDenied;  // a directory is not a file
        } else {
            const int fl = ::fcntl(handle, F_GETFL);
            if (fl < 0 || ::fcntl(handle, F_SETFL, fl & ~O_NONBLOCK) != 0) {
                cause = CauseFromErrno(errno);
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
        // EINTR still releases the descriptor on Linux; retrying could close
        // a descriptor that another open has been given meanwhile.
        if (::close(fd) != 0 && errno != EINTR) return CauseFromErrno(errno);
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
                return CauseFromErrno(err);
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
                cause = CauseFromErrno(errno);
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
        if (::fstat(fd, &st) != 0) return CauseFromErrno(errno);
        size = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
        return FileCause::None;
    }

    FileCause Identify(int32_t fd, FileIdentity& identity) override {
        struct stat st {};
        if (::fstat(fd, &st) != 0) return CauseFromErrno(errno);
        identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
        return FileCause::None;
    }

    bool Stat(const std::string& path, FileStatus& status, FileIdentity& identity) override {
        struct stat st {};
        if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
        status.size = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
        status.isDirectory = S_ISDIR(st.st_mode);
        identity = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
        return true;
    }

    FileCause Remove(const std::string& path) override {
        if (::unlink(path.c_str()) == 0) return FileCause::None;
        const int err = errno;
        if (err == ENOENT) return MissingCause(path);
        if (err == EISDIR || IsFolder(path)) return FileCause::AccessDenied;
        return CauseFromErrno(err);
    }

    std::string FullPath(const std::string& path) override {
        if (!path.empty() && path.front() == '/') return Normalise(path);
        const std::string cwd = CurrentDirectory();
        if (cwd.empty()) return Normalise(path);  // no current folder: keep it relative
        return Normalise(cwd + "/" + path);
    }
};

Vfs* g_current = nullptr;

}  // namespace

Vfs& PosixVfs() {
    // Built on first use; see File::Initialize for the order at exit.
    static PosixVfsImpl vfs;
    return vfs;
}

Vfs& CurrentVfs() { return g_current != nullptr ? *g_current : PosixVfs(); }

void SetVfs(Vfs* vfs) { g_current = vfs; }

}  // namespace zel::platform
