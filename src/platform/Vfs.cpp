#include "platform/Vfs.h"

namespace zel::platform {
namespace {

Vfs* g_current = nullptr;

}  // namespace

Vfs& CurrentVfs() { return g_current != nullptr ? *g_current : SystemVfs(); }

void SetVfs(Vfs* vfs) { g_current = vfs; }

}  // namespace zel::platform
