#include "files/MoTracking.h"


namespace zel {

using platform::FileException;
using platform::SeekFrom;

MoTracking::Position MoTracking::GetFilePosition(MyCFile& file) {
    Position p;
    try {
        p.position = file.GetPosition();
    } catch (const FileException& e) {
        p.error = io_.Report(Err::PositionFailed, e);
    }
    return p;
}

MoTracking::Position MoTracking::SeekFile(MyCFile& file, int64_t offset, SeekFrom from) {
    Position p;
    try {
        p.position = file.Seek(offset, from);
    } catch (const FileException& e) {
        p.error = io_.Report(Err::SeekFailed, e);
    }
    return p;
}

MoGetPos::MoGetPos(IoContext& io) : MoTracking(io) { AddArgument<MoInt>(); }

int32_t MoGetPos::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    Position p = GetFilePosition(*io_.HFile().file());
    if (p.error != 0) {
        *result = -1.0;
        return p.error;
    }
    if (p.script() < 0) {
        // A position scripts cannot see: the legacy numbering reports it as
        // a position failure, the current one fails without a number.
        if (!io_.NewActions()) return io_.Report(Err::PositionFailed);
        return kLegacyFailure;
    }
    *result = p.script();
    return 0;
}

MoSetPos::MoSetPos(IoContext& io) : MoTracking(io), pos_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoSetPos::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (!pos_.given()) return io_.Report(Err::MissingArgument);
    Position p = SeekFile(*io_.HFile().file(), pos_.value(), SeekFrom::Begin);
    if (p.error != 0) {
        *result = -1.0;
        return p.error;
    }
    *result = p.script();
    return 0;
}

MoRewind::MoRewind(IoContext& io) : MoTracking(io) { AddArgument<MoInt>(); }

int32_t MoRewind::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    Position p = SeekFile(*io_.HFile().file(), 0, SeekFrom::Begin);
    *result = p.error != 0 ? -1.0 : 0.0;
    return p.error;
}

MoToEnd::MoToEnd(IoContext& io) : MoTracking(io) { AddArgument<MoInt>(); }

int32_t MoToEnd::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    Position p = SeekFile(*io_.HFile().file(), 0, SeekFrom::End);
    *result = p.error != 0 ? -1.0 : p.script();
    return p.error;
}

MoJumpChunk::MoJumpChunk(IoContext& io)
    : MoTracking(io),
      offset_(AddArgument<MoInt>()),
      nBytes_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoJumpChunk::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (!offset_.given()) return io_.Report(Err::MissingOffset);
    MoDiscrete& widths = io_.NBytes();
    int32_t chunk;
    if (nBytes_.given()) {
        if (int32_t e = widths.CheckValue(nBytes_.value()); e != 0) return kArgumentRefusedOffset + e;
        chunk = nBytes_.value();
    } else {
        chunk = widths.value();
        if (int32_t e = widths.CheckValue(chunk); e != 0) return e;
    }
    // The distance is taken in 32-bit arithmetic, wrapping as the scripts'
    // numbers do.
    const int32_t distance = static_cast<int32_t>(static_cast<uint32_t>(offset_.value()) *
                                                  static_cast<uint32_t>(chunk));
    Position p = SeekFile(*io_.HFile().file(), distance, SeekFrom::Current);
    if (p.error != 0) {
        *result = -1.0;
        return p.error;
    }
    *result = p.script();
    return 0;
}

MoJump::MoJump(IoContext& io) : MoTracking(io), offset_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoJump::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (!offset_.given()) return io_.Report(Err::MissingOffset);
    Position p = SeekFile(*io_.HFile().file(), offset_.value(), SeekFrom::Current);
    if (p.error != 0) {
        *result = -1.0;
        return p.error;
    }
    *result = p.script();
    return 0;
}

}  // namespace zel
