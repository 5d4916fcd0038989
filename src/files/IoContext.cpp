#include "files/IoContext.h"

#include "frame/ErrorRing.h"
#include "platform/File.h"

namespace zel {

IoContext::IoContext() {
    // The module-wide state this context uses while it is destroyed must be
    // built before it, so that it is destroyed after it.
    Errors();
    platform::File::Initialize();
    files_.SetRemovalListener([this](const MyCFile* file) { hfile_.Forget(file); });
    hfile_.SetToNone();
}

IoContext::~IoContext() {
    // Every open file is closed; a close that fails still releases the file,
    // so a second round always finishes.
    while (files_.CloseAllFiles(*this) != 0) {
    }
    files_.SetRemovalListener(nullptr);
}

}  // namespace zel
