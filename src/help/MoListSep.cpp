#include "help/MoListSep.h"

#include <optional>
#include <string>

#include "host/HostServices.h"
#include "platform/Pemrix9.h"

namespace zel {

namespace {
constexpr int32_t kComma = ',';
}

MoListSep::MoListSep(IoContext& io) : MoZELIO(io), separator_(AddArgument<MoString>()) {}

int32_t MoListSep::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    MoBounded& listSep = io_.ListSep();
    if (!separator_.given()) {
        listSep.Store(kComma);
        return 0;
    }
    std::optional<std::string> text = pemrix::SeparatorText(separator_.text());
    if (!text || text->empty()) return io_.Report(Err::MissingArgument);
    if (host::Available() && host::CheckSeparator(text->c_str()) == -1) {
        return io_.Report(Err::HostRefused);
    }
    listSep.SetNumber(static_cast<signed char>((*text)[0]));
    return 0;
}

}  // namespace zel
