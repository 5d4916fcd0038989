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

    // Reports a condition: ERROR receives its number in the numbering
    // NEWACTIONS selects, as the row's numbering says, and SYSERR follows
    // the row's rule. Answers the code the failing step returns: the number
    // stored, or kLegacyFailure for a legacy number.
    int32_t Report(Err id);
    // The same for a failure of the file layer: SYSERR receives the
    // exception's cause as the row's rule says.
    int32_t Report(Err id, const platform::FileException& cause);

protected:
    ~ErrorState() = default;

private:
    void StoreSysErr(const ErrorRow& row, const platform::FileException* cause);
    int32_t Store(Err id, const platform::FileException* cause);
};

}  // namespace zel
