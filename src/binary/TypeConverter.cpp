// Codecs of the binary number encoder and the type-name parser.
//
// Every image is assembled and taken apart byte by byte with explicit
// shifts, so the results do not depend on the host's byte order and no
// misaligned load happens. Float bits travel through std::bit_cast.
#include "binary/TypeConverter.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>
#include <utility>

#include "frame/Mobj.h"

namespace zel {
namespace {

// ---- byte images ---------------------------------------------------------

// Truncates toward zero to int64; values outside the range saturate to
// INT64_MIN. -2^63 is exact in a double and 2^63 is the first value above.
int64_t TruncToInt64(double v) {
    if (v >= -9223372036854775808.0 && v < 9223372036854775808.0) {
        return static_cast<int64_t>(v);
    }
    return std::numeric_limits<int64_t>::min();
}

// The unsigned number an image of Width bytes holds.
template <size_t Width>
using ImageBits = std::conditional_t<(Width > 4), uint64_t, uint32_t>;

// The number of a little-endian image, and the little-endian image of a
// number (its low Width bytes).
template <size_t Width>
ImageBits<Width> LoadLe(const uint8_t* b) {
    ImageBits<Width> u = 0;
    for (size_t i = Width; i-- > 0;) {
        u = (u << 8) | b[i];
    }
    return u;
}

template <size_t Width>
void StoreLe(uint8_t* b, ImageBits<Width> u) {
    for (size_t i = 0; i < Width; ++i) {
        b[i] = static_cast<uint8_t>(u >> (8 * i));
    }
}

// Whether an image of `width` bytes has its most significant byte first
// under the settings; the one place that decides byte order. One byte has
// no order. 16-bit images follow BYTEORDER 1 and 2 when read, and when
// written only in the current numbering (the legacy numbering always wrote
// them little-endian). Wider integers and IEEE floats follow BYTEORDER 2.
bool BigEndian(TypeConverter& conv, size_t width, bool reading) {
    switch (width) {
        case 1: return false;
        case 2: return conv.ByteOrder() != kOrderLittle && (reading || conv.Errors().NewActions());
        default: return conv.ByteOrder() == kOrderBig;
    }
}

// The number of an image, and the image of a number, in the byte order of
// its width. A big-endian image is reversed in place before it is read (the
// caller's buffer is left so) and after it is written.
template <size_t Width>
ImageBits<Width> LoadImage(TypeConverter& conv, uint8_t* bytes) {
    if (BigEndian(conv, Width, true)) TypeConverter::ReverseBytes(bytes, Width);
    return LoadLe<Width>(bytes);
}

template <size_t Width>
void StoreImage(TypeConverter& conv, uint8_t* bytes, ImageBits<Width> u) {
    StoreLe<Width>(bytes, u);
    if (BigEndian(conv, Width, false)) TypeConverter::ReverseBytes(bytes, Width);
}

// ---- integers ------------------------------------------------------------

// Out-of-range integers keep the bytes they always had (the low bytes of the
// truncated value, or of INT32_MIN), but the loss is reported.
void CheckIntegerRange(TypeConverter& conv, double value, int bits) {
    const double t = std::trunc(value);
    const double low = conv.IsSigned() ? -std::ldexp(1.0, bits - 1) : 0.0;
    const double high = conv.IsSigned() ? std::ldexp(1.0, bits - 1) - 1.0 : std::ldexp(1.0, bits) - 1.0;
    if (!(t >= low && t <= high)) conv.Errors().Report(Err::ValueRange);
}

template <size_t Width>
int32_t DecodeInt(TypeConverter& conv, uint8_t* bytes, double& value) {
    const uint32_t u = LoadImage<Width>(conv, bytes);
    if (conv.IsSigned()) {
        // The value's top bit moved to bit 31, then shifted back arithmetically:
        // no branch on the sign, which random data would mispredict half the time.
        constexpr int shift = 32 - 8 * static_cast<int>(Width);
        value = static_cast<double>(static_cast<int32_t>(u << shift) >> shift);
    } else {
        value = static_cast<double>(u);
    }
    return 0;
}

template <size_t Width>
int32_t EncodeInt(TypeConverter& conv, uint8_t* bytes, double& value) {
    CheckIntegerRange(conv, value, 8 * static_cast<int>(Width));
    auto u = static_cast<uint32_t>(TruncateToInt32(value));
    if constexpr (Width == 4) {
        // Unsigned through 64 bits, so that 2^31 to 2^32-1 encode exactly;
        // larger values keep their low 32 bits, NaN those of INT32_MIN.
        if (!conv.IsSigned() && !std::isnan(value)) {
            u = static_cast<uint32_t>(static_cast<uint64_t>(TruncToInt64(value)));
        }
    }
    StoreImage<Width>(conv, bytes, u);
    return 0;
}

// ---- IEEE floats ---------------------------------------------------------

int32_t DecodeSingle(TypeConverter& conv, uint8_t* bytes, double& value) {
    value = static_cast<double>(std::bit_cast<float>(LoadImage<4>(conv, bytes)));
    return 0;
}

// Round to nearest, ties to even, with overflow to infinity. Magnitudes at
// or above the midpoint between FLT_MAX and 2^128 round to infinity; those
// between FLT_MAX and the midpoint round down to FLT_MAX. Both are handled
// here because converting an out-of-range double is undefined.
float ToSingle(double v) {
    constexpr double kFltMax = static_cast<double>(std::numeric_limits<float>::max());
    constexpr double kOverflow = 0x1.ffffffp127;  // 2^128 - 2^103
    const double mag = std::fabs(v);
    if (std::isfinite(v) && mag > kFltMax) {
        const float r = mag >= kOverflow ? std::numeric_limits<float>::infinity()
                                         : std::numeric_limits<float>::max();
        return std::signbit(v) ? -r : r;
    }
    return static_cast<float>(v);
}

int32_t EncodeSingle(TypeConverter& conv, uint8_t* bytes, double& value) {
    const float f = ToSingle(value);
    // A finite double beyond the single range became FLT_MAX or infinity.
    if (std::isfinite(value) && std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max())) {
        conv.Errors().Report(Err::ValueRange);
    }
    StoreImage<4>(conv, bytes, std::bit_cast<uint32_t>(f));
    return 0;
}

int32_t DecodeDouble(TypeConverter& conv, uint8_t* bytes, double& value) {
    value = std::bit_cast<double>(LoadImage<8>(conv, bytes));
    return 0;
}

int32_t EncodeDouble(TypeConverter& conv, uint8_t* bytes, double& value) {
    StoreImage<8>(conv, bytes, std::bit_cast<uint64_t>(value));
    return 0;
}

// ---- 80-bit extended -----------------------------------------------------
//
// Image: significand with explicit integer bit in bytes 0..7, then a 16-bit
// word with the 15-bit exponent (bias 16383) and the sign in its top bit.
// The conversion copies bit fields and does no arithmetic: the extended
// exponent bits 0..9 carry the double's exponent bits 0..9, and extended
// bits 10..13 repeat the inverse of bit 14 (which carries double bit 62).
// That is a rebias by 15360 for every double exponent.

constexpr uint64_t kFractionMask = (uint64_t{1} << 52) - 1;
constexpr uint64_t kIntegerBit = uint64_t{1} << 63;

int32_t DecodeExtended(TypeConverter& conv, uint8_t* bytes, double& value) {
    const uint64_t sig = LoadLe<8>(bytes);
    const uint32_t se = LoadLe<2>(bytes + 8);
    if (sig == 0 && (se & 0x7FFFu) == 0) {
        // A true zero of either sign. The exponent check below would take
        // a negative zero for an out-of-range value.
        value = (se & 0x8000u) != 0 ? -0.0 : 0.0;
        return 0;
    }
    const uint32_t high = (se >> 14) & 1u;    // extended bit 78
    const uint32_t middle = (se >> 10) & 0xFu;  // extended bits 74..77
    if (middle != (high != 0 ? 0x0u : 0xFu)) {
        // Outside the double exponent range.
        value = kMissingValue;
        conv.Errors().Report(Err::ValueRange);
        return 0;
    }
    const uint64_t bits = (static_cast<uint64_t>(se >> 15) << 63)  // sign
                          | (static_cast<uint64_t>(high) << 62)
                          | (static_cast<uint64_t>(se & 0x3FFu) << 52)
                          | ((sig >> 11) & kFractionMask);  // low 11 bits dropped
    value = std::bit_cast<double>(bits);
    return 0;
}

int32_t EncodeExtended(TypeConverter&, uint8_t* bytes, double& value) {
    const auto bits = std::bit_cast<uint64_t>(value);
    if (bits == 0) {  // +0.0 only; -0.0 goes through the bit copies
        std::memset(bytes, 0, 10);
        return 0;
    }
    const uint64_t high = (bits >> 62) & 1u;
    const uint64_t sig = kIntegerBit | ((bits & kFractionMask) << 11);
    const uint32_t se = static_cast<uint32_t>(((bits >> 63) << 15)  // sign
                                              | (high << 14)
                                              | (high != 0 ? 0u : (0xFu << 10))
                                              | ((bits >> 52) & 0x3FFu));
    StoreLe<8>(bytes, sig);
    StoreLe<2>(bytes + 8, se);
    return 0;
}

// ---- BCD -----------------------------------------------------------------
//
// Reading and writing use different layouts, and files in both exist:
// read:  bytes 9..1 hold 18 packed digits, most significant first (high
//        nibble before low nibble), bit 7 of byte 0 is the sign.
// write: bytes 0..8 hold one digit each, least significant first, byte 9
//        is 0x80 for a negative value.

int32_t DecodeBcd(TypeConverter& conv, uint8_t* bytes, double& value) {
    double acc = 0.0;
    for (int i = 9; i >= 1; --i) {
        const uint8_t nibbles[2] = {static_cast<uint8_t>(bytes[i] >> 4),
                                    static_cast<uint8_t>(bytes[i] & 0x0F)};
        for (uint8_t digit : nibbles) {
            if (digit > 9) {
                value = acc;  // the digits read so far stay in the output
                return conv.Errors().Report(Err::BcdDigit);
            }
            acc = acc * 10.0 + digit;
        }
    }
    value = (bytes[0] & 0x80) != 0 ? -acc : acc;
    return 0;
}

int32_t EncodeBcd(TypeConverter& conv, uint8_t* bytes, double& value) {
    // Works on a copy: the caller's value stays as it was.
    double x = value;
    bytes[9] = x < 0.0 ? 0x80 : 0x00;
    if (!std::isfinite(x)) {
        // No digits to write; the value is lost.
        std::memset(bytes, 0, 9);
        conv.Errors().Report(Err::ValueRange);
        return 0;
    }
    for (int i = 0; i < 9; ++i) {
        // |trunc(fmod(x, 10))| is a whole number from 0 to 9 for finite x.
        bytes[i] = static_cast<uint8_t>(std::fabs(std::trunc(std::fmod(x, 10.0))));
        x /= 10.0;
    }
    // Only nine digits fit; a whole part left over means digits were lost.
    // The layout stays as it is, but the loss is reported.
    if (std::fabs(x) >= 1.0) {
        conv.Errors().Report(Err::ValueRange);
    }
    return 0;
}

// ---- codec table ---------------------------------------------------------

struct CodecPair {
    Codec decode;
    Codec encode;
};

constexpr int32_t kMaxWidth = 10;
using CodecRow = std::array<CodecPair, kMaxWidth + 1>;

constexpr std::array<CodecRow, 3> kCodecs = [] {
    std::array<CodecRow, 3> t{};
    t[kKindInteger][1] = {DecodeInt<1>, EncodeInt<1>};
    t[kKindInteger][2] = {DecodeInt<2>, EncodeInt<2>};
    t[kKindInteger][3] = {DecodeInt<3>, EncodeInt<3>};
    t[kKindInteger][4] = {DecodeInt<4>, EncodeInt<4>};
    t[kKindFloat][4] = {DecodeSingle, EncodeSingle};
    t[kKindFloat][8] = {DecodeDouble, EncodeDouble};
    t[kKindFloat][10] = {DecodeExtended, EncodeExtended};
    // A BCD image is always 10 bytes; a narrower item slot could not hold
    // it, so only width 10 has a row.
    t[kKindBcd][kBcdBytes] = {DecodeBcd, EncodeBcd};
    return t;
}();

}  // namespace

