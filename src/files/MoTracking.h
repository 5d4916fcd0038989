// The positioning methods: read and set the position, go to the start or
// the end, and move by bytes or by items of a width. Positions reach
// scripts as signed 32-bit numbers; the file layer keeps 64 bits.
#pragma once

#include "files/MoOpen.h"
#include "platform/File.h"

namespace zel {

class MyCFile;

class MoTracking : public MoGeneralIO {
public:
    ZEL_CLASS_NAME(MoTracking)
    using MoGeneralIO::MoGeneralIO;
    // The optional hFile is the last argument.
    int8_t GetHFileArgIndex() const override { return static_cast<int8_t>(argCount() - 1); }

    // The file's position (e = 0) or an error id with ERROR and SYSERR set.
    struct Position {
        int32_t error = 0;
        uint64_t position = 0;
        // As scripts see it: the low 32 bits read as signed.
        int32_t script() const { return static_cast<int32_t>(static_cast<uint32_t>(position)); }
    };
    Position GetFilePosition(MyCFile& file);
    // Moves by a signed offset from the start, the position or the end.
    Position SeekFile(MyCFile& file, int64_t offset, platform::SeekFrom from);
};

class MoGetPos : public MoTracking {
public:
    ZEL_CLASS_NAME(MoGetPos)
    explicit MoGetPos(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;
};

class MoSetPos : public MoTracking {
public:
    ZEL_CLASS_NAME(MoSetPos)
    explicit MoSetPos(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoInt& pos_;
};

class MoRewind : public MoTracking {
public:
    ZEL_CLASS_NAME(MoRewind)
    explicit MoRewind(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;
};

class MoToEnd : public MoTracking {
public:
    ZEL_CLASS_NAME(MoToEnd)
    explicit MoToEnd(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;
};

class MoJumpChunk : public MoTracking {
public:
    ZEL_CLASS_NAME(MoJumpChunk)
    explicit MoJumpChunk(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoInt& offset_;
    MoInt& nBytes_;
};

class MoJump : public MoTracking {
public:
    ZEL_CLASS_NAME(MoJump)
    explicit MoJump(IoContext& io);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoInt& offset_;
};

}  // namespace zel
