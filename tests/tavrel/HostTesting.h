// Helpers for the host tests: calls of the host callback made the way the
// module makes them.
#ifndef TESTS_TAVREL_HOSTTESTING_H
#define TESTS_TAVREL_HOSTTESTING_H

#include <cstdint>
#include <string>
#include <type_traits>

#include "Tavrel.h"

namespace tavrel::testing {

// An entry point for hosts whose tests only drive the callback.
inline int32_t ZEL_CDECL NoModule(uint32_t, const char*, char*, void*, ZelHostCallback, int32_t) {
    return ZEL_RESULT_NOT_FOUND;
}

// The arg and out words of a request.
template <typename T>
intptr_t Word(T* pointer) {
    return reinterpret_cast<intptr_t>(pointer);
}
inline intptr_t Word(std::nullptr_t) { return 0; }
// Any integer (int and intptr_t are one type on 32-bit Windows).
template <typename T>
    requires std::is_integral_v<T>
intptr_t Word(T value) {
    return static_cast<intptr_t>(value);
}

// A callback request on the host's own handle.
template <typename A = std::nullptr_t, typename O = std::nullptr_t>
int32_t Ask(const Host& host, int32_t code, A arg = nullptr, O out = nullptr) {
    return Host::Callback(host.handle(), code, Word(arg), Word(out));
}

}  // namespace tavrel::testing

#endif  // TESTS_TAVREL_HOSTTESTING_H
