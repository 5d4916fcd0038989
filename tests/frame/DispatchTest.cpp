// The request protocol of the entry point: status word, probes, request
// codes, kinds, indexed names, sub-properties and listings.
#include <gtest/gtest.h>

#include <algorithm>

#include <array>
#include <cstring>
#include <string>

#include "support/ZelFixture.h"
#include "zel/zel.h"

namespace zeltest {
namespace {

class DispatchTest : public ZelFixture {
protected:
    int32_t Raw(const char* owner, const char* member, void* value, int32_t code) {
        std::string buffer = member != nullptr ? member : "";
        return host().Raw(owner, member != nullptr ? buffer.data() : nullptr, value, code);
    }
    int32_t StatusWord() {
        int32_t word = 99;
        EXPECT_EQ(host().Status(word), 1);
        return word;
    }
};

TEST_F(DispatchTest, StatusWordFollowsTheLastRequest) {
    double value = 0;
    EXPECT_EQ(Raw(nullptr, "NBYTES", &value, ZEL_REQ_GET_NUMBER), 1);
    EXPECT_EQ(StatusWord(), -1);

    EXPECT_EQ(Raw(nullptr, "NBYTES", &value, ZEL_REQ_GET_NUMBER | ZEL_PROBE_FLAG), 1);
    EXPECT_EQ(StatusWord(), 0);

    EXPECT_EQ(Raw(nullptr, "NOSUCH", &value, ZEL_REQ_GET_NUMBER | ZEL_PROBE_FLAG), 2);
    EXPECT_EQ(StatusWord(), 1);
    // A status read does not change the word.
    EXPECT_EQ(StatusWord(), 1);

    // Only the low 16 bits of the code count.
    int32_t word = 7;
    EXPECT_EQ(Raw(nullptr, "X", &word, 0x10000 + ZEL_REQ_STATUS), 1);
    EXPECT_EQ(word, 1);
}

TEST_F(DispatchTest, StatusCodeWithProbeFlagIsNoStatusRead) {
    double value = 0;
    EXPECT_EQ(Raw(nullptr, "NBYTES", &value, ZEL_REQ_STATUS | ZEL_PROBE_FLAG), 2);
    host().ClearLines();
    EXPECT_EQ(Raw(nullptr, "", &value, ZEL_REQ_STATUS | ZEL_PROBE_FLAG), 2);
    EXPECT_TRUE(host().lines().empty());
}

TEST_F(DispatchTest, UnknownCodesAreRefusedOrList) {
    double value = 0;
    for (int32_t code : {21, 2053, 0, 3072, 0x7FFF}) {
        EXPECT_EQ(Raw(nullptr, "NBYTES", &value, code), 2) << code;
        host().ClearLines();
        EXPECT_EQ(Raw(nullptr, "", &value, code), 1) << code;
        EXPECT_FALSE(host().lines().empty()) << code;
    }
}

TEST_F(DispatchTest, KindsMustMatch) {
    std::array<char, ZEL_STRING_BUFFER> buffer{};
    double value = 0;
    // A string get of a numeric property is not found, not refused.
    EXPECT_EQ(Raw(nullptr, "NBYTES", buffer.data(), ZEL_REQ_GET_STRING), 0);
    EXPECT_EQ(Raw(nullptr, "FILENAME", &value, ZEL_REQ_GET_NUMBER), 0);
    // A method is never a property.
    EXPECT_EQ(Raw(nullptr, "OPEN", &value, ZEL_REQ_GET_NUMBER), 0);
    EXPECT_EQ(Raw(nullptr, "REWIND", buffer.data(), ZEL_REQ_GET_STRING), 0);
    // A property is never a method.
    EXPECT_EQ(Call("NBYTES").code, 0);
}

TEST_F(DispatchTest, NamesIgnoreCaseAndAliasesShareOneMember) {
    UseNewActions(true);
    EXPECT_EQ(SetNumber("nbyte", 4), 1);
    EXPECT_EQ(Number("NBytes"), 4);
    EXPECT_EQ(SetNumber("new", 0), 1);
    EXPECT_EQ(Number("NEWACTIONS"), 0);
}

TEST_F(DispatchTest, ErrorReachesTheOwnProperty) {
    UseNewActions(true);
    SetNumber("BYTEORDER", 7);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Number("ERROR"), 12);
    // The base ERROR is a different member: RESET clears it, the listing shows it.
    host().ClearLines();
    host().List(nullptr);
    int errorRows = 0;
    for (const std::string& line : host().lines()) {
        if (line.rfind("ERROR\t", 0) == 0) ++errorRows;
    }
    EXPECT_EQ(errorRows, 2);
}

TEST_F(DispatchTest, CountRequestsOnScalarsFail) {
    double count = 0;
    EXPECT_EQ(host().GetCount(nullptr, "NBYTES", count), 2);
    EXPECT_EQ(host().SetCount(nullptr, "SKIP", 3), 2);
    EXPECT_EQ(Number("SKIP"), 0);
}

TEST_F(DispatchTest, FlagWordsWithoutSetOrGetAreRefused) {
    double value = 1;
    std::array<char, 16> text{};
    zel::ZEL& object = zel();
    EXPECT_EQ(object.AccessPropertyIn("SKIP", 0, &value, object.OwnProperties()), 2);
    EXPECT_EQ(object.AccessPropertyIn("FILENAME", zel::kAccessString, text.data(),
                                      object.OwnProperties()),
              2);
}

TEST_F(DispatchTest, EmptyOwnerIsASubPropertyRequestThatFindsNothing) {
    double value = 0;
    EXPECT_EQ(Raw("", "MODE", &value, ZEL_REQ_GET_NUMBER), 0);
    EXPECT_EQ(Raw("NOSUCH", "MODE", &value, ZEL_REQ_GET_NUMBER), 0);
    EXPECT_EQ(StatusWord(), -1);
}

TEST_F(DispatchTest, SubPropertiesOfOpenAreTheSameObjects) {
    EXPECT_EQ(SetNumber("MODE", 2, "OPEN"), 1);
    EXPECT_EQ(Number("OPENMODE"), 2);
    EXPECT_EQ(SetText("NAME", "a.bin", "open"), 1);
    EXPECT_EQ(Text("FILENAME"), "a.bin");
    EXPECT_EQ(Text("WORKSHEETNAME", "OPEN"), "");
    // A method without sub-properties refuses; in a probe the word says so.
    double value = 0;
    EXPECT_EQ(Raw("READ", "MODE", &value, ZEL_REQ_GET_NUMBER), 2);
    EXPECT_EQ(Raw("READ", "MODE", &value, ZEL_REQ_GET_NUMBER | ZEL_PROBE_FLAG), 2);
    EXPECT_EQ(StatusWord(), 2);
    EXPECT_EQ(Raw("OPEN", "NOSUCH", &value, ZEL_REQ_GET_NUMBER | ZEL_PROBE_FLAG), 2);
    EXPECT_EQ(StatusWord(), 2);
}

TEST_F(DispatchTest, ProbeOfAMethodOnlyLooksItUp) {
    double result = 5;
    EXPECT_EQ(Raw("OPEN", scratch_.PathOf("never").c_str(), &result, ZEL_REQ_CALL | ZEL_PROBE_FLAG), 1);
    EXPECT_EQ(result, 5);
    EXPECT_FALSE(std::filesystem::exists(scratch_.PathOf("never")));
    EXPECT_EQ(StatusWord(), 0);
    EXPECT_EQ(Raw("NOSUCH", "", &result, ZEL_REQ_CALL | ZEL_PROBE_FLAG), 2);
    EXPECT_EQ(StatusWord(), 1);
}

TEST_F(DispatchTest, FailedParseLeavesTheResultAndFailedExecuteKeepsItsResult) {
    double result = 42;
    // RESET takes no arguments: the parse fails, the result is untouched.
    EXPECT_EQ(Raw("RESET", "1", &result, ZEL_REQ_CALL), 2);
    EXPECT_EQ(result, 42);
    // GETPOS with no current file fails in its parse as well.
    EXPECT_EQ(Raw("GETPOS", "", &result, ZEL_REQ_CALL), 2);
    EXPECT_EQ(result, 42);
    // SETPOS without its position fails in Execute: the result is the missing value.
    int32_t h = OpenFile("f.bin");
    ASSERT_GT(h, 0);
    EXPECT_EQ(Raw("SETPOS", "", &result, ZEL_REQ_CALL), 2);
    EXPECT_EQ(result, ZEL_MISSING_VALUE);
}

TEST_F(DispatchTest, NullAndOversizedNamesAreHandled) {
    double value = 0;
    EXPECT_EQ(Raw(nullptr, nullptr, &value, ZEL_REQ_GET_NUMBER), 1);  // a listing
    EXPECT_EQ(Raw(nullptr, "NBYTES", nullptr, ZEL_REQ_GET_NUMBER), 2);
    EXPECT_EQ(Raw(nullptr, nullptr, &value, ZEL_REQ_CALL), 0);
    const std::string huge(5000, 'N');
    EXPECT_EQ(Raw(nullptr, huge.c_str(), &value, ZEL_REQ_GET_NUMBER), 0);
    EXPECT_EQ(Raw(nullptr, (huge + "12").c_str(), &value, ZEL_REQ_GET_NUMBER), 0);
    EXPECT_EQ(Raw(huge.c_str(), "MODE", &value, ZEL_REQ_GET_NUMBER), 0);
    EXPECT_EQ(Raw(huge.c_str(), huge.c_str(), &value, ZEL_REQ_CALL), 0);
}

TEST_F(DispatchTest, LongStringValuesAreCutToTheHostBuffer) {
    const std::string huge(5000, 'x');
    EXPECT_EQ(SetText("WKSNAME", huge), 1);
    // A guard after the 1024-byte buffer must stay untouched.
    std::array<char, ZEL_STRING_BUFFER + 16> buffer;
    buffer.fill('#');
    EXPECT_EQ(Raw(nullptr, "WKSNAME", buffer.data(), ZEL_REQ_GET_STRING), 1);
    EXPECT_EQ(std::strlen(buffer.data()), ZEL_STRING_BUFFER - 1u);
    for (size_t i = ZEL_STRING_BUFFER; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], '#');
    // The listing line is cut to 1023 characters too.
    host().ClearLines();
    host().List("OPEN");
    ASSERT_FALSE(host().lines().empty());
    for (const std::string& line : host().lines()) EXPECT_LE(line.size(), 1023u);
}

