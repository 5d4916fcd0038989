#include "props/MoLimited.h"

#include <algorithm>
#include <new>

namespace zel {

int32_t MoLimited::SetNumber(double value) {
    int32_t v = TruncateToInt32(value);
    if (errors_.NewActions()) {
        int32_t e = CheckValue(v);
        if (e != 0) return e;
    }
    value_ = v;
    return 0;
}

int32_t MoLimited::CheckValue(int32_t) { return 1; }

int32_t MoLimited::CheckedSet(double value) {
    int32_t v = TruncateToInt32(value);
    int32_t e = CheckValue(v);
    if (e == 0) value_ = v;
    return e;
}

int32_t MoBounded::CheckValue(int32_t value) {
    if (low_ <= value && value <= high_) return 0;
    return errors_.Report(Err::OutOfRange);
}

MoDiscrete::MoDiscrete(ErrorState& errors, std::initializer_list<int32_t> allowed)
    : MoLimited(errors) {
    try {
        allowed_.assign(allowed.begin(), allowed.end());
    } catch (const std::bad_alloc&) {
        // Without its list the property refuses every value.
        errors_.Report(Err::OutOfMemory);
    }
    if (!allowed_.empty()) value_ = allowed_.front();
}

int32_t MoDiscrete::CheckValue(int32_t value) {
    if (std::find(allowed_.begin(), allowed_.end(), value) != allowed_.end()) return 0;
    return errors_.Report(Err::OutOfRange);
}

}  // namespace zel
