// The syntax texts that SYNTAX prints after "zel." and the name of a
// method: one row per method, under the first name the method table gives
// it, ended by a row with a null name.
#pragma once

#include <string_view>

namespace zel {

struct SyntaxRow {
    const char* method;
    const char* text;
};

extern const SyntaxRow kSyntaxTexts[];

// The text of a method by its first name; null for a method without one.
const char* SyntaxOf(std::string_view method);

}  // namespace zel
