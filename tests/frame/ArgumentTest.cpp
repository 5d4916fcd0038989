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
};

TEST_F(ArgumentTest, EmptyMiddleItemIsNotGiven) {
    const int32_t h = OpenFile("a.bin");
    EXPECT_EQ(Call("JUMPCHUNK", "2,," + std::to_string(h)).code, 1);
    EXPECT_TRUE(JumpChunkArgument(0).given());
    EXPECT_FALSE(JumpChunkArgument(1).given());
    EXPECT_TRUE(JumpChunkArgument(2).given());
    // nBytes left out: NBYTES (1) is the chunk.
    EXPECT_EQ(Call("GETPOS").value, 2);
}

TEST_F(ArgumentTest, BlanksAroundItemsAreTrimmedAndQuotedCommasDoNotSplit) {
    const int32_t h = OpenFile("b.bin");
    EXPECT_EQ(Call("JUMPCHUNK", "  3 ,  4 , " + std::to_string(h) + "  ").value, 12);
    // A comma inside quotes belongs to the item: SYNTAX gets one argument.
    EXPECT_EQ(Call("SYNTAX", "\"a,b\"").code, 1);
    EXPECT_TRUE(host().lines().empty());
}

TEST_F(ArgumentTest, TrailingCommaUsesTheNextPosition) {
    // GETPOS has one argument: "5," is two items, one too many.
    OpenFile("c.bin");
    EXPECT_EQ(Call("GETPOS", "5,").code, 2);
    std::vector<std::string> lines = ListErr();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "MoGetPos\t900");
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i], "\t0");
    EXPECT_EQ(Call("LASTERRID").value, 900);
}

TEST_F(ArgumentTest, EmptyTextKeepsThePreviousValues) {
    const int32_t h = OpenFile("d.bin");
    EXPECT_EQ(Call("JUMPCHUNK", "1,4").value, 4);
    // The offset argument is not given now: JUMPCHUNK refuses it, while
    // the stored argument values stay as they were.
    UseNewActions(true);
    EXPECT_EQ(Call("JUMPCHUNK", "").code, 2);
    EXPECT_EQ(Error(), 10);
    EXPECT_FALSE(JumpChunkArgument(0).given());
    EXPECT_EQ(JumpChunkArgument(0).GetValue(), 1);
    EXPECT_EQ(JumpChunkArgument(1).GetValue(), 4);
    (void)h;
}

TEST_F(ArgumentTest, AnyArgumentForAMethodWithoutArguments) {
    EXPECT_EQ(Call("CLOSEALL", "1").code, 2);
    EXPECT_EQ(ListErr()[0], "MoCloseAll\t900");
    EXPECT_EQ(Call("LASTERRID", "x").code, 2);
    EXPECT_EQ(ListErr()[0], "MoLastErrId\t900");
}

TEST_F(ArgumentTest, ErrorListIsARingOfTenNewestFirst) {
    zel::ErrorRing ring;
    ring.Record(1, "A");
    ring.Record(2, "B");
    EXPECT_EQ(ring.position(), 2);
    EXPECT_EQ(ring.at(2).id, 2);
    EXPECT_EQ(ring.at(1).text.value_or(""), "A");
    for (int i = 3; i <= 12; ++i) ring.Record(i, "C");
    EXPECT_EQ(ring.position(), 2);
    EXPECT_EQ(ring.at(2).id, 12);
    EXPECT_EQ(ring.lastErrorId(), 12);
    EXPECT_TRUE(ring.HasError());
    ring.Clear();
    EXPECT_EQ(ring.position(), 0);
    EXPECT_EQ(ring.at(2).id, 0);
    EXPECT_FALSE(ring.at(2).text.has_value());
    EXPECT_EQ(ring.lastErrorId(), 12);
    EXPECT_FALSE(ring.HasError());
}

TEST_F(ArgumentTest, ListErrOfTwoErrorsAndAfterASuccessfulCall) {
    zel::Errors().Clear();
    zel::Errors().Record(777, "MoTavrelWks");
    zel::Errors().Record(1000, "MoResultData");
    std::vector<std::string> lines = ListErr();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "MoResultData\t1000");
    EXPECT_EQ(lines[1], "MoTavrelWks\t777");
    EXPECT_EQ(lines[2], "\t0");
    // LISTERR itself does not clear the list.
    EXPECT_EQ(ListErr()[0], "MoResultData\t1000");
    // Any other call clears it; LASTERRID keeps the last id.
    EXPECT_EQ(Call("LASTERRID").value, 1000);
    for (const std::string& line : ListErr()) EXPECT_EQ(line, "\t0");
    EXPECT_EQ(Call("LASTERRID").value, 1000);
}

TEST_F(ArgumentTest, LongArgumentTextsAreSplitButNotPreprocessedPartByPart) {
    // OPEN pre-processes each argument; a text of 600 or more characters is
    // stored as it comes.
    const std::string name = scratch_.PathOf(std::string(100, 'n'));
    const std::string padded = "  " + name + std::string(600, ' ') + ",1";
    EXPECT_EQ(Call("OPEN", padded).code, 2);
    EXPECT_EQ(Call("OPEN", "  " + name + "  ,1").code, 1);
    EXPECT_EQ(Text("FILENAME"), name);
}

}  // namespace
}  // namespace zeltest
