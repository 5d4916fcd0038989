// The stand-in host on Windows.
#include "System.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <system_error>

namespace tavrel::system {

namespace {

std::string WindowsError(DWORD code) { return std::system_category().message(static_cast<int>(code)); }

std::string SystemError(const std::string& what, int code) { return what + ": " + std::strerror(code); }

}  // namespace

void* LoadModule(const std::string& path) {
    HMODULE module = ::LoadLibraryA(path.c_str());
    if (module == nullptr) throw std::runtime_error(path + ": " + WindowsError(::GetLastError()));
    return reinterpret_cast<void*>(module);
}

void* FindExport(void* module, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

void UnloadModule(void* module) {
    if (module != nullptr) ::FreeLibrary(static_cast<HMODULE>(module));
}

void* ReserveZeroed(std::size_t bytes) {
    // Committed pages are zero and take memory only once they are touched.
    void* region = ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (region == nullptr) throw std::bad_alloc();
    return region;
}

void DropPages(void* at, std::size_t bytes) {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    const uintptr_t page = info.dwPageSize;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(at) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(at) + bytes) & ~(page - 1);
    if (begin >= end) return;
    // Decommitted and committed again: zero pages that cost nothing until touched.
    ::VirtualFree(reinterpret_cast<void*>(begin), end - begin, MEM_DECOMMIT);
    ::VirtualAlloc(reinterpret_cast<void*>(begin), end - begin, MEM_COMMIT, PAGE_READWRITE);
}

void ReleaseReserved(void* region, std::size_t) {
    if (region != nullptr) ::VirtualFree(region, 0, MEM_RELEASE);
}

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::discard() {
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::DeleteFileA(temporary_.c_str());
    temporary_.clear();
}

bool FileReplacement::open(const std::string& target, std::string& error) {
    discard();
    target_ = target;
    const DWORD attributes = ::GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            error = SystemError("cannot replace " + target, EISDIR);
            return false;
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            error = "cannot replace " + target + ": the file is read-only";
            return false;
        }
    }
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = target + ".tmp." + std::to_string(_getpid()) + "." + std::to_string(counter++);
        fd_ = _open(temporary_.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        error = SystemError("cannot create " + target, errno);
        temporary_.clear();
        return false;
    }
    return true;
}

bool FileReplacement::write(const char* data, std::size_t size, std::string& error) {
    if (fd_ < 0) {
        error = SystemError("cannot write " + target_, EBADF);
        return false;
    }
    std::size_t done = 0;
    while (done < size) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(size - done, 1u << 30));
        const int n = _write(fd_, data + done, chunk);
        if (n <= 0) {
            error = SystemError("cannot write " + target_, n < 0 ? errno : ENOSPC);
            discard();
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool FileReplacement::commit(std::string& error) {
    if (fd_ < 0) {
        error = SystemError("cannot write " + target_, EBADF);
        return false;
    }
    if (_commit(fd_) != 0) {
        error = SystemError("cannot write " + target_, errno);
        discard();
        return false;
    }
    const int closing = fd_;
    fd_ = -1;
    if (_close(closing) != 0) {
        error = SystemError("cannot write " + target_, errno);
        discard();
        return false;
    }
    if (!::MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = "cannot replace " + target_ + ": " + WindowsError(::GetLastError());
        discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void WriteStandardOutputAsIs() {
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace tavrel::system
