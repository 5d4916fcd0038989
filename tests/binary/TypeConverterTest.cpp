// Byte images of the binary encoder, checked against hand-written bytes.
#include "binary/TypeConverter.h"

#include <gtest/gtest.h>

#include "support/Printing.h"

#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

namespace zel {
namespace {

using Bytes = std::vector<uint8_t>;
using Errors = std::vector<int32_t>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kDblMax = std::numeric_limits<double>::max();
constexpr double kMissing = -1.23456789e-300;

struct FakeErrors : ErrorState {
    bool newActions = false;
    Errors errors;
    bool NewActions() const override { return newActions; }
    void SetError(int32_t number) override { errors.push_back(number); }
    void SetSysErr(int32_t) override {}
};

uint64_t Bits(double d) { uint64_t u; std::memcpy(&u, &d, sizeof u); return u; }
Errors Only(int32_t id) { return id != 0 ? Errors{id} : Errors{}; }

struct Fixture {
    FakeErrors err;
    TypeConverter conv{err};
    Fixture(int sgn = 0, int order = 0, bool newActions = false) {
        conv.LoadSettings(sgn, order);
        err.newActions = newActions;
    }
    Codec Select(int kind, int width, bool reading) {
        Codec c = conv.SelectConverter(kind, width, reading);
        EXPECT_NE(c, nullptr) << kind << "/" << width;
        return c;
    }
    double Decode(int kind, Bytes b) {
        double v = 0.5;
        EXPECT_EQ(Select(kind, static_cast<int>(b.size()), true)(conv, b.data(), v), 0);
        return v;
    }
    Bytes Encode(int kind, int width, double v) {
        Bytes b(static_cast<size_t>(width), 0xEE);
        const double before = v;
        EXPECT_EQ(Select(kind, width, false)(conv, b.data(), v), 0);
        EXPECT_EQ(Bits(v), Bits(before)) << "encoder changed its input";
        return b;
    }
};

// ---- integers ----------------------------------------------------------
struct IntRead { int sgn, order; Bytes bytes; double value; };
using zeltest::HexBytes;
using zeltest::NumberText;

void PrintTo(const IntRead& c, std::ostream* out) {
    *out << HexBytes(c.bytes) << ", signed " << c.sgn << ", order " << c.order;
}
class IntDecode : public testing::TestWithParam<IntRead> {};
TEST_P(IntDecode, Image) {
    const IntRead& c = GetParam();
    Fixture f(c.sgn, c.order);
    EXPECT_EQ(f.Decode(kKindInteger, c.bytes), c.value);
    EXPECT_TRUE(f.err.errors.empty());
}
INSTANTIATE_TEST_SUITE_P(All, IntDecode, testing::ValuesIn(std::vector<IntRead>{
    {0, 0, {0xFF}, 255}, {1, 2, {0xFF}, -1}, {1, 0, {0x80}, -128}, {1, 0, {0x7F}, 127},
    {0, 0, {0x34, 0x12}, 0x1234}, {0, 1, {0x12, 0x34}, 0x1234}, {0, 2, {0x12, 0x34}, 0x1234},
    {1, 0, {0x00, 0x80}, -32768}, {0, 0, {0xFF, 0xFF}, 65535}, {1, 0, {0xFF, 0xFF}, -1},
    {1, 0, {0xFF, 0xFF, 0xFF}, -1}, {0, 0, {0xFF, 0xFF, 0xFF}, 16777215},
    {1, 0, {0x00, 0x00, 0x80}, -8388608}, {1, 0, {0xFF, 0xFF, 0x7F}, 8388607},
    {0, 1, {0x01, 0x02, 0x03}, 0x030201}, {0, 2, {0x01, 0x02, 0x03}, 0x010203},
    {0, 0, {1, 2, 3, 4}, 0x04030201}, {0, 1, {1, 2, 3, 4}, 0x04030201}, {0, 2, {1, 2, 3, 4}, 0x01020304},
    {0, 0, {0xFF, 0xFF, 0xFF, 0xFF}, 4294967295.0}, {1, 0, {0xFF, 0xFF, 0xFF, 0xFF}, -1},
    {1, 0, {0, 0, 0, 0x80}, -2147483648.0}, {0, 0, {0, 0, 0, 0x80}, 2147483648.0},
    {1, 2, {0x80, 0, 0, 0}, -2147483648.0}}));

struct IntWrite { int width, sgn, order, newActions; double value; Bytes bytes; int32_t error; };
void PrintTo(const IntWrite& c, std::ostream* out) {
    *out << NumberText(c.value) << " in " << c.width << ", signed " << c.sgn << ", order " << c.order
         << ", new actions " << c.newActions;
}
class IntEncode : public testing::TestWithParam<IntWrite> {};
TEST_P(IntEncode, Image) {
    const IntWrite& c = GetParam();
    Fixture f(c.sgn, c.order, c.newActions != 0);
    EXPECT_EQ(f.Encode(kKindInteger, c.width, c.value), c.bytes);
    EXPECT_EQ(f.err.errors, Only(c.error));
}
INSTANTIATE_TEST_SUITE_P(All, IntEncode, testing::ValuesIn(std::vector<IntWrite>{
    {1, 0, 0, 0, 300, {0x2C}, 34}, {1, 0, 0, 0, -1, {0xFF}, 34}, {1, 1, 2, 0, -1, {0xFF}, 0},
    {1, 0, 0, 0, 256.9, {0x00}, 34}, {1, 0, 0, 0, -0.5, {0x00}, 0}, {1, 0, 0, 0, kNaN, {0x00}, 34},
    {1, 0, 0, 0, 1e10, {0x00}, 34}, {1, 0, 0, 0, 127.99, {0x7F}, 0},
    // 16-bit writes reverse only in the current numbering
    {2, 0, 0, 1, 0x1234, {0x34, 0x12}, 0}, {2, 0, 1, 0, 0x1234, {0x34, 0x12}, 0},
    {2, 0, 1, 1, 0x1234, {0x12, 0x34}, 0}, {2, 0, 2, 0, 0x1234, {0x34, 0x12}, 0},
    {2, 0, 2, 1, 0x1234, {0x12, 0x34}, 0}, {2, 0, 0, 0, 70000, {0x70, 0x11}, 34},
    {2, 1, 0, 0, -1, {0xFF, 0xFF}, 0}, {2, 1, 0, 0, -32769, {0xFF, 0x7F}, 34},
    // 24-bit: range check reports 34 but the low three bytes are written
    {3, 1, 0, 0, 8388608, {0x00, 0x00, 0x80}, 34}, {3, 1, 0, 0, 8388607, {0xFF, 0xFF, 0x7F}, 0},
    {3, 1, 0, 0, -8388608, {0x00, 0x00, 0x80}, 0}, {3, 1, 0, 0, -8388609, {0xFF, 0xFF, 0x7F}, 34},
    {3, 0, 0, 0, -1, {0xFF, 0xFF, 0xFF}, 34}, {3, 0, 0, 0, 16777215, {0xFF, 0xFF, 0xFF}, 0},
    {3, 0, 0, 0, 16777216, {0x00, 0x00, 0x00}, 34}, {3, 0, 0, 0, kNaN, {0x00, 0x00, 0x00}, 34},
    {3, 0, 1, 1, 0x010203, {0x03, 0x02, 0x01}, 0}, {3, 0, 2, 0, 0x010203, {0x01, 0x02, 0x03}, 0},
    {3, 1, 2, 0, 8388608, {0x80, 0x00, 0x00}, 34},
    // 32-bit: unsigned goes through 64 bits, signed saturates to INT32_MIN
    {4, 0, 0, 0, 4294967295.0, {0xFF, 0xFF, 0xFF, 0xFF}, 0}, {4, 1, 0, 0, 4294967295.0, {0, 0, 0, 0x80}, 34},
    {4, 0, 0, 0, 3000000000.7, {0x00, 0x5E, 0xD0, 0xB2}, 0}, {4, 0, 0, 0, 4294967301.0, {5, 0, 0, 0}, 34},
    {4, 0, 0, 0, 4294967296.0, {0, 0, 0, 0}, 34},
    {4, 0, 0, 0, -1, {0xFF, 0xFF, 0xFF, 0xFF}, 34}, {4, 1, 0, 0, -1.9, {0xFF, 0xFF, 0xFF, 0xFF}, 0},
    {4, 1, 0, 0, 2147483647.9, {0xFF, 0xFF, 0xFF, 0x7F}, 0}, {4, 1, 0, 0, -2147483648.9, {0, 0, 0, 0x80}, 0},
    {4, 1, 0, 0, 2147483648.0, {0, 0, 0, 0x80}, 34}, {4, 0, 0, 0, 1e19, {0, 0, 0, 0}, 34},
    {4, 0, 0, 0, -1e19, {0, 0, 0, 0}, 34}, {4, 0, 0, 0, kInf, {0, 0, 0, 0}, 34},
    {4, 0, 0, 0, kNaN, {0, 0, 0, 0x80}, 34}, {4, 1, 0, 0, kNaN, {0, 0, 0, 0x80}, 34},
    {4, 0, 1, 1, 0x01020304, {4, 3, 2, 1}, 0}, {4, 0, 2, 0, 0x01020304, {1, 2, 3, 4}, 0}}));

// ---- IEEE floats -------------------------------------------------------
// `exact`: the image decodes back to `value` (not so where the encoder rounds).
// A finite double beyond the single range is written as the rounding rule
// says, and reported with `error`; infinities and NaN have a single image.
struct FloatCase { int width, order; double value; Bytes bytes; bool exact; int32_t error = 0; };
void PrintTo(const FloatCase& c, std::ostream* out) {
    *out << NumberText(c.value) << " in " << c.width << ", order " << c.order;
}
class FloatImage : public testing::TestWithParam<FloatCase> {};
TEST_P(FloatImage, EncodeAndDecode) {
    const FloatCase& c = GetParam();
    Fixture f(1, c.order);
    EXPECT_EQ(f.Encode(kKindFloat, c.width, c.value), c.bytes);
    EXPECT_EQ(f.err.errors, Only(c.error));
    const double back = f.Decode(kKindFloat, c.bytes);
    if (c.exact) {
        EXPECT_EQ(Bits(back), Bits(c.value));
    }
}
INSTANTIATE_TEST_SUITE_P(All, FloatImage, testing::ValuesIn(std::vector<FloatCase>{
    {4, 0, 1.0, {0x00, 0x00, 0x80, 0x3F}, true}, {4, 1, 1.0, {0x00, 0x00, 0x80, 0x3F}, true},
    {4, 2, 1.0, {0x3F, 0x80, 0x00, 0x00}, true}, {4, 0, -2.5, {0x00, 0x00, 0x20, 0xC0}, true},
    {4, 0, 0x1p-149, {0x01, 0x00, 0x00, 0x00}, true}, {4, 0, 0.1, {0xCD, 0xCC, 0xCC, 0x3D}, false},
    {4, 0, 1 + 0x1p-24, {0x00, 0x00, 0x80, 0x3F}, false},      // tie to even: down
    {4, 0, 1 + 0x3p-24, {0x02, 0x00, 0x80, 0x3F}, false},      // tie to even: up
    {4, 0, 0x1.fffffep127, {0xFF, 0xFF, 0x7F, 0x7F}, true},         // largest single
    {4, 0, -0x1.fffffep127, {0xFF, 0xFF, 0x7F, 0xFF}, true},
    {4, 0, 0x1.fffffefp127, {0xFF, 0xFF, 0x7F, 0x7F}, false, 34},   // below the midpoint
    {4, 0, 0x1.ffffffp127, {0x00, 0x00, 0x80, 0x7F}, false, 34},    // midpoint: infinity
    {4, 0, -1e39, {0x00, 0x00, 0x80, 0xFF}, false, 34}, {4, 0, kDblMax, {0x00, 0x00, 0x80, 0x7F}, false, 34},
    {4, 0, kInf, {0x00, 0x00, 0x80, 0x7F}, true}, {4, 0, -kInf, {0x00, 0x00, 0x80, 0xFF}, true},
    {4, 0, kNaN, {0x00, 0x00, 0xC0, 0x7F}, false}, {4, 0, 1e-50, {0x00, 0x00, 0x00, 0x00}, false},
    {8, 0, 1.0, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}, true}, {8, 1, 1.0, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}, true},
    {8, 2, 1.0, {0x3F, 0xF0, 0, 0, 0, 0, 0, 0}, true},
    {8, 2, 0.1, {0x3F, 0xB9, 0x99, 0x99, 0x99, 0x99, 0x99, 0x9A}, true}}));

