// The general services of the callback: printing, string variables, the
// separator check and handle routing; and loading a module that fails.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "HostTesting.h"

namespace tavrel::testing {
namespace {

TEST(Loading, FailuresThrowTheLoadersText) {
    try {
        Host host("/nonexistent/libnothing.so");
        FAIL() << "loaded a module that does not exist";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("libnothing.so"), std::string::npos) << error.what();
    }
    // The C library is in every process and has no entry point.
#ifdef _WIN32
    EXPECT_THROW(Host("msvcrt.dll"), std::runtime_error);
#else
    EXPECT_THROW(Host("libc.so.6"), std::runtime_error);
#endif
}

TEST(Print, RecordsAndForwardsLinesAndRefusesWhatFails) {
    Host host{NoModule};
    std::vector<std::string> seen;
    host.onPrint = [&seen](const std::string& line) { seen.push_back(line); };
    EXPECT_EQ(Ask(host, ZEL_CB_PRINT, "first"), 0);
    EXPECT_EQ(Ask(host, ZEL_CB_PRINT, nullptr), 1);
    host.onPrint = [](const std::string&) { throw std::runtime_error("listener failed"); };
    EXPECT_EQ(Ask(host, ZEL_CB_PRINT, "second"), 1);  // nothing crosses the callback
    EXPECT_EQ(seen, std::vector<std::string>{"first"});
    EXPECT_EQ(host.lines(), (std::vector<std::string>{"first", "second"}));
}

TEST(StringVariables, StoreByIndexFetchCutToTheBufferAndRefuseBadIndices) {
    Host host{NoModule};
    const std::string longText(1000, 'q');
    EXPECT_EQ(Ask(host, ZEL_CB_SET_STRING_VAR, longText.c_str(), 25), 0);
    EXPECT_EQ(host.Variable('z'), longText);
    // Exactly 260 bytes on the heap: one byte more would be caught.
    std::vector<char> buffer(ZEL_TEXT_BUFFER, 'x');
    ASSERT_EQ(Ask(host, ZEL_CB_GET_STRING_VAR, buffer.data(), 25), 0);
    EXPECT_EQ(std::string(buffer.data()), std::string(ZEL_TEXT_BUFFER - 1, 'q'));
    EXPECT_THROW(host.Variable('1'), std::invalid_argument);

    host.SetVariable('A', "kept");
    for (int index : {-1, 26, 1000}) {
        EXPECT_EQ(Ask(host, ZEL_CB_SET_STRING_VAR, "x", index), 1) << index;
        std::vector<char> refused(ZEL_TEXT_BUFFER, 'x');
        EXPECT_EQ(Ask(host, ZEL_CB_GET_STRING_VAR, refused.data(), index), 1) << index;
        EXPECT_EQ(refused[0], '\0') << index;
    }
    EXPECT_EQ(Ask(host, ZEL_CB_SET_STRING_VAR, nullptr, 0), 1);
    EXPECT_EQ(Ask(host, ZEL_CB_GET_STRING_VAR, nullptr, 0), 1);
    EXPECT_EQ(host.Variable('A'), "kept");
}

TEST(SeparatorCheck, RefusesTextsThatMakeNumbersAmbiguous) {
    Host host{NoModule};
    for (const char* text : {",", "\t", " ", "|more"}) EXPECT_EQ(Ask(host, ZEL_CB_CHECK_SEPARATOR, text), 0) << text;
    for (const char* text : {"", "0", "9", ".", "+", "-", "e", "E"}) {
        EXPECT_EQ(Ask(host, ZEL_CB_CHECK_SEPARATOR, text), -1) << text;
    }
    EXPECT_EQ(Ask(host, ZEL_CB_CHECK_SEPARATOR, nullptr), -1);
}

// Each handle reaches its own host: a host's requests and its worksheet's
// rows change nothing of another. A worksheet handle carries the row request
// only; handles of a gone host, and handle 0, answer each code's refusal.
TEST(Routing, HandlesReachTheirOwnHostAndAGoneHostsHandlesAreRefused) {
    Host first{NoModule};
    Worksheet& a = first.CreateWorksheet("Sheet", 1);
    double one = 1.0;
    ZelRowDescriptor row{ZEL_ROW_TAG, 1, 1, 0, 0, &one};
    uint32_t gone = 0;
    uint32_t goneSheet = 0;
    {
        Host second{NoModule};
        Worksheet& b = second.CreateWorksheet("Sheet", 1);
        EXPECT_EQ(Ask(second, ZEL_CB_SET_STRING_VAR, "two", 0), 0);
        EXPECT_EQ(Host::Callback(b.handle(), ZEL_CB_ROW, Word(&row), 0), 0);
        EXPECT_EQ(Ask(second, ZEL_CB_UPDATE), 0);
        EXPECT_EQ(second.Variable('a'), "two");
        EXPECT_EQ(b.column(1)->dataset().number(0), 1.0);
        gone = second.handle();
        goneSheet = b.handle();
    }
    EXPECT_EQ(first.Variable('A'), "");
    EXPECT_EQ(a.column(1)->dataset().size(), 0u);
    EXPECT_EQ(Host::Callback(a.handle(), ZEL_CB_UPDATE, 0, 0), 1);
    EXPECT_EQ(first.updateCount(), 0);
    ZelLocator locator{};
    EXPECT_EQ(Host::Callback(gone, ZEL_CB_UPDATE, 0, 0), 1);
    EXPECT_EQ(Host::Callback(goneSheet, ZEL_CB_ROW, Word(&row), 0), 1);
    EXPECT_EQ(Host::Callback(0, ZEL_CB_PRINT, Word("x"), 0), 1);
    EXPECT_EQ(Host::Callback(gone, ZEL_CB_DATASET_BY_NAME, Word("A"), Word(&locator)), 0);
    EXPECT_EQ(Host::Callback(gone, ZEL_CB_CHECK_SEPARATOR, Word(","), 0), -1);
}

}  // namespace
}  // namespace tavrel::testing
