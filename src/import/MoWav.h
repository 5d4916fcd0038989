// WAV: an uncompressed RIFF WAVE sound file into a worksheet: a time column,
// the samples, and for two channels one column each, "Left" and "Right".
#pragma once

#include "import/MoHighLev.h"

namespace zel {

class MoWav : public MoImportIO {
public:
    ZEL_CLASS_NAME(MoWav)
    using MoImportIO::MoImportIO;

private:
    int32_t Import(MoDLL& owner) override;
    // WAV repaints the window the host gave.
    uint32_t RepaintWindow() const override;
};

}  // namespace zel