// ---- 80-bit extended ---------------------------------------------------
struct ExtCase { double value; Bytes bytes; };
void PrintTo(const ExtCase& c, std::ostream* out) { *out << NumberText(c.value); }
class Extended : public testing::TestWithParam<ExtCase> {};
TEST_P(Extended, BitCopiesBothWays) {
    const ExtCase& c = GetParam();
    for (int order : {0, 1, 2}) {  // never reversed
        Fixture f(0, order);
        EXPECT_EQ(f.Encode(kKindFloat, 10, c.value), c.bytes);
        EXPECT_EQ(Bits(f.Decode(kKindFloat, c.bytes)), Bits(c.value));
        EXPECT_TRUE(f.err.errors.empty());
    }
}
INSTANTIATE_TEST_SUITE_P(All, Extended, testing::ValuesIn(std::vector<ExtCase>{
    {0.0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, {1.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
    {-2.5, {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}},
    {0.1, {0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}},
    {0x1p-1022, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x3C}},
    {kDblMax, {0x00, 0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x43}},
    {-0.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xBC}},
    {0x1p-1074, {0x00, 0x08, 0, 0, 0, 0, 0, 0x80, 0x00, 0x3C}},
    {kInf, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x43}}, {-kInf, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xC3}},
    {kNaN, {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x43}}}));

