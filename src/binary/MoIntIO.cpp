#include "binary/MoIntIO.h"

#include <array>

#include "binary/TypeConverter.h"
#include "frame/SyntaxTexts.h"
#include "frame/Zel.h"
#include "host/HostServices.h"

namespace zel {

using platform::FileException;

namespace {
constexpr uint32_t kMaxScalarBytes = 10;
}

int32_t MoScalarIO::ParseArguments(std::string& argText, MoDLL& owner) {
    if (int32_t r = MoScribe::ParseArguments(argText, owner); r != 0) return r;
    if (int32_t e = zel_.Signed().CheckCurrent(); e != 0) return e;
    return zel_.ByteOrder().CheckCurrent();
}

int32_t MoScalarIO::ReadValue(uint8_t* bytes, uint32_t width) {
    return ReadBytes(*zel_.HFile().file(), bytes, width);
}

int32_t MoScalarIO::WriteValue(const uint8_t* bytes, uint32_t width) {
    try {
        zel_.HFile().file()->Write(bytes, width);
    } catch (const FileException& e) {
        zel_.SetSysErr(zel_.NewActions() ? e.causeCode() : platform::LegacyCauseCode(e.cause()));
        return zel_.Fail(29, 1155);
    }
    return 0;
}

int32_t MoScalarIO::Convert(int32_t kind, uint32_t width, uint8_t* bytes, double& value,
                            bool reading) {
    TypeConverter& converter = zel_.Converter();
    converter.LoadSettings(zel_.Signed().value(), zel_.ByteOrder().value());
    Codec codec = converter.SelectConverter(kind, static_cast<int32_t>(width), reading);
    if (codec == nullptr) return kErrNoCodec;
    return codec(converter, bytes, value);
}

int32_t MoIntIO::ChooseWidth(const MoInt& nBytes, uint32_t& width) {
    MoDiscrete& widths = zel_.IntegerWidths();
    const bool given = nBytes.given();
    const int32_t wanted = given ? nBytes.value() : zel_.NBytes().value();
    if (widths.CheckValue(wanted) != 0) {
        // The refusal numbers of the scalar methods differ from the width
        // property's own: 268 for an argument, 12 for NBYTES, legacy 2.
        const int32_t code = !zel_.NewActions() ? 2 : given ? 256 + 12 : 12;
        zel_.SetError(code);
        return code;
    }
    width = static_cast<uint32_t>(wanted);
    return 0;
}

MoRead::MoRead(ZEL& zel) : MoIntIO(zel, syntax::kRead), nBytes_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoRead::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    uint32_t width = 0;
    if (int32_t e = ChooseWidth(nBytes_, width); e != 0) return e;
    std::array<uint8_t, kMaxScalarBytes> bytes{};
    if (int32_t r = ReadValue(bytes.data(), width); r != 0) {
        if (zel_.NewActions()) return r;
        *result = 0.0;
        zel_.SetError(r == 33 ? 1158 : 1157);
        return 2;
    }
    return Convert(kKindInteger, width, bytes.data(), *result, true);
}

MoWrite::MoWrite(ZEL& zel)
    : MoIntIO(zel, syntax::kWrite), value_(AddArgument<MoReal>()), nBytes_(AddArgument<MoInt>()) {
    AddArgument<MoInt>();
}

int32_t MoWrite::Execute(double* result, MoDLL& owner) {
    MoZELIO::Execute(result, owner);
    if (zel_.NewActions()) *result = 0.0;
    if (!value_.given()) return zel_.Fail(10, 65);
    double value = value_.GetValue();
    uint32_t width = 0;
    if (int32_t e = ChooseWidth(nBytes_, width); e != 0) return e;
    std::array<uint8_t, kMaxScalarBytes> bytes{};
    // A value out of range for 24 bits leaves ERROR 34 and is still written.
    if (int32_t r = Convert(kKindInteger, width, bytes.data(), value, false); r != 0) return r;
    if (int32_t r = WriteValue(bytes.data(), width); r != 0) return r;
    *result = width;
    return 0;
}

MoRealIO::MoRealIO(ZEL& zel, const char* syntax, uint32_t width, bool writing)
    : MoScalarIO(zel, syntax), width_(width) {
    if (writing) value_ = &AddArgument<MoReal>();
    AddArgument<MoInt>();
}

int32_t MoRealIO::ReadReal(double* result) {
    MoZELIO::Execute(result, zel_);
    std::array<uint8_t, kMaxScalarBytes> bytes{};
    if (int32_t r = ReadValue(bytes.data(), width_); r != 0) {
        if (zel_.NewActions()) return r;
        *result = 0.0;
        zel_.SetError(1157);
        return 2;
    }
    // An 80-bit value outside the double range gives the missing value and
    // ERROR 34, with status 0.
    return Convert(kKindFloat, width_, bytes.data(), *result, true);
}

int32_t MoRealIO::WriteReal(double* result) {
    MoZELIO::Execute(result, zel_);
    if (zel_.NewActions()) *result = 0.0;
    if (value_ == nullptr || !value_->given()) return zel_.Fail(10, 65);
    double value = value_->GetValue();
    std::array<uint8_t, kMaxScalarBytes> bytes{};
    if (int32_t r = Convert(kKindFloat, width_, bytes.data(), value, false); r != 0) return r;
    if (int32_t r = WriteValue(bytes.data(), width_); r != 0) return r;
    *result = width_;
    return 0;
}

MoFRead::MoFRead(ZEL& zel) : MoRealIO(zel, syntax::kRealRead, 4, false) {}
MoDRead::MoDRead(ZEL& zel) : MoRealIO(zel, syntax::kRealRead, 8, false) {}
MoLDRead::MoLDRead(ZEL& zel) : MoRealIO(zel, syntax::kRealRead, 10, false) {}
MoFWrite::MoFWrite(ZEL& zel) : MoRealIO(zel, syntax::kRealWrite, 4, true) {}
MoDWrite::MoDWrite(ZEL& zel) : MoRealIO(zel, syntax::kRealWrite, 8, true) {}
MoLDWrite::MoLDWrite(ZEL& zel) : MoRealIO(zel, syntax::kRealWrite, 10, true) {}

int32_t MoLDWrite::ParseArguments(std::string&, MoDLL&) {
    host::PrintLine("file.LDWrite() is not supported in this version");
    return 1;
}

}  // namespace zel
