// SWITCHMODE: reopens an open file with another access, for exclusive use,
// and puts it back at the position it had.
#pragma once

#include "files/MoTracking.h"

namespace zel {

class MoSwitchMode : public MoTracking {
public:
    ZEL_CLASS_NAME(MoSwitchMode)
    explicit MoSwitchMode(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoInt& mode_;
};

}  // namespace zel