TEST(TypeConverter, ExtendedDecodeTruncatesAndChecksRange) {
    const struct { Bytes image; double value; int32_t error; } kImages[] = {
        // x87 image of 0.1: the low 11 significand bits are cut, not rounded.
        {{0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}, 0x1.9999999999999p-4, 0},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}, -0.0, 0},  // x87 negative zero
        {{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}, kMissing, 34},  // exponent 0x7FFF (x87 infinity)
        {{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x44}, kMissing, 34},  // 0x4400: one above the double range
        {{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3B}, kMissing, 34},  // 0x3BFF: one below
        {{1, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x00}, kMissing, 34},  // extended denormal
    };
    for (const auto& c : kImages) {
        Fixture f;
        EXPECT_EQ(Bits(f.Decode(kKindFloat, c.image)), Bits(c.value)) << HexBytes(c.image);
        EXPECT_EQ(f.err.errors, Only(c.error));
    }
}

// ---- BCD: reading and writing use different layouts --------------------
struct BcdRead { Bytes bytes; double value; int32_t status; };
void PrintTo(const BcdRead& c, std::ostream* out) { *out << HexBytes(c.bytes); }
class BcdDecode : public testing::TestWithParam<BcdRead> {};
TEST_P(BcdDecode, Image) {
    const BcdRead& c = GetParam();
    Fixture f(0, 2);
    Bytes b = c.bytes;
    double v = 0.5;
    EXPECT_EQ(f.Select(kKindBcd, 10, true)(f.conv, b.data(), v), c.status);
    EXPECT_EQ(v, c.value);
    EXPECT_EQ(f.err.errors, Only(c.status));
}
INSTANTIATE_TEST_SUITE_P(All, BcdDecode, testing::ValuesIn(std::vector<BcdRead>{
    {{0x80, 0, 0, 0, 0, 0, 0, 0, 0x23, 0x01}, -123e14, 0}, {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, 0},
    {{0x7F, 0x99, 0, 0, 0, 0, 0, 0, 0, 0}, 99, 0}, {{0xFF, 0x99, 0, 0, 0, 0, 0, 0, 0, 0}, -99, 0},
    {{0, 0x23, 0x01, 0x89, 0x67, 0x45, 0x23, 0x01, 0, 0}, 1234567890123.0, 0},
    {{0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0x1A}, 1, 32},  // partial value, sign not applied
    {{0x80, 0x1A, 0, 0, 0, 0, 0, 0, 0, 0x01}, 1000000000000001.0, 32},
    {{0, 0, 0, 0, 0xA0, 0, 0, 0, 0, 0x12}, 1200000000, 32}}));

