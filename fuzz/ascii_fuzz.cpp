// ASCII: the reader steered by its sub-properties. Input: the settings;
// STOPMODE, READMODE, NTOKENS, NLINES as signed bytes; STOPCHAR,
// STOPSTRING, INCLUDE, EXCLUDE as texts with a length byte each; a byte of
// flags (bit 0: a letter; bit 1: a worksheet argument; bit 2: no worksheet
// exists; bits 3 and 4: one to four calls in a row); then the file.
#include <string>

#include "support/Harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace zelfuzz;
    ByteSource in(data, size);
    const Settings settings = Settings::From(in);
    const int stopMode = static_cast<int8_t>(in.Byte());
    const int readMode = static_cast<int8_t>(in.Byte());
    const int tokens = static_cast<int8_t>(in.Byte());
    const int lines = static_cast<int8_t>(in.Byte());
    const std::string stopChar = in.Text(8);
    const std::string stopString = in.Text(16);
    const std::string include = in.Text(32);
    const std::string exclude = in.Text(32);
    const uint8_t flags = in.Byte();

    Run run;
    if (run.OpenInput(in.Rest()) < 0) Finding("the input file could not be opened");
    if ((flags & 4) == 0) run.host().CreateWorksheet("w", 3);
    run.Apply(settings);
    // Stored in the legacy numbering, so that out-of-range values get in
    // and the reader has to check them itself.
    const int newActions = settings.newActions;
    run.SetNumber("NEWACTIONS", 0);
    run.SetNumber("STOPMODE", stopMode, "ASCII");
    run.SetNumber("READMODE", readMode, "ASCII");
    run.SetNumber("NTOKENS", tokens, "ASCII");
    run.SetNumber("NLINES", lines, "ASCII");
    run.SetText("STOPCHAR", stopChar, "ASCII");
    run.SetText("STOPSTRING", stopString, "ASCII");
    run.SetText("INCLUDE", include, "ASCII");
    run.SetText("EXCLUDE", exclude, "ASCII");
    run.SetNumber("NEWACTIONS", newActions);

    std::string args = (flags & 1) != 0 ? "A" : "";
    if ((flags & 2) != 0) args += ",w";
    const int calls = 1 + ((flags >> 3) & 3);
    for (int i = 0; i < calls; ++i) run.Call("ASCII", args);
    return 0;
}
