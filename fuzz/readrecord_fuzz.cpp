// READRECORD with a fuzzed template. Input: the settings, the worksheet's
// columns (a byte, mod 16), nRecords as a signed 16-bit number, the
// template up to
// a line feed (at most 64 bytes), then the file.
#include <string>

#include "support/Harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace zelfuzz;
    ByteSource in(data, size);
    const Settings settings = Settings::From(in);
    const int columns = in.Byte() % 16;
    const int records = static_cast<int16_t>(in.Word());
    const std::string recordTemplate = in.Until('\n', 64);

    Run run;
    if (run.OpenInput(in.Rest()) < 0) Finding("the input file could not be opened");
    run.host().CreateWorksheet("w", columns);
    run.Apply(settings);
    run.Call("READRECORD", "w," + std::to_string(records) + "," + recordTemplate);
    return 0;
}
