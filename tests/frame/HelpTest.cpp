// SYNTAX, ALTSPELL, LISTALL and LISTSEP: their lines and refusals.
#include <gtest/gtest.h>

#include "support/ZelFixture.h"

namespace zeltest {
namespace {

using Lines = std::vector<std::string>;

class HelpTest : public ZelFixture {};

TEST_F(HelpTest, SyntaxListsEveryMethodNameAndRefusesUnknownOnes) {
    EXPECT_EQ(Call("SYNTAX").value, 0);
    Lines expected{"Methods available in ZEL: "};
    for (const std::string& name : MethodSpellings()) expected.push_back(name);
    EXPECT_EQ(TakeLines(), expected);
    // The base methods are not searched.
    EXPECT_EQ(Call("SYNTAX", "LISTERR").code, 1);
    EXPECT_TRUE(TakeLines().empty());
    UseNewActions(true);
    EXPECT_EQ(Call("SYNTAX", "nosuch").code, 2);
    EXPECT_EQ(Error(), 262);
}

TEST_F(HelpTest, AltSpellListsAliasesInTableOrderAndEveryProperty) {
    // The method table is searched first.
    const std::pair<const char*, Lines> cases[] = {{"tobegin", {"REWIND", "TOSTART", "TOBEGIN", "TOBEGINNING"}},
                                                   {"listsep", {"LISTSEP"}},
                                                   {"nlinesmode", {"NLINEMODE", "NLINESMODE"}},
                                                   {"name", {"FILENAME", "NAME"}}};
    for (const auto& [name, aliases] : cases) {
        EXPECT_EQ(Call("ALTERNATESPELLINGS", name).code, 1);
        EXPECT_EQ(TakeLines(), aliases) << name;
    }
    EXPECT_EQ(Call("ALTSPELL").value, 0);
    Lines expected{"Properties available in ZEL: "};
    for (const zel::MemberEntry* row = zel().OwnProperties().rows; row->name != nullptr; ++row) {
        expected.push_back(row->name);
    }
    EXPECT_EQ(TakeLines(), expected);
    EXPECT_EQ(Call("ALTSPELL", "nosuch").code, 1);
    UseNewActions(true);
    EXPECT_EQ(Call("ALTSPELL", "nosuch").code, 2);
    EXPECT_EQ(Error(), 264);
}

TEST_F(HelpTest, ListAllColumns) {
    tavrel::CallResult r = Call("LISTALL", "m,p");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(TakeLines(), (Lines{"No open files."}));

    const int32_t first = OpenFile("one.bin", 0);
    const int32_t second = OpenFile("two.dat", 2);
    auto row = [](int32_t h, const std::string& rest) {
        std::string number = std::to_string(h);
        return std::string(6 - number.size(), ' ') + number + "  " + rest;
    };
    EXPECT_EQ(Call("LISTALL").value, 2);
    EXPECT_EQ(TakeLines(), (Lines{" hFile  Name", "", row(first, "one.bin"), row(second, "two.dat")}));
    EXPECT_EQ(Call("LISTALLFILES", "Mode,path").value, 2);
    EXPECT_EQ(TakeLines(), (Lines{" hFile  Mode   Path", "", row(first, "read   " + scratch_.PathOf("one.bin")),
                                  row(second, "both   " + scratch_.PathOf("two.dat"))}));
    // Only the first letter counts; other words leave the column off.
    EXPECT_EQ(Call("LISTALL", "x,p").value, 2);
    EXPECT_EQ(TakeLines()[0], " hFile  Path");
    EXPECT_EQ(Call("LISTALL", "mine").value, 2);
    EXPECT_EQ(TakeLines()[2], row(first, "read   one.bin"));
}

// LISTSEP from 59: not one character (legacy 65, current 10); a digit or
// number character the host refuses (legacy 6, current 20); above 127 it is
// negative, a warning in the current numbering that stores nothing; no
// argument resets it to the comma and answers the missing value.
TEST_F(HelpTest, ListSepSetsTheSeparatorCharacter) {
    const std::string high(1, static_cast<char>(0xE9));
    const struct {
        bool newActions;
        const char* argument;  // null: none
        int32_t code;
        int32_t error;
        double listsep;
    } cases[] = {{false, ";", 1, 0, ';'},     {false, "\"\\t\"", 1, 0, 9}, {false, "\",\"", 1, 0, 44},
                 {false, nullptr, 1, 0, 44},  {false, "ab", 2, 65, 59},    {false, "5", 2, 6, 59},
                 {true, "ab", 2, 10, 59},     {true, ".", 2, 20, 59},      {true, high.c_str(), 1, 12, 59},
                 {false, high.c_str(), 1, 0, -23}, {false, "\"\\\"", 2, 65, 59}};
    for (const auto& c : cases) {
        UseNewActions(c.newActions);
        SetNumber("LISTSEP", 59);
        const tavrel::CallResult r = c.argument != nullptr ? Call("LISTSEP", c.argument) : Call("LISTSEP");
        EXPECT_EQ(r.code, c.code) << c.argument;
        if (c.argument == nullptr) {
            EXPECT_EQ(r.value, ZEL_MISSING_VALUE);
        }
        EXPECT_EQ(Error(), c.error) << c.argument;
        EXPECT_EQ(Number("LISTSEP"), c.listsep) << c.argument;
    }
}

}  // namespace
}  // namespace zeltest
