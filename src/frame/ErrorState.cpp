#include "frame/ErrorState.h"

#include "platform/FileException.h"

namespace zel {

void ErrorState::StoreSysErr(const ErrorRow& row, const platform::FileException* cause) {
    const bool current = NewActions();
    switch (row.sysErr) {
        case SysErrRule::Keep: return;
        case SysErrRule::Zero: SetSysErr(0); return;
        case SysErrRule::NotFound: SetSysErr(current ? 0 : kLegacyNotFound); return;
        case SysErrRule::BadHandle: SetSysErr(current ? 0 : kLegacyBadHandle); return;
        case SysErrRule::Cause:
            if (cause != nullptr) {
                SetSysErr(current ? cause->causeCode() : platform::LegacyCauseCode(cause->cause()));
            }
            return;
        case SysErrRule::CauseOrZero:
            if (cause != nullptr) SetSysErr(current ? cause->causeCode() : 0);
            return;
    }
}

int32_t ErrorState::Store(Err id, const platform::FileException* cause) {
    const ErrorRow& row = ErrorInfo(id);
    StoreSysErr(row, cause);
    if (row.numbering == Numbering::Same || NewActions()) {
        SetError(row.current);
        return row.current;
    }
    SetError(row.legacy);
    return kLegacyFailure;
}

int32_t ErrorState::Report(Err id) { return Store(id, nullptr); }
int32_t ErrorState::Report(Err id, const platform::FileException& cause) { return Store(id, &cause); }

}  // namespace zel