// Own methods in the order of the method list, each followed by its
// sub-properties (OPEN's, ASCII's under each of its names); own properties;
// base methods; base properties.
TEST_F(DispatchTest, ListingOfAllMembersInOrder) {
    host().ClearLines();
    EXPECT_EQ(host().List(nullptr), 1);
    const std::vector<std::string>& lines = host().lines();
    std::vector<std::string> methods;
    std::vector<std::string> others;
    std::string owner;
    for (const std::string& line : lines) {
        if (line.size() > 2 && line.substr(line.size() - 2) == "()") {
            methods.push_back(line.substr(0, line.size() - 2));
            owner = methods.back();
        } else if (line.rfind("  ", 0) == 0) {
            // A sub-property: under its method, with the method's name.
            EXPECT_EQ(line.rfind("  " + owner + ".", 0), 0u) << line;
        } else {
            others.push_back(line.substr(0, line.find('\t')));
        }
    }
    std::vector<std::string> expected = MethodSpellings();
    expected.push_back("LISTERR");
    expected.push_back("LASTERRID");
    EXPECT_EQ(methods, expected);
    EXPECT_EQ(others.front(), "NEWACTIONS");
    EXPECT_EQ(others.back(), "MSG$");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "  OPEN.WORKSHEETNAME$\t\"\""), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "  READASCII.NTOKENS\t1"), lines.end());
}

