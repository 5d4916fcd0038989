// Numbers in the pieces of the row, array and ASCII readers.
#pragma once

#include <charconv>
#include <cmath>
#include <string_view>

#include "frame/Mobj.h"
#include "platform/Pemrix9.h"

namespace zel {

// The characters a number is written with: digits, sign, point and the
// exponent letter. The row and array readers keep only these.
constexpr bool IsNumberChar(uint8_t ch) {
    return (ch >= '0' && ch <= '9') || ch == '-' || ch == '.' || ch == 'E' || ch == 'e';
}

// The number of a text, as the utility library reads it (correctly
// rounded), or the missing value when the text holds no number. A plain
// decimal number is converted at once; everything else (blanks, a plus
// sign, a value out of range, words such as "inf") takes the library's road.
inline double NumberOfText(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error == std::errc() && stop == end && std::isfinite(value)) return value;
    return pemrix::ParseNumber(text).value_or(kMissingValue);
}

}  // namespace zel
