// The root of the methods of ZEL that work on files, and of the help
// methods: the clearing of ERROR and SYSERR at the start of every call and
// the selection of the file named by an optional hFile argument.
#pragma once

#include "files/IoContext.h"
#include "frame/MoMethod.h"

namespace zel {

// Set while an import program runs its nested calls: their arguments are
// taken as already set instead of being parsed from text.
int32_t& ImportInProgress();

class MoZELIO : public MoMethod {
public:
    ZEL_CLASS_NAME(MoZELIO)
    explicit MoZELIO(IoContext& io) : io_(io) {}

    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    // Starts the result at the missing value.
    int32_t Execute(double* result, MoDLL& owner) override;
    // The slot of the hFile argument, -1 for none.
    virtual int8_t GetHFileArgIndex() const { return -1; }

protected:
    // The common preparation: arguments, ERROR and SYSERR cleared, and, when
    // asked, the hFile step.
    int32_t PrepareCall(std::string& argText, MoDLL& owner, bool resolveHFile);

    IoContext& io_;
};

}  // namespace zel
