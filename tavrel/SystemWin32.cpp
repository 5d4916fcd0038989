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

void ReleaseReserved(void* region, std::size_t) {
    if (region != nullptr) ::VirtualFree(region, 0, MEM_RELEASE);
}

bool ReplaceFileContents(const std::string& target, const std::string& data, std::string& error) {
    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target + ".tmp." + std::to_string(_getpid()) + "." + std::to_string(counter++);
        fd = _open(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                   _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = SystemError("cannot create " + target, errno);
        return false;
    }
    auto fail = [&](const std::string& message) {
        if (fd >= 0) _close(fd);
        ::DeleteFileA(temporary.c_str());
        error = message;
        return false;
    };
    std::size_t done = 0;
    while (done < data.size()) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(data.size() - done, 1u << 30));
        const int n = _write(fd, data.data() + done, chunk);
        if (n <= 0) return fail(SystemError("cannot write " + target, n < 0 ? errno : ENOSPC));
        done += static_cast<std::size_t>(n);
    }
    if (_commit(fd) != 0) return fail(SystemError("cannot write " + target, errno));
    const int closing = fd;
    fd = -1;
    if (_close(closing) != 0) return fail(SystemError("cannot write " + target, errno));
    if (!::MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return fail("cannot replace " + target + ": " + WindowsError(::GetLastError()));
    }
    return true;
}

void WriteStandardOutputAsIs() {
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace tavrel::system
