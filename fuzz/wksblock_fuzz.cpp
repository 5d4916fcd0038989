// WKSBLOCK: lines of numbers into a rectangle of a worksheet. Input: the
// settings, a byte of flags (bits 0 to 2: the worksheet's columns; bit 3:
// no worksheet), colBegin, colEnd, rowBegin, rowEnd as signed 16-bit
// numbers (least significant byte first), then the file.
#include <string>

#include "support/Harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace zelfuzz;
    ByteSource in(data, size);
    const Settings settings = Settings::From(in);
    const uint8_t flags = in.Byte();
    std::string args = "w";
    for (int i = 0; i < 4; ++i) args += "," + std::to_string(static_cast<int16_t>(in.Word()));
    Run run;
    if (run.OpenInput(in.Rest()) < 0) Finding("the input file could not be opened");
    if ((flags & 8) == 0) run.host().CreateWorksheet("w", flags & 7);
    run.Apply(settings);
    run.Call("WKSBLOCK", args);
    return 0;
}
