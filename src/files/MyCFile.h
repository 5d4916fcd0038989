// An open file of the open-file table: the platform file with the open mode
// (0 read, 1 write, 2 both) that the script asked for.
#pragma once

#include <cstdint>

#include "platform/File.h"

namespace zel {

class MyCFile : public platform::File {
public:
    explicit MyCFile(uint8_t mode) : mode_(mode) {}
    uint8_t mode() const { return mode_; }
    void set_mode(uint8_t mode) { mode_ = mode; }

    // The flags of OPEN for a mode: read shares read and write, write and
    // both share read only; create is added for the second attempt.
    static platform::OpenFlags OpenFlagsFor(uint8_t mode, bool create);
    // The flags of SWITCHMODE: the same accesses for exclusive use.
    static platform::OpenFlags SwitchFlagsFor(uint8_t mode);

private:
    uint8_t mode_;
};

}  // namespace zel
