// WAV: an uncompressed RIFF WAVE sound file into a worksheet: a time column,
// the samples, and for two channels one column each, "Left" and "Right".
// Integer samples of 8, 16, 24 or 32 bits and IEEE floats of 32 or 64 bits,
// in the plain or the extensible format; the chunks between the format and
// the data are passed over.
#pragma once

#include <cstdint>

#include "import/MoHighLev.h"

namespace zel {

class MoWav : public MoImportIO {
public:
    ZEL_CLASS_NAME(MoWav)
    using MoImportIO::MoImportIO;

private:
    // What the format chunk says of the samples.
    struct Format {
        int64_t chunkBytes = 0;  // the chunk's size field
        int64_t fieldBytes = 0;  // the bytes of it read
        int32_t channels = 0;
        double rate = 0.0;       // frames a second
        int32_t sampleBytes = 0;
        int32_t type = 0;        // AREAD's binary type: 0 integer, 1 real
    };

    int32_t Import(MoDLL& owner) override;
    // WAV repaints the window the host gave.
    uint32_t RepaintWindow() const override;
    // The RIFF header and the format chunk, up to the end of the fields read.
    static void ReadFormat(Program& p, Format& format);
    // From there to the samples: the chunks before "data" passed over.
    // Answers the data size, cut to what the file holds.
    static int64_t FindData(Program& p, const Format& format);
};

}  // namespace zel
