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
    // Reads width bytes: 0, or the reader's code (Err::EndOfFile at the end
    // of the data, Err::ReadFailed for another file error) with ERROR and
    // SYSERR set.
    int32_t ReadValue(uint8_t* bytes, uint32_t width);
    // Writes width bytes: 0, or the failure of Err::WriteValueFailed with
    // SYSERR set.
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

// What sets one real method apart: the class name it reports (the error
// list prints it), the width of its values, whether it writes, and for a
// method that is not offered the line that refuses every call.
struct RealMethod {
    const char* className;
    uint32_t width;
    bool writing;
    const char* refusal;  // null for a method that is offered
};

// The real methods: a fixed width and the float codec of that width.
class MoRealIO : public MoScalarIO {
public:
    MoRealIO(IoContext& io, TypeConverter& converter, const RealMethod& method);
    const char* ClassName() const override { return method_.className; }
    int32_t ParseArguments(std::string& argText, MoDLL& owner) override;
    int32_t Execute(double* result, MoDLL& owner) override;

private:
    int32_t ReadReal(double* result);
    int32_t WriteReal(double* result);

    const RealMethod& method_;
    MoReal* value_ = nullptr;
};

// A real method as a type of its own, built from its row.
template <const RealMethod& Method>
class MoRealMethod final : public MoRealIO {
public:
    MoRealMethod(IoContext& io, TypeConverter& converter) : MoRealIO(io, converter, Method) {}
};

inline constexpr RealMethod kFRead{"MoFRead", 4, false, nullptr};
inline constexpr RealMethod kFWrite{"MoFWrite", 4, true, nullptr};
inline constexpr RealMethod kDRead{"MoDRead", 8, false, nullptr};
inline constexpr RealMethod kDWrite{"MoDWrite", 8, true, nullptr};
inline constexpr RealMethod kLDRead{"MoLDRead", 10, false, nullptr};
// Writing 80-bit reals is not offered.
inline constexpr RealMethod kLDWrite{"MoLDWrite", 10, true, "file.LDWrite() is not supported in this version"};

using MoFRead = MoRealMethod<kFRead>;
using MoFWrite = MoRealMethod<kFWrite>;
using MoDRead = MoRealMethod<kDRead>;
using MoDWrite = MoRealMethod<kDWrite>;
using MoLDRead = MoRealMethod<kLDRead>;
using MoLDWrite = MoRealMethod<kLDWrite>;

}  // namespace zel
