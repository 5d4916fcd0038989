// Roots of every script-visible member and host object.
//
// Mobj carries the run-time class name and the module-wide count of live
// objects; MoScript adds the member kind and the value-access operations
// through which the dispatcher moves numbers and texts between the host and
// a member.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "zel/zel.h"

namespace zel {

// The module's missing value: no number.
inline constexpr double kMissingValue = ZEL_MISSING_VALUE;

// Member kinds (16-bit word).
inline constexpr uint16_t kKindNumber = ZEL_KIND_NUMBER;
inline constexpr uint16_t kKindString = ZEL_KIND_STRING;
inline constexpr uint16_t kKindMethod = ZEL_KIND_METHOD;
inline constexpr uint16_t kKindIndexed = ZEL_KIND_INDEXED;

// Access flags of a property access.
inline constexpr uint16_t kAccessString = ZEL_ACCESS_STRING;
inline constexpr uint16_t kAccessSet = ZEL_ACCESS_SET;
inline constexpr uint16_t kAccessGet = ZEL_ACCESS_GET;
inline constexpr uint16_t kAccessSetCount = ZEL_ACCESS_SET_COUNT;
inline constexpr uint16_t kAccessGetCount = ZEL_ACCESS_GET_COUNT;

// Results of access operations.
inline constexpr int32_t kNotHandled = ZEL_RESULT_NOT_FOUND;
inline constexpr int32_t kDone = ZEL_RESULT_DONE;
inline constexpr int32_t kFailed = ZEL_RESULT_FAILED;

// Every class reports its own name; this macro writes the override.
#define ZEL_CLASS_NAME(Name) \
    const char* ClassName() const override { return #Name; }

class Mobj {
public:
    Mobj();
    virtual ~Mobj();
    Mobj(const Mobj&) = delete;
    Mobj& operator=(const Mobj&) = delete;

    virtual const char* ClassName() const { return "Mobj"; }
    // True when an error has been recorded since the error list was cleared.
    virtual bool HasError() const;

    static int32_t LiveObjectCount();
};

class MoMethod;

// A text buffer that a member fills: never written past its size.
using TextOut = std::span<char>;

class MoScript : public Mobj {
public:
    ZEL_CLASS_NAME(MoScript)

    // Host access: 1 done, 2 failed, 0 not handled.
    virtual int32_t AccessStringAt(char* value, int32_t index, uint16_t flags, size_t capacity);
    virtual int32_t AccessNumberAt(double* value, int32_t index, uint16_t flags);
    virtual int32_t AccessString(char* value, uint16_t flags, size_t capacity);
    virtual int32_t AccessNumber(double* value, uint16_t flags);
    virtual uint16_t GetKind() const { return kKindNumber; }

    // Set and get: 0 success, non-zero failure.
    virtual int32_t SetStringAt(const char* text, int32_t index);
    virtual int32_t SetNumberAt(double value, int32_t index);
    virtual int32_t SetNumber(double value);
    virtual int32_t GetStringAt(TextOut buffer, int32_t index);
    virtual int32_t GetNumberAt(double* value, int32_t index);
    virtual int32_t GetString(TextOut buffer);
    virtual int32_t GetNumber(double* value);
    virtual int32_t SetCount(int32_t count);
    virtual int32_t GetCount(int32_t* count);
    virtual int32_t AccessCount(double* value, uint16_t flags);

    // Back to the default state.
    virtual void Reset() {}
    // The member as a method; null for every member that is not one.
    virtual MoMethod* AsMethod() { return nullptr; }
};

// Truncation toward zero into a signed 32-bit integer; NaN and values
// outside the range give INT32_MIN.
int32_t TruncateToInt32(double value);

// Copies text into buffer, cut to fit, always terminated (when the buffer
// has room for the terminator at all).
void CopyBounded(TextOut buffer, const char* text);

}  // namespace zel
