// OPEN, CLOSE and CLOSEALL: the methods that add and end entries of the
// open-file table.
#pragma once

#include <array>

#include "frame/MoZELIO.h"
#include "props/MoLimited.h"
#include "props/MoString.h"

namespace zel {

// Base of the general file methods (open, close, queries, positioning).
class MoGeneralIO : public MoZELIO {
public:
    ZEL_CLASS_NAME(MoGeneralIO)
    using MoZELIO::MoZELIO;
};

class MoOpen : public MoGeneralIO {
public:
    ZEL_CLASS_NAME(MoOpen)
    explicit MoOpen(ZEL& zel);

    int32_t Execute(double* result, MoDLL& owner) override;
    bool EvaluatesEachArgument() const override { return true; }
    const MemberEntry* GetSubMembers() override { return subMembers_.data(); }
    void ResetState() override;

    // Also members of ZEL under the same names.
    MoBounded& Mode() { return mode_; }
    MoString& FileName() { return fileName_; }
    MoString& WksName() { return wksName_; }

private:
    MoString& nameArg_;
    MoInt& modeArg_;
    MoBounded mode_;
    MoString fileName_;
    MoString wksName_;
    std::array<MemberEntry, 6> subMembers_;
};

class MoClose : public MoGeneralIO {
public:
    ZEL_CLASS_NAME(MoClose)
    explicit MoClose(ZEL& zel);
    int32_t Execute(double* result, MoDLL& owner) override;
    int8_t GetHFileArgIndex() const override { return 0; }
};

class MoCloseAll : public MoGeneralIO {
public:
    ZEL_CLASS_NAME(MoCloseAll)
    explicit MoCloseAll(ZEL& zel);
    int32_t Execute(double* result, MoDLL& owner) override;
};

}  // namespace zel
