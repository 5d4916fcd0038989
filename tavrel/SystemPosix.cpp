// The stand-in host on POSIX systems.
#include "System.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

namespace tavrel::system {

void* LoadModule(const std::string& path) {
    dlerror();
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* error = dlerror();
        throw std::runtime_error(error != nullptr ? error : "cannot load " + path);
    }
    return module;
}

void* FindExport(void* module, const char* name) { return dlsym(module, name); }

void UnloadModule(void* module) {
    if (module != nullptr) dlclose(module);
}

namespace {

// The first bytes stay on ordinary pages, so that a small region costs
// little; past them large pages are asked for, so that a large one costs few
// page faults.
constexpr std::size_t kSmallBytes = std::size_t{2} << 20;

std::string SystemError(const std::string& what, int code) { return what + ": " + std::strerror(code); }

}  // namespace

void* ReserveZeroed(std::size_t bytes) {
    void* region = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (region == MAP_FAILED) throw std::bad_alloc();
    if (bytes > kSmallBytes) {
        madvise(static_cast<char*>(region) + kSmallBytes, bytes - kSmallBytes, MADV_HUGEPAGE);
    }
    return region;
}

void DropPages(void* at, std::size_t bytes) {
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<uintptr_t>(at) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<uintptr_t>(at) + bytes) & ~(page - 1);
    if (begin < end) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

void ReleaseReserved(void* region, std::size_t bytes) {
    if (region != nullptr) munmap(region, bytes);
}

FileReplacement::~FileReplacement() { discard(); }

void FileReplacement::discard() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
}

bool FileReplacement::open(const std::string& target, std::string& error) {
    discard();
    target_ = target;
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists) {
        // access() grants root everything; a file without any write bit is
        // read-only all the same, and stays as it is.
        if (S_ISDIR(existing.st_mode)) {
            error = SystemError("cannot replace " + target, EISDIR);
            return false;
        }
        if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            error = "cannot replace " + target + ": the file is read-only";
            return false;
        }
        if (access(target.c_str(), W_OK) != 0) {
            error = SystemError("cannot replace " + target, errno);
            return false;
        }
    }
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = target + ".tmp." + std::to_string(getpid()) + "." + std::to_string(counter++);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
        error = SystemError("cannot create " + target, errno);
        temporary_.clear();
        return false;
    }
    // The replacement keeps the permissions of the file it replaces.
    if (exists) fchmod(fd_, existing.st_mode & 0777);
    return true;
}

bool FileReplacement::write(const char* data, std::size_t size, std::string& error) {
    if (fd_ < 0) {
        error = SystemError("cannot write " + target_, EBADF);
        return false;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
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
    auto fail = [&](const std::string& what, int code) {
        error = SystemError(what + target_, code);
        discard();
        return false;
    };
    if (fsync(fd_) != 0) return fail("cannot write ", errno);
    const int closing = fd_;
    fd_ = -1;
    if (close(closing) != 0) return fail("cannot write ", errno);
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return fail("cannot replace ", errno);
    temporary_.clear();
    return true;
}

void WriteStandardOutputAsIs() {}  // POSIX streams never change line ends

}  // namespace tavrel::system
