// OPEN, CLOSE and CLOSEALL: the methods that add and end entries of the
// open-file table.
#pragma once

#include "files/MoGeneralIO.h"
#include "props/MoLimited.h"
#include "props/MoString.h"

namespace zel {

class MoOpen : public MoGeneralIO {
public:
    ZEL_CLASS_NAME(MoOpen)
    explicit MoOpen(IoContext& io);

    int32_t Execute(double* result, MoDLL& owner) override;
    bool EvaluatesEachArgument() const override { return true; }
    MemberTable GetSubMembers() override { return {kSubMembers, this}; }
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

    static const MemberEntry kSubMembers[];
};

class MoClose : public MoGeneralIO {
public:
    ZEL_CLASS_NAME(MoClose)
    explicit MoClose(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;
    int8_t GetHFileArgIndex() const override { return 0; }
};

class MoCloseAll : public MoGeneralIO {
public:
    ZEL_CLASS_NAME(MoCloseAll)
    explicit MoCloseAll(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;
};

}  // namespace zel
