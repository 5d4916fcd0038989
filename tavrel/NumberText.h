// Number and text conversions of the stand-in host: how Tavrel shows numbers,
// how it reads them back, and bounded copies into fixed-size buffers.
#ifndef TAVREL_NUMBERTEXT_H
#define TAVREL_NUMBERTEXT_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

// True for the module's missing value (no number).
bool IsMissing(double value);

// The host's default number text: the shortest text that reads back to the
// same double; the missing value shows as "--".
std::string FormatNumber(double value);

// A number under a printf-style format with exactly one floating conversion
// (%[flags][width][.precision] and one of e E f F g G, "%%" allowed around
// it). Empty when the format is not of that form. "*", null and "" give the
// default text.
std::optional<std::string> FormatNumberAs(double value, const char* format);

// Reads a decimal number: optional blanks, an optional sign, digits with an
// optional point and exponent, optional blanks. Locale-independent. Texts
// that are not of this form, or whose value overflows a double, give nothing;
// a value too small for a double reads as zero.
std::optional<double> ParseNumber(std::string_view text);

// Copies text into a buffer of capacity bytes, cut to capacity - 1
// characters, and terminates it. Does nothing for a null buffer or a zero
// capacity.
void CopyBounded(char* buffer, std::size_t capacity, std::string_view text);

// The text of a buffer of capacity bytes that the module filled: at most
// capacity - 1 characters, even when the buffer carries no terminator.
std::string ReadBounded(const char* buffer, std::size_t capacity);

// Case-insensitive comparison of ASCII names.
bool SameName(std::string_view a, std::string_view b);
// The name as SameName compares it: ASCII letters in lower case.
std::string NameKey(std::string_view name);

}  // namespace tavrel

#endif  // TAVREL_NUMBERTEXT_H
