#include "binary/MoIntIO.h"

#include <array>

#include "binary/TypeConverter.h"
#include "host/HostServices.h"

namespace zel {

using platform::FileException;

namespace {
constexpr uint32_t kMaxScalarBytes = 10;
}

int32_t MoScalarIO::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoScribe::ParseArguments(argText, owner); r != 0) return r;
    if (int32_t e = io_.Signed().CheckCurrent(); e != 0) return e;
    return io_.ByteOrder().CheckCurrent();
}

int32_t MoScalarIO::ReadValue(uint8_t* bytes, uint32_t width) {
    return ReadBytes(*io_.CurrentFile(), bytes, width);
}

int32_t MoScalarIO::WriteValue(const uint8_t* bytes, uint32_t width) {
    try {
        io_.CurrentFile()->Write(bytes, width);
    } catch (const FileException& e) {
        return io_.Report(Err::WriteValueFailed, e);
    }
    return 0;
}

int32_t MoScalarIO::Convert(int32_t kind, uint32_t width, uint8_t* bytes, double& value,
                            bool reading) {
    converter_.LoadSettings(io_.Signed().value(), io_.ByteOrder().value());
    Codec codec = converter_.SelectConverter(kind, static_cast<int32_t>(width), reading);
    if (codec == nullptr) return io_.Report(Err::NoCodec);
    return codec(converter_, bytes, value);
}

int32_t MoIntIO::ChooseWidth(const MoInt& nBytes, uint32_t& width) {
    MoDiscrete& widths = io_.IntegerWidths();
    const bool given = nBytes.given();
    const int32_t wanted = given ? nBytes.value() : io_.NBytes().value();
    if (widths.CheckValue(wanted) != 0) {
        // The refusal numbers of the scalar methods differ from the width
        // property's own, and name whether the argument or NBYTES was wrong.
        return io_.Report(given ? Err::WidthArgumentRefused : Err::WidthRefused);
    }
    width = static_cast<uint32_t>(wanted);
    return 0;
}

MoRead::MoRead(IoContext& io, TypeConverter& converter) : MoIntIO(io, converter), nBytes_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoRead::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    uint32_t width = 0;
    if (int32_t e = ChooseWidth(nBytes_, width); e != 0) return e;
    std::array<uint8_t, kMaxScalarBytes> bytes{};
    if (int32_t r = ReadValue(bytes.data(), width); r != 0) {
        if (io_.NewActions()) return r;
        *result = 0.0;
        return io_.Report(r == ErrorInfo(Err::EndOfFile).current ? Err::ValueReadEnd : Err::ReadFailed);
    }
    return Convert(kKindInteger, width, bytes.data(), *result, true);
}

MoWrite::MoWrite(IoContext& io, TypeConverter& converter)
    : MoIntIO(io, converter), value_(AddArgument<MoReal>()), nBytes_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoWrite::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (io_.NewActions()) *result = 0.0;
    if (!value_.given()) return io_.Report(Err::MissingArgument);
    double value = value_.GetValue();
    uint32_t width = 0;
    if (int32_t e = ChooseWidth(nBytes_, width); e != 0) return e;
    std::array<uint8_t, kMaxScalarBytes> bytes{};
    // A value out of range for its width reports Err::ValueRange and is still
    // written.
    if (int32_t r = Convert(kKindInteger, width, bytes.data(), value, false); r != 0) return r;
    if (int32_t r = WriteValue(bytes.data(), width); r != 0) return r;
    *result = width;
    return 0;
}

MoRealIO::MoRealIO(IoContext& io, TypeConverter& converter, const RealMethod& method)
    : MoScalarIO(io, converter), method_(method) {
    if (method.writing) value_ = &AddArgument<MoReal>();
    AddArgument<MoInt>();
}

int32_t MoRealIO::ParseArguments(std::string& argText, MoDLL& owner) {
    if (method_.refusal != nullptr) {
        host::PrintLine(method_.refusal);
        return 1;
    }
    return MoScalarIO::ParseArguments(argText, owner);
}

int32_t MoRealIO::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    return method_.writing ? WriteReal(result) : ReadReal(result);
}

int32_t MoRealIO::ReadReal(double* result) {
    std::array<uint8_t, kMaxScalarBytes> bytes{};
    if (int32_t r = ReadValue(bytes.data(), method_.width); r != 0) {
        if (io_.NewActions()) return r;
        *result = 0.0;
        return io_.Report(Err::ReadFailed);
    }
    // An 80-bit value outside the double range gives the missing value and
    // reports Err::ValueRange, with status 0.
    return Convert(kKindFloat, method_.width, bytes.data(), *result, true);
}

int32_t MoRealIO::WriteReal(double* result) {
    if (io_.NewActions()) *result = 0.0;
    if (value_ == nullptr || !value_->given()) return io_.Report(Err::MissingArgument);
    double value = value_->GetValue();
    std::array<uint8_t, kMaxScalarBytes> bytes{};
    if (int32_t r = Convert(kKindFloat, method_.width, bytes.data(), value, false); r != 0) return r;
    if (int32_t r = WriteValue(bytes.data(), method_.width); r != 0) return r;
    *result = method_.width;
    return 0;
}

}  // namespace zel
