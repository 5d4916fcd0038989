#include "files/MyCFile.h"

namespace zel {

using platform::Access;
using platform::OpenFlags;
using platform::Share;

OpenFlags MyCFile::OpenFlagsFor(uint8_t mode, bool create) {
    switch (mode) {
        case 1: return {Access::Write, Share::DenyWrite, create};
        case 2: return {Access::ReadWrite, Share::DenyWrite, create};
        default: return {Access::Read, Share::DenyNone, create};
    }
}

OpenFlags MyCFile::SwitchFlagsFor(uint8_t mode) {
    switch (mode) {
        case 1: return {Access::Write, Share::Exclusive, false};
        case 2: return {Access::ReadWrite, Share::Exclusive, false};
        default: return {Access::Read, Share::Exclusive, false};
    }
}

}  // namespace zel
