// SIGMAWIN and SIGMADOS: the data of a SigmaPlot worksheet file, in the
// Windows and in the DOS format, into the columns of a worksheet; column c
// of the file goes to worksheet column c + 1. Header fields are read in the
// script's BYTEORDER and SIGNED, so a script reads a big-endian file by
// setting BYTEORDER first; SIGMAWIN reads little-endian from the cells of
// its first column on, and SIGMADOS skips the script's SKIP after each value.
#pragma once

#include "import/MoHighLev.h"

namespace zel {

class MoSigmaPlot : public MoImportIO {
public:
    ZEL_CLASS_NAME(MoSigmaPlot)
    using MoImportIO::MoImportIO;

protected:
    // AREAD of n values from the current position into worksheet column
    // (counted from 1); answers the values stored.
    double ReadColumn(Program& p, int32_t column, int32_t n);
};

class MoSigmaWin : public MoSigmaPlot {
public:
    ZEL_CLASS_NAME(MoSigmaWin)
    using MoSigmaPlot::MoSigmaPlot;

private:
    int32_t Import(MoDLL& owner) override;
};

class MoSigmaDos : public MoSigmaPlot {
public:
    ZEL_CLASS_NAME(MoSigmaDos)
    using MoSigmaPlot::MoSigmaPlot;

private:
    int32_t Import(MoDLL& owner) override;
    // READ(1) until a byte 26; a failure is held as it came.
    static void FindMarker(Program& p);
};

}  // namespace zel
