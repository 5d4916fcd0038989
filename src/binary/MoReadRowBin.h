// READROWBIN: nToken equally spaced binary values handed to the host as one
// worksheet row in a single request.
#pragma once

#include "binary/MoBinIO.h"

namespace zel {

class MoReadRowBin : public MoBinIO {
public:
    ZEL_CLASS_NAME(MoReadRowBin)
    MoReadRowBin(IoContext& io, TypeConverter& converter);

    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;
    int32_t StoreChunk(uint32_t start, uint32_t count, uint8_t* buffer, uint32_t& stored) override;

private:
    MoString& worksheet_;
    MoInt& tokens_;
    MoInt& binType_;
    uint32_t count_ = 0;
};

}  // namespace zel
