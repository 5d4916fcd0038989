// The catalogue of everything ZEL reports as a number: the conditions that
// land in ERROR (with their number in each numbering and what SYSERR
// receives with them) and the ids of the error list.
//
// Call sites name a condition (`Err::OpenFailed`); the numbers and their
// texts live only in the lists of the public header zel/zel_errors.h, which
// hosts read too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/FileException.h"
#include "zel/zel_errors.h"

namespace zel {

// A condition that a step stores in ERROR, one for each row of ZEL_ERRORS.
enum class Err : uint8_t {
#define ZEL_ERR_ENUMERATOR(name, ...) name,
    ZEL_ERRORS(ZEL_ERR_ENUMERATOR)
#undef ZEL_ERR_ENUMERATOR
    kCount
};

// Which number ERROR receives with NEWACTIONS 0, and what the failing step
// answers there.
enum class Numbering : uint8_t {
    Legacy,  // the row's legacy number; the step answers kLegacyFailure
    Same,    // the current number, answered as with NEWACTIONS non-zero
};

// What SYSERR receives when a condition is stored.
enum class SysErrRule : uint8_t {
    Keep,         // left as it is
    Cause,        // the file exception's cause; legacy: its legacy code
    CauseOrZero,  // the cause; legacy: 0
    Zero,         // 0 in both numberings
    NotFound,     // 0; legacy: kLegacyNotFound, the old code of a missing file
    BadHandle,    // 0; legacy: kLegacyBadHandle, the old code of a bad handle
};

// One row: the condition, its name, its number with NEWACTIONS non-zero,
// its legacy number (0: the legacy numbering leaves ERROR 0 there, and either
// does not fail or fails without a number), which of the two NEWACTIONS 0
// stores, the rule for SYSERR and a short text of what happened.
struct ErrorRow {
    Err id;
    const char* name;
    int32_t current;
    int32_t legacy;
    Numbering numbering;
    SysErrRule sysErr;
    const char* text;
};

// The rows in the order of Err, ended by a row with a null name.
inline constexpr ErrorRow kErrorCatalogue[] = {
#define ZEL_ERR_ROW(name, current, legacy, numbering, syserr, text) \
    {Err::name, #name, current, legacy, Numbering::numbering, SysErrRule::syserr, text},
    ZEL_ERRORS(ZEL_ERR_ROW)
#undef ZEL_ERR_ROW
    {Err::kCount, nullptr, 0, 0, Numbering::Legacy, SysErrRule::Keep, nullptr},
};

constexpr const ErrorRow& ErrorInfo(Err id) { return kErrorCatalogue[static_cast<size_t>(id)]; }

// A row numbered Same repeats its current number as its legacy one.
constexpr bool SameRowsRepeatTheirNumber() {
    for (const ErrorRow& row : kErrorCatalogue) {
        if (row.numbering == Numbering::Same && row.legacy != row.current) return false;
    }
    return true;
}
static_assert(SameRowsRepeatTheirNumber());

// SYSERR in the legacy numbering for a file that does not exist, and for a
// file number that names no open file.
inline constexpr int32_t kLegacyNotFound = ZEL_LEGACY_NOT_FOUND;
inline constexpr int32_t kLegacyBadHandle = 9;

// The code every failing step returns in the legacy numbering.
inline constexpr int32_t kLegacyFailure = 2;
// Added to the inner number when an argument (not a setting) was refused.
inline constexpr int32_t kArgumentRefusedOffset = 256;
// A method run inside another (an importer's program) that failed with code
// c: the outer one answers c with this bit set, or in the legacy numbering
// stores and answers kLegacyNestedFailure.
inline constexpr int32_t kNestedOffset = 512;
inline constexpr int32_t kLegacyNestedFailure = 4;

// Ids of the error list, each recorded with the class name of the object
// that raised it: the rows of ZEL_LIST_ERRORS.
enum class ListErr : int32_t {
#define ZEL_LIST_ERR_ENUMERATOR(name, id, text) name = id,
    ZEL_LIST_ERRORS(ZEL_LIST_ERR_ENUMERATOR)
#undef ZEL_LIST_ERR_ENUMERATOR
};

}  // namespace zel
