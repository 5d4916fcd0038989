// Argument text: splitting, given flags, too many items, and the error list.
#include <gtest/gtest.h>

#include "support/ZelFixture.h"
#include "frame/ErrorRing.h"

namespace zeltest {
namespace {

class ArgumentTest : public ZelFixture {
protected:
    // JUMPCHUNK has three arguments: offset, nBytes, hFile.
    const zel::MoProperty& JumpChunkArgument(int i) {
        const zel::MemberTable methods = zel().OwnMethods();
        auto* method = dynamic_cast<zel::MoMethod*>(&methods.MemberOf(methods.rows[21]));
        return *method->argument(i);
    }
    std::vector<std::string> ListErr() {
        EXPECT_EQ(Call("LISTERR").code, 1);
        return TakeLines();
    }
    // LISTERR's ten lines: these newest entries, the rest empty.
    static std::vector<std::string> Entries(std::vector<std::string> newest) {
        newest.resize(10, "\t0");
        return newest;
    }
};

TEST_F(ArgumentTest, ItemsAreTrimmedQuotedCommasDoNotSplitAndEmptyOnesAreNotGiven) {
    const std::string h = std::to_string(OpenFile("a.bin"));
    // nBytes left out: NBYTES (1) is the chunk.
    EXPECT_EQ(Call("JUMPCHUNK", "2,," + h).value, 2);
    EXPECT_TRUE(JumpChunkArgument(0).given());
    EXPECT_FALSE(JumpChunkArgument(1).given());
    EXPECT_TRUE(JumpChunkArgument(2).given());
    EXPECT_EQ(Call("JUMPCHUNK", "  3 ,  4 , " + h + "  ").value, 14);
    // A comma inside quotes belongs to the item: SYNTAX gets one argument.
    EXPECT_EQ(Call("SYNTAX", "\"a,b\"").code, 1);
    EXPECT_TRUE(host().lines().empty());
    // An empty text gives nothing: JUMPCHUNK refuses the missing offset,
    // while the stored argument values stay as they were.
    UseNewActions(true);
    EXPECT_EQ(Call("JUMPCHUNK", "").code, 2);
    EXPECT_EQ(Error(), 10);
    EXPECT_FALSE(JumpChunkArgument(0).given());
    EXPECT_EQ(JumpChunkArgument(0).GetValue(), 3);
    EXPECT_EQ(JumpChunkArgument(1).GetValue(), 4);
}

// One item too many ("5," is two for GETPOS's one), or any for a method
// without arguments: error 900 in the list, which LASTERRID keeps.
TEST_F(ArgumentTest, TooManyItemsRecordError900) {
    OpenFile("c.bin");
    const struct {
        const char* method;
        const char* arguments;
        const char* className;
    } cases[] = {{"GETPOS", "5,", "MoGetPos"}, {"CLOSEALL", "1", "MoCloseAll"}, {"LASTERRID", "x", "MoLastErrId"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Call(c.method, c.arguments).code, 2) << c.method;
        EXPECT_EQ(ListErr(), Entries({std::string(c.className) + "\t900"})) << c.method;
    }
    EXPECT_EQ(Call("LASTERRID").value, 900);
}

// LISTERR prints the ten newest entries, newest first, wrapping round the
// ring; LISTERR itself does not clear the list, any other call does, and
// LASTERRID keeps the last id.
TEST_F(ArgumentTest, ListErrShowsTheTenNewestAndAnyOtherCallClearsThem) {
    zel::Errors().Clear();
    zel::Errors().Record(1000, "MoResultData");
    EXPECT_EQ(ListErr(), Entries({"MoResultData\t1000"}));
    for (int id = 2; id <= 12; ++id) zel::Errors().Record(id, id == 12 ? "MoTavrelWks" : nullptr);
    std::vector<std::string> expected{"MoTavrelWks\t12"};
    for (int id = 11; id >= 3; --id) expected.push_back("\t" + std::to_string(id));
    EXPECT_EQ(ListErr(), expected);
    EXPECT_EQ(ListErr(), expected);
    EXPECT_EQ(Call("LASTERRID").value, 12);
    EXPECT_EQ(ListErr(), Entries({}));
    EXPECT_EQ(Call("LASTERRID").value, 12);
}

TEST_F(ArgumentTest, LongArgumentTextsAreSplitButNotPreprocessedPartByPart) {
    // OPEN pre-processes each argument; a text of 600 or more characters is
    // stored as it comes.
    const std::string name = scratch_.PathOf(std::string(100, 'n'));
    EXPECT_EQ(Call("OPEN", "  " + name + std::string(600, ' ') + ",1").code, 2);
    EXPECT_EQ(Call("OPEN", "  " + name + "  ,1").code, 1);
    EXPECT_EQ(Text("FILENAME"), name);
}

}  // namespace
}  // namespace zeltest
