// Dataset requests of the callback past what the module's wrapper tests
// reach: cells past the extent, refusals, text cells and blocks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostTesting.h"

namespace tavrel::testing {
namespace {

class DatasetServices : public ::testing::Test {
protected:
    int32_t Get(uint32_t handle, int32_t index, double& value, int32_t code = ZEL_CB_VALUE_GET) {
        ZelIndexedValue block{index, 0, -99.0};
        const int32_t answer = Ask(host, code, handle, &block);
        value = block.value;
        return answer;
    }
    int32_t Set(uint32_t handle, int32_t index, double value, int32_t code = ZEL_CB_VALUE_SET) {
        ZelIndexedValue block{index, 0, value};
        return Ask(host, code, handle, &block);
    }
    int32_t SetRange(uint32_t handle, int32_t lower, int32_t upper) {
        ZelRange range{lower, upper, 0x8002};
        return Ask(host, ZEL_CB_SET_RANGE, handle, &range);
    }
    int32_t SetText(uint32_t handle, int32_t index, const char* text) {
        ZelIndexedText block{index, text};
        return Ask(host, ZEL_CB_TEXT_SET, handle, &block);
    }
    // Text get or format into an exact 260-byte heap buffer.
    int32_t Text(int32_t code, uint32_t handle, int32_t index, std::string& text) {
        std::vector<char> buffer(ZEL_TEXT_BUFFER, 'x');
        ZelIndexedBuffer get{index, buffer.data()};
        ZelFormatCell format{&index, buffer.data()};
        const int32_t answer =
            code == ZEL_CB_TEXT_GET ? Ask(host, code, handle, &get) : Ask(host, code, handle, &format);
        text = buffer.data();
        return answer;
    }

