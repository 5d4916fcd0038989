// Integer properties that accept only some values: a range (MoBounded) or a
// list (MoDiscrete). With NEWACTIONS non-zero every store is checked and a
// refused value is not stored; with NEWACTIONS 0 stores are unchecked and
// the methods that use a setting check it before use.
#pragma once

#include <initializer_list>
#include <vector>

#include "frame/ErrorState.h"
#include "props/MoNumeric.h"

namespace zel {

class MoLimited : public MoInt {
public:
    ZEL_CLASS_NAME(MoLimited)
    explicit MoLimited(ErrorState& errors) : errors_(errors) {}

    int32_t SetNumber(double value) override;
    virtual void SetToNone() {}
    // 0 = allowed; otherwise ERROR has been set and the id is returned.
    virtual int32_t CheckValue(int32_t value);

    // Stores only an allowed value, whatever NEWACTIONS holds.
    int32_t CheckedSet(double value);
    // Re-checks the stored value before use.
    int32_t CheckCurrent() { return CheckValue(value_); }

protected:
    ErrorState& errors_;
};

class MoBounded : public MoLimited {
public:
    ZEL_CLASS_NAME(MoBounded)
    MoBounded(ErrorState& errors, int32_t low, int32_t high)
        : MoBounded(errors, low, high, low) {}
    MoBounded(ErrorState& errors, int32_t low, int32_t high, int32_t initial)
        : MoLimited(errors), low_(low), high_(high) {
        value_ = initial;
    }

    int32_t CheckValue(int32_t value) override;

private:
    int32_t low_;
    int32_t high_;
};

class MoDiscrete : public MoLimited {
public:
    ZEL_CLASS_NAME(MoDiscrete)
    MoDiscrete(ErrorState& errors, std::initializer_list<int32_t> allowed);

    int32_t CheckValue(int32_t value) override;

private:
    std::vector<int32_t> allowed_;
};

}  // namespace zel
