#include "host/HostServices.h"

#include <array>

#include "platform/StringUtil.h"

namespace zel::host {
namespace {

int32_t VariableIndex(char letter) {
    char upper = platform::ToUpper(letter);
    if (upper < 'A' || upper > 'Z') return -1;
    return upper - 'A';
}

}  // namespace

uint32_t g_handle = 0;
ZelHostCallback g_callback = nullptr;

void Bind(uint32_t handle, ZelHostCallback callback) {
    g_handle = handle;
    g_callback = callback;
}



void PrintLine(const char* text) {
    if (!Available() || text == nullptr) return;
    Call(ZEL_CB_PRINT, reinterpret_cast<intptr_t>(text), 0);
}

std::string NumberToText(double value) {
    if (!Available()) return {};
    std::array<char, ZEL_NUMBER_TEXT> buffer{};
    ZelNumberText request{buffer.data(), "*"};
    Call(ZEL_CB_NUMBER_TO_TEXT, &value, &request);
    buffer.back() = '\0';
    return std::string(buffer.data());
}

double TextToNumber(const char* text) {
    double value = 0.0;
    if (!Available() || text == nullptr) return value;
    if (Call(ZEL_CB_TEXT_TO_NUMBER, reinterpret_cast<intptr_t>(text),
             reinterpret_cast<intptr_t>(&value)) == 0) {
        return 0.0;
    }
    return value;
}

bool SetStringVariable(char letter, const std::string& text) {
    int32_t index = VariableIndex(letter);
    if (index < 0) return false;
    if (!Available()) return true;
    return Call(ZEL_CB_SET_STRING_VAR, reinterpret_cast<intptr_t>(text.c_str()), index) == 0;
}

void GetStringVariable(char letter, char* buffer) {
    int32_t index = VariableIndex(letter);
    if (index < 0 || buffer == nullptr || !Available()) return;
    Call(ZEL_CB_GET_STRING_VAR, reinterpret_cast<intptr_t>(buffer), index);
    buffer[ZEL_TEXT_BUFFER - 1] = '\0';
}

int32_t CheckSeparator(const char* text) {
    if (!Available()) return 0;
    return Call(ZEL_CB_CHECK_SEPARATOR, reinterpret_cast<intptr_t>(text), 0);
}

void UpdateWindows() {
    if (!Available()) return;
    Call(ZEL_CB_UPDATE, 0, 0);
}

bool ServesBlocks() {
    if (!Available()) return false;
    ZelBlockProbe probe{0, 0};
    if (Call(ZEL_CB_BLOCK_PROBE, 0, reinterpret_cast<intptr_t>(&probe)) != 0) return false;
    return probe.magic == ZEL_BLOCK_MAGIC && probe.version == ZEL_BLOCK_VERSION;
}

}  // namespace zel::host
