// The host maker's text utilities, one named function per service the
// module uses: argument pre-processing and splitting, indexed names, numbers
// and tokens in text.
//
// Argument text rules of this stand-in: items are separated by commas; a
// comma inside double quotes does not separate; pre-processing trims blanks
// (space, tab, CR, LF) around each item and changes nothing else, so names
// keep their case and quoted texts keep their quotes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::pemrix {

// Separator search mode that skips separators inside double quotes.
inline constexpr int kQuoteAware = 16;

// Pre-processes a whole argument text in place (each item trimmed).
void PreprocessArguments(std::string& text);

// Pre-processes the text of one argument (trimmed).
std::string PreprocessArgument(std::string_view text);

// Splits text at sep into at most maxParts parts, in order; separators inside
// double quotes do not split. Beyond maxParts the last part keeps the rest.
std::vector<std::string> SplitText(std::string_view text, char sep, size_t maxParts);

// Position of the next separator that ends the item starting at 0, or npos.
// With mode kQuoteAware a separator inside double quotes is passed over.
size_t FindSeparator(std::string_view text, char sep, int mode);

// A name split into its base and trailing number ("NAME12" -> "NAME", 12).
// baseFits is false when the base does not fit the 28-byte buffer of the
// lookup; number is 0 without trailing digits or when they overflow.
struct IndexedName {
    std::string base;
    int32_t number = 0;
    bool baseFits = true;
};
inline constexpr size_t kBaseNameBuffer = 28;
IndexedName SplitIndexedName(std::string_view name);

// The number a text holds (blanks around it allowed), or std::nullopt.
std::optional<double> ParseNumber(std::string_view text);

// The separator character named by a LISTSEP argument: one character, or one
// character between double quotes, or the escapes \t, \\ and \" between
// quotes. std::nullopt when the argument names no single character.
std::optional<std::string> SeparatorText(std::string_view argument);

// Copies the next blank-delimited token at or after pos into token and
// answers the position after it (the text's length when none is left).
size_t NextToken(std::string_view text, size_t pos, std::string& token);

}  // namespace zel::pemrix
