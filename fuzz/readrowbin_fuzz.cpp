// READROWBIN: one row of binary values into a worksheet. Input: the
// settings, the worksheet's columns (mod 8), nToken as a signed 16-bit
// number,
// binType (mod 4), a byte of flags (bit 0: no worksheet; bits 1 and 2: one
// to four calls in a row), then the file.
#include <string>

#include "support/Harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace zelfuzz;
    ByteSource in(data, size);
    const Settings settings = Settings::From(in);
    const int columns = in.Byte() % 8;
    const int tokens = static_cast<int16_t>(in.Word());
    const int binType = in.Byte() % 4;
    const uint8_t flags = in.Byte();

    Run run;
    if (run.OpenInput(in.Rest()) < 0) Finding("the input file could not be opened");
    if ((flags & 1) == 0) run.host().CreateWorksheet("w", columns);
    run.Apply(settings);
    const std::string args = "w," + std::to_string(tokens) + "," + std::to_string(binType);
    const int calls = 1 + ((flags >> 1) & 3);
    for (int i = 0; i < calls; ++i) run.Call("READROWBIN", args);
    return 0;
}
