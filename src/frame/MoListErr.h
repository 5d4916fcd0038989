// The two methods that read the error list back: LISTERR prints it,
// LASTERRID answers the id of the last error ever recorded.
#pragma once

#include "frame/MoMethod.h"

namespace zel {

class MoListErr : public MoMethod {
public:
    ZEL_CLASS_NAME(MoListErr)
    // Leaves the list alone: LISTERR must show the previous call's errors.
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;
    void AfterExecute(MoDLL&) override {}
};

class MoLastErrId : public MoMethod {
public:
    ZEL_CLASS_NAME(MoLastErrId)
    int32_t Execute(double* result, MoDLL& owner) override;
};

}  // namespace zel
