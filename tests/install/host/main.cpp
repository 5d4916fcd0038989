// Loads the installed module by the path the package gives, takes MODLL and
// sends it a status request, a property read and a method call. Prints what
// it got; exits 0 when every answer is the expected one.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "zel/zel.h"

namespace {

int lines = 0;

int32_t ZEL_CDECL Callback(uint32_t, int32_t code, intptr_t arg, intptr_t) {
    if (code == ZEL_CB_PRINT) {
        std::printf("module: %s\n", reinterpret_cast<const char*>(arg));
        ++lines;
    }
    return 1;
}

}  // namespace

int main() {
    if (std::strcmp(INSTALLED_MODULE, PACKAGE_MODULE) != 0) {
        std::printf("the package names two modules: %s and %s\n", INSTALLED_MODULE, PACKAGE_MODULE);
        return 1;
    }
    void* module = dlopen(INSTALLED_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::printf("cannot load %s: %s\n", INSTALLED_MODULE, dlerror());
        return 1;
    }
    auto entry = reinterpret_cast<ZelEntryPoint>(dlsym(module, ZEL_ENTRY_NAME));
    if (entry == nullptr) {
        std::printf("no %s in %s\n", ZEL_ENTRY_NAME, INSTALLED_MODULE);
        return 1;
    }
    int failures = 0;
    char empty[] = "";
    int32_t word = 7;
    const int32_t status = entry(1, nullptr, empty, &word, &Callback, ZEL_REQ_STATUS);
    std::printf("status request: %d, word %d\n", status, word);
    failures += status != ZEL_RESULT_DONE || word != ZEL_STATUS_NORMAL;

    char listsep[] = "LISTSEP";
    double value = 0;
    const int32_t get = entry(1, nullptr, listsep, &value, &Callback, ZEL_REQ_GET_NUMBER);
    std::printf("LISTSEP: %d, value %g\n", get, value);
    failures += get != ZEL_RESULT_DONE || value != 44;

    char args[ZEL_STRING_BUFFER] = "open";
    const int32_t call = entry(1, "SYNTAX", args, &value, &Callback, ZEL_REQ_CALL);
    std::printf("SYNTAX(open): %d, %d line(s)\n", call, lines);
    failures += call != ZEL_RESULT_DONE || lines != 1;

    dlclose(module);
    std::printf(failures == 0 ? "installed module OK\n" : "installed module FAILED\n");
    return failures == 0 ? 0 : 1;
}
