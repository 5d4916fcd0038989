#include "files/MoHFILE.h"

namespace zel {

MoHFILE::MoHFILE(ErrorState& errors, FileRefList& files) : MoLimited(errors), files_(files) {}

void MoHFILE::SetToNone() {
    file_ = nullptr;
    value_ = -1;
}

int32_t MoHFILE::CheckValue(int32_t value) {
    if (static_cast<uint32_t>(value) > kMaxHandle) return errors_.Fail(13, 3);
    file_ = files_.FindFile(value);
    if (file_ != nullptr) return 0;
    if (errors_.NewActions()) {
        errors_.SetError(14);
        errors_.SetSysErr(0);
        return 14;
    }
    errors_.SetError(1156);
    errors_.SetSysErr(9);
    return 2;
}

void MoHFILE::SelectFile(MyCFile* file) {
    file_ = file;
    value_ = file != nullptr ? file->Handle() : -1;
}

void MoHFILE::ReleaseCurrentFile() {
    file_ = nullptr;
    if (errors_.NewActions()) SetToNone();
}

int32_t MoHFILE::Resolve(int32_t number, bool given) {
    if (given) {
        int32_t e = CheckedSet(number);
        if (e != 0) return errors_.NewActions() ? 256 + e : e;
        return 0;
    }
    int32_t e = CheckValue(value_);
    if (e != 0) {
        if (errors_.NewActions()) {
            errors_.SetError(e);
            return e;
        }
        errors_.SetError(1024);
        return 1024;
    }
    return 0;
}

}  // namespace zel
