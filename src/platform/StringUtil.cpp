#include "platform/StringUtil.h"

#include <cstring>

namespace zel::platform {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (ToUpper(a[i]) != ToUpper(b[i])) return false;
    }
    return true;
}

bool EqualsNoCase(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return false;
    return EqualsNoCase(std::string_view(a), std::string_view(b));
}

size_t CopyBounded(char* destination, size_t capacity, std::string_view source) {
    if (destination == nullptr || capacity == 0) return 0;
    size_t n = source.size() < capacity - 1 ? source.size() : capacity - 1;
    if (n > 0) std::memcpy(destination, source.data(), n);
    destination[n] = '\0';
    return n;
}

size_t BoundedLength(const char* text, size_t limit) {
    if (text == nullptr) return 0;
    size_t n = 0;
    while (n < limit && text[n] != '\0') ++n;
    return n;
}

}  // namespace zel::platform
