// TWRITE writes a text to the current file as it is; LWRITE adds the line
// end of NLINEMODE. The text is a quoted literal ("abc") or the contents of
// the string variable named by the argument's first letter.
#pragma once

#include "props/MoString.h"
#include "transfer/MoASCIIBulk.h"

namespace zel {

class MoTWrite : public MoASCIIBulk {
public:
    ZEL_CLASS_NAME(MoTWrite)
    explicit MoTWrite(IoContext& io);

    // The argument arrives as written, quotes included; it is taken with at
    // most 259 characters.
    bool EvaluatesEachArgument() const override { return true; }
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;
    int32_t FillChunk(uint32_t start, uint32_t count, uint8_t* buffer) override;

protected:
    // Writes text_ and answers its length; a file that refuses the bytes
    // fails the call (BlockWriteFailed).
    int32_t WriteText(double* result);

private:
    MoString& textArg_;
};

class MoLWrite : public MoTWrite {
public:
    ZEL_CLASS_NAME(MoLWrite)
    using MoTWrite::MoTWrite;
    int32_t Execute(double* result, MoDLL& owner) override;
};

}  // namespace zel
