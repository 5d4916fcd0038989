#include "frame/ErrorRing.h"

namespace zel {

void ErrorRing::Record(int32_t id, const char* text) {
    position_ = static_cast<int16_t>((position_ + 1) % kSize);
    Entry& entry = entries_[static_cast<size_t>(position_)];
    entry.id = id;
    if (text != nullptr) {
        entry.text = text;
    } else {
        entry.text.reset();
    }
    lastErrorId_ = id;
    recordedSinceClear_ = true;
}

void ErrorRing::Clear() {
    // Nothing recorded since the last clear: every entry is empty already,
    // and most method calls record nothing.
    if (!recordedSinceClear_) return;
    for (Entry& entry : entries_) {
        entry.id = 0;
        entry.text.reset();
    }
    position_ = 0;
    recordedSinceClear_ = false;
}

ErrorRing& Errors() {
    // Built on first use; the module object asks for it while it is built,
    // so the list outlives it at unload.
    static ErrorRing ring;
    return ring;
}

}  // namespace zel
