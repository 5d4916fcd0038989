// The file layer of Windows: the Win32 file calls, with Windows' own sharing
// rules. A file's handle number is its HANDLE read as a signed 32-bit
// number (Windows keeps handle values within 32 bits on every target).
#include "platform/Vfs.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace zel::platform {
namespace {

constexpr uint64_t kMaxOffset = static_cast<uint64_t>(std::numeric_limits<LONGLONG>::max());

HANDLE ToHandle(int32_t fd) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd)); }

FileCause LastCause() { return CauseFromSystemError(static_cast<int64_t>(::GetLastError())); }

DWORD DesiredAccess(Access access) {
    switch (access) {
        case Access::Read: return GENERIC_READ;
        case Access::Write: return GENERIC_WRITE;
        case Access::ReadWrite: return GENERIC_READ | GENERIC_WRITE;
    }
    return GENERIC_READ;
}

DWORD ShareMode(Share share) {
    switch (share) {
        case Share::Exclusive: return 0;
        case Share::DenyWrite: return FILE_SHARE_READ;
        case Share::DenyRead: return FILE_SHARE_WRITE;
        case Share::DenyNone: return FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
    return 0;
}

// Moves the pointer by distance from method; answers the new place.
FileCause MovePointer(HANDLE handle, LONGLONG distance, DWORD method, uint64_t* at = nullptr) {
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER now;
    if (!::SetFilePointerEx(handle, move, &now, method)) return LastCause();
    if (now.QuadPart < 0) return FileCause::BadSeek;
    if (at != nullptr) *at = static_cast<uint64_t>(now.QuadPart);
    return FileCause::None;
}

// A failed read or write leaves the pointer where it was: moves it back over
// the bytes that went through before the failure.
void Unwind(HANDLE handle, uint32_t moved) {
    if (moved > 0) MovePointer(handle, -static_cast<LONGLONG>(moved), FILE_CURRENT);
}

class Win32VfsImpl final : public Vfs {
public:
    FileCause Open(const std::string& path, Access access, Share share, bool create,
                   int32_t& fd) override {
        fd = -1;
        // CREATE_ALWAYS empties an existing file only when the sharing of
        // the other opens allows this one; otherwise nothing is touched.
        const HANDLE handle =
            ::CreateFileA(path.c_str(), DesiredAccess(access), ShareMode(share), nullptr,
                          create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return LastCause();
        const auto value = reinterpret_cast<intptr_t>(handle);
        if (value < 0 || value > std::numeric_limits<int32_t>::max()) {
            ::CloseHandle(handle);
            return FileCause::TooManyOpenFiles;  // no handle number scripts could use
        }
        fd = static_cast<int32_t>(value);
        return FileCause::None;
    }

    FileCause Close(int32_t fd) override {
        if (!::CloseHandle(ToHandle(fd))) return LastCause();
        return FileCause::None;
    }

    FileCause Read(int32_t fd, void* buffer, uint32_t count, uint32_t& got) override {
        const HANDLE handle = ToHandle(fd);
        got = 0;
        auto* out = static_cast<unsigned char*>(buffer);
        while (got < count) {
            DWORD n = 0;
            if (!::ReadFile(handle, out + got, count - got, &n, nullptr)) {
                const FileCause cause = LastCause();
                if (cause == FileCause::EndOfFile) break;
                Unwind(handle, got);
                got = 0;
                return cause;
            }
            if (n == 0) break;
            got += n;
        }
        return FileCause::None;
    }

    FileCause Write(int32_t fd, const void* buffer, uint32_t count) override {
        const HANDLE handle = ToHandle(fd);
        const auto* in = static_cast<const unsigned char*>(buffer);
        uint32_t done = 0;
        while (done < count) {
            DWORD n = 0;
            FileCause cause = FileCause::None;
            if (!::WriteFile(handle, in + done, count - done, &n, nullptr)) {
                cause = LastCause();
            } else if (n == 0) {
                cause = FileCause::DiskFull;  // no progress: the device takes no more
            }
            if (cause != FileCause::None) {
                Unwind(handle, done);
                return cause;
            }
            done += n;
        }
        return FileCause::None;
    }

    FileCause Seek(int32_t fd, uint64_t position) override {
        if (position > kMaxOffset) return FileCause::BadSeek;
        return MovePointer(ToHandle(fd), static_cast<LONGLONG>(position), FILE_BEGIN);
    }

    FileCause Tell(int32_t fd, uint64_t& position) override {
        return MovePointer(ToHandle(fd), 0, FILE_CURRENT, &position);
    }

    FileCause Size(int32_t fd, uint64_t& size) override {
        LARGE_INTEGER length;
        if (!::GetFileSizeEx(ToHandle(fd), &length)) return LastCause();
        size = length.QuadPart > 0 ? static_cast<uint64_t>(length.QuadPart) : 0;
        return FileCause::None;
    }

    FileCause Identify(int32_t fd, FileIdentity& identity) override {
        BY_HANDLE_FILE_INFORMATION info;
        if (!::GetFileInformationByHandle(ToHandle(fd), &info)) return LastCause();
        identity = {info.dwVolumeSerialNumber,
                    (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
        return FileCause::None;
    }

    bool Stat(const std::string& path, FileStatus& status) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (path.empty() || !::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
            return false;
        }
        status.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        status.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (status.isDirectory) status.size = 0;
        return true;
    }

    FileCause Remove(const std::string& path) override {
        // A file open without delete sharing (every open of this layer)
        // refuses with a sharing violation; a folder with access denied.
        if (::DeleteFileA(path.c_str())) return FileCause::None;
        return LastCause();
    }

    std::string FullPath(const std::string& path) override {
        std::vector<char> buffer(MAX_PATH);
        for (;;) {
            const DWORD n = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()),
                                               buffer.data(), nullptr);
            if (n == 0) return path;  // no full form: keep the name as it is
            if (n < buffer.size()) return std::string(buffer.data(), n);
            buffer.resize(n);
        }
    }
};

}  // namespace

Vfs& SystemVfs() {
    // Built on first use; see File::Initialize for the order at exit.
    static Win32VfsImpl vfs;
    return vfs;
}

std::string_view FileNameOf(std::string_view path) {
    const std::size_t cut = path.find_last_of("\\/:");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

FileCause CauseFromSystemError(int64_t code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND: return FileCause::FileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_DIRECTORY:
        case ERROR_BAD_NETPATH: return FileCause::BadPath;
        case ERROR_TOO_MANY_OPEN_FILES: return FileCause::TooManyOpenFiles;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: return FileCause::AccessDenied;
        case ERROR_INVALID_HANDLE: return FileCause::InvalidFile;
        case ERROR_CURRENT_DIRECTORY: return FileCause::RemoveCurrentDir;
        case ERROR_CANNOT_MAKE:
        case ERROR_NO_MORE_FILES: return FileCause::DirectoryFull;
        case ERROR_SEEK:
        case ERROR_NEGATIVE_SEEK:
        case ERROR_SEEK_ON_DEVICE: return FileCause::BadSeek;
        case ERROR_BAD_UNIT:
        case ERROR_NOT_READY:
        case ERROR_CRC:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE: return FileCause::HardIO;
        case ERROR_SHARING_VIOLATION:
        case ERROR_SHARING_BUFFER_EXCEEDED: return FileCause::SharingViolation;
        case ERROR_LOCK_VIOLATION: return FileCause::LockViolation;
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_FULL: return FileCause::DiskFull;
        case ERROR_HANDLE_EOF: return FileCause::EndOfFile;
        default: return FileCause::Generic;
    }
}

}  // namespace zel::platform
