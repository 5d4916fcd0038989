// Texts for the PrintTo functions of test cases, so that a failing case
// names its values instead of dumping the bytes of its struct.
#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <string>

namespace zeltest {

// The shortest text that reads back to the same double ("0.1", "-0", "nan").
inline std::string NumberText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Bytes as two hex digits each, separated by blanks: "FF 00 80".
template <class Bytes>
std::string HexBytes(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const auto byte : bytes) {
        const auto b = static_cast<uint8_t>(byte);
        if (!text.empty()) text += ' ';
        text += kDigits[b >> 4];
        text += kDigits[b & 0xF];
    }
    return text.empty() ? "(none)" : text;
}

// A text in quotes with escapes, or null.
inline std::string Quoted(const char* text) {
    return text != nullptr ? ::testing::PrintToString(std::string(text)) : "null";
}
inline std::string Quoted(const std::string& text) { return ::testing::PrintToString(text); }

}  // namespace zeltest
