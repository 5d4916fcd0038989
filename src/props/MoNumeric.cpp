#include "props/MoNumeric.h"

#include "host/HostServices.h"

namespace zel {

int32_t MoNumeric::AccessNumber(double* value, uint16_t flags) {
    if (value == nullptr) return kFailed;
    int32_t r;
    if (flags & kAccessSet) {
        r = SetNumber(*value);
    } else if (flags & kAccessGet) {
        r = GetNumber(value);
    } else {
        return kFailed;
    }
    return r > 0 ? kFailed : kDone;
}

int32_t MoNumeric::AccessNumberAt(double* value, int32_t index, uint16_t flags) {
    if (value == nullptr) return kFailed;
    int32_t r;
    if (flags & kAccessSet) {
        r = SetNumberAt(*value, index);
    } else if (flags & kAccessGet) {
        r = GetNumberAt(value, index);
    } else {
        return kFailed;
    }
    return r > 0 ? kFailed : kDone;
}

int32_t MoNumeric::GetNumberAt(double* value, int32_t) { return GetNumber(value); }

void MoNumeric::Reset() {
    SetNumber(0.0);
}

int32_t MoNumeric::SetFromText(const char* text) {
    double number = host::TextToNumber(text);
    given_ = 1;
    return SetNumber(number);
}

int32_t MoInt::SetNumber(double value) {
    value_ = TruncateToInt32(value);
    return 0;
}

int32_t MoInt::GetNumber(double* value) {
    if (value != nullptr) *value = value_;
    return 0;
}

int32_t MoReal::SetNumber(double value) {
    value_ = value;
    return 0;
}

int32_t MoReal::GetNumber(double* value) {
    if (value != nullptr) *value = value_;
    return 0;
}

int32_t MoBool::SetNumber(double value) {
    SetFlag(value == 0.0 ? 0 : 1);
    return 0;
}

int32_t MoBool::GetNumber(double* value) {
    if (value != nullptr) *value = value_;
    return 0;
}

int32_t MoBool::SetFlag(int32_t v) {
    value_ = v != 0 ? 1 : 0;
    return value_;
}

}  // namespace zel
