// Requests the host sends through MODLL, seen by a recording entry point, and
// loading the module from a file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "HostTesting.h"

namespace tavrel::testing {
namespace {

// The latest call of the recording entry point.
struct Seen {
    uint32_t handle = 0;
    const char* owner = nullptr;
    std::string member;
    ZelHostCallback callback = nullptr;
    int32_t code = 0;
    double numberIn = -1.0;
} seen;

// Answers like a module: gets receive 2.5 or "reply", a call 7.0 and prints a
// line through the callback while it runs.
int32_t ZEL_CDECL Recorder(uint32_t handle, const char* owner, char* member, void* value,
                           ZelHostCallback callback, int32_t code) {
    seen = Seen{handle, owner, member, callback, code, -1.0};
    switch (code) {
        case ZEL_REQ_SET_NUMBER:
        case ZEL_REQ_SET_COUNT: seen.numberIn = *static_cast<double*>(value); break;
        case ZEL_REQ_GET_NUMBER: *static_cast<double*>(value) = 2.5; break;
        case ZEL_REQ_GET_STRING:
            std::memset(value, 'r', ZEL_STRING_BUFFER - 1);  // the whole buffer is the module's
            std::memcpy(value, "reply", 6);
            break;
        case ZEL_REQ_STATUS: *static_cast<int32_t*>(value) = -1; break;
        case ZEL_REQ_CALL:
            seen.numberIn = *static_cast<double*>(value);
            member[0] = 'X';  // the argument text is writable
            *static_cast<double*>(value) = 7.0;
            callback(handle, ZEL_CB_PRINT, reinterpret_cast<intptr_t>("called"), 0);
            break;
        default: break;
    }
    return ZEL_RESULT_DONE;
}

TEST(Requests, CarryTheHostHandleCallbackAndCodes) {
    Host host{Recorder};
    double number = 0.0;
    std::string text;
    EXPECT_EQ(host.SetNumber(nullptr, "NBYTES", 4.0), ZEL_RESULT_DONE);
    EXPECT_EQ(seen.handle, host.handle());
    EXPECT_EQ(seen.callback, &Host::Callback);
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_EQ(seen.member, "NBYTES");
    EXPECT_EQ(seen.code, ZEL_REQ_SET_NUMBER);
    EXPECT_EQ(seen.numberIn, 4.0);
    EXPECT_EQ(host.GetNumber("ASCII", "STOPMODE", number), ZEL_RESULT_DONE);
    EXPECT_EQ(seen.code, ZEL_REQ_GET_NUMBER);
    EXPECT_EQ(number, 2.5);
    EXPECT_EQ(host.GetString(nullptr, "NAME", text), ZEL_RESULT_DONE);
    EXPECT_EQ(seen.code, ZEL_REQ_GET_STRING);
    EXPECT_EQ(text, "reply");
    EXPECT_EQ(host.SetCount(nullptr, "LIST", 3.0), ZEL_RESULT_DONE);
    EXPECT_EQ(seen.code, ZEL_REQ_SET_COUNT);
    EXPECT_EQ(seen.numberIn, 3.0);

    const CallResult result = host.Call("OPEN", "data.bin,0");
    EXPECT_EQ(seen.code, ZEL_REQ_CALL);
    EXPECT_EQ(seen.member, "data.bin,0");
    EXPECT_EQ(seen.numberIn, 0.0);  // the result starts at 0
    EXPECT_EQ(result.code, ZEL_RESULT_DONE);
    EXPECT_EQ(result.value, 7.0);
    EXPECT_EQ(host.lines(), std::vector<std::string>{"called"});

    int32_t word = 0;
    EXPECT_EQ(host.Status(word), ZEL_RESULT_DONE);
    EXPECT_EQ(seen.code, ZEL_REQ_STATUS);
    EXPECT_EQ(word, -1);
    EXPECT_EQ(host.List(nullptr), ZEL_RESULT_DONE);
    EXPECT_EQ(seen.member, "");
    EXPECT_NE(seen.code, ZEL_REQ_STATUS);
    EXPECT_NE(seen.code, ZEL_REQ_CALL);
}

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

TEST(Loading, TheBuiltModuleAnswersAStatusRequest) {
    const std::string path = Host::DefaultModulePath();
    if (path.empty() || !std::filesystem::exists(path)) GTEST_SKIP() << "the module is not built yet";
    Host host(path);
    EXPECT_EQ(host.Status(), ZEL_RESULT_DONE);
}

}  // namespace
}  // namespace tavrel::testing
