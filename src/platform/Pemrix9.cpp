#include "platform/Pemrix9.h"

#include <charconv>
#include <limits>

namespace zel::pemrix {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view Trim(std::string_view text) {
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A decimal text that a double cannot hold: infinity when its magnitude is
// above the range, zero when below, judged from its decimal exponent.
double OutOfRangeResult(std::string_view text, bool negative) {
    long long exponent = 0;
    size_t e = text.find_first_of("eE");
    std::string_view mantissa = text.substr(0, e);
    if (e != std::string_view::npos) {
        std::string_view digits = text.substr(e + 1);
        bool minus = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
        for (char c : digits) {
            if (exponent < 100000) exponent = exponent * 10 + (c - '0');
        }
        if (minus) exponent = -exponent;
    }
    // Position of the first significant digit relative to the point.
    size_t point = mantissa.find('.');
    size_t intEnd = point == std::string_view::npos ? mantissa.size() : point;
    long long magnitude = 0;
    size_t first = mantissa.find_first_of("123456789");
    if (first != std::string_view::npos) {
        magnitude = first < intEnd ? static_cast<long long>(intEnd - first)
                                   : -static_cast<long long>(first - intEnd - 1);
    }
    double huge = std::numeric_limits<double>::infinity();
    double result = (first != std::string_view::npos && magnitude + exponent > 0) ? huge : 0.0;
    return negative ? -result : result;
}

}  // namespace

size_t FindSeparator(std::string_view text, char sep, int mode) {
    bool inQuotes = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (mode == kQuoteAware && c == '"') {
            inQuotes = !inQuotes;
        } else if (c == sep && !inQuotes) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::vector<std::string> SplitText(std::string_view text, char sep, size_t maxParts) {
    std::vector<std::string> parts;
    if (maxParts == 0) return parts;
    while (true) {
        size_t cut = parts.size() + 1 < maxParts ? FindSeparator(text, sep, kQuoteAware)
                                                 : std::string_view::npos;
        if (cut == std::string_view::npos) {
            parts.emplace_back(text);
            return parts;
        }
        parts.emplace_back(text.substr(0, cut));
        text.remove_prefix(cut + 1);
    }
}

void PreprocessArguments(std::string& text) {
    std::string out;
    out.reserve(text.size());
    std::string_view rest = text;
    while (true) {
        size_t cut = FindSeparator(rest, ',', kQuoteAware);
        out.append(Trim(rest.substr(0, cut)));
        if (cut == std::string_view::npos) break;
        out.push_back(',');
        rest.remove_prefix(cut + 1);
    }
    text = std::move(out);
}

std::string PreprocessArgument(std::string_view text) { return std::string(Trim(text)); }

IndexedName SplitIndexedName(std::string_view name) {
    IndexedName result;
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
    std::string_view base = name.substr(0, digits);
    std::string_view number = name.substr(digits);
    result.base.assign(base);
    result.baseFits = base.size() < kBaseNameBuffer;
    if (!number.empty()) {
        int32_t value = 0;
        auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
        result.number = (ec == std::errc() && end == number.data() + number.size()) ? value : 0;
    }
    return result;
}

std::optional<double> ParseNumber(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    // Only plain decimal notation: digits, one point, an exponent.
    size_t i = 0;
    if (text[i] == '-') ++i;
    size_t mantissaDigits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++mantissaDigits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        size_t exponentDigits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++exponentDigits;
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    double value = 0.0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (end != text.data() + text.size()) return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: infinity or zero with the sign.
        bool negative = text.front() == '-';
        return OutOfRangeResult(text, negative);
    }
    if (ec != std::errc()) return std::nullopt;
    return value;
}

std::optional<std::string> SeparatorText(std::string_view argument) {
    argument = Trim(argument);
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"') {
        std::string_view inner = argument.substr(1, argument.size() - 2);
        if (inner.size() == 1 && inner[0] != '\\') return std::string(inner);
        if (inner.size() == 2 && inner[0] == '\\') {
            switch (inner[1]) {
                case 't': return std::string("\t");
                case '\\': return std::string("\\");
                case '"': return std::string("\"");
                default: return std::nullopt;
            }
        }
        return std::nullopt;
    }
    if (argument.size() == 1) return std::string(argument);
    return std::nullopt;
}

size_t NextToken(std::string_view text, size_t pos, std::string& token) {
    token.clear();
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos])) ++pos;
    token.assign(text.substr(start, pos - start));
    return pos;
}

}  // namespace zel::pemrix