struct BcdWrite { double value; Bytes bytes; int32_t error; };
void PrintTo(const BcdWrite& c, std::ostream* out) { *out << NumberText(c.value); }
class BcdEncode : public testing::TestWithParam<BcdWrite> {};
TEST_P(BcdEncode, Image) {
    const BcdWrite& c = GetParam();
    Fixture f;
    EXPECT_EQ(f.Encode(kKindBcd, 10, c.value), c.bytes);
    EXPECT_EQ(f.err.errors, Only(c.error));
}
INSTANTIATE_TEST_SUITE_P(All, BcdEncode, testing::ValuesIn(std::vector<BcdWrite>{
    {-123, {3, 2, 1, 0, 0, 0, 0, 0, 0, 0x80}, 0}, {0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
    {123.9, {3, 2, 1, 0, 0, 0, 0, 0, 0, 0}, 0}, {-0.5, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}, 0},
    {999999999.99, {9, 9, 9, 9, 9, 9, 9, 9, 9, 0}, 0},
    // digits above the ninth are lost: same layout, but reported
    {1000000000, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 34}, {-1234567891, {1, 9, 8, 7, 6, 5, 4, 3, 2, 0x80}, 34},
    {kNaN, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 34}, {-kInf, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}, 34}}));

// ---- selection and type names ------------------------------------------
TEST(TypeConverter, SelectConverterRejectsPairsWithoutARow) {
    const int bad[][2] = {{0, 0}, {0, 5}, {0, 8}, {0, 10}, {1, 1}, {1, 2}, {1, 3}, {1, 0},
                          {2, 4}, {2, 8}, {3, 4}, {-1, 1}, {0, -1}, {1, 11}, {1, 1000}};
    for (const auto& p : bad) {
        for (bool reading : {true, false}) {
            Fixture f;
            EXPECT_EQ(f.conv.SelectConverter(p[0], p[1], reading), nullptr) << p[0] << "/" << p[1];
            EXPECT_EQ(f.err.errors, Errors{43});
        }
    }
}

