// SYNTAX, ALTSPELL, LISTALL and LISTSEP: their lines byte for byte.
#include <gtest/gtest.h>

#include "support/ZelFixture.h"

namespace zeltest {
namespace {

using Lines = std::vector<std::string>;

class HelpTest : public ZelFixture {};

TEST_F(HelpTest, SyntaxListsEveryMethodName) {
    EXPECT_EQ(Call("SYNTAX").value, 0);
    Lines expected{"Methods available in ZEL: "};
    for (const std::string& name : MethodSpellings()) expected.push_back(name);
    EXPECT_EQ(TakeLines(), expected);
}

TEST_F(HelpTest, SyntaxOfOneMethodKeepsTheGivenCase) {
    EXPECT_EQ(Call("SYNTAX", "open").value, 0);
    EXPECT_EQ(TakeLines(), (Lines{"zel.open([filename$][,mode])"}));
    Call("SYNTAX", "Reset");
    EXPECT_EQ(TakeLines(), (Lines{"zel.Reset"}));
    Call("SYNTAX", "size");
    EXPECT_EQ(TakeLines(),
              (Lines{"zel.size([[hFile][,filename$]])\r\nNote: only one argument-- hFile OR filename$."}));
    Call("SYNTAX", "listsep");
    EXPECT_EQ(TakeLines(), (Lines{"zel.listsep([\"char\"])\r\nNote: Lack of an argument will reset list "
                                  "seperator to \",\"."}));
    Call("SYNTAX", "RRead");
    Lines record = TakeLines();
    ASSERT_EQ(record.size(), 1u);
    EXPECT_EQ(record[0].rfind("zel.RRead(wksname$,nRecords,templateString[,hFile])\r\nTemplate String:\r\n", 0), 0u);
    EXPECT_NE(record[0].find("    ld[ouble]    = 80 bits = 10 bytes\r\n"), std::string::npos);
}

TEST_F(HelpTest, SyntaxOfAnUnknownName) {
    // The base methods are not searched.
    EXPECT_EQ(Call("SYNTAX", "LISTERR").code, 1);
    EXPECT_TRUE(TakeLines().empty());
    UseNewActions(true);
    EXPECT_EQ(Call("SYNTAX", "nosuch").code, 2);
    EXPECT_EQ(Error(), 262);
}

TEST_F(HelpTest, AltSpellListsAliasesInTableOrder) {
    Call("ALTSPELL", "tobegin");
    EXPECT_EQ(TakeLines(), (Lines{"REWIND", "TOSTART", "TOBEGIN", "TOBEGINNING"}));
    // The method table is searched first.
    Call("ALTERNATESPELLINGS", "listsep");
    EXPECT_EQ(TakeLines(), (Lines{"LISTSEP"}));
    Call("ALTSPELL", "nlinesmode");
    EXPECT_EQ(TakeLines(), (Lines{"NLINEMODE", "NLINESMODE"}));
    Call("ALTSPELL", "name");
    EXPECT_EQ(TakeLines(), (Lines{"FILENAME", "NAME"}));
    EXPECT_EQ(Call("ALTSPELL").value, 0);
    Lines all = TakeLines();
    ASSERT_EQ(all.size(), 21u);
    EXPECT_EQ(all[0], "Properties available in ZEL: ");
    EXPECT_EQ(all[20], "SYSERR");
    EXPECT_EQ(Call("ALTSPELL", "nosuch").code, 1);
    UseNewActions(true);
    EXPECT_EQ(Call("ALTSPELL", "nosuch").code, 2);
    EXPECT_EQ(Error(), 264);
}

TEST_F(HelpTest, ListAllWithoutFiles) {
    tavrel::CallResult r = Call("LISTALL", "m,p");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(TakeLines(), (Lines{"No open files."}));
}

TEST_F(HelpTest, ListAllColumns) {
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

TEST_F(HelpTest, ListSepSetsTheSeparatorCharacter) {
    EXPECT_EQ(Call("LISTSEP", ";").code, 1);
    EXPECT_EQ(Number("LISTSEP"), ';');
    EXPECT_EQ(Call("LISTSEP", "\"\\t\"").code, 1);
    EXPECT_EQ(Number("LISTSEP"), 9);
    EXPECT_EQ(Call("LISTSEP", "\",\"").code, 1);
    EXPECT_EQ(Number("LISTSEP"), 44);
    SetNumber("LISTSEP", 59);
    tavrel::CallResult r = Call("LISTSEP");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.value, ZEL_MISSING_VALUE);
    EXPECT_EQ(Number("LISTSEP"), 44);
}

TEST_F(HelpTest, ListSepRefusals) {
    // Not one character: legacy ERROR 65, current 10.
    EXPECT_EQ(Call("LISTSEP", "ab").code, 2);
    EXPECT_EQ(Error(), 65);
    // The host refuses digits and number characters: legacy 6, current 20.
    EXPECT_EQ(Call("LISTSEP", "5").code, 2);
    EXPECT_EQ(Error(), 6);
    UseNewActions(true);
    EXPECT_EQ(Call("LISTSEP", "ab").code, 2);
    EXPECT_EQ(Error(), 10);
    EXPECT_EQ(Call("LISTSEP", ".").code, 2);
    EXPECT_EQ(Error(), 20);
    EXPECT_EQ(Number("LISTSEP"), 44);
}

TEST_F(HelpTest, ListSepAbove127IsNegative) {
    const std::string high(1, static_cast<char>(0xE9));
    UseNewActions(true);
    EXPECT_EQ(Call("LISTSEP", high).code, 1);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Number("LISTSEP"), 44);
    UseNewActions(false);
    EXPECT_EQ(Call("LISTSEP", high).code, 1);
    EXPECT_EQ(Number("LISTSEP"), -23);
}

}  // namespace
}  // namespace zeltest
