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

namespace {
// Constant-initialized: it exists before any module object is built and
// outlives every one of them at unload.
constinit ErrorRing g_ring;
}  // namespace

ErrorRing& Errors() { return g_ring; }

}  // namespace zel
