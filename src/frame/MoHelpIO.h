// The help and settings methods of ZEL: SYNTAX, ALTSPELL, LISTALL, LISTSEP
// and RESET. Every output line goes to the host as one printed line.
#pragma once

#include "frame/MoZELIO.h"
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
    explicit MoSyntax(ZEL& zel);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoString& method_;
};

class MoAltSpell : public MoHelpIO {
public:
    ZEL_CLASS_NAME(MoAltSpell)
    explicit MoAltSpell(ZEL& zel);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoString& member_;
};

class MoListAll : public MoHelpIO {
public:
    ZEL_CLASS_NAME(MoListAll)
    explicit MoListAll(ZEL& zel);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoString& mode_;
    MoString& path_;
};

class MoListSep : public MoZELIO {
public:
    ZEL_CLASS_NAME(MoListSep)
    explicit MoListSep(ZEL& zel);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoString& separator_;
};

class MoReset : public MoMethod {
public:
    ZEL_CLASS_NAME(MoReset)
    explicit MoReset(ZEL& zel) : zel_(zel) {}
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    ZEL& zel_;
};

}  // namespace zel
