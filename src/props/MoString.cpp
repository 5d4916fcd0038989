#include "props/MoString.h"

#include <iterator>

namespace zel {
namespace {

// The class names the error list gives a text property, by StringRole.
constexpr const char* kRoleNames[] = {"MoString", "MoDataSetName", "MoWksName"};
static_assert(std::size(kRoleNames) == static_cast<size_t>(StringRole::WorksheetName) + 1);

}  // namespace

const char* MoString::ClassName() const { return kRoleNames[static_cast<size_t>(role_)]; }

int32_t MoString::AccessString(char* value, uint16_t flags, size_t capacity) {
    if (flags & kAccessSet) {
        if (value == nullptr) {
            value_.reset();
        } else {
            value_ = std::string(value);
        }
        return kDone;
    }
    if (flags & kAccessGet) {
        if (value == nullptr || capacity == 0) return kFailed;
        GetString(TextOut(value, capacity));
        return kDone;
    }
    return kFailed;
}

int32_t MoString::GetString(TextOut buffer) {
    CopyBounded(buffer, GetText());
    return 0;
}

int32_t MoString::GetStringAt(TextOut buffer, int32_t) { return GetString(buffer); }

int32_t MoString::SetFromText(const char* text) {
    given_ = 1;
    if (text == nullptr) {
        value_.reset();
    } else {
        value_ = std::string(text);
    }
    return 0;
}

}  // namespace zel
