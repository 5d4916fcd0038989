// String helpers in place of the Windows string functions: case-insensitive
// comparison of names and copies bounded by the destination's size.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zel::platform {

// ASCII upper case of one character.
constexpr char ToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Names compared without regard to case; a null name equals nothing.
bool EqualsNoCase(const char* a, const char* b);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Copies at most capacity - 1 characters and always terminates (when the
// destination has any room). Answers the number of characters copied.
size_t CopyBounded(char* destination, size_t capacity, std::string_view source);

// Length of a text of at most limit characters (strnlen).
size_t BoundedLength(const char* text, size_t limit);

}  // namespace zel::platform
