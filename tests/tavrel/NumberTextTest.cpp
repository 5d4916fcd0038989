// Number texts through the callback: text to number and number to text.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "HostTesting.h"
#include "support/Printing.h"

namespace tavrel::testing {
namespace {

using zeltest::Quoted;

TEST(NumberText, TextToNumberConvertsOnlyDecimalNumbers) {
    Host host{NoModule};
    const struct {
        const char* text;
        bool isNumber;
        double value;
    } cases[] = {{"42", true, 42},         {"-3.5", true, -3.5},   {"+7", true, 7},         {"  12.25 ", true, 12.25},
                 {"\t1e3", true, 1000},    {".5", true, 0.5},      {"5.", true, 5},         {"1.5E-2", true, 0.015},
                 {"-0", true, -0.0},       {"4.9e-324", true, 4.9e-324}, {"-1e-400", true, -0.0}, {"", false, 0},
                 {"  ", false, 0},         {"abc", false, 0},      {"1,5", false, 0},       {"12abc", false, 0},
                 {"1e", false, 0},         {".", false, 0},        {"+-1", false, 0},       {"inf", false, 0},
                 {"nan", false, 0},        {"0x10", false, 0},     {"1 2", false, 0},       {"1e400", false, 0},
                 {nullptr, false, 0}};
    for (const auto& c : cases) {
        double value = 4711.0;
        EXPECT_EQ(Ask(host, ZEL_CB_TEXT_TO_NUMBER, c.text, &value), c.isNumber ? 1 : 0) << Quoted(c.text);
        EXPECT_EQ(value, c.isNumber ? c.value : 4711.0) << Quoted(c.text);  // a refusal leaves the double alone
        EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << Quoted(c.text);
    }
}

TEST(NumberText, NumberToTextWritesTheHostTextOrRefusesTheFormat) {
    Host host{NoModule};
    const struct {
        double value;
        const char* format;
        int32_t answer;
        const char* text;
    } cases[] = {{0.1, "*", 0, "0.1"}, {-2.5, nullptr, 0, "-2.5"}, {1e21, "", 0, "1e+21"}, {1e7, "", 0, "10000000"},
                 {-5e15, "", 0, "-5000000000000000"}, {1e16, "", 0, "1e+16"}, {1.5e7, "", 0, "15000000"},
                 {1.5e-7, "", 0, "1.5e-07"}, {1.0 / 3, "*", 0, "0.3333333333333333"},
                 {ZEL_MISSING_VALUE, "*", 0, "--"}, {ZEL_MISSING_VALUE, "%.3f", 0, "--"},
                 {3.14159, "%.2f", 0, "3.14"}, {1234.5, "x=%9.1e;", 0, "x=  1.2e+03;"}, {50, "%g%%", 0, "50%"},
                 {1, "%s", 1, ""}, {1, "%d", 1, ""}, {1, "%f %f", 1, ""}, {1, "plain", 1, ""}, {1, "%n", 1, ""},
                 {1, "%1000f", 1, ""}};
    for (const auto& c : cases) {
        std::vector<char> buffer(ZEL_NUMBER_TEXT, '\0');
        ZelNumberText block{buffer.data(), c.format};
        EXPECT_EQ(Ask(host, ZEL_CB_NUMBER_TO_TEXT, &c.value, &block), c.answer) << c.value << " " << Quoted(c.format);
        EXPECT_STREQ(buffer.data(), c.text) << c.value << " " << Quoted(c.format);
    }
    // 1e300 with 999 decimals is longer than the buffer, which has exactly
    // its interface size on the heap: a longer write would be caught.
    const double value = 1e300;
    std::vector<char> buffer(ZEL_NUMBER_TEXT, 'x');
    ZelNumberText block{buffer.data(), "%.999f"};
    ASSERT_EQ(Ask(host, ZEL_CB_NUMBER_TO_TEXT, &value, &block), 0);
    EXPECT_EQ(std::string(buffer.data()).size(), static_cast<std::size_t>(ZEL_NUMBER_TEXT - 1));
    ZelNumberText noText{nullptr, "*"};
    EXPECT_EQ(Ask(host, ZEL_CB_NUMBER_TO_TEXT, nullptr, &block), 1);
    EXPECT_EQ(Ask(host, ZEL_CB_NUMBER_TO_TEXT, &value, nullptr), 1);
    EXPECT_EQ(Ask(host, ZEL_CB_NUMBER_TO_TEXT, &value, &noText), 1);
}

}  // namespace
}  // namespace tavrel::testing
