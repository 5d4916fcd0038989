// RESET: every member of the object back to its default; open files stay
// open.
#pragma once

#include "frame/MoMethod.h"

namespace zel {

class MoReset : public MoMethod {
public:
    ZEL_CLASS_NAME(MoReset)
    int32_t Execute(double* result, MoDLL& owner) override;
};

}  // namespace zel