TEST_F(DispatchTest, ListingOfAPath) {
    host().ClearLines();
    EXPECT_EQ(host().List("open"), 1);
    EXPECT_EQ(host().lines(), (std::vector<std::string>{"MODE\t0", "FILENAME$\t\"\"", "NAME$\t\"\"",
                                                        "WKSNAME$\t\"\"", "WORKSHEETNAME$\t\"\""}));
    // A method without sub-properties lists nothing; a path naming no
    // method falls back to the full listing.
    host().ClearLines();
    EXPECT_EQ(host().List("READ"), 1);
    EXPECT_TRUE(host().lines().empty());
    host().ClearLines();
    EXPECT_EQ(host().List("NBYTES"), 1);
    EXPECT_EQ(host().lines().size(), 131u);
    host().ClearLines();
    EXPECT_EQ(host().List("OPEN.MODE"), 1);
    EXPECT_EQ(host().lines().size(), 131u);
}

// A table with indexed members, served by the same dispatcher.
class IndexedNumber : public zel::MoScript {
public:
    uint16_t GetKind() const override { return zel::kKindIndexed | zel::kKindNumber; }
    int32_t AccessNumberAt(double* value, int32_t index, uint16_t flags) override {
        lastIndex = index;
        if (flags & zel::kAccessSet) {
            values.at(static_cast<size_t>(index)) = *value;
        } else {
            *value = values.at(static_cast<size_t>(index));
        }
        return 1;
    }
    int32_t GetCount(int32_t* count) override {
        if (!countable) return 1;
        *count = static_cast<int32_t>(values.size());
        return 0;
    }
    int32_t GetNumberAt(double* value, int32_t index) override {
        *value = values.at(static_cast<size_t>(index));
        return 0;
    }
    std::array<double, 4> values{10, 20, 30, 40};
    int32_t lastIndex = -1;
    bool countable = false;
};

