#include "files/MoZELIO.h"

namespace zel {

int32_t& ImportInProgress() {
    static int32_t flag = 0;
    return flag;
}

int32_t MoZELIO::ParseArguments(std::string& argText, MoDLL& owner) {
    return PrepareCall(argText, owner, true);
}

int32_t MoZELIO::PrepareCall(std::string& argText, MoDLL& owner, bool resolveHFile) {
    if (ImportInProgress() == 0) {
        int32_t r = MoMethod::ParseArguments(argText, owner);
        if (r != 0) return r;
    }
    io_.ClearError();
    if (io_.NewActions()) io_.SetSysErr(0);
    int8_t slot = resolveHFile ? GetHFileArgIndex() : -1;
    if (slot != -1) {
        const MoProperty* hFile = argument(slot);
        int32_t number = hFile != nullptr ? TruncateToInt32(hFile->GetValue()) : -1;
        int32_t r = io_.HFile().Resolve(number, hFile != nullptr && hFile->given());
        if (r != 0) return r;
    }
    if (!io_.NewActions()) io_.SetSysErr(0);
    return 0;
}

int32_t MoZELIO::Execute(double* result, MoDLL&) {
    *result = kMissingValue;
    return 0;
}

}  // namespace zel
