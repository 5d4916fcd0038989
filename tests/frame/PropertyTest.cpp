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

TEST(IntProperty, TruncatesTowardZeroOrGivesTheMinimum) {
    const std::pair<double, int32_t> cases[] = {
        {2.9, 2}, {-2.9, -2}, {3.0e10, INT32_MIN}, {-3.0e10, INT32_MIN}, {2147483647.9, 2147483647},
        {-2147483648.9, INT32_MIN}, {2147483648.0, INT32_MIN}, {std::nan(""), INT32_MIN},
        {std::numeric_limits<double>::infinity(), INT32_MIN}, {-0.0, 0}, {1e-300, 0}};
    for (auto [in, stored] : cases) {
        zel::MoInt property;
        EXPECT_EQ(property.SetNumber(in), 0) << NumberText(in);
        EXPECT_EQ(property.value(), stored) << NumberText(in);
        double back = 0;
        property.GetNumber(&back);
        EXPECT_EQ(back, stored) << NumberText(in);
    }
}

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

// An access that neither sets nor gets is refused; an indexed access on a
// scalar reaches the scalar; a reset clears the value but not whether it
// was given.
TEST(NumericProperty, AccessesOfAScalarAndResetKeepingGiven) {
    zel::MoInt property(5);
    double value = 9;
    EXPECT_EQ(property.AccessNumber(&value, 0), 2);
    EXPECT_EQ(property.AccessNumberAt(&value, 3, zel::kAccessSet), 1);
    EXPECT_EQ(property.value(), 5);
    EXPECT_EQ(property.AccessNumberAt(&value, 77, zel::kAccessGet), 1);
    EXPECT_EQ(value, 5);
    property.SetFromText("12");  // no host: no conversion, 0 is stored
    EXPECT_TRUE(property.given());
    EXPECT_EQ(property.value(), 0);
    property.SetNumber(1234);
    property.Reset();
    EXPECT_EQ(property.value(), 0);
    EXPECT_TRUE(property.given());
}

class LimitedStore : public ZelFixture {};

// Current numbering: a refused value is not stored, ERROR is 12. Legacy
// numbering: every value is stored unchecked.
TEST_F(LimitedStore, CheckedWithNewActionsAndStoredWithout) {
    const struct {
        const char* name;
        double value;
        bool accepted;
    } cases[] = {{"LISTSEP", 0, true},   {"LISTSEP", 255, true},  {"LISTSEP", 256, false}, {"LISTSEP", -1, false},
                 {"NBYTES", 5, false},   {"NBYTES", 6, false},    {"NBYTES", 7, false},    {"NBYTES", 9, false},
                 {"NBYTES", 8, true},    {"NBYTES", 10, true},    {"NBYTES", 4.9, true},   {"BYTEORDER", 7, false},
                 {"BYTEORDER", 2, true}, {"SIGNED", 2, false},    {"NLINEMODE", 3, false}, {"MODE", -1, false},
                 {"OPENMODE", 2, true}};
    for (const auto& c : cases) {
        UseNewActions(true);
        const double before = Number(c.name);
        SetNumber("ERROR", 0);
        EXPECT_EQ(SetNumber(c.name, c.value), c.accepted ? 1 : 2) << c.name << " " << c.value;
        EXPECT_EQ(Number(c.name), c.accepted ? std::trunc(c.value) : before) << c.name << " " << c.value;
        EXPECT_EQ(Error(), c.accepted ? 0 : 12) << c.name << " " << c.value;
        UseNewActions(false);
        EXPECT_EQ(SetNumber(c.name, c.value), 1) << c.name << " " << c.value;
        EXPECT_EQ(Number(c.name), std::trunc(c.value)) << c.name << " " << c.value;
    }
}

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

// RESET restores every default and leaves the files open, none current.
TEST_F(LimitedStore, ResetRestoresEveryDefaultAndLeavesFilesOpen) {
    const int32_t h = OpenFile("kept.bin");
    EXPECT_EQ(Number("HFILE"), h);
    UseNewActions(true);
    for (auto [name, value] : {std::pair{"NBYTES", 8}, std::pair{"BYTEORDER", 2}, std::pair{"SIGNED", 1},
                               std::pair{"NLINEMODE", 2}, std::pair{"LISTSEP", 59}, std::pair{"MODE", 2},
                               std::pair{"SKIP", 12}}) {
        ASSERT_EQ(SetNumber(name, value), 1) << name;
    }
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
