#include "files/MoSwitchMode.h"


namespace zel {

using platform::FileException;
using platform::SeekFrom;

MoSwitchMode::MoSwitchMode(IoContext& io)
    : MoTracking(io), mode_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoSwitchMode::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (!mode_.given()) return io_.Report(Err::MissingArgument);
    const int32_t mode = mode_.value();
    if (mode < 0 || mode > 2) return io_.Report(Err::OutOfRange);

    MoHFILE& hfile = io_.HFile();
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
        if (io_.NewActions()) hfile.ReleaseCurrentFile();
        return io_.Report(Err::CloseFailed, e);
    }

    FileException error;
    if (!file.Open(path, MyCFile::SwitchFlagsFor(static_cast<uint8_t>(mode)), &error)) {
        *result = -1.0;
        hfile.SetToNone();
        return io_.Report(Err::OpenFailed, error);
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
