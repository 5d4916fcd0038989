#include "frame/ErrorCatalogue.h"

namespace zel {

std::string_view ErrorText(int32_t number, bool newActions) {
    if (number == 0) return {};
    for (const ErrorRow* row = kErrorCatalogue; row->name != nullptr; ++row) {
        if ((newActions ? row->current : row->legacy) == number) return row->text;
    }
    return {};
}

}  // namespace zel
