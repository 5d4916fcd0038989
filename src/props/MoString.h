// Text properties. A text property holds no value (null) or a text (which
// may be empty).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "frame/MoProperty.h"

namespace zel {

// What a text names. The error list names the property by it: "MoString",
// "MoDataSetName" or "MoWksName".
enum class StringRole : uint8_t { Text, DatasetName, WorksheetName };

class MoString : public MoProperty {
public:
    const char* ClassName() const override;
    MoString() = default;
    explicit MoString(StringRole role) : role_(role) {}
    explicit MoString(std::string_view text) : value_(std::string(text)) {}

    uint16_t GetKind() const override { return kKindString; }
    int32_t AccessString(char* value, uint16_t flags, size_t capacity) override;
    int32_t GetString(TextOut buffer) override;
    int32_t GetStringAt(TextOut buffer, int32_t index) override;
    void Reset() override { value_.reset(); }
    int32_t SetFromText(const char* text) override;
    const char* GetText() const override { return value_ ? value_->c_str() : nullptr; }

    bool HasValue() const { return value_.has_value(); }
    // A value that is not empty.
    bool HasText() const { return value_ && !value_->empty() && (*value_)[0] != '\0'; }
    // The text, empty when there is none.
    std::string_view text() const { return value_ ? std::string_view(*value_) : std::string_view(); }
    void SetText(std::string_view text) { value_ = std::string(text); }
    void SetNone() { value_.reset(); }

private:
    std::optional<std::string> value_;
    StringRole role_ = StringRole::Text;
};

}  // namespace zel
