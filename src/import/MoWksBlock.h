// WKSBLOCK: a block of numbers, one text line a row and blank- or
// separator-delimited numbers a column, into the rectangle colbegin..colend,
// rowbegin..rowend of a worksheet. The lines are read through a second file
// object on the current file, which is then moved to where the reading
// stopped.
#pragma once

#include "import/MoHighLev.h"
#include "props/MoNumeric.h"

namespace zel {

class MoWksBlock : public MoHighLev {
public:
    ZEL_CLASS_NAME(MoWksBlock)
    explicit MoWksBlock(IoContext& io);
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoString& worksheet_;
    MoInt& colBegin_;
    MoInt& colEnd_;
    MoInt& rowBegin_;
    MoInt& rowEnd_;
};

}  // namespace zel
