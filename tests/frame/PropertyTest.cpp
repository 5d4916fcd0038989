// Scalar and limited properties: conversion, refusal and reset rules under
// both numberings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/Printing.h"
#include "support/ZelFixture.h"
#include "props/MoLimited.h"
#include "props/MoNumeric.h"
#include "props/MoString.h"

namespace zeltest {
namespace {

class FakeNumbering : public zel::ErrorState {
public:
    bool NewActions() const override { return newActions; }
    void SetError(int32_t number) override { error = number; }
    void SetSysErr(int32_t cause) override { syserr = cause; }
    bool newActions = false;
    int32_t error = 0;
    int32_t syserr = 0;
};

struct IntCase {
    double in;
    int32_t stored;
};

void PrintTo(const IntCase& c, std::ostream* out) {
    *out << NumberText(c.in) << " stores " << c.stored;
}

class IntTruncation : public ::testing::TestWithParam<IntCase> {};

TEST_P(IntTruncation, TruncatesTowardZeroOrGivesTheMinimum) {
    zel::MoInt property;
    EXPECT_EQ(property.SetNumber(GetParam().in), 0);
    EXPECT_EQ(property.value(), GetParam().stored);
    double back = 0;
    property.GetNumber(&back);
    EXPECT_EQ(back, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IntTruncation,
    ::testing::Values(IntCase{2.9, 2}, IntCase{-2.9, -2}, IntCase{3.0e10, INT32_MIN},
                      IntCase{-3.0e10, INT32_MIN}, IntCase{2147483647.9, 2147483647},
                      IntCase{-2147483648.9, INT32_MIN}, IntCase{2147483648.0, INT32_MIN},
                      IntCase{std::nan(""), INT32_MIN},
                      IntCase{std::numeric_limits<double>::infinity(), INT32_MIN},
                      IntCase{-0.0, 0}, IntCase{1e-300, 0}));

TEST(BoolProperty, StoresZeroOrOne) {
    zel::MoBool flag;
    const std::pair<double, int32_t> cases[] = {{0.5, 1}, {-0.0, 0}, {0.0, 0}, {std::nan(""), 1}, {-7, 1}};
    for (auto [in, stored] : cases) {
        flag.SetNumber(in);
        EXPECT_EQ(flag.value(), stored) << in;
    }
    // A Boolean has no number for GetValue; it is read through GetNumber.
    EXPECT_EQ(flag.GetValue(), zel::kMissingValue);
}

TEST(StringProperty, EmptyIsAValueAndNullIsNone) {
    zel::MoString text;
    char buffer[8] = "junk";
    EXPECT_FALSE(text.HasValue());
    EXPECT_EQ(text.AccessString(buffer, zel::kAccessGet | zel::kAccessString, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "");

    char empty[] = "";
    EXPECT_EQ(text.AccessString(empty, zel::kAccessSet | zel::kAccessString, 1), 1);
    EXPECT_TRUE(text.HasValue());
    EXPECT_STREQ(text.GetText(), "");

    EXPECT_EQ(text.AccessString(nullptr, zel::kAccessSet | zel::kAccessString, 0), 1);
    EXPECT_FALSE(text.HasValue());
    EXPECT_EQ(text.GetText(), nullptr);
    EXPECT_EQ(text.GetValue(), zel::kMissingValue);
    // Neither set nor get.
    EXPECT_EQ(text.AccessString(buffer, zel::kAccessString, sizeof buffer), 2);
}

TEST(NumericProperty, IndexedAccessOnAScalar) {
    zel::MoInt property(5);
    double value = 9;
    EXPECT_EQ(property.AccessNumberAt(&value, 3, zel::kAccessSet), 1);
    EXPECT_EQ(property.value(), 5);
    EXPECT_EQ(property.AccessNumberAt(&value, 77, zel::kAccessGet), 1);
    EXPECT_EQ(value, 5);
}

TEST(NumericProperty, ResetKeepsGiven) {
    zel::MoInt property;
    property.SetFromText("12");  // no host: no conversion, 0 is stored
    EXPECT_TRUE(property.given());
    EXPECT_EQ(property.value(), 0);
    property.SetNumber(1234);
    property.Reset();
    EXPECT_EQ(property.value(), 0);
    EXPECT_TRUE(property.given());
}

struct LimitedCase {
    const char* name;
    double value;
    bool accepted;
};

void PrintTo(const LimitedCase& c, std::ostream* out) {
    *out << c.name << " = " << NumberText(c.value) << (c.accepted ? ", accepted" : ", refused");
}

class LimitedStore : public ZelFixture, public ::testing::WithParamInterface<LimitedCase> {};

TEST_P(LimitedStore, CheckedWithNewActionsAndStoredWithout) {
    const LimitedCase& c = GetParam();
    // Current numbering: a refused value is not stored, ERROR is 12.
    UseNewActions(true);
    const double before = Number(c.name);
    SetNumber("ERROR", 0);
    EXPECT_EQ(SetNumber(c.name, c.value), c.accepted ? 1 : 2);
    EXPECT_EQ(Number(c.name), c.accepted ? std::trunc(c.value) : before);
    EXPECT_EQ(Error(), c.accepted ? 0 : 12);
    // Legacy numbering: every value is stored unchecked.
    UseNewActions(false);
    EXPECT_EQ(SetNumber(c.name, c.value), 1);
    EXPECT_EQ(Number(c.name), std::trunc(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Values, LimitedStore,
    ::testing::Values(LimitedCase{"LISTSEP", 0, true}, LimitedCase{"LISTSEP", 255, true},
                      LimitedCase{"LISTSEP", 256, false}, LimitedCase{"LISTSEP", -1, false},
                      LimitedCase{"NBYTES", 5, false}, LimitedCase{"NBYTES", 6, false},
                      LimitedCase{"NBYTES", 7, false}, LimitedCase{"NBYTES", 9, false},
                      LimitedCase{"NBYTES", 8, true}, LimitedCase{"NBYTES", 10, true},
                      LimitedCase{"NBYTES", 4.9, true}, LimitedCase{"BYTEORDER", 7, false},
                      LimitedCase{"BYTEORDER", 2, true}, LimitedCase{"SIGNED", 2, false},
                      LimitedCase{"NLINEMODE", 3, false}, LimitedCase{"MODE", -1, false},
                      LimitedCase{"OPENMODE", 2, true}),
    [](const ::testing::TestParamInfo<LimitedCase>& info) {
        std::string name = std::string(info.param.name) + "_" +
                           std::to_string(static_cast<int>(info.param.value * 10));
        for (char& c : name) {
            if (c == '-') c = 'm';
        }
        return name;
    });

TEST(LimitedProperty, LegacyRefusalIsTwoWithErrorThree) {
    FakeNumbering numbering;
    zel::MoBounded bounded(numbering, 0, 2);
    EXPECT_EQ(bounded.CheckedSet(5), 2);
    EXPECT_EQ(numbering.error, 3);
    EXPECT_EQ(bounded.value(), 0);
    numbering.newActions = true;
    EXPECT_EQ(bounded.CheckedSet(-1), 12);
    EXPECT_EQ(numbering.error, 12);
    EXPECT_EQ(bounded.CheckedSet(1.9), 0);
    EXPECT_EQ(bounded.value(), 1);

    zel::MoDiscrete widths(numbering, {1, 2, 3, 4, 8, 10});
    EXPECT_EQ(widths.value(), 1);
    widths.SetNumber(8);
    // The reset of a limited property is a store of 0, refused when checked.
    widths.Reset();
    EXPECT_EQ(widths.value(), 8);
    numbering.newActions = false;
    widths.Reset();
    EXPECT_EQ(widths.value(), 0);
    EXPECT_EQ(widths.CheckCurrent(), 2);
}

TEST_F(LimitedStore, ResetRestoresEveryDefault) {
    UseNewActions(true);
    SetNumber("NBYTES", 8);
    SetNumber("BYTEORDER", 2);
    SetNumber("SIGNED", 1);
    SetNumber("NLINEMODE", 2);
    SetNumber("LISTSEP", 59);
    SetNumber("MODE", 2);
    SetNumber("SKIP", 12);
    SetText("FILENAME", "x");
    SetText("WKSNAME", "w");
    EXPECT_EQ(Call("RESET").code, 1);
    EXPECT_EQ(Call("RESET").value, 0);
    const std::pair<const char*, double> defaults[] = {
        {"NEWACTIONS", 0}, {"NBYTES", 1}, {"BYTEORDER", 0}, {"SIGNED", 0}, {"NLINEMODE", 0},
        {"LISTSEP", 44},   {"MODE", 0},   {"SKIP", 0},      {"HFILE", -1}, {"ERROR", 0}};
    for (auto [name, value] : defaults) EXPECT_EQ(Number(name), value) << name;
    // FILENAME is an empty text after RESET, not the absence of one.
    EXPECT_TRUE(zel().Open().FileName().HasValue());
    EXPECT_EQ(Text("FILENAME"), "");
    EXPECT_EQ(Text("WKSNAME"), "");
    EXPECT_EQ(Call("RESET", "x").code, 2);
}

TEST_F(LimitedStore, ResetLeavesFilesOpenWithNoCurrentFile) {
    const int32_t h = OpenFile("kept.bin");
    EXPECT_EQ(Number("HFILE"), h);
    EXPECT_EQ(Call("RESET").code, 1);
    EXPECT_EQ(Number("HFILE"), -1);
    EXPECT_EQ(zel().io().Files().size(), 1u);
    EXPECT_EQ(Call("GETPOS", std::to_string(h)).code, 1);
}

TEST_F(LimitedStore, TextToNumberThatIsNoNumberStoresZero) {
    UseNewActions(true);
    SetNumber("SKIP", 5);
    // SKIP takes no text, but a method argument does: JUMP's offset.
    const int32_t h = OpenFile("j.bin");
    ASSERT_GT(h, 0);
    EXPECT_EQ(Call("JUMP", "abc").code, 1);
    EXPECT_EQ(Call("GETPOS").value, 0);
}

}  // namespace
}  // namespace zeltest
