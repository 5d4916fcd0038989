#include "frame/MoListErr.h"

#include <string>

#include "frame/ErrorRing.h"
#include "host/HostServices.h"

namespace zel {

int32_t MoListErr::ParseArguments(std::string&, MoDLL&) { return 0; }

int32_t MoListErr::Execute(double*, MoDLL&) {
    const ErrorRing& ring = Errors();
    int index = ring.position();
    for (int n = 0; n < ErrorRing::kSize; ++n) {
        const ErrorRing::Entry& entry = ring.at(index);
        std::string line = entry.text.value_or("");
        line += '\t';
        line += std::to_string(entry.id);
        host::PrintLine(line);
        index = (index + ErrorRing::kSize - 1) % ErrorRing::kSize;
    }
    return 0;
}

int32_t MoLastErrId::Execute(double* result, MoDLL&) {
    *result = Errors().lastErrorId();
    return 0;
}

}  // namespace zel
