// Number texts through the callback: 0x101C (text to number) and 0x103A
// (number to text).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "HostTesting.h"
#include "support/Printing.h"

namespace tavrel::testing {
namespace {

struct TextCase {
    const char* text;
    bool isNumber;
    double value;
};

void PrintTo(const TextCase& c, std::ostream* out) {
    *out << zeltest::Quoted(c.text);
    if (c.isNumber) {
        *out << " reads as " << zeltest::NumberText(c.value);
    } else {
        *out << " is no number";
    }
}

class TextToNumber : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextToNumber, ConvertsOnlyDecimalNumbers) {
    Host host{NoModule};
    const TextCase& c = GetParam();
    double value = 4711.0;
    EXPECT_EQ(Ask(host, ZEL_CB_TEXT_TO_NUMBER, c.text, &value), c.isNumber ? 1 : 0);
    EXPECT_EQ(value, c.isNumber ? c.value : 4711.0);  // a refusal leaves the double alone
    EXPECT_EQ(std::signbit(value), std::signbit(c.value));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextToNumber,
    ::testing::Values(TextCase{"42", true, 42}, TextCase{"-3.5", true, -3.5}, TextCase{"+7", true, 7},
                      TextCase{"  12.25 ", true, 12.25}, TextCase{"\t1e3", true, 1000},
                      TextCase{".5", true, 0.5}, TextCase{"5.", true, 5}, TextCase{"1.5E-2", true, 0.015},
                      TextCase{"-0", true, -0.0}, TextCase{"4.9e-324", true, 4.9e-324},
                      TextCase{"-1e-400", true, -0.0}, TextCase{"", false, 0}, TextCase{"  ", false, 0},
                      TextCase{"abc", false, 0}, TextCase{"1,5", false, 0}, TextCase{"12abc", false, 0},
                      TextCase{"1e", false, 0}, TextCase{".", false, 0}, TextCase{"+-1", false, 0},
                      TextCase{"inf", false, 0}, TextCase{"nan", false, 0}, TextCase{"0x10", false, 0},
                      TextCase{"1 2", false, 0}, TextCase{"1e400", false, 0}, TextCase{nullptr, false, 0}));

struct NumberCase {
    double value;
    const char* format;
    int32_t answer;
    const char* text;
};

void PrintTo(const NumberCase& c, std::ostream* out) {
    *out << zeltest::NumberText(c.value) << " in format " << zeltest::Quoted(c.format) << ": answer "
         << c.answer << ", text " << zeltest::Quoted(c.text);
}

class NumberToText : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberToText, WritesTheHostText) {
    Host host{NoModule};
    const NumberCase& c = GetParam();
    std::vector<char> buffer(ZEL_NUMBER_TEXT, '\0');
    ZelNumberText block{buffer.data(), c.format};
    EXPECT_EQ(Ask(host, ZEL_CB_NUMBER_TO_TEXT, &c.value, &block), c.answer);
    EXPECT_STREQ(buffer.data(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, NumberToText,
    ::testing::Values(NumberCase{0.1, "*", 0, "0.1"}, NumberCase{-2.5, nullptr, 0, "-2.5"},
                      NumberCase{1e21, "", 0, "1e+21"}, NumberCase{1e7, "", 0, "10000000"},
                      NumberCase{-5e15, "", 0, "-5000000000000000"}, NumberCase{1e16, "", 0, "1e+16"},
                      NumberCase{1.5e7, "", 0, "15000000"}, NumberCase{1.5e-7, "", 0, "1.5e-07"}, NumberCase{1.0 / 3, "*", 0, "0.3333333333333333"},
                      NumberCase{ZEL_MISSING_VALUE, "*", 0, "--"}, NumberCase{ZEL_MISSING_VALUE, "%.3f", 0, "--"},
                      NumberCase{3.14159, "%.2f", 0, "3.14"}, NumberCase{1234.5, "x=%9.1e;", 0, "x=  1.2e+03;"},
                      NumberCase{50, "%g%%", 0, "50%"}, NumberCase{1, "%s", 1, ""}, NumberCase{1, "%d", 1, ""},
                      NumberCase{1, "%f %f", 1, ""}, NumberCase{1, "plain", 1, ""}, NumberCase{1, "%n", 1, ""},
                      NumberCase{1, "%1000f", 1, ""}));

TEST(NumberToTextBounds, LongTextsStayInsideTheBufferAndNullsAreRefused) {
    Host host{NoModule};
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
