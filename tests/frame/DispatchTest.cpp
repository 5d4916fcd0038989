// The request protocol of the entry point: status word, probes, request
// codes, kinds, indexed names, sub-properties and listings.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <optional>
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
    std::vector<std::string> Listing(const char* path) {
        host().ClearLines();
        EXPECT_EQ(host().List(path), 1);
        return TakeLines();
    }
};

constexpr int32_t kProbe = ZEL_PROBE_FLAG;

struct RawCase {
    std::optional<std::string> owner;  // none: a property of ZEL itself
    std::optional<std::string> member;
    int32_t code;
    int32_t answer;
    int32_t word;  // the status word after the request
    bool lists = false;
};

// A request without the probe flag leaves the word -1; a probe leaves 0 when
// it finds what it asks for, 1 when it does not and 2 when a sub-property's
// method refuses it. Only the low 16 bits of a code count.
TEST_F(DispatchTest, RequestsAnswerAndLeaveTheStatusWord) {
    const std::string huge(5000, 'N');
    const std::string never = scratch_.PathOf("never");
    const RawCase cases[] = {
        {{}, "NBYTES", ZEL_REQ_GET_NUMBER, 1, -1},
        {{}, "NBYTES", ZEL_REQ_GET_NUMBER | kProbe, 1, 0},
        {{}, "NOSUCH", ZEL_REQ_GET_NUMBER | kProbe, 2, 1},
        {{}, "NBYTES", 0x10000 + ZEL_REQ_GET_NUMBER, 1, -1},
        {{}, "NBYTES", ZEL_REQ_STATUS | kProbe, 2, 0},  // no status read
        {{}, "", ZEL_REQ_STATUS | kProbe, 2, 0},
        // Unknown codes: refused, or a listing without a member name.
        {{}, "NBYTES", 21, 2, -1},
        {{}, "", 0x7FFF, 1, -1, true},
        {{}, {}, ZEL_REQ_GET_NUMBER, 1, -1, true},
        // Kinds must match: a string get of a numeric property is not found,
        // a method is never a property, nor a property a method.
        {{}, "NBYTES", ZEL_REQ_GET_STRING, 0, -1},
        {{}, "FILENAME", ZEL_REQ_GET_NUMBER, 0, -1},
        {{}, "OPEN", ZEL_REQ_GET_NUMBER, 0, -1},
        {"NBYTES", "", ZEL_REQ_CALL, 0, -1},
        // Count requests on scalars fail.
        {{}, "NBYTES", ZEL_REQ_GET_COUNT, 2, -1},
        {{}, "SKIP", ZEL_REQ_SET_COUNT, 2, -1},
        // Sub-properties: an empty or unknown owner finds nothing; a method
        // without sub-properties refuses.
        {"", "MODE", ZEL_REQ_GET_NUMBER, 0, -1},
        {"NOSUCH", "MODE", ZEL_REQ_GET_NUMBER, 0, -1},
        {"READ", "MODE", ZEL_REQ_GET_NUMBER, 2, -1},
        {"READ", "MODE", ZEL_REQ_GET_NUMBER | kProbe, 2, 2},
        {"OPEN", "NOSUCH", ZEL_REQ_GET_NUMBER | kProbe, 2, 2},
        // A probe of a method only looks it up: OPEN creates no file.
        {"OPEN", never, ZEL_REQ_CALL | kProbe, 1, 0},
        {"NOSUCH", "", ZEL_REQ_CALL | kProbe, 2, 1},
        // Null and oversized names.
        {{}, {}, ZEL_REQ_CALL, 0, -1},
        {{}, huge, ZEL_REQ_GET_NUMBER, 0, -1},
        {{}, huge + "12", ZEL_REQ_GET_NUMBER, 0, -1},
        {huge, "MODE", ZEL_REQ_GET_NUMBER, 0, -1},
        {huge, huge, ZEL_REQ_CALL, 0, -1},
    };
    for (const RawCase& c : cases) {
        SCOPED_TRACE(c.owner.value_or("(null)").substr(0, 10) + " " + c.member.value_or("(null)").substr(0, 10) +
                     " " + std::to_string(c.code));
        alignas(double) std::array<char, ZEL_STRING_BUFFER> value{};
        const double three = 3;
        std::memcpy(value.data(), &three, sizeof three);
        host().ClearLines();
        const char* owner = c.owner ? c.owner->c_str() : nullptr;
        EXPECT_EQ(Raw(owner, c.member ? c.member->c_str() : nullptr, value.data(), c.code), c.answer);
        EXPECT_EQ(!host().lines().empty(), c.lists);
        EXPECT_EQ(StatusWord(), c.word);
        EXPECT_EQ(StatusWord(), c.word);  // a status read does not change it
        if (c.code == (ZEL_REQ_CALL | kProbe)) {
            EXPECT_EQ(std::memcmp(value.data(), &three, sizeof three), 0);  // the result untouched
        }
    }
    EXPECT_FALSE(std::filesystem::exists(never));
    EXPECT_EQ(Number("SKIP"), 0);
    int32_t word = 7;
    EXPECT_EQ(Raw(nullptr, "X", &word, 0x10000 + ZEL_REQ_STATUS), 1);
    EXPECT_EQ(word, -1);
    // No value to read into or from.
    EXPECT_EQ(Raw(nullptr, "NBYTES", nullptr, ZEL_REQ_GET_NUMBER), 2);
    EXPECT_EQ(Raw(nullptr, "FILENAME", nullptr, ZEL_REQ_GET_STRING), 2);
}