    Host host{NoModule};
};

TEST_F(DatasetServices, CellsAndExtentsAndWhatTheyRefuse) {
    Dataset& data = host.CreateDataset("d");
    const uint32_t h = data.handle();
    ASSERT_TRUE(data.resize(5));
    const int32_t setCodes[] = {ZEL_CB_VALUE_SET, ZEL_CB_VALUE_SET_ALT2, ZEL_CB_VALUE_SET_ALT4};
    for (int32_t i = 0; i < 10; ++i) ASSERT_EQ(Set(h, i, i * 1.5, setCodes[i % 3]), 0) << i;
    EXPECT_EQ(data.upper(), 5);  // stores alone never move the extent
    double value = 0.0;
    EXPECT_EQ(Get(h, 8, value, ZEL_CB_VALUE_GET_ALT2), 0);
    EXPECT_EQ(value, 12.0);
    // A shorter range drops the cells beyond it; a longer one adds empty ones.
    ASSERT_EQ(SetRange(h, 0, 3), 0);
    ASSERT_EQ(SetRange(h, 0, 6), 0);
    EXPECT_EQ(Get(h, 2, value, ZEL_CB_VALUE_GET_ALT4), 0);
    EXPECT_EQ(value, 3.0);
    for (auto [lower, upper] : {std::pair{-1, 3}, std::pair{3, 2}, std::pair{0, -1},
                                std::pair{0, static_cast<int32_t>(Dataset::kMaxCells) + 1}}) {
        EXPECT_EQ(SetRange(h, lower, upper), 1) << lower << " " << upper;
    }
    EXPECT_EQ(data.upper(), 6);
    EXPECT_EQ(data.setRangeCount(), 6);  // refused ones are counted too

    ASSERT_EQ(Set(h, 1, ZEL_MISSING_VALUE), 0);  // stores an empty cell
    for (auto [handle, index] : {std::pair{h, 1}, std::pair{h, 4}, std::pair{h, 6}, std::pair{h, -1},
                                 std::pair{h + 1000, 0}, std::pair{0u, 0}}) {
        EXPECT_NE(Get(handle, index, value), 0) << handle << " " << index;
        EXPECT_EQ(value, -99.0);
    }
    EXPECT_EQ(Set(h, -1, 1.0), 1);
    EXPECT_EQ(Set(h, static_cast<int32_t>(Dataset::kMaxCells), 1.0), 1);
    EXPECT_EQ(Ask(host, ZEL_CB_VALUE_GET, h, nullptr), 1);
    EXPECT_EQ(Ask(host, ZEL_CB_VALUE_SET, h, nullptr), 1);
}

TEST_F(DatasetServices, TextCellsLiveInTextDatasetsAndAreCutTo259Characters) {
    Dataset& numbers = host.CreateDataset("n");
    Dataset& texts = host.CreateDataset("t", true);
    const uint32_t h = texts.handle();
    EXPECT_EQ(Ask(host, ZEL_CB_IS_TEXT, numbers.handle()), 0);
    EXPECT_NE(Ask(host, ZEL_CB_IS_TEXT, h), 0);
    EXPECT_EQ(SetText(numbers.handle(), 0, "word"), 1);
    EXPECT_EQ(SetText(h, 0, nullptr), 1);
    EXPECT_EQ(SetText(h, -1, "word"), 1);

    const std::string longText(600, 'w');
    ASSERT_EQ(SetText(h, 1, longText.c_str()), 0);
    ASSERT_EQ(Set(h, 2, 2.5), 0);  // text datasets take numbers as well
    EXPECT_EQ(texts.text(1), longText);
    // Gets and formats: {code, index, answer, text}. Formatting serves
    // numbers and empty cells, not texts.
    const struct {
        int32_t code;
        int32_t index;
        int32_t answer;
        std::string text;
    } cases[] = {{ZEL_CB_TEXT_GET, 1, 0, std::string(ZEL_TEXT_BUFFER - 1, 'w')}, {ZEL_CB_TEXT_GET, 2, 0, "2.5"},
                 {ZEL_CB_TEXT_GET, 3, 1, ""},    {ZEL_CB_FORMAT_CELL, 2, 0, "2.5"}, {ZEL_CB_FORMAT_CELL, 0, 0, ""},
                 {ZEL_CB_FORMAT_CELL, 1, 1, ""}, {ZEL_CB_FORMAT_CELL, 9, 1, ""}};
    for (const auto& c : cases) {
        std::string text;
        EXPECT_EQ(Text(c.code, h, c.index, text), c.answer) << c.code << " " << c.index;
        EXPECT_EQ(text, c.text) << c.code << " " << c.index;
    }
    ZelFormatCell noIndex{nullptr, nullptr};
    EXPECT_EQ(Ask(host, ZEL_CB_FORMAT_CELL, h, &noIndex), 1);
}

// Block stores and fetches: what the host does with each, and where it stops.
TEST_F(DatasetServices, BlocksStoreAndFetchAsCellRequestsWouldUntilTheFirstRefusal) {
    Dataset& data = host.CreateDataset("t", true);
    ASSERT_EQ(SetText(data.handle(), 1, "word"), 0);
    const int32_t last = static_cast<int32_t>(Dataset::kMaxCells) - 2;
    const struct {
        int32_t code;
        int32_t first;
        int32_t count;
        bool values;
        int32_t answer;
        int32_t done;
    } cases[] = {{ZEL_CB_BLOCK_SET, 0, 4, true, 0, 4},     {ZEL_CB_BLOCK_GET, 0, 6, true, 0, 6},
                 {ZEL_CB_BLOCK_SET, last, 4, true, 1, 2},  {ZEL_CB_BLOCK_SET, last + 2, 1, true, 1, 0},
                 {ZEL_CB_BLOCK_SET, -1, 2, true, 1, -7},   {ZEL_CB_BLOCK_GET, 0, 0, true, 1, -7},
                 {ZEL_CB_BLOCK_GET, 2147483640, 9, true, 1, -7}, {ZEL_CB_BLOCK_SET, 0, 2, false, 1, -7}};
    for (const auto& c : cases) {
        double values[6] = {1.5, ZEL_MISSING_VALUE, -2.0, 8.0, 99.0, 99.0};
        ZelBlock block{c.first, c.count, -7, 0, c.values ? values : nullptr};
        EXPECT_EQ(Ask(host, c.code, data.handle(), &block), c.answer) << c.code << " " << c.first;
        EXPECT_EQ(block.done, c.done) << c.code << " " << c.first;
    }
    // The first store emptied cell 1 (its text gone) and held the rest; the
    // fetch answers the missing value past the cells held.
    EXPECT_EQ(data.kind(1), CellKind::Empty);
    EXPECT_EQ(data.text(1), "");
    double fetched[6] = {};
    ZelBlock fetch{0, 6, 0, 0, fetched};
    ASSERT_EQ(Ask(host, ZEL_CB_BLOCK_GET, data.handle(), &fetch), 0);
    EXPECT_EQ(std::vector<double>(fetched, fetched + 6),
              (std::vector<double>{1.5, ZEL_MISSING_VALUE, -2.0, 8.0, ZEL_MISSING_VALUE, ZEL_MISSING_VALUE}));
    EXPECT_EQ(data.number(static_cast<std::size_t>(last)), 1.5);
    EXPECT_EQ(data.kind(static_cast<std::size_t>(last) + 1), CellKind::Empty);

    // Texts: stored in order up to the first the dataset refuses.
    Dataset& numbers = host.CreateDataset("n");
    const char* texts[3] = {"a", "b", nullptr};
    const struct {
        uint32_t dataset;
        int32_t first;
        int32_t count;
        bool texts;
        int32_t answer;
        int32_t done;
    } textCases[] = {{data.handle(), 10, 2, true, 0, 2},   {data.handle(), 20, 3, true, 1, 2},
                     {numbers.handle(), 0, 2, true, 1, 0}, {data.handle(), last, 4, true, 1, 2},
                     {data.handle(), 0, 2, false, 1, -7},  {data.handle(), 0, 0, true, 1, -7}};
    for (const auto& c : textCases) {
        ZelTextBlock block{c.first, c.count, -7, 0, c.texts ? texts : nullptr};
        EXPECT_EQ(Ask(host, ZEL_CB_BLOCK_SET_TEXT, c.dataset, &block), c.answer) << c.dataset << " " << c.first;
        EXPECT_EQ(block.done, c.done) << c.dataset << " " << c.first;
    }
    EXPECT_EQ(data.text(11), "b");
    EXPECT_EQ(data.text(20), "a");
    EXPECT_EQ(data.kind(22), CellKind::Empty);
    EXPECT_EQ(numbers.size(), 0u);

    // An older host: no probe answer, no blocks.
    host.servesBlocks = false;
    ZelBlockProbe probe{0, 0};
    EXPECT_EQ(Ask(host, ZEL_CB_BLOCK_PROBE, 0, &probe), 1);
    EXPECT_EQ(probe.magic, 0u);
    EXPECT_EQ(Ask(host, ZEL_CB_BLOCK_SET, data.handle(), &fetch), 1);
    host.servesBlocks = true;
    EXPECT_EQ(Ask(host, ZEL_CB_BLOCK_PROBE, 0, &probe), 0);
    EXPECT_EQ(probe.magic, ZEL_BLOCK_MAGIC);
    EXPECT_EQ(probe.version, ZEL_BLOCK_VERSION);
}

}  // namespace
}  // namespace tavrel::testing