namespace {

// A run of one codec, known when compiled, so that its body is inlined.
template <Codec C>
int32_t RunOf(TypeConverter& conv, uint8_t* bytes, size_t stride, double* out, uint32_t n, uint32_t& done) {
    for (done = 0; done < n; ++done) {
        if (int32_t r = C(conv, bytes + done * stride, out[done]); r != 0) return r;
    }
    return 0;
}

using Run = int32_t (*)(TypeConverter&, uint8_t*, size_t, double*, uint32_t, uint32_t&);

// The decoders that never fail nor report, and their runs.
constexpr std::pair<Codec, Run> kSilentDecoders[] = {
    {DecodeInt<1>, RunOf<DecodeInt<1>>}, {DecodeInt<2>, RunOf<DecodeInt<2>>}, {DecodeInt<3>, RunOf<DecodeInt<3>>},
    {DecodeInt<4>, RunOf<DecodeInt<4>>}, {DecodeSingle, RunOf<DecodeSingle>}, {DecodeDouble, RunOf<DecodeDouble>},
    {nullptr, nullptr}};

}  // namespace

bool TypeConverter::SilentDecoder(Codec codec) {
    for (const auto& [decoder, run] : kSilentDecoders) {
        if (decoder != nullptr && decoder == codec) return true;
    }
    return false;
}