TEST_F(DispatchTest, NamesIgnoreCaseAliasesShareOneMemberAndOwnersReachTheirOwn) {
    EXPECT_EQ(SetNumber("nbyte", 4), 1);
    EXPECT_EQ(Number("NBytes"), 4);
    EXPECT_EQ(SetNumber("new", 1), 1);
    EXPECT_EQ(Number("NEWACTIONS"), 1);
    EXPECT_EQ(SetNumber("MODE", 2, "OPEN"), 1);
    EXPECT_EQ(Number("OPENMODE"), 2);
    EXPECT_EQ(SetText("NAME", "a.bin", "open"), 1);
    EXPECT_EQ(Text("FILENAME"), "a.bin");
    EXPECT_EQ(Text("WORKSHEETNAME", "OPEN"), "");
    // ERROR reaches the own property (a refusal of the current numbering);
    // the base one is listed too.
    SetNumber("BYTEORDER", 7);
    EXPECT_EQ(Error(), 12);
    EXPECT_EQ(Number("ERROR"), 12);
    const std::vector<std::string> lines = Listing(nullptr);
    auto isError = [](const std::string& line) { return line.rfind("ERROR\t", 0) == 0; };
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), isError), 2);
}

TEST_F(DispatchTest, FailedParseLeavesTheResultAndFailedExecuteKeepsItsResult) {
    double result = 42;
    // RESET takes no arguments; GETPOS without a current file: the parse
    // fails, the result is untouched.
    EXPECT_EQ(Raw("RESET", "1", &result, ZEL_REQ_CALL), 2);
    EXPECT_EQ(Raw("GETPOS", "", &result, ZEL_REQ_CALL), 2);
    EXPECT_EQ(result, 42);
    // SETPOS without its position fails in Execute: the result is the missing value.
    ASSERT_GT(OpenFile("f.bin"), 0);
    EXPECT_EQ(Raw("SETPOS", "", &result, ZEL_REQ_CALL), 2);
    EXPECT_EQ(result, ZEL_MISSING_VALUE);
}

TEST_F(DispatchTest, LongStringValuesAreCutToTheHostBuffer) {
    EXPECT_EQ(SetText("WKSNAME", std::string(5000, 'x')), 1);
    // A guard after the 1024-byte buffer must stay untouched.
    std::array<char, ZEL_STRING_BUFFER + 16> buffer;
    buffer.fill('#');
    EXPECT_EQ(Raw(nullptr, "WKSNAME", buffer.data(), ZEL_REQ_GET_STRING), 1);
    EXPECT_EQ(std::strlen(buffer.data()), ZEL_STRING_BUFFER - 1u);
    EXPECT_EQ(std::string(buffer.begin() + ZEL_STRING_BUFFER, buffer.end()), std::string(16, '#'));
    // The listing line is cut to 1023 characters too.
    for (const std::string& line : Listing("OPEN")) EXPECT_LE(line.size(), 1023u);
}

