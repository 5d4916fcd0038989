#include "NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "zel/zel.h"

namespace tavrel {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Checks a printf-style format for exactly one floating conversion with at
// most three digits of width and of precision.
bool IsSafeFormat(std::string_view format) {
    int conversions = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        ++i;
        if (i < format.size() && format[i] == '%') continue;
        while (i < format.size() && std::strchr("-+ #0", format[i]) != nullptr) ++i;
        std::size_t digits = 0;
        while (i < format.size() && IsDigit(format[i])) { ++i; ++digits; }
        if (digits > 3) return false;
        if (i < format.size() && format[i] == '.') {
            ++i;
            digits = 0;
            while (i < format.size() && IsDigit(format[i])) { ++i; ++digits; }
            if (digits > 3) return false;
        }
        if (i >= format.size() || std::strchr("eEfFgG", format[i]) == nullptr) return false;
        ++conversions;
    }
    return conversions == 1;
}

}  // namespace

bool IsMissing(double value) { return value == ZEL_MISSING_VALUE; }

std::string FormatNumber(double value) {
    if (IsMissing(value)) return "--";
    std::array<char, 64> text{};
    // Counts and positions read as integers: a whole number that a double
    // holds exactly prints in full, 10000000 rather than 1e+07.
    constexpr double kExactIntegers = 9007199254740992.0;  // 2^53
    const bool whole = std::fabs(value) < kExactIntegers && value == std::trunc(value);
    auto result = whole ? std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed)
                        : std::to_chars(text.data(), text.data() + text.size(), value);
    return std::string(text.data(), result.ptr);
}

std::optional<std::string> FormatNumberAs(double value, const char* format) {
    if (format == nullptr || format[0] == '\0' || std::strcmp(format, "*") == 0) {
        return FormatNumber(value);
    }
    if (!IsSafeFormat(format)) return std::nullopt;
    if (IsMissing(value)) return std::string("--");
    std::array<char, ZEL_NUMBER_TEXT> text{};
    const int written = std::snprintf(text.data(), text.size(), format, value);
    if (written < 0) return std::nullopt;
    return std::string(text.data(), std::strlen(text.data()));
}

std::optional<double> ParseNumber(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    std::size_t intDigits = 0;
    std::size_t significantInt = 0;  // integer digits from the first non-zero one
    while (i < n && IsDigit(text[i])) {
        if (significantInt > 0 || text[i] != '0') ++significantInt;
        ++intDigits;
        ++i;
    }
    std::size_t fracDigits = 0;
    std::size_t leadingFracZeros = 0;
    bool fracNonZero = false;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && IsDigit(text[i])) {
            if (!fracNonZero && text[i] == '0') ++leadingFracZeros;
            if (text[i] != '0') fracNonZero = true;
            ++fracDigits;
            ++i;
        }
    }
    if (intDigits + fracDigits == 0) return std::nullopt;
    long long exponent = 0;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        std::size_t expDigits = 0;
        while (i < n && IsDigit(text[i])) {
            exponent = std::min(exponent * 10 + (text[i] - '0'), 1000000LL);
            ++expDigits;
            ++i;
        }
        if (expDigits == 0) return std::nullopt;
        if (negativeExponent) exponent = -exponent;
    }
    const std::size_t end = i;
    while (i < n && IsBlank(text[i])) ++i;
    if (i != n) return std::nullopt;

    double value = 0.0;
    auto result = std::from_chars(text.data() + start, text.data() + end, value,
                                  std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Decide between overflow and underflow by the decimal magnitude.
        const long long magnitude =
            exponent + (significantInt > 0 ? static_cast<long long>(significantInt)
                                           : -static_cast<long long>(leadingFracZeros));
        if (magnitude > 0) return std::nullopt;
        value = 0.0;
    } else if (result.ec != std::errc() || result.ptr != text.data() + end) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

void CopyBounded(char* buffer, std::size_t capacity, std::string_view text) {
    if (buffer == nullptr || capacity == 0) return;
    const std::size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::string ReadBounded(const char* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) return {};
    const std::size_t limit = capacity - 1;
    const void* end = std::memchr(buffer, '\0', limit);
    const std::size_t length =
        end == nullptr ? limit : static_cast<std::size_t>(static_cast<const char*>(end) - buffer);
    return std::string(buffer, length);
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string NameKey(std::string_view name) {
    std::string key(name);
    for (char& c : key) c = Lower(c);
    return key;
}

}  // namespace tavrel
