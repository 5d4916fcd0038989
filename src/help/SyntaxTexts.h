// The syntax texts that SYNTAX prints after "zel." and the name of a
// method, taken from the method list (frame/MethodList.h).
#pragma once

#include <string_view>

namespace zel {

struct SyntaxRow {
    const char* method;
    const char* text;
};

// The text of a method by its first name; null for a method without one.
const char* SyntaxOf(std::string_view method);

}  // namespace zel
