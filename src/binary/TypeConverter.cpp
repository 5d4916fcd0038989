// Codecs of the binary number encoder and the type-name parser.
//
// Every image is assembled and taken apart byte by byte with explicit
// shifts, so the results do not depend on the host's byte order and no
// misaligned load happens. Float bits travel through memcpy.
#include "binary/TypeConverter.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "frame/Mobj.h"

namespace zel {
namespace {

// ---- small helpers -------------------------------------------------------

// Truncates toward zero to int32; NaN and values outside the range give
// INT32_MIN. Every double strictly between -2^31-1 and 2^31 truncates into
// range, so the conversion below is always defined.
int32_t TruncToInt32(double v) {
    if (v > -2147483649.0 && v < 2147483648.0) {
        return static_cast<int32_t>(v);
    }
    return std::numeric_limits<int32_t>::min();
}

// Truncates toward zero to int64; values outside the range saturate to
// INT64_MIN. -2^63 is exact in a double and 2^63 is the first value above.
int64_t TruncToInt64(double v) {
    if (v >= -9223372036854775808.0 && v < 9223372036854775808.0) {
        return static_cast<int64_t>(v);
    }
    return std::numeric_limits<int64_t>::min();
}

uint32_t LoadLe(const uint8_t* b, int width) {
    uint32_t u = 0;
    for (int i = width - 1; i >= 0; --i) {
        u = (u << 8) | b[i];
    }
    return u;
}

void StoreLe(uint8_t* b, uint32_t u, int width) {
    for (int i = 0; i < width; ++i) {
        b[i] = static_cast<uint8_t>(u >> (8 * i));
    }
}

uint64_t LoadLe64(const uint8_t* b) {
    uint64_t u = 0;
    for (int i = 7; i >= 0; --i) {
        u = (u << 8) | b[i];
    }
    return u;
}

void StoreLe64(uint8_t* b, uint64_t u) {
    for (int i = 0; i < 8; ++i) {
        b[i] = static_cast<uint8_t>(u >> (8 * i));
    }
}

// Sign-extends the low `bits` bits of u (as two's complement) to a double.
double SignExtend(uint32_t u, int bits) {
    // The value's top bit moved to bit 31, then shifted back arithmetically:
    // no branch on the sign, which random data would mispredict half the time.
    const int shift = 32 - bits;
    return static_cast<double>(static_cast<int32_t>(u << shift) >> shift);
}

double IntegerValue(const TypeConverter& conv, uint32_t u, int bits) {
    return conv.IsSigned() ? SignExtend(u, bits) : static_cast<double>(u);
}

// Which codecs reverse under which byte order.
bool ReverseShortRead(const TypeConverter& conv) { return conv.ByteOrder() != kOrderLittle; }
bool ReverseWide(const TypeConverter& conv) { return conv.ByteOrder() == kOrderBig; }

// ---- integers ------------------------------------------------------------

int32_t DecodeInt8(TypeConverter& conv, uint8_t* bytes, double& value) {
    value = IntegerValue(conv, bytes[0], 8);
    return 0;
}

// Out-of-range integers keep the bytes they always had (the low bytes of the
// truncated value, or of INT32_MIN), but the loss is reported.
void CheckIntegerRange(TypeConverter& conv, double value, int bits) {
    const double t = std::trunc(value);
    const double low = conv.IsSigned() ? -std::ldexp(1.0, bits - 1) : 0.0;
    const double high = conv.IsSigned() ? std::ldexp(1.0, bits - 1) - 1.0 : std::ldexp(1.0, bits) - 1.0;
    if (!(t >= low && t <= high)) conv.Errors().Raise(Err::ValueRange);
}

int32_t EncodeInt8(TypeConverter& conv, uint8_t* bytes, double& value) {
    CheckIntegerRange(conv, value, 8);
    bytes[0] = static_cast<uint8_t>(static_cast<uint32_t>(TruncToInt32(value)));
    return 0;
}

int32_t DecodeInt16(TypeConverter& conv, uint8_t* bytes, double& value) {
    if (ReverseShortRead(conv)) {
        TypeConverter::ReverseBytes(bytes, 2);
    }
    value = IntegerValue(conv, LoadLe(bytes, 2), 16);
    return 0;
}

int32_t EncodeInt16(TypeConverter& conv, uint8_t* bytes, double& value) {
    CheckIntegerRange(conv, value, 16);
    StoreLe(bytes, static_cast<uint32_t>(TruncToInt32(value)), 2);
    // The write honours the byte order only in the current numbering; the
    // legacy numbering always wrote 16-bit values little-endian.
    if (conv.ByteOrder() != kOrderLittle && conv.Errors().NewActions()) {
        TypeConverter::ReverseBytes(bytes, 2);
    }
    return 0;
}

int32_t DecodeInt24(TypeConverter& conv, uint8_t* bytes, double& value) {
    if (ReverseWide(conv)) {
        TypeConverter::ReverseBytes(bytes, 3);
    }
    value = IntegerValue(conv, LoadLe(bytes, 3), 24);
    return 0;
}

int32_t EncodeInt24(TypeConverter& conv, uint8_t* bytes, double& value) {
    CheckIntegerRange(conv, value, 24);
    StoreLe(bytes, static_cast<uint32_t>(TruncToInt32(value)), 3);
    if (ReverseWide(conv)) {
        TypeConverter::ReverseBytes(bytes, 3);
    }
    return 0;
}

int32_t DecodeInt32(TypeConverter& conv, uint8_t* bytes, double& value) {
    if (ReverseWide(conv)) {
        TypeConverter::ReverseBytes(bytes, 4);
    }
    value = IntegerValue(conv, LoadLe(bytes, 4), 32);
    return 0;
}

int32_t EncodeInt32(TypeConverter& conv, uint8_t* bytes, double& value) {
    CheckIntegerRange(conv, value, 32);
    uint32_t u;
    if (conv.IsSigned()) {
        u = static_cast<uint32_t>(TruncToInt32(value));
    } else if (std::isnan(value)) {
        u = 0x80000000u;
    } else {
        // Through 64 bits so that 2^31 to 2^32-1 encode exactly; larger
        // values keep their low 32 bits.
        u = static_cast<uint32_t>(static_cast<uint64_t>(TruncToInt64(value)));
    }
    StoreLe(bytes, u, 4);
    if (ReverseWide(conv)) {
        TypeConverter::ReverseBytes(bytes, 4);
    }
    return 0;
}

// ---- IEEE floats ---------------------------------------------------------

int32_t DecodeSingle(TypeConverter& conv, uint8_t* bytes, double& value) {
    if (ReverseWide(conv)) {
        TypeConverter::ReverseBytes(bytes, 4);
    }
    const uint32_t bits = LoadLe(bytes, 4);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    value = static_cast<double>(f);
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
        conv.Errors().Raise(Err::ValueRange);
    }
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    StoreLe(bytes, bits, 4);
    if (ReverseWide(conv)) {
        TypeConverter::ReverseBytes(bytes, 4);
    }
    return 0;
}

int32_t DecodeDouble(TypeConverter& conv, uint8_t* bytes, double& value) {
    if (ReverseWide(conv)) {
        TypeConverter::ReverseBytes(bytes, 8);
    }
    const uint64_t bits = LoadLe64(bytes);
    std::memcpy(&value, &bits, sizeof value);
    return 0;
}

int32_t EncodeDouble(TypeConverter& conv, uint8_t* bytes, double& value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    StoreLe64(bytes, bits);
    if (ReverseWide(conv)) {
        TypeConverter::ReverseBytes(bytes, 8);
    }
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
    const uint64_t sig = LoadLe64(bytes);
    const uint32_t se = LoadLe(bytes + 8, 2);
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
        conv.Errors().Raise(Err::ValueRange);
        return 0;
    }
    const uint64_t bits = (static_cast<uint64_t>(se >> 15) << 63)  // sign
                          | (static_cast<uint64_t>(high) << 62)
                          | (static_cast<uint64_t>(se & 0x3FFu) << 52)
                          | ((sig >> 11) & kFractionMask);  // low 11 bits dropped
    std::memcpy(&value, &bits, sizeof value);
    return 0;
}

