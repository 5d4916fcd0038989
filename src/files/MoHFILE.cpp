#include "files/MoHFILE.h"

namespace zel {

MoHFILE::MoHFILE(ErrorState& errors, FileRefList& files) : MoLimited(errors), files_(files) {}

void MoHFILE::SetToNone() {
    file_ = nullptr;
    value_ = -1;
}

int32_t MoHFILE::CheckValue(int32_t value) {
    if (static_cast<uint32_t>(value) > kMaxHandle) return errors_.Report(Err::BadFileNumber);
    file_ = files_.FindFile(value);
    if (file_ != nullptr) return 0;
    return errors_.Report(Err::FileNotOpen);
}

void MoHFILE::SelectFile(MyCFile* file) {
    file_ = file;
    value_ = file != nullptr ? file->Handle() : -1;
}

void MoHFILE::Restore(int32_t value) {
    value_ = value;
    file_ = static_cast<uint32_t>(value) <= kMaxHandle ? files_.FindFile(value) : nullptr;
}

void MoHFILE::ReleaseCurrentFile() {
    file_ = nullptr;
    if (errors_.NewActions()) SetToNone();
}

int32_t MoHFILE::Resolve(int32_t number, bool given) {
    if (given) {
        int32_t e = CheckedSet(number);
        if (e != 0) return errors_.NewActions() ? kArgumentRefusedOffset + e : e;
        return 0;
    }
    int32_t e = CheckValue(value_);
    if (e != 0) {
        if (errors_.NewActions()) {
            errors_.SetError(e);
            return e;
        }
        // The legacy numbering names the missing current file as such, and
        // answers that number.
        errors_.Report(Err::NoCurrentFile);
        return ErrorInfo(Err::NoCurrentFile).legacy;
    }
    return 0;
}

}  // namespace zel
