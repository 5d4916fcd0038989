// The stand-in host on POSIX systems.
#include "System.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
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

void ReleaseReserved(void* region, std::size_t bytes) {
    if (region != nullptr) munmap(region, bytes);
}

bool ReplaceFileContents(const std::string& target, const std::string& data, std::string& error) {
    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target + ".tmp." + std::to_string(getpid()) + "." + std::to_string(counter++);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = SystemError("cannot create " + target, errno);
        return false;
    }
    auto fail = [&](const std::string& what, int code) {
        if (fd >= 0) close(fd);
        unlink(temporary.c_str());
        error = SystemError(what + target, code);
        return false;
    };
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail("cannot write ", n < 0 ? errno : ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    if (fsync(fd) != 0) return fail("cannot write ", errno);
    const int closing = fd;
    fd = -1;
    if (close(closing) != 0) return fail("cannot write ", errno);
    if (std::rename(temporary.c_str(), target.c_str()) != 0) return fail("cannot replace ", errno);
    return true;
}

void WriteStandardOutputAsIs() {}  // POSIX streams never change line ends

}  // namespace tavrel::system
