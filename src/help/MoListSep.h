// LISTSEP: sets the list separator of the text methods from a character.
#pragma once

#include "files/MoZELIO.h"
#include "props/MoString.h"

namespace zel {

class MoListSep : public MoZELIO {
public:
    ZEL_CLASS_NAME(MoListSep)
    explicit MoListSep(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoString& separator_;
};

}  // namespace zel