struct NameCase {
    const char* text;
    int32_t status;
    bool minus = false;
    int32_t kind = 0, width = 0;
    size_t consumed = 0;
};
void PrintTo(const NameCase& c, std::ostream* out) { *out << zeltest::Quoted(c.text); }
class TypeName : public testing::TestWithParam<NameCase> {};
TEST_P(TypeName, Parse) {
    const NameCase& c = GetParam();
    for (bool reading : {true, false}) {
        Fixture f;
        TypeItem item;
        size_t consumed = 99;
        EXPECT_EQ(f.conv.ParseTypeName(c.text, reading, item, consumed), c.status) << c.text;
        EXPECT_EQ(f.err.errors, Only(c.status));
        if (c.status != 0) continue;
        EXPECT_EQ(std::tie(item.minus, item.kind, item.width, consumed),
                  std::tie(c.minus, c.kind, c.width, c.consumed));
        EXPECT_EQ(item.codec, c.width ? f.conv.SelectConverter(c.kind, c.width, reading) : nullptr);
    }
}
INSTANTIATE_TEST_SUITE_P(All, TypeName, testing::ValuesIn(std::vector<NameCase>{
    {"BY", 0, false, 0, 1, 2}, {"BYTE", 0, false, 0, 1, 2}, {"BYTES", 0, false, 0, 1, 2},
    {"SH", 0, false, 0, 2, 2}, {"T", 0, false, 0, 3, 1}, {"LO", 0, false, 0, 4, 2},
    {"LONGS3", 0, false, 0, 4, 2}, {"F", 0, false, 1, 4, 1}, {"D", 0, false, 1, 8, 1},
    {"LD", 0, false, 1, 10, 2}, {"BC", 0, false, 2, 10, 2}, {"BCD", 0, false, 2, 10, 2},
    {"SK", 0, false, -1, 0, 2}, {"SKIP4", 0, false, -1, 0, 2}, {"-LO", 0, true, 0, 4, 3},
    {"-BY", 0, true, 0, 1, 3}, {"L", 16}, {"B", 16}, {"S", 16}, {"lo", 16}, {"Lo", 16}, {"", 16},
    {"-", 16}, {"--LO", 16}, {"X", 16}}));

// READROWBIN decodes a row at once.
TEST(TypeConverter, BatchUsesStrideAndStopsAtFirstFailure) {
    Fixture f(1, 2);
    Bytes buf{0x00, 0x01, 0xAA, 0xFF, 0xFE, 0xAA, 0x12, 0x34};  // three 16-bit values, one gap byte between them
    double out[3] = {};
    EXPECT_EQ(f.conv.DecodeMany(f.Select(0, 2, true), buf.data(), 3, out, 3), 0);
    EXPECT_EQ(std::vector<double>(out, out + 3), (std::vector<double>{1, -2, 0x1234}));

    Bytes bcd(20, 0);
    bcd[9] = 0x05;   // first image: 5 * 10^16
    bcd[19] = 0x0B;  // second image: bad low nibble
    double two[2] = {7, 7};
    EXPECT_EQ(f.conv.DecodeMany(f.Select(2, 10, true), bcd.data(), 10, two, 2), 32);
    EXPECT_EQ(two[0], 5e16);
    EXPECT_EQ(two[1], 0);
}

}  // namespace
}  // namespace zel