int32_t EncodeExtended(TypeConverter&, uint8_t* bytes, double& value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
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
    StoreLe64(bytes, sig);
    StoreLe(bytes + 8, se, 2);
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
                return conv.Errors().Raise(Err::BcdDigit);
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
        conv.Errors().Raise(Err::ValueRange);
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
        conv.Errors().Raise(Err::ValueRange);
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
    t[kKindInteger][1] = {DecodeInt8, EncodeInt8};
    t[kKindInteger][2] = {DecodeInt16, EncodeInt16};
    t[kKindInteger][3] = {DecodeInt24, EncodeInt24};
    t[kKindInteger][4] = {DecodeInt32, EncodeInt32};
    t[kKindFloat][4] = {DecodeSingle, EncodeSingle};
    t[kKindFloat][8] = {DecodeDouble, EncodeDouble};
    t[kKindFloat][10] = {DecodeExtended, EncodeExtended};
    // A BCD image is always 10 bytes; a narrower item slot could not hold
    // it, so only width 10 has a row.
    t[kKindBcd][kBcdBytes] = {DecodeBcd, EncodeBcd};
    return t;
}();

}  // namespace

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
    errors_.Raise(Err::NoCodec);
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
    if (text == nullptr) return errors_.Raise(Err::BadTypeName);
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
            if (out.codec == nullptr) return errors_.Raise(Err::NoCodec);
        }
        consumed += static_cast<size_t>(row.mustMatch);
        return 0;
    }
    return errors_.Raise(Err::BadTypeName);
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
