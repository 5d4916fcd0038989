#include "CliTesting.h"

#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <stdexcept>

#include "NumberText.h"

namespace zelcli::testing {

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << "script " << ::testing::PrintToString(c.script) << ", out " << ::testing::PrintToString(c.out) << ", err "
        << ::testing::PrintToString(c.err) << ", status " << c.status << ", prompts "
        << ::testing::PrintToString(c.prompts);
}

void ExpectOutcome(const ScriptCase& c, int status, const std::string& out, const std::string& err) {
    EXPECT_EQ(status, c.status) << err;
    EXPECT_EQ(out, c.out);
    if (c.err.empty()) {
        EXPECT_EQ(err, "");
    } else {
        EXPECT_NE(err.find(c.err), std::string::npos) << err;
    }
}

namespace {

FakeModule* current = nullptr;

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

FakeModule::FakeModule()
    : numbers{{"ERROR", 0.0}, {"SYSERR", 0.0}, {"NBYTES", 1.0}, {"OPEN.MODE", 0.0}},
      texts{{"FILENAME", ""}},
      errorList{"MoOpen\t900", "\t0"} {
    if (current != nullptr) throw std::logic_error("one fake module at a time");
    current = this;
}

FakeModule::~FakeModule() { current = nullptr; }

int32_t FakeModule::Entry(uint32_t handle, const char* ownerName, char* memberName, void* value,
                          ZelHostCallback callback, int32_t code) {
    static const std::set<std::string> kMethods = {"OPEN", "ECHO", "NUM", "FAIL", "REFUSE", "LISTERR", "INTERRUPT"};
    FakeModule& m = *current;
    const std::string owner = ownerName != nullptr ? ownerName : "";
    auto say = [&](const std::string& line) {
        callback(handle, ZEL_CB_PRINT, reinterpret_cast<intptr_t>(line.c_str()), 0);
    };

    if ((code & ~ZEL_PROBE_FLAG) == ZEL_REQ_CALL) {
        const std::string name = Upper(owner);
        if (kMethods.count(name) == 0) return (code & ZEL_PROBE_FLAG) ? ZEL_RESULT_FAILED : ZEL_RESULT_NOT_FOUND;
        if (code & ZEL_PROBE_FLAG) return ZEL_RESULT_DONE;
        double& result = *static_cast<double*>(value);
        const std::string args = memberName;
        if (name == "ECHO") {
            say("echo:" + args);
            result = static_cast<double>(args.size());
        } else if (name == "NUM") {
            double number = 0.0;
            const int32_t read = callback(handle, ZEL_CB_TEXT_TO_NUMBER, reinterpret_cast<intptr_t>(args.c_str()),
                                          reinterpret_cast<intptr_t>(&number));
            result = read != 0 ? number : -99.0;
        } else if (name == "FAIL") {
            m.numbers["ERROR"] = 22;
            m.numbers["SYSERR"] = 3;
            result = -1.0;
            return ZEL_RESULT_FAILED;
        } else if (name == "REFUSE") {
            return ZEL_RESULT_FAILED;
        } else if (name == "LISTERR") {
            for (const std::string& line : m.errorList) say(line);
        } else if (name == "INTERRUPT") {
            std::raise(SIGINT);
        } else {
            result = 7.0;
        }
        return ZEL_RESULT_DONE;
    }
    if (memberName[0] == '\0') {
        say("listing " + (owner.empty() ? std::string("(all)") : owner));
        return ZEL_RESULT_DONE;
    }
    const std::string key = ownerName != nullptr ? Upper(owner) + "." + Upper(memberName) : Upper(memberName);
    const bool text = code == ZEL_REQ_GET_STRING || code == ZEL_REQ_SET_STRING;
    if (!text && code != ZEL_REQ_GET_NUMBER && code != ZEL_REQ_SET_NUMBER) return ZEL_RESULT_FAILED;
    if (text ? m.texts.count(key) == 0 : m.numbers.count(key) == 0) return ZEL_RESULT_NOT_FOUND;
    if (code == ZEL_REQ_GET_NUMBER) {
        *static_cast<double*>(value) = m.numbers[key];
    } else if (code == ZEL_REQ_GET_STRING) {
        tavrel::CopyBounded(static_cast<char*>(value), ZEL_STRING_BUFFER, m.texts[key]);
    } else if (code == ZEL_REQ_SET_STRING) {
        m.texts[key] = static_cast<const char*>(value);
    } else if (key == "NBYTES" && *static_cast<const double*>(value) == 5.0) {
        m.numbers["ERROR"] = 12;
        return ZEL_RESULT_FAILED;
    } else {
        m.numbers[key] = *static_cast<const double*>(value);
    }
    return ZEL_RESULT_DONE;
}

}  // namespace zelcli::testing
