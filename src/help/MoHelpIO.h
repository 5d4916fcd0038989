// The help methods of ZEL: SYNTAX, ALTSPELL and LISTALL. Every output line
// goes to the host as one printed line.
#pragma once

#include "files/MoZELIO.h"
#include "props/MoString.h"

namespace zel {

class MoHelpIO : public MoZELIO {
public:
    ZEL_CLASS_NAME(MoHelpIO)
    using MoZELIO::MoZELIO;
};

class MoSyntax : public MoHelpIO {
public:
    ZEL_CLASS_NAME(MoSyntax)
    explicit MoSyntax(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoString& method_;
};

class MoAltSpell : public MoHelpIO {
public:
    ZEL_CLASS_NAME(MoAltSpell)
    explicit MoAltSpell(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoString& member_;
};

class MoListAll : public MoHelpIO {
public:
    ZEL_CLASS_NAME(MoListAll)
    explicit MoListAll(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoString& mode_;
    MoString& path_;
};

}  // namespace zel
