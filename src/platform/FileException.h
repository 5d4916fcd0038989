// Failures of the file layer: an exception that carries a cause code.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace zel::platform {

// The cause codes of the file layer, as scripts see them in SYSERR.
enum class FileCause : int32_t {
    None = 0,
    Generic = 1,
    FileNotFound = 2,
    BadPath = 3,
    TooManyOpenFiles = 4,
    AccessDenied = 5,
    InvalidFile = 6,
    RemoveCurrentDir = 7,
    DirectoryFull = 8,
    BadSeek = 9,
    HardIO = 10,
    SharingViolation = 11,
    LockViolation = 12,
    DiskFull = 13,
    EndOfFile = 14,
};

class FileException : public std::exception {
public:
    FileException() = default;
    explicit FileException(FileCause cause, int32_t osError = -1, std::string fileName = {})
        : cause_(cause), osError_(osError), fileName_(std::move(fileName)) {}

    FileCause cause() const { return cause_; }
    int32_t causeCode() const { return static_cast<int32_t>(cause_); }
    int32_t osError() const { return osError_; }
    const std::string& fileName() const { return fileName_; }
    const char* what() const noexcept override;

    void Set(FileCause cause, int32_t osError, std::string fileName) {
        cause_ = cause;
        osError_ = osError;
        fileName_ = std::move(fileName);
    }

private:
    FileCause cause_ = FileCause::None;
    int32_t osError_ = -1;
    std::string fileName_;
};

// The legacy SYSERR value of a cause.
int32_t LegacyCauseCode(FileCause cause);

// Maps an errno value to a cause.
FileCause CauseFromErrno(int err);

}  // namespace zel::platform
