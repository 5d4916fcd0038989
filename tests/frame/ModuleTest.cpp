// The module as hosts see it: the exported entry point of the module,
// loaded by the stand-in host's loader, and the module-wide object behind
// MODLL. (The zel program's end-to-end tests drive the loaded module.)
#include <gtest/gtest.h>

#include "Host.h"
#include "System.h"
#include "zel/zel.h"

namespace {

TEST(ModuleTest, SharedLibraryExportsOnlyTheEntryPoint) {
    namespace system = tavrel::system;
    void* library = system::LoadModule(tavrel::Host::DefaultModulePath());
    ASSERT_NE(library, nullptr);
    EXPECT_NE(system::FindExport(library, "MODLL"), nullptr);
    // Nothing of the inside leaks out of the module.
    EXPECT_EQ(system::FindExport(library, "_ZN3zel3ZELC1Ev"), nullptr);
    EXPECT_EQ(system::FindExport(library, "_ZN3zel4host4BindEjPFijiliE"), nullptr);
    system::UnloadModule(library);
}

// The entry point linked into this program answers without a callback too;
// a listing then prints nothing.
TEST(ModuleTest, ExportedEntryOfTheLinkedModule) {
    double value = 7;
    char name[] = "SKIP";
    EXPECT_EQ(MODLL(1, nullptr, name, &value, nullptr, ZEL_REQ_GET_NUMBER), 1);
    EXPECT_EQ(value, 0);
    char empty[] = "";
    EXPECT_EQ(MODLL(1, nullptr, empty, &value, nullptr, ZEL_REQ_GET_NUMBER), 1);
}

}  // namespace
