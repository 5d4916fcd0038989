#include "platform/FileException.h"

#include <cerrno>

namespace zel::platform {

const char* FileException::what() const noexcept {
    const CauseRow* row = FindCause(causeCode());
    return row != nullptr ? row->text : "unknown file error";
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
