#include "files/MoTracking.h"

#include "frame/Zel.h"

namespace zel {

using platform::FileException;
using platform::SeekFrom;

MoTracking::Position MoTracking::GetFilePosition(MyCFile& file) {
    Position p;
    try {
        p.position = file.GetPosition();
    } catch (const FileException& e) {
        zel_.SetSysErr(zel_.NewActions() ? e.causeCode() : platform::LegacyCauseCode(e.cause()));
        p.error = zel_.Fail(26, 1156);
    }
    return p;
}

MoTracking::Position MoTracking::SeekFile(MyCFile& file, int64_t offset, SeekFrom from) {
    Position p;
    try {
        p.position = file.Seek(offset, from);
    } catch (const FileException& e) {
        zel_.SetSysErr(zel_.NewActions() ? e.causeCode() : platform::LegacyCauseCode(e.cause()));
        p.error = zel_.Fail(27, 1156);
    }
    return p;
}

MoGetPos::MoGetPos(ZEL& zel) : MoTracking(zel, "([hFile])") { AddArgument<MoInt>(); }

int32_t MoGetPos::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    Position p = GetFilePosition(*zel_.HFile().file());
    if (p.error != 0) {
        *result = -1.0;
        return p.error;
    }
    if (p.script() < 0) {
        if (!zel_.NewActions()) zel_.SetError(1156);
        return 2;
    }
    *result = p.script();
    return 0;
}

MoSetPos::MoSetPos(ZEL& zel) : MoTracking(zel, "(pos[,hFile])"), pos_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoSetPos::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (!pos_.given()) return zel_.Fail(10, 65);
    Position p = SeekFile(*zel_.HFile().file(), pos_.value(), SeekFrom::Begin);
    if (p.error != 0) {
        *result = -1.0;
        return p.error;
    }
    *result = p.script();
    return 0;
}

MoRewind::MoRewind(ZEL& zel) : MoTracking(zel, "([hFile])") { AddArgument<MoInt>(); }

int32_t MoRewind::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    Position p = SeekFile(*zel_.HFile().file(), 0, SeekFrom::Begin);
    *result = p.error != 0 ? -1.0 : 0.0;
    return p.error;
}

MoToEnd::MoToEnd(ZEL& zel) : MoTracking(zel, "([hFile])") { AddArgument<MoInt>(); }

int32_t MoToEnd::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    Position p = SeekFile(*zel_.HFile().file(), 0, SeekFrom::End);
    *result = p.error != 0 ? -1.0 : p.script();
    return p.error;
}

MoJumpChunk::MoJumpChunk(ZEL& zel)
    : MoTracking(zel, "(offset[,nBytes][,hFile])"),
      offset_(AddArgument<MoInt>()),
      nBytes_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoJumpChunk::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (!offset_.given()) {
        zel_.SetError(10);
        return 10;
    }
    MoDiscrete& widths = zel_.NBytes();
    int32_t chunk;
    if (nBytes_.given()) {
        if (int32_t e = widths.CheckValue(nBytes_.value()); e != 0) return 256 + e;
        chunk = nBytes_.value();
    } else {
        chunk = widths.value();
        if (int32_t e = widths.CheckValue(chunk); e != 0) return e;
    }
    // The distance is taken in 32-bit arithmetic, wrapping as the scripts'
    // numbers do.
    const int32_t distance = static_cast<int32_t>(static_cast<uint32_t>(offset_.value()) *
                                                  static_cast<uint32_t>(chunk));
    Position p = SeekFile(*zel_.HFile().file(), distance, SeekFrom::Current);
    if (p.error != 0) {
        *result = -1.0;
        return p.error;
    }
    *result = p.script();
    return 0;
}

MoJump::MoJump(ZEL& zel) : MoTracking(zel, "(offset[,hFile])"), offset_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoJump::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (!offset_.given()) {
        zel_.SetError(10);
        return 10;
    }
    Position p = SeekFile(*zel_.HFile().file(), offset_.value(), SeekFrom::Current);
    if (p.error != 0) {
        *result = -1.0;
        return p.error;
    }
    *result = p.script();
    return 0;
}

}  // namespace zel
