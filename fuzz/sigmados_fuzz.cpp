// SIGMADOS: a file of any bytes imported into a worksheet.
#include "support/ImportHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    return zelfuzz::FuzzImport(data, size, "SIGMADOS");
}
