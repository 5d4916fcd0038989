#include "transfer/MoASCIIBulk.h"

namespace zel {

int32_t MoASCIIBulk::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoBulk::ParseArguments(argText, owner); r != 0) return r;
    text_.clear();
    return 0;
}

}  // namespace zel
