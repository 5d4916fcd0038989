// Failures of the file layer: an exception that carries a cause code.
#pragma once

#include <cstdint>
#include <exception>

#include "zel/zel_errors.h"

namespace zel::platform {

// The cause codes of the file layer, as scripts see them in SYSERR: the
// rows of ZEL_FILE_CAUSES.
enum class FileCause : int32_t {
#define ZEL_FILE_CAUSE_ENUMERATOR(name, code, legacy, text) name = code,
    ZEL_FILE_CAUSES(ZEL_FILE_CAUSE_ENUMERATOR)
#undef ZEL_FILE_CAUSE_ENUMERATOR
};

// One row per cause: the code SYSERR shows in the legacy numbering (0 for
// a cause the legacy numbering does not name) and a short text.
struct CauseRow {
    FileCause cause;
    int32_t legacy;
    const char* text;
};

// In the order of FileCause, ended by a row with a null text.
inline constexpr CauseRow kCauses[] = {
#define ZEL_FILE_CAUSE_ROW(name, code, legacy, text) {FileCause::name, legacy, text},
    ZEL_FILE_CAUSES(ZEL_FILE_CAUSE_ROW)
#undef ZEL_FILE_CAUSE_ROW
    {FileCause::None, 0, nullptr},
};

constexpr bool CausesInOrder() {
    int32_t i = 0;
    for (; kCauses[i].text != nullptr; ++i) {
        if (static_cast<int32_t>(kCauses[i].cause) != i) return false;
    }
    return i == static_cast<int32_t>(FileCause::EndOfFile) + 1;
}
static_assert(CausesInOrder(), "the cause table lists every cause in order");

constexpr const CauseRow* FindCause(int32_t code) {
    for (const CauseRow* row = kCauses; row->text != nullptr; ++row) {
        if (static_cast<int32_t>(row->cause) == code) return row;
    }
    return nullptr;
}

// The legacy SYSERR value of a cause.
constexpr int32_t LegacyCauseCode(FileCause cause) {
    const CauseRow* row = FindCause(static_cast<int32_t>(cause));
    return row != nullptr ? row->legacy : 0;
}

class FileException : public std::exception {
public:
    FileException() = default;
    explicit FileException(FileCause cause) : cause_(cause) {}

    FileCause cause() const { return cause_; }
    int32_t causeCode() const { return static_cast<int32_t>(cause_); }
    const char* what() const noexcept override;

    void Set(FileCause cause) { cause_ = cause; }

private:
    FileCause cause_ = FileCause::None;
};

}  // namespace zel::platform
