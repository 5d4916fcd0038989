// The binary number encoder: translation between the host's doubles and the
// byte images of the binary types (integers of 1 to 4 bytes, IEEE single and
// double, 80-bit extended, 10-byte BCD).
//
// A binary method loads the byte order and signedness once per operation,
// selects a codec once per transfer and then calls it through the pointer
// for every value. The codecs never touch files: the caller owns the bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "frame/ErrorState.h"

namespace zel {

class TypeConverter;

// A decoder reads the image at `bytes` and stores `value`; where the byte
// order asks for reversal it reverses the image in place first, so the
// caller's buffer is left reversed. An encoder reads `value` (it never
// modifies it) and fills `bytes`. Both return 0 or an error id.
using Codec = int32_t (*)(TypeConverter& conv, uint8_t* bytes, double& value);

// Value kinds, as scripts pass them for binType and as type names assign them.
inline constexpr int32_t kKindInteger = 0;
inline constexpr int32_t kKindFloat = 1;
inline constexpr int32_t kKindBcd = 2;
inline constexpr int32_t kKindSkip = -1;  // the SKIP item of a record template

// Byte-order settings (the BYTEORDER property).
inline constexpr uint8_t kOrderLittle = 0;     // every image little-endian
inline constexpr uint8_t kOrderShortBig = 1;   // 16-bit integers big-endian
inline constexpr uint8_t kOrderBig = 2;        // all integers and IEEE floats big-endian

// Width of a BCD image, whatever the caller's item width.
inline constexpr int32_t kBcdBytes = 10;

// One row of the type-name table used by record templates: `keyword`
// matches when the text's first `mustMatch` characters equal its first
// `mustMatch` characters (case-sensitive).
struct TypeNameRow {
    const char* keyword;
    int32_t mustMatch;
    int32_t kind;
    int32_t width;  // 0 for the skip item
};

// Tried in this order; the first hit wins.
inline constexpr std::array<TypeNameRow, 9> kTypeNames = {{
    {"BYTE", 2, kKindInteger, 1},
    {"SHORT", 2, kKindInteger, 2},
    {"TBYTE", 1, kKindInteger, 3},
    {"LONG", 2, kKindInteger, 4},
    {"FLOAT", 1, kKindFloat, 4},
    {"DOUBLE", 1, kKindFloat, 8},
    {"LDOUBLE", 2, kKindFloat, 10},
    {"BCD", 2, kKindBcd, kBcdBytes},
    {"SKIP", 2, kKindSkip, 0},
}};

// What a type name in a record template selects.
struct TypeItem {
    bool minus = false;       // written with a leading "-"
    int32_t kind = kKindSkip;
    int32_t width = 0;        // bytes per value; 0 for the skip item
    Codec codec = nullptr;    // null for the skip item
};

class TypeConverter {
public:
    explicit TypeConverter(ErrorState& errors) : errors_(errors) {}
    TypeConverter(const TypeConverter&) = delete;
    TypeConverter& operator=(const TypeConverter&) = delete;

    const char* ClassName() const { return "ZEL_TypeConverter"; }

    // Takes the values of SIGNED and BYTEORDER. Any non-zero signed value
    // means signed; a byte order other than 1 or 2 means little-endian.
    void LoadSettings(int32_t signedFlag, int32_t byteOrder);
    // Record templates set the signedness per item.
    void SetSigned(int32_t flag);

    bool IsSigned() const { return signed_ != 0; }
    uint8_t ByteOrder() const { return byteOrder_; }
    ErrorState& Errors() { return errors_; }

    // The decoder (reading) or encoder for (kind, width): integer widths
    // 1 to 4, float widths 4, 8 and 10, BCD width 10. Any other pair gives
    // nullptr with NoCodec reported; the caller then answers it.
    Codec SelectConverter(int32_t kind, int32_t width, bool reading);

    // Decodes n values stride bytes apart into out, as n calls of the codec
    // would; done receives the values decoded before a codec refused one.
    // Little-endian doubles side by side are copied as they are.
    int32_t DecodeRun(Codec codec, uint8_t* bytes, size_t stride, double* out, uint32_t n, uint32_t& done);
    // Whether a decoder never fails nor reports (integers, singles, doubles):
    // its values may be decoded in any order.
    static bool SilentDecoder(Codec codec);

    // Reverses n bytes in place; fewer than two bytes are left alone.
    static void ReverseBytes(uint8_t* buffer, size_t n);

    // Matches an optional "-" and a type keyword at the start of `text`.
    // On success fills `out` (the codec from SelectConverter for widths
    // above 0), sets `consumed` to the "-" plus the matched characters and
    // returns 0. Without a match it reports BadTypeName and leaves
    // `out` as a skip item carrying only the minus flag.
    int32_t ParseTypeName(const char* text, bool reading, TypeItem& out, size_t& consumed);

    // The batch form for row transfers: apply `codec` to `count`
    // images that start `stride` bytes apart. The caller guarantees that
    // every image lies inside its buffer. Values before a failing image are
    // done, the failing one is left as its codec leaves it, and the status
    // of the first failure is returned (0 when none failed).
    int32_t DecodeMany(Codec codec, uint8_t* bytes, size_t stride, double* values, size_t count);

private:
    ErrorState& errors_;
    uint8_t signed_ = 0;
    uint8_t byteOrder_ = kOrderLittle;
};

}  // namespace zel