// Own methods in the order of the method list, each followed by its
// sub-properties; own properties; base methods; base properties. A path
// lists a method's sub-properties; one naming no method lists everything.
TEST_F(DispatchTest, ListingsFollowTheMemberTables) {
    const std::vector<std::string> lines = Listing(nullptr);
    std::vector<std::string> methods, others, openSubProperties;
    std::string owner;
    for (const std::string& line : lines) {
        if (line.size() > 2 && line.substr(line.size() - 2) == "()") {
            methods.push_back(line.substr(0, line.size() - 2));
            owner = methods.back();
        } else if (line.rfind("  ", 0) == 0) {
            EXPECT_EQ(line.rfind("  " + owner + ".", 0), 0u) << line;  // under its method, with its name
            if (owner == "OPEN") openSubProperties.push_back(line.substr(7));
        } else {
            others.push_back(line.substr(0, line.find('\t')));
        }
    }
    std::vector<std::string> expected = MethodSpellings();
    expected.insert(expected.end(), {"LISTERR", "LASTERRID"});
    EXPECT_EQ(methods, expected);
    EXPECT_EQ(others.front(), "NEWACTIONS");
    EXPECT_EQ(others.back(), "MSG$");

    ASSERT_FALSE(openSubProperties.empty());
    EXPECT_EQ(Listing("open"), openSubProperties);
    EXPECT_TRUE(Listing("READ").empty());
    EXPECT_EQ(Listing("NBYTES"), lines);
    EXPECT_EQ(Listing("OPEN.MODE"), lines);
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
        *count = static_cast<int32_t>(values.size());
        return 0;
    }
    std::array<double, 4> values{10, 20, 30, 40};
    int32_t lastIndex = -1;
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
    const zel::MemberTable table{kIndexedRows, &members};
    auto access = [&](const std::string& name, uint16_t flags, void* value) {
        return object.AccessPropertyIn(name.c_str(), flags, value, table);
    };
    double value = 0;
    EXPECT_EQ(access("VAL3", zel::kAccessGet, &value), 1);
    EXPECT_EQ(value, 30);
    EXPECT_EQ(members.numbers.lastIndex, 2);
    value = 7;
    EXPECT_EQ(access("val1", zel::kAccessSet, &value), 1);
    EXPECT_EQ(members.numbers.values[0], 7);
    // Element 0, the bare name, a base name too long for the lookup buffer
    // and a name of digits only (read no further back than its first) are
    // not elements; the count request with the bare name reaches the member.
    for (const std::string& name : {std::string("VAL0"), std::string("VAL"), std::string(40, 'V') + "1"}) {
        EXPECT_EQ(access(name, zel::kAccessGet, &value), 0) << name;
    }
    const char digitsAfterADigit[] = "712";
    EXPECT_EQ(object.AccessPropertyIn(digitsAfterADigit + 1, zel::kAccessGet, &value, table), 0);
    EXPECT_EQ(access("VAL", zel::kAccessSet, &value), 0);
    EXPECT_EQ(access("VAL", zel::kAccessGetCount, &value), 1);
    EXPECT_EQ(value, 4);
    // A string access needs the string kind; plain names never reach
    // indexed members.
    std::array<char, 64> buffer{};
    EXPECT_EQ(access("TXT2", zel::kAccessGet | zel::kAccessString, buffer.data()), 1);
    EXPECT_STREQ(buffer.data(), "text");
    EXPECT_EQ(members.texts.lastIndex, 1);
    EXPECT_EQ(access("VAL2", zel::kAccessGet | zel::kAccessString, buffer.data()), 0);
    EXPECT_EQ(access("PLAIN", zel::kAccessGet, &value), 1);
}

}  // namespace
}  // namespace zeltest
