// The base of the general file methods: opening and closing, the
// file-system queries, positioning and mode switching.
#pragma once

#include "files/MoZELIO.h"

namespace zel {

class MoGeneralIO : public MoZELIO {
public:
    ZEL_CLASS_NAME(MoGeneralIO)
    using MoZELIO::MoZELIO;
};

}  // namespace zel
