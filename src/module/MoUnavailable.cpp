#include "module/MoUnavailable.h"

#include "host/HostServices.h"
#include "props/MoString.h"

namespace zel {

MoUnavailable::MoUnavailable(IoContext& io, const char* className, const char* name,
                             int arguments)
    : MoZELIO(io), className_(className), name_(name) {
    for (int i = 0; i < arguments; ++i) AddArgument<MoString>();
}

int32_t MoUnavailable::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    host::PrintLine(std::string("zel.") + name_ + "() is not available in this version");
    return 1;
}

}  // namespace zel
