// CREAD: nChar characters of the current file, every byte as it is, into a
// string variable of the host. Positions the file did not fill (it ended
// first) stay blanks, and ERROR then reports the end of the file (EndOfFile).
#pragma once

#include "props/MoNumeric.h"
#include "props/MoString.h"
#include "transfer/MoASCIIBulk.h"

namespace zel {

class MoCRead : public MoASCIIBulk {
public:
    ZEL_CLASS_NAME(MoCRead)
    explicit MoCRead(IoContext& io);

    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;
    int32_t StoreChunk(uint32_t start, uint32_t count, uint8_t* buffer, uint32_t& stored) override;

private:
    MoString& letterArg_;
    MoInt& countArg_;
    char letter_ = 0;
    uint32_t charCount_ = 0;
};

}  // namespace zel
