// The host's side of the callback where the module's wrappers do not show
// it: loading, handle routing, printing, string variables, the separator
// check, number texts and block requests.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "Tavrel.h"
#include "support/Printing.h"

namespace tavrel::testing {
namespace {

using zeltest::Quoted;

int32_t ZEL_CDECL NoModule(uint32_t, const char*, char*, void*, ZelHostCallback, int32_t) {
    return ZEL_RESULT_NOT_FOUND;
}

// A callback request on the host's own handle; arg and out are pointers,
// null or integers.
template <typename T>
intptr_t Word(T word) {
    if constexpr (std::is_null_pointer_v<T>) return 0;
    if constexpr (std::is_pointer_v<T>) return reinterpret_cast<intptr_t>(word);
    if constexpr (std::is_integral_v<T>) return static_cast<intptr_t>(word);
}
template <typename A = std::nullptr_t, typename O = std::nullptr_t>
int32_t Ask(const Host& host, int32_t code, A arg = nullptr, O out = nullptr) {
    return Host::Callback(host.handle(), code, Word(arg), Word(out));
}

TEST(Loading, FailuresThrowTheLoadersText) {
    try {
        Host host("/nonexistent/libnothing.so");
        FAIL() << "loaded a module that does not exist";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("libnothing.so"), std::string::npos) << error.what();
    }
    // The C library is in every process and has no entry point.
#ifdef _WIN32
    EXPECT_THROW(Host("msvcrt.dll"), std::runtime_error);
#else
    EXPECT_THROW(Host("libc.so.6"), std::runtime_error);
#endif
}

// Each handle reaches its own host: a host's requests and its worksheet's
// rows change nothing of another. A worksheet handle carries the row request
// only; handles of a gone host, and handle 0, answer each code's refusal.
TEST(Routing, HandlesReachTheirOwnHostAndAGoneHostsHandlesAreRefused) {
    Host first{NoModule};
    Worksheet& a = first.CreateWorksheet("Sheet", 1);
    double one = 1.0;
    ZelRowDescriptor row{ZEL_ROW_TAG, 1, 1, 0, 0, &one};
    uint32_t gone = 0;
    uint32_t goneSheet = 0;
    {
        Host second{NoModule};
        Worksheet& b = second.CreateWorksheet("Sheet", 1);
        EXPECT_EQ(Ask(second, ZEL_CB_SET_STRING_VAR, "two", 0), 0);
        EXPECT_EQ(Host::Callback(b.handle(), ZEL_CB_ROW, Word(&row), 0), 0);
        EXPECT_EQ(Ask(second, ZEL_CB_UPDATE), 0);
        EXPECT_EQ(second.Variable('a'), "two");
        EXPECT_EQ(b.column(1)->dataset().number(0), 1.0);
        gone = second.handle();
        goneSheet = b.handle();
    }
    EXPECT_EQ(first.Variable('A'), "");
    EXPECT_EQ(a.column(1)->dataset().size(), 0u);
    EXPECT_EQ(Host::Callback(a.handle(), ZEL_CB_UPDATE, 0, 0), 1);
    EXPECT_EQ(first.updateCount(), 0);
    ZelLocator locator{};
    EXPECT_EQ(Host::Callback(gone, ZEL_CB_UPDATE, 0, 0), 1);
    EXPECT_EQ(Host::Callback(goneSheet, ZEL_CB_ROW, Word(&row), 0), 1);
    EXPECT_EQ(Host::Callback(0, ZEL_CB_PRINT, Word("x"), 0), 1);
    EXPECT_EQ(Host::Callback(gone, ZEL_CB_DATASET_BY_NAME, Word("A"), Word(&locator)), 0);
    EXPECT_EQ(Host::Callback(gone, ZEL_CB_CHECK_SEPARATOR, Word(","), 0), -1);
}

class HostRequests : public ::testing::Test {
protected:
    Host host{NoModule};
    Dataset& numbers = host.CreateDataset("n");
    Dataset& texts = host.CreateDataset("t", true);
};

// A listener that throws fails the print, but nothing crosses the callback.
// A variable is stored whole and fetched cut to its buffer, which has
// exactly its interface size on the heap: one byte more would be caught.
TEST_F(HostRequests, PrintsAndStringVariables) {
    std::vector<std::string> seen;
    host.onPrint = [&seen](const std::string& line) { seen.push_back(line); };
    EXPECT_EQ(Ask(host, ZEL_CB_PRINT, "first"), 0);
    host.onPrint = [](const std::string&) { throw std::runtime_error("listener failed"); };
    EXPECT_EQ(Ask(host, ZEL_CB_PRINT, "second"), 1);
    EXPECT_EQ(seen, std::vector<std::string>{"first"});
    EXPECT_EQ(host.lines(), (std::vector<std::string>{"first", "second"}));

    const std::string longText(1000, 'q');
    EXPECT_EQ(Ask(host, ZEL_CB_SET_STRING_VAR, longText.c_str(), 25), 0);
    EXPECT_EQ(host.Variable('z'), longText);
    std::vector<char> buffer(ZEL_TEXT_BUFFER, 'x');
    ASSERT_EQ(Ask(host, ZEL_CB_GET_STRING_VAR, buffer.data(), 25), 0);
    EXPECT_EQ(std::string(buffer.data()), std::string(ZEL_TEXT_BUFFER - 1, 'q'));
    EXPECT_THROW(host.Variable('1'), std::invalid_argument);
}

TEST_F(HostRequests, SeparatorsThatMakeNumbersAmbiguousAreRefused) {
    for (const char* text : {",", "\t", " ", "|more"}) EXPECT_EQ(Ask(host, ZEL_CB_CHECK_SEPARATOR, text), 0) << text;
    for (const char* text : {"", "0", "9", ".", "+", "-", "e", "E"}) {
        EXPECT_EQ(Ask(host, ZEL_CB_CHECK_SEPARATOR, text), -1) << text;
    }
}

TEST_F(HostRequests, TextToNumberConvertsOnlyDecimalNumbers) {
    const struct {
        const char* text;
        bool isNumber;
        double value;
    } cases[] = {{"42", true, 42},      {"-3.5", true, -3.5}, {"+7", true, 7},   {"  12.25 ", true, 12.25},
                 {"\t1e3", true, 1000}, {".5", true, 0.5},    {"5.", true, 5},   {"1.5E-2", true, 0.015},
                 {"-0", true, -0.0},    {"4.9e-324", true, 4.9e-324},          {"-1e-400", true, -0.0},
                 {"", false, 0},        {"  ", false, 0},     {"abc", false, 0}, {"1,5", false, 0},
                 {"12abc", false, 0},   {"1e", false, 0},     {".", false, 0},   {"+-1", false, 0},
                 {"inf", false, 0},     {"nan", false, 0},    {"0x10", false, 0}, {"1 2", false, 0},
                 {"1e400", false, 0}};
    for (const auto& c : cases) {
        double value = 4711.0;
        EXPECT_EQ(Ask(host, ZEL_CB_TEXT_TO_NUMBER, c.text, &value), c.isNumber ? 1 : 0) << Quoted(c.text);
        EXPECT_EQ(value, c.isNumber ? c.value : 4711.0) << Quoted(c.text);  // a refusal leaves the double alone
        EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << Quoted(c.text);
    }
}

// The module asks for the host's own text (format "*").
TEST_F(HostRequests, NumberToTextWritesTheHostsText) {
    const std::pair<double, const char*> cases[] = {
        {0.1, "0.1"},         {-2.5, "-2.5"},         {1e21, "1e+21"},     {1e7, "10000000"},
        {-5e15, "-5000000000000000"}, {1e16, "1e+16"}, {1.5e7, "15000000"}, {1.5e-7, "1.5e-07"},
        {1.0 / 3, "0.3333333333333333"}, {ZEL_MISSING_VALUE, "--"}};
    for (const auto& [value, text] : cases) {
        std::vector<char> buffer(ZEL_NUMBER_TEXT, '\0');
        ZelNumberText block{buffer.data(), "*"};
        EXPECT_EQ(Ask(host, ZEL_CB_NUMBER_TO_TEXT, &value, &block), 0) << value;
        EXPECT_STREQ(buffer.data(), text) << value;
    }
}

// Block stores and fetches, in order: what the host does with each, and
// where it stops. Texts stop at the first the dataset refuses.
TEST_F(HostRequests, BlocksStoreAndFetchAsCellRequestsWouldUntilTheFirstRefusal) {
    ASSERT_TRUE(texts.setText(1, "word"));
    const uint32_t t = texts.handle(), n = numbers.handle();
    const int32_t last = static_cast<int32_t>(Dataset::kMaxCells) - 2;
    constexpr int32_t kText = ZEL_CB_BLOCK_SET_TEXT, kSet = ZEL_CB_BLOCK_SET, kGet = ZEL_CB_BLOCK_GET;
    const struct {
        int32_t code;
        uint32_t dataset;
        int32_t first, count;
        bool cells;
        int32_t answer, done;
    } cases[] = {{kText, t, 10, 2, true, 0, 2},   {kText, t, 20, 3, true, 1, 2},  {kText, n, 0, 2, true, 1, 0},
                 {kText, t, last, 4, true, 1, 2}, {kText, t, 0, 2, false, 1, -7}, {kText, t, 0, 0, true, 1, -7},
                 {kSet, t, 0, 4, true, 0, 4},      {kGet, t, 0, 6, true, 0, 6},    {kSet, t, last, 4, true, 1, 2},
                 {kSet, t, last + 2, 1, true, 1, 0}, {kSet, t, -1, 2, true, 1, -7}, {kGet, t, 0, 0, true, 1, -7},
                 {kGet, t, 2147483640, 9, true, 1, -7}, {kSet, t, 0, 2, false, 1, -7}};
    for (const auto& c : cases) {
        double values[6] = {1.5, ZEL_MISSING_VALUE, -2.0, 8.0, 99.0, 99.0};
        const char* words[3] = {"a", "b", nullptr};
        ZelBlock block{c.first, c.count, -7, 0, c.cells ? values : nullptr};
        ZelTextBlock textBlock{c.first, c.count, -7, 0, c.cells ? words : nullptr};
        const bool text = c.code == kText;
        EXPECT_EQ(text ? Ask(host, c.code, c.dataset, &textBlock) : Ask(host, c.code, c.dataset, &block), c.answer)
            << c.code << " " << c.first;
        EXPECT_EQ(text ? textBlock.done : block.done, c.done) << c.code << " " << c.first;
    }
    EXPECT_EQ(texts.text(11), "b");
    EXPECT_EQ(texts.text(20), "a");
    EXPECT_EQ(texts.kind(22), CellKind::Empty);
    EXPECT_EQ(numbers.size(), 0u);
    // The number stores replaced texts: the missing value empties a cell;
    // the fetch answers the missing value past the cells held.
    EXPECT_EQ(texts.text(1), "");
    EXPECT_EQ(texts.number(static_cast<std::size_t>(last)), 1.5);
    EXPECT_EQ(texts.kind(static_cast<std::size_t>(last) + 1), CellKind::Empty);
    double fetched[6] = {};
    ZelBlock fetch{0, 6, 0, 0, fetched};
    ASSERT_EQ(Ask(host, kGet, t, &fetch), 0);
    EXPECT_EQ(std::vector<double>(fetched, fetched + 6),
              (std::vector<double>{1.5, ZEL_MISSING_VALUE, -2.0, 8.0, ZEL_MISSING_VALUE, ZEL_MISSING_VALUE}));

    // An older host: no probe answer, no blocks.
    host.servesBlocks = false;
    ZelBlockProbe probe{0, 0};
    EXPECT_EQ(Ask(host, ZEL_CB_BLOCK_PROBE, 0, &probe), 1);
    EXPECT_EQ(probe.magic, 0u);
    EXPECT_EQ(Ask(host, kSet, t, &fetch), 1);
    host.servesBlocks = true;
    EXPECT_EQ(Ask(host, ZEL_CB_BLOCK_PROBE, 0, &probe), 0);
    EXPECT_EQ(probe.magic, ZEL_BLOCK_MAGIC);
    EXPECT_EQ(probe.version, ZEL_BLOCK_VERSION);
}

}  // namespace
}  // namespace tavrel::testing
