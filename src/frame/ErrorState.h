// The error numbering that properties, methods and the encoder report to.
//
// ZEL implements it: NEWACTIONS selects the numbering, ERROR and SYSERR
// receive the numbers. Keeping it an interface lets a property or codec be
// tested without the whole object.
#pragma once

#include <cstdint>

namespace zel {

class ErrorState {
public:
    // Non-zero NEWACTIONS: the current numbering, with checked stores.
    virtual bool NewActions() const = 0;
    virtual void SetError(int32_t number) = 0;
    virtual void SetSysErr(int32_t cause) = 0;

    // The common failure step: ERROR receives the current number and the
    // step returns it, or, in the legacy numbering, ERROR receives the legacy
    // number and the step returns 2.
    int32_t Fail(int32_t current, int32_t legacy) {
        if (NewActions()) {
            SetError(current);
            return current;
        }
        SetError(legacy);
        return 2;
    }

protected:
    ~ErrorState() = default;
};

}  // namespace zel