int32_t TypeConverter::DecodeRun(Codec codec, uint8_t* bytes, size_t stride, double* out, uint32_t n,
                                 uint32_t& done) {
    if (codec == &DecodeDouble && stride == sizeof(double) && !BigEndian(*this, sizeof(double), true) &&
        std::endian::native == std::endian::little) {
        std::memcpy(out, bytes, size_t{n} * sizeof(double));
        done = n;
        return 0;
    }
    for (const auto& [decoder, run] : kSilentDecoders) {
        if (decoder != nullptr && decoder == codec) return run(*this, bytes, stride, out, n, done);
    }
    for (done = 0; done < n; ++done) {
        if (int32_t r = codec(*this, bytes + done * stride, out[done]); r != 0) return r;
    }
    return 0;
}

void TypeConverter::LoadSettings(int32_t signedFlag, int32_t byteOrder) {
    SetSigned(signedFlag);
    byteOrder_ = (byteOrder == kOrderShortBig || byteOrder == kOrderBig)
                     ? static_cast<uint8_t>(byteOrder)
                     : kOrderLittle;
}

void TypeConverter::SetSigned(int32_t flag) { signed_ = flag != 0 ? 1 : 0; }

Codec TypeConverter::SelectConverter(int32_t kind, int32_t width, bool reading) {
    if (kind >= 0 && kind < static_cast<int32_t>(kCodecs.size()) && width >= 0 &&
        width <= kMaxWidth) {
        const CodecPair& row = kCodecs[static_cast<size_t>(kind)][static_cast<size_t>(width)];
        Codec codec = reading ? row.decode : row.encode;
        if (codec != nullptr) {
            return codec;
        }
    }
    errors_.Report(Err::NoCodec);
    return nullptr;
}

