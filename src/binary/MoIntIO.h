// The scalar binary methods: one integer of 1 to 4 bytes (READ, WRITE), or
// one IEEE single, double or 80-bit extended real (FREAD ... LDWRITE), at
// the current position of a file.
#pragma once

#include "binary/TypeConverter.h"
#include "props/MoNumeric.h"
#include "transfer/MoScribe.h"

namespace zel {

// Common step of the scalar methods: the common file-method preparation,
// then SIGNED and BYTEORDER re-checked before use.
class MoScalarIO : public MoPiecewise {
public:
    ZEL_CLASS_NAME(MoScalarIO)
    MoScalarIO(IoContext& io, TypeConverter& converter) : MoPiecewise(io), converter_(converter) {}
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;

protected:
    // Reads width bytes: 0, or the reader's code (33 end of data, 28 another
    // file error) with ERROR and SYSERR set.
    int32_t ReadValue(uint8_t* bytes, uint32_t width);
    // Writes width bytes: 0, or 29 (legacy 1155 and 2) with SYSERR set.
    int32_t WriteValue(const uint8_t* bytes, uint32_t width);
    // Decodes or encodes one value of (kind, width) under the settings.
    int32_t Convert(int32_t kind, uint32_t width, uint8_t* bytes, double& value, bool reading);

    TypeConverter& converter_;
};

class MoIntIO : public MoScalarIO {
public:
    ZEL_CLASS_NAME(MoIntIO)
    using MoScalarIO::MoScalarIO;

protected:
    // The working width from the nBytes argument, or from NBYTES; only 1 to
    // 4 pass. 0 and the width, or a refusal code with ERROR set.
    int32_t ChooseWidth(const MoInt& nBytes, uint32_t& width);
};

class MoRead : public MoIntIO {
public:
    ZEL_CLASS_NAME(MoRead)
    MoRead(IoContext& io, TypeConverter& converter);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoInt& nBytes_;
};

class MoWrite : public MoIntIO {
public:
    ZEL_CLASS_NAME(MoWrite)
    MoWrite(IoContext& io, TypeConverter& converter);
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    MoReal& value_;
    MoInt& nBytes_;
};

// The real methods: a fixed width and the float codec of that width.
class MoRealIO : public MoScalarIO {
public:
    ZEL_CLASS_NAME(MoRealIO)
    MoRealIO(IoContext& io, TypeConverter& converter, uint32_t width, bool writing);

protected:
    int32_t ReadReal(double* result, MoDLL& owner);
    int32_t WriteReal(double* result, MoDLL& owner);

private:
    MoReal* value_ = nullptr;
    uint32_t width_;
};

class MoFRead : public MoRealIO {
public:
    ZEL_CLASS_NAME(MoFRead)
    MoFRead(IoContext& io, TypeConverter& converter);
    int32_t Execute(double* result, MoDLL& owner) override { return ReadReal(result, owner); }
};

class MoDRead : public MoRealIO {
public:
    ZEL_CLASS_NAME(MoDRead)
    MoDRead(IoContext& io, TypeConverter& converter);
    int32_t Execute(double* result, MoDLL& owner) override { return ReadReal(result, owner); }
};

class MoLDRead : public MoRealIO {
public:
    ZEL_CLASS_NAME(MoLDRead)
    MoLDRead(IoContext& io, TypeConverter& converter);
    int32_t Execute(double* result, MoDLL& owner) override { return ReadReal(result, owner); }
};

class MoFWrite : public MoRealIO {
public:
    ZEL_CLASS_NAME(MoFWrite)
    MoFWrite(IoContext& io, TypeConverter& converter);
    int32_t Execute(double* result, MoDLL& owner) override { return WriteReal(result, owner); }
};

class MoDWrite : public MoRealIO {
public:
    ZEL_CLASS_NAME(MoDWrite)
    MoDWrite(IoContext& io, TypeConverter& converter);
    int32_t Execute(double* result, MoDLL& owner) override { return WriteReal(result, owner); }
};

// Writing 80-bit reals is not offered: every call is refused with a line.
class MoLDWrite : public MoRealIO {
public:
    ZEL_CLASS_NAME(MoLDWrite)
    MoLDWrite(IoContext& io, TypeConverter& converter);
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override { return WriteReal(result, owner); }
};

}  // namespace zel
