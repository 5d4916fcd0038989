// The entry point and the module-wide object behind it.
#include <memory>

#include "module/Zel.h"
#include "host/HostServices.h"
#include "zel/zel.h"

namespace zel {
namespace {

// Built when the module is loaded, destroyed when it is unloaded (which
// closes every file still open). A construction that fails leaves no
// object, and every request is then refused.
struct ModuleObject {
    ModuleObject() {
        try {
            object = std::make_unique<ZEL>();
        } catch (...) {
            object.reset();
        }
    }
    std::unique_ptr<ZEL> object;
};

ModuleObject g_module;

}  // namespace

ZEL* ModuleZel() { return g_module.object.get(); }

}  // namespace zel

extern "C" ZEL_EXPORT int32_t ZEL_CDECL MODLL(uint32_t hostHandle, const char* ownerName,
                                              char* memberName, void* value,
                                              ZelHostCallback callback, int32_t requestCode) {
    zel::host::Bind(hostHandle, callback);
    zel::ZEL* object = zel::ModuleZel();
    if (object == nullptr) return ZEL_RESULT_FAILED;
    try {
        return object->Dispatch(ownerName, memberName, value, requestCode);
    } catch (...) {
        return ZEL_RESULT_FAILED;
    }
}