class IndexedString : public zel::MoScript {
public:
    uint16_t GetKind() const override { return zel::kKindIndexed | zel::kKindString; }
    int32_t AccessStringAt(char* value, int32_t index, uint16_t, size_t capacity) override {
        lastIndex = index;
        zel::CopyBounded(zel::TextOut(value, capacity), "text");
        return 1;
    }
    int32_t lastIndex = -1;
};

struct IndexedMembers : zel::Mobj {
    IndexedNumber numbers;
    IndexedString texts;
    zel::MoInt plain;
};

constexpr zel::MemberEntry kIndexedRows[] = {
    {"PLAIN", &zel::MemberAt<&IndexedMembers::plain>},
    {"VAL", &zel::MemberAt<&IndexedMembers::numbers>},
    {"TXT", &zel::MemberAt<&IndexedMembers::texts>},
    {nullptr, nullptr},
};

TEST(IndexedNames, ReachElementsByTrailingNumber) {
    zel::MoDLL object;
    IndexedMembers members;
    IndexedNumber& numbers = members.numbers;
    IndexedString& texts = members.texts;
    const zel::MemberTable table{kIndexedRows, &members};
    double value = 0;
    EXPECT_EQ(object.AccessPropertyIn("VAL3", zel::kAccessGet, &value, table), 1);
    EXPECT_EQ(value, 30);
    EXPECT_EQ(numbers.lastIndex, 2);
    value = 7;
    EXPECT_EQ(object.AccessPropertyIn("val1", zel::kAccessSet, &value, table), 1);
    EXPECT_EQ(numbers.values[0], 7);
    // Element 0 and the bare name are not elements.
    EXPECT_EQ(object.AccessPropertyIn("VAL0", zel::kAccessGet, &value, table), 0);
    EXPECT_EQ(object.AccessPropertyIn("VAL", zel::kAccessGet, &value, table), 0);
    EXPECT_EQ(object.AccessPropertyIn("VAL", zel::kAccessSet, &value, table), 0);
    // The count request with the bare name reaches the member, which fails.
    EXPECT_EQ(object.AccessPropertyIn("VAL", zel::kAccessGetCount, &value, table), 2);
    // A string access needs the string kind.
    std::array<char, 64> buffer{};
    EXPECT_EQ(object.AccessPropertyIn("TXT2", zel::kAccessGet | zel::kAccessString, buffer.data(), table), 1);
    EXPECT_STREQ(buffer.data(), "text");
    EXPECT_EQ(texts.lastIndex, 1);
    EXPECT_EQ(object.AccessPropertyIn("VAL2", zel::kAccessGet | zel::kAccessString, buffer.data(), table), 0);
    // Plain names still work and never reach indexed members.
    EXPECT_EQ(object.AccessPropertyIn("PLAIN", zel::kAccessGet, &value, table), 1);
    // A base name too long for the lookup buffer finds nothing.
    EXPECT_EQ(object.AccessPropertyIn((std::string(40, 'V') + "1").c_str(), zel::kAccessGet, &value, table), 0);
}

}  // namespace
}  // namespace zeltest
