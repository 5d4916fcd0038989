#include "files/MoSwitchMode.h"

#include "frame/Zel.h"

namespace zel {

using platform::FileException;
using platform::SeekFrom;

MoSwitchMode::MoSwitchMode(ZEL& zel)
    : MoTracking(zel, "(mode[,hFile])"), mode_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoSwitchMode::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (!mode_.given()) return zel_.Fail(10, 65);
    const int32_t mode = mode_.value();
    if (mode < 0 || mode > 2) return zel_.Fail(12, 3);

    MoHFILE& hfile = zel_.HFile();
    MyCFile& file = *hfile.file();
    Position where = GetFilePosition(file);
    if (where.error != 0) {
        *result = -1.0;
        return where.error;
    }
    const std::string path = file.GetFilePath();

    try {
        file.Close();
    } catch (const FileException& e) {
        *result = -1.0;
        if (zel_.NewActions()) {
            hfile.ReleaseCurrentFile();
            zel_.SetSysErr(e.causeCode());
        } else {
            zel_.SetSysErr(platform::LegacyCauseCode(e.cause()));
        }
        return zel_.Fail(23, 1156);
    }

    FileException error;
    if (!file.Open(path, MyCFile::SwitchFlagsFor(static_cast<uint8_t>(mode)), &error)) {
        *result = -1.0;
        hfile.SetToNone();
        zel_.SetSysErr(zel_.NewActions() ? error.causeCode() : 0);
        return zel_.Fail(22, 1153);
    }
    file.set_mode(static_cast<uint8_t>(mode));
    hfile.SelectFile(&file);

    // The whole 64-bit position is restored, not only what scripts see.
    Position restored = SeekFile(file, static_cast<int64_t>(where.position), SeekFrom::Begin);
    if (restored.error != 0) {
        *result = -1.0;
        return restored.error;
    }
    *result = file.Handle();
    return 0;
}

}  // namespace zel
