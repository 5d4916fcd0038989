// The general services of the callback: printing, string variables, the
// separator check, unknown codes and handle routing.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "HostTesting.h"

namespace tavrel::testing {
namespace {

TEST(Print, RecordsAndForwardsLinesAndRefusesWhatFails) {
    Host host{NoModule};
    std::vector<std::string> seen;
    host.onPrint = [&seen](const std::string& line) { seen.push_back(line); };
    EXPECT_EQ(Ask(host, ZEL_CB_PRINT, "first"), 0);
    EXPECT_EQ(Ask(host, ZEL_CB_PRINT, nullptr), 1);
    host.onPrint = [](const std::string&) { throw std::runtime_error("listener failed"); };
    EXPECT_EQ(Ask(host, ZEL_CB_PRINT, "second"), 1);  // nothing crosses the callback
    EXPECT_EQ(seen, std::vector<std::string>{"first"});
    EXPECT_EQ(host.lines(), (std::vector<std::string>{"first", "second"}));
}

TEST(StringVariables, StoreByIndexAndFetchCutToTheBuffer) {
    Host host{NoModule};
    const std::string longText(1000, 'q');
    EXPECT_EQ(Ask(host, ZEL_CB_SET_STRING_VAR, "alpha", 0), 0);
    EXPECT_EQ(Ask(host, ZEL_CB_SET_STRING_VAR, longText.c_str(), 25), 0);
    EXPECT_EQ(host.Variable('a'), "alpha");
    EXPECT_EQ(host.Variable('Z'), longText);

    // Exactly 260 bytes on the heap: one byte more would be caught.
    std::vector<char> buffer(ZEL_TEXT_BUFFER, 'x');
    ASSERT_EQ(Ask(host, ZEL_CB_GET_STRING_VAR, buffer.data(), 25), 0);
    EXPECT_EQ(std::string(buffer.data()), std::string(ZEL_TEXT_BUFFER - 1, 'q'));
    EXPECT_THROW(host.Variable('1'), std::invalid_argument);
}

TEST(StringVariables, RefuseBadIndicesAndNullPointers) {
    Host host{NoModule};
    host.SetVariable('A', "kept");
    for (int index : {-1, 26, 1000}) {
        EXPECT_EQ(Ask(host, ZEL_CB_SET_STRING_VAR, "x", index), 1) << index;
        std::vector<char> buffer(ZEL_TEXT_BUFFER, 'x');
        EXPECT_EQ(Ask(host, ZEL_CB_GET_STRING_VAR, buffer.data(), index), 1) << index;
        EXPECT_EQ(buffer[0], '\0') << index;
    }
    EXPECT_EQ(Ask(host, ZEL_CB_SET_STRING_VAR, nullptr, 0), 1);
    EXPECT_EQ(Ask(host, ZEL_CB_GET_STRING_VAR, nullptr, 0), 1);
    EXPECT_EQ(host.Variable('A'), "kept");
}

class SeparatorCheck : public ::testing::TestWithParam<std::pair<const char*, int32_t>> {};

TEST_P(SeparatorCheck, RefusesTextsThatMakeNumbersAmbiguous) {
    Host host{NoModule};
    EXPECT_EQ(Ask(host, ZEL_CB_CHECK_SEPARATOR, GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Texts, SeparatorCheck,
                         ::testing::Values(std::pair{",", 0}, std::pair{"\t", 0}, std::pair{" ", 0},
                                           std::pair{"|more", 0}, std::pair{"", -1},
                                           std::pair{static_cast<const char*>(nullptr), -1},
                                           std::pair{"0", -1}, std::pair{"9", -1}, std::pair{".", -1},
                                           std::pair{"+", -1}, std::pair{"-", -1}, std::pair{"e", -1},
                                           std::pair{"E", -1}));

// Codes the host does not serve answer 1, whatever their words hold. Code 0
// is the row request, which only a worksheet handle carries.
class UnknownCode : public ::testing::TestWithParam<int32_t> {};

TEST_P(UnknownCode, AnswersOne) {
    Host host{NoModule};
    char scratch[64] = {};
    EXPECT_EQ(Host::Callback(host.handle(), GetParam(), Word(scratch), Word(scratch)), 1);
    EXPECT_EQ(Host::Callback(host.handle(), GetParam(), 0, 0), 1);
    EXPECT_EQ(Host::Callback(host.handle(), GetParam(), -1, 12345), 1);
}

INSTANTIATE_TEST_SUITE_P(Codes, UnknownCode,
                         ::testing::Values(0, 1, 0x1001, 0x1FFF, 0x2000, 0x3002, 0x3FFF, 0x6802, 0x9002,
                                           0x7FFFFFFF, -1, static_cast<int32_t>(0x80001000)));

TEST(Routing, HostAndWorksheetHandlesReachTheirOwnHost) {
    Host first{NoModule};
    Host second{NoModule};
    ASSERT_NE(first.handle(), 0u);
    ASSERT_NE(first.handle(), second.handle());
    EXPECT_EQ(Ask(first, ZEL_CB_SET_STRING_VAR, "one", 0), 0);
    EXPECT_EQ(Ask(second, ZEL_CB_SET_STRING_VAR, "two", 0), 0);
    EXPECT_EQ(first.Variable('A'), "one");
    EXPECT_EQ(second.Variable('A'), "two");

    Worksheet& a = first.CreateWorksheet("Sheet", 1);
    Worksheet& b = second.CreateWorksheet("Sheet", 1);
    ASSERT_NE(a.handle(), b.handle());
    double one = 1.0;
    double two = 2.0;
    ZelRowDescriptor rowA{ZEL_ROW_TAG, 1, 1, 0, 0, &one};
    ZelRowDescriptor rowB{ZEL_ROW_TAG, 1, 1, 0, 0, &two};
    EXPECT_EQ(Host::Callback(b.handle(), ZEL_CB_ROW, Word(&rowB), 0), 0);
    EXPECT_EQ(Host::Callback(a.handle(), ZEL_CB_ROW, Word(&rowA), 0), 0);
    EXPECT_EQ(a.column(1)->dataset().number(0), 1.0);
    EXPECT_EQ(b.column(1)->dataset().number(0), 2.0);
    // A worksheet handle carries the row request only.
    EXPECT_EQ(Host::Callback(a.handle(), ZEL_CB_UPDATE, 0, 0), 1);
    EXPECT_EQ(first.updateCount(), 0);
}

TEST(Routing, HandlesOfAGoneHostAreRefusedWithEachCodesRefusal) {
    uint32_t handle = 0;
    uint32_t sheetHandle = 0;
    {
        Host host{NoModule};
        handle = host.handle();
        sheetHandle = host.CreateWorksheet("W", 1).handle();
        ASSERT_EQ(Host::Callback(handle, ZEL_CB_UPDATE, 0, 0), 0);
    }
    double value = 1.0;
    ZelRowDescriptor row{ZEL_ROW_TAG, 1, 1, 0, 0, &value};
    ZelLocator locator{};
    EXPECT_EQ(Host::Callback(handle, ZEL_CB_UPDATE, 0, 0), 1);
    EXPECT_EQ(Host::Callback(sheetHandle, ZEL_CB_ROW, Word(&row), 0), 1);
    EXPECT_EQ(Host::Callback(0, ZEL_CB_PRINT, Word("x"), 0), 1);
    EXPECT_EQ(Host::Callback(handle, ZEL_CB_DATASET_BY_NAME, Word("A"), Word(&locator)), 0);
    EXPECT_EQ(Host::Callback(handle, ZEL_CB_CHECK_SEPARATOR, Word(","), 0), -1);
}

}  // namespace
}  // namespace tavrel::testing
