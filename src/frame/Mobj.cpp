#include "frame/Mobj.h"

#include <cmath>

#include "frame/ErrorRing.h"
#include "platform/StringUtil.h"

namespace zel {
namespace {
int32_t g_liveObjects = 0;
}

Mobj::Mobj() { ++g_liveObjects; }
Mobj::~Mobj() { --g_liveObjects; }
bool Mobj::HasError() const { return Errors().HasError(); }
int32_t Mobj::LiveObjectCount() { return g_liveObjects; }

int32_t TruncateToInt32(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

void CopyBounded(TextOut buffer, const char* text) {
    platform::CopyBounded(buffer.data(), buffer.size(), text == nullptr ? "" : text);
}

// The value-transfer templates shared by every member; a flag word with
// neither set nor get is refused.

int32_t MoScript::AccessNumber(double* value, uint16_t flags) {
    (void)value;
    (void)flags;
    return kNotHandled;
}

int32_t MoScript::AccessNumberAt(double* value, int32_t index, uint16_t flags) {
    (void)value;
    (void)index;
    (void)flags;
    return kNotHandled;
}

int32_t MoScript::AccessString(char* value, uint16_t flags, size_t capacity) {
    (void)value;
    (void)flags;
    (void)capacity;
    return kNotHandled;
}

int32_t MoScript::AccessStringAt(char* value, int32_t index, uint16_t flags, size_t capacity) {
    (void)value;
    (void)index;
    (void)flags;
    (void)capacity;
    return kNotHandled;
}

int32_t MoScript::SetStringAt(const char*, int32_t) { return 0; }
int32_t MoScript::SetNumberAt(double, int32_t) { return 0; }
int32_t MoScript::SetNumber(double) { return 0; }
int32_t MoScript::GetStringAt(TextOut, int32_t) { return 0; }
int32_t MoScript::GetNumberAt(double*, int32_t) { return 0; }
int32_t MoScript::GetString(TextOut) { return 0; }
int32_t MoScript::GetNumber(double*) { return 0; }
int32_t MoScript::SetCount(int32_t) { return 1; }
int32_t MoScript::GetCount(int32_t*) { return 1; }

int32_t MoScript::AccessCount(double* value, uint16_t flags) {
    if (value == nullptr) return kFailed;
    if (flags & kAccessSetCount) {
        return SetCount(TruncateToInt32(*value)) == 0 ? kDone : kFailed;
    }
    if (flags & kAccessGetCount) {
        int32_t n = 0;
        if (GetCount(&n) != 0) return kFailed;
        *value = n;
        return kDone;
    }
    return kFailed;
}

}  // namespace zel
