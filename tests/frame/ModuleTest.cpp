// The module as hosts see it: the exported entry point of the module,
// loaded by the stand-in host's loader, and the module-wide object behind
// MODLL.
#include <gtest/gtest.h>

#include <cstddef>

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

TEST(ModuleTest, LoadedModuleAnswersRequests) {
    tavrel::Host host(tavrel::Host::DefaultModulePath());
    int32_t word = 5;
    EXPECT_EQ(host.Status(word), 1);
    double value = 0;
    EXPECT_EQ(host.GetNumber(nullptr, "LISTSEP", value), 1);
    EXPECT_EQ(value, 44);
    EXPECT_EQ(host.SetNumber(nullptr, "NEWACTIONS", 1), 1);
    EXPECT_EQ(host.SetNumber(nullptr, "NBYTES", 5), 2);
    EXPECT_EQ(host.GetNumber(nullptr, "ERROR", value), 1);
    EXPECT_EQ(value, 12);
    host.ClearLines();
    EXPECT_EQ(host.Call("SYNTAX", "tread").code, 1);
    EXPECT_EQ(host.lines().size(), 1u);
}

TEST(ModuleTest, ExportedEntryOfTheLinkedModule) {
    tavrel::Host host(&MODLL);
    EXPECT_EQ(host.Call("RESET", "").code, 1);
    double value = 0;
    EXPECT_EQ(host.GetNumber(nullptr, "HFILE", value), 1);
    EXPECT_EQ(value, -1);
    // Without a callback the module still answers; listings print nothing.
    char empty[] = "";
    EXPECT_EQ(MODLL(1, nullptr, empty, &value, nullptr, ZEL_REQ_GET_NUMBER), 1);
    char name[] = "SKIP";
    value = 0;
    EXPECT_EQ(MODLL(1, nullptr, name, &value, nullptr, ZEL_REQ_GET_NUMBER), 1);
    EXPECT_EQ(value, 0);
}

}  // namespace
