// The importers' harnesses: settings, a worksheet that may be missing or
// have any few columns, the file; the import runs once and must put every
// setting and the cursor back as it found them, and leave no mark of a
// running import, whether it succeeded or failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "support/Harness.h"

namespace zelfuzz {

// Input: three bytes of settings (two when the second has its top bit
// clear), a byte of flags (bit 0: the handle as the last argument; bit 1:
// no worksheet; bits 2 to 4: the worksheet's columns; bits 5 to 7: a file
// operation that fails, read, seek, tell or size, after as many calls as
// the byte that then follows says), then the file.
inline int FuzzImport(const uint8_t* data, std::size_t size, const char* method) {
    ByteSource in(data, size);
    const Settings settings = Settings::From(in);
    const uint8_t flags = in.Byte();
    const int failing = flags >> 5;
    const int failAfter = failing != 0 ? in.Byte() : 0;
    Run run;
    const int32_t handle = run.OpenInput(in.Rest());
    if (handle < 0) Finding("the input file could not be opened");
    if (failing >= 1 && failing <= 4) run.vfs().Fail(static_cast<MemVfs::Op>(failing - 1), failAfter);
    if ((flags & 2) == 0) run.host().CreateWorksheet("w", (flags >> 2) & 7);
    run.Apply(settings);
    const Run::Snapshot before = run.Take();
    std::string args = "w";
    if ((flags & 1) != 0) args += "," + std::to_string(handle);
    run.Call(method, args);
    const Run::Snapshot after = run.Take();
    if (!(after == before)) {
        for (int i = 0; i < Run::Snapshot::kCount; ++i) {
            if (after.values[i] != before.values[i]) {
                std::fprintf(stderr, "%s: %g before the import, %g after it\n", Run::Snapshot::kNames[i],
                             before.values[i], after.values[i]);
            }
        }
        Finding("the import did not put its settings back");
    }
    run.vfs().Disarm();  // the checks below read the file as it is
    if (run.host().waitCursorShowing()) Finding("the wait cursor stayed after the import");
    // The mark of a running import is gone: a method runs again.
    if (run.Call("GETPOS", "").code != ZEL_RESULT_DONE && run.Number("ERROR") == 42) {
        Finding("a method was refused as if the import still ran");
    }
    return 0;
}

}  // namespace zelfuzz
