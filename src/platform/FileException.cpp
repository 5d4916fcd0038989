#include "platform/FileException.h"

#include <cerrno>

namespace zel::platform {

const char* FileException::what() const noexcept {
    switch (cause_) {
        case FileCause::None: return "no error";
        case FileCause::Generic: return "unspecified file error";
        case FileCause::FileNotFound: return "file not found";
        case FileCause::BadPath: return "bad path";
        case FileCause::TooManyOpenFiles: return "too many open files";
        case FileCause::AccessDenied: return "access denied";
        case FileCause::InvalidFile: return "invalid file";
        case FileCause::RemoveCurrentDir: return "cannot remove the current directory";
        case FileCause::DirectoryFull: return "directory full";
        case FileCause::BadSeek: return "bad seek";
        case FileCause::HardIO: return "hardware I/O error";
        case FileCause::SharingViolation: return "sharing violation";
        case FileCause::LockViolation: return "lock violation";
        case FileCause::DiskFull: return "disk full";
        case FileCause::EndOfFile: return "end of file";
    }
    return "unknown file error";
}

int32_t LegacyCauseCode(FileCause cause) {
    switch (cause) {
        case FileCause::FileNotFound: return 23;
        case FileCause::TooManyOpenFiles: return 24;
        case FileCause::AccessDenied: return 13;
        case FileCause::InvalidFile: return 9;
        case FileCause::HardIO: return 5;
        case FileCause::SharingViolation: return 36;
        case FileCause::DiskFull: return 28;
        default: return 0;
    }
}

// Called only after a failed call, so even errno 0 answers a failure cause.
FileCause CauseFromErrno(int err) {
    switch (err) {
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
