// The shared module: the whole of zel_core is linked in, and the version
// script exports MODLL alone. This file only pins the exported signature.
#include "zel/zel.h"

#include <type_traits>

static_assert(std::is_same_v<decltype(&MODLL), ZelEntryPoint>,
              "MODLL must keep the signature hosts are written against");