void TypeConverter::ReverseBytes(uint8_t* buffer, size_t n) {
    for (size_t i = 0; i < n / 2; ++i) {
        const uint8_t t = buffer[i];
        buffer[i] = buffer[n - 1 - i];
        buffer[n - 1 - i] = t;
    }
}

int32_t TypeConverter::ParseTypeName(const char* text, bool reading, TypeItem& out,
                                     size_t& consumed) {
    out = TypeItem{};
    consumed = 0;
    if (text == nullptr) return errors_.Report(Err::BadTypeName);
    if (*text == '-') {
        out.minus = true;
        ++text;
        consumed = 1;
    }
    for (const TypeNameRow& row : kTypeNames) {
        int32_t k = 0;
        // Stops at the first difference, so a shorter text never reads past
        // its terminator.
        while (k < row.mustMatch && text[k] == row.keyword[k]) {
            ++k;
        }
        if (k < row.mustMatch) {
            continue;
        }
        out.kind = row.kind;
        out.width = row.width;
        if (row.width > 0) {
            out.codec = SelectConverter(row.kind, row.width, reading);
            if (out.codec == nullptr) return errors_.Report(Err::NoCodec);
        }
        consumed += static_cast<size_t>(row.mustMatch);
        return 0;
    }
    return errors_.Report(Err::BadTypeName);
}

int32_t TypeConverter::DecodeMany(Codec codec, uint8_t* bytes, size_t stride, double* values,
                                  size_t count) {
    for (size_t k = 0; k < count; ++k) {
        const int32_t status = codec(*this, bytes + k * stride, values[k]);
        if (status != 0) {
            return status;
        }
    }
    return 0;
}

}  // namespace zel
