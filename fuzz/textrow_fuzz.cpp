// LINEROW, READROW, READARRAY: delimited text into worksheet rows or a
// dataset. Input: a byte choosing the method (mod 3), the settings, two
// signed 16-bit arguments (READROW: nToken; READARRAY: start and a span),
// a byte of flags (bit 0: the target does not exist; bits 1 and 2: one to
// four calls in a row; bit 3: the worksheet's second column and the dataset
// hold text), then the file.
#include <string>

#include "support/Harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace zelfuzz;
    ByteSource in(data, size);
    const int which = in.Byte() % 3;
    const Settings settings = Settings::From(in);
    const int a = static_cast<int16_t>(in.Word());
    const int b = static_cast<int16_t>(in.Word());
    const uint8_t flags = in.Byte();

    Run run;
    if (run.OpenInput(in.Rest()) < 0) Finding("the input file could not be opened");
    if ((flags & 1) == 0) {
        const bool text = (flags & 8) != 0;
        tavrel::Worksheet& sheet = run.host().CreateWorksheet("w", 3);
        if (text) sheet.setFormat(2, tavrel::kFormatText);
        run.host().CreateDataset("d", text);
    }
    run.Apply(settings);
    std::string method;
    std::string args;
    switch (which) {
        case 0: method = "LINEROW"; args = "w"; break;
        case 1: method = "READROW"; args = "w," + std::to_string(a); break;
        default: method = "READARRAY"; args = "d," + std::to_string(a) + "," + std::to_string(a + b); break;
    }
    const int calls = 1 + ((flags >> 1) & 3);
    for (int i = 0; i < calls; ++i) run.Call(method, args);
    return 0;
}
