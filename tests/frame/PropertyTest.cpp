// Scalar and limited properties: conversion, refusal and reset rules under
// both numberings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/Printing.h"
#include "support/ZelFixture.h"
#include "props/MoNumeric.h"
#include "props/MoString.h"

namespace zeltest {
namespace {

// Integers truncate toward zero, or take the minimum where they cannot;
// Booleans store 1 for anything but zero. One property of each takes the
// rows in turn, so that a store that does nothing shows.
TEST(NumberProperty, IntTruncatesOrGivesTheMinimumAndBoolStoresZeroOrOne) {
    const struct {
        double in;
        int32_t integer;
        int32_t flag;
    } cases[] = {{2.9, 2, 1}, {-2.9, -2, 1}, {3.0e10, INT32_MIN, 1}, {-0.0, 0, 0}, {-3.0e10, INT32_MIN, 1},
                 {2147483647.9, 2147483647, 1}, {-2147483648.9, INT32_MIN, 1}, {2147483648.0, INT32_MIN, 1},
                 {0.0, 0, 0}, {std::nan(""), INT32_MIN, 1}, {std::numeric_limits<double>::infinity(), INT32_MIN, 1},
                 {1e-300, 0, 1}, {-7, -7, 1}, {0.5, 0, 1}};
    zel::MoInt integer;
    zel::MoBool flag;
    for (const auto& c : cases) {
        EXPECT_EQ(integer.SetNumber(c.in), 0) << NumberText(c.in);
        double back = 0;
        integer.GetNumber(&back);
        EXPECT_EQ(back, c.integer) << NumberText(c.in);
        flag.SetNumber(c.in);
        EXPECT_EQ(flag.value(), c.flag) << NumberText(c.in);
    }
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

// An indexed access of a scalar reaches the scalar: a get reads it, a set
// stores nothing. (A count request, which neither sets nor gets, is refused:
// see the dispatch table.)
TEST(NumericProperty, IndexedAccessOfAScalar) {
    zel::MoInt property(5);
    double value = 9;
    EXPECT_EQ(property.AccessNumberAt(&value, 3, zel::kAccessSet), 1);
    EXPECT_EQ(property.value(), 5);
    EXPECT_EQ(property.AccessNumberAt(&value, 77, zel::kAccessGet), 1);
    EXPECT_EQ(value, 5);
}

class LimitedStore : public ZelFixture {};

// Current numbering: a refused value is not stored, ERROR is 12. Legacy
// numbering: every value is stored unchecked.
TEST_F(LimitedStore, CheckedWithNewActionsAndStoredWithout) {
    const struct {
        const char* name;
        double value;
        bool accepted;
    } cases[] = {{"LISTSEP", 0, true},    {"LISTSEP", 255, true},   {"LISTSEP", 256, false}, {"LISTSEP", -1, false},
                 {"NBYTES", 5, false},    {"NBYTES", 9, false},     {"NBYTES", 8, true},     {"NBYTES", 10, true},
                 {"NBYTES", 4.9, true},   {"BYTEORDER", 7, false},  {"BYTEORDER", 2, true},  {"SIGNED", 2, false},
                 {"NLINEMODE", 3, false}, {"MODE", -1, false},      {"OPENMODE", 2, true}};
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
    EXPECT_EQ(zel().io().Files().size(), 1u);
    EXPECT_EQ(Call("GETPOS", std::to_string(h)).code, 1);
}

// A method argument given a text that is no number stores 0, not the value
// of the last call: the second JUMP moves by nothing.
TEST_F(LimitedStore, TextToNumberThatIsNoNumberStoresZero) {
    UseNewActions(true);
    scratch_.Make("j.bin", "0123456789");
    ASSERT_GT(OpenFile("j.bin"), 0);
    ASSERT_EQ(Call("JUMP", "3").code, 1);
    EXPECT_EQ(Call("JUMP", "abc").code, 1);
    EXPECT_EQ(Call("GETPOS").value, 3);
}

}  // namespace
}  // namespace zeltest
