// The block engine of the text methods that move a whole text at once:
// CREAD reads a fixed number of characters, TWRITE and LWRITE write a text.
// The text travels through the block transfer of MoBulk.
#pragma once

#include <string>

#include "transfer/MoScribe.h"

namespace zel {

class MoASCIIBulk : public MoBulk {
public:
    ZEL_CLASS_NAME(MoASCIIBulk)
    using MoBulk::MoBulk;

    // The common preparation, then the text emptied.
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;

protected:
    std::string text_;
};

}  // namespace zel
