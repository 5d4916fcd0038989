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
    for (Entry& entry : entries_) {
        entry.id = 0;
        entry.text.reset();
    }
    position_ = 0;
    recordedSinceClear_ = false;
}

ErrorRing& Errors() {
    // Leaked on purpose: the module object records errors while it is being
    // destroyed at unload, after function-local statics may be gone.
    static ErrorRing* ring = new ErrorRing;
    return *ring;
}

}  // namespace zel
