#include "help/SyntaxTexts.h"

#include "frame/MethodList.h"
#include "platform/StringUtil.h"

namespace zel {

// The rows of the method list that have a text, under each method's name.
#define ZEL_SYNTAX_ROW(e, n, cls, field, make, syntax, name, ...) {name, syntax},
constexpr SyntaxRow kSyntaxTexts[] = {ZEL_METHODS(ZEL_SYNTAX_ROW){nullptr, nullptr}};
#undef ZEL_SYNTAX_ROW

const char* SyntaxOf(std::string_view method) {
    for (const SyntaxRow* row = kSyntaxTexts; row->method != nullptr; ++row) {
        if (row->text != nullptr && platform::EqualsNoCase(row->method, method)) return row->text;
    }
    return nullptr;
}

}  // namespace zel
