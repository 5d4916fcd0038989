#include "platform/FileException.h"

namespace zel::platform {

const char* FileException::what() const noexcept {
    const CauseRow* row = FindCause(causeCode());
    return row != nullptr ? row->text : "unknown file error";
}

}  // namespace zel::platform
