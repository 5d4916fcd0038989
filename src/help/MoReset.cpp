#include "help/MoReset.h"

#include "frame/MoDLL.h"

namespace zel {

int32_t MoReset::Execute(double* result, MoDLL& owner) {
    owner.ResetAll();
    *result = 0.0;
    return 0;
}

}  // namespace zel
