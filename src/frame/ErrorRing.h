// The module-wide list of the last ten object-level errors, each an id with
// the class name of the object that raised it, and the id of the most
// recent error ever recorded.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "frame/ErrorCatalogue.h"

namespace zel {

class ErrorRing {
public:
    static constexpr int kSize = 10;

    struct Entry {
        int32_t id = 0;
        std::optional<std::string> text;
    };

    // Newest entry at the next position; LastErrorId follows.
    void Record(int32_t id, const char* text);
    void Record(ListErr id, const char* text) { Record(static_cast<int32_t>(id), text); }
    // Every entry empty, position 0; LastErrorId kept.
    void Clear();
    // True when an error was recorded since the last Clear.
    bool HasError() const { return recordedSinceClear_; }

    int position() const { return position_; }
    const Entry& at(int index) const { return entries_[static_cast<size_t>(index)]; }
    int32_t lastErrorId() const { return lastErrorId_; }

private:
    std::array<Entry, kSize> entries_{};
    int16_t position_ = 0;
    int32_t lastErrorId_ = 0;
    bool recordedSinceClear_ = false;
};

// The one list of the module.
ErrorRing& Errors();

}  // namespace zel
