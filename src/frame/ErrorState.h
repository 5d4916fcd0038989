// The error numbering that properties, methods and the encoder report to.
//
// An implementation holds NEWACTIONS, ERROR and SYSERR. The steps below
// store the condition of a catalogue row in the numbering that NEWACTIONS
// selects, and answer the code the failing step returns.
#pragma once

#include <cstdint>

#include "frame/ErrorCatalogue.h"

namespace zel::platform {
class FileException;
}

namespace zel {

class ErrorState {
public:
    // Non-zero NEWACTIONS: the current numbering, with checked stores.
    virtual bool NewActions() const = 0;
    virtual void SetError(int32_t number) = 0;
    virtual void SetSysErr(int32_t cause) = 0;
    // ERROR back to 0: no failure.
    void ClearError() { SetError(0); }

    // The common failure step: ERROR receives the current number and the
    // step returns it; in the legacy numbering ERROR receives the legacy
    // number and the step returns 2. SYSERR follows the row's fixed rule.
    int32_t Fail(Err id);
    // The same for a failure of the file layer: SYSERR receives the
    // exception's cause as the row's rule says.
    int32_t Fail(Err id, const platform::FileException& cause);
    // Steps that report the current number in both numberings.
    int32_t Raise(Err id);
    int32_t Raise(Err id, const platform::FileException& cause);

protected:
    ~ErrorState() = default;

private:
    void StoreSysErr(const ErrorRow& row, const platform::FileException* cause);
    int32_t Store(Err id, const platform::FileException* cause, bool bothNumberings);
};

}  // namespace zel
