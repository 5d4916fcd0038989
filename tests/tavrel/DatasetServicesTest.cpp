// Dataset requests of the callback, made as the module's dataset wrapper
// makes them.
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
    // Text get (0x3446) or format (0x3448) into an exact 260-byte heap buffer.
    int32_t Text(int32_t code, uint32_t handle, int32_t index, std::string& text) {
        std::vector<char> buffer(ZEL_TEXT_BUFFER, 'x');
        ZelIndexedBuffer get{index, buffer.data()};
        ZelFormatCell format{&index, buffer.data()};
        const int32_t answer = code == ZEL_CB_TEXT_GET ? Ask(host, code, handle, &get) : Ask(host, code, handle, &format);
        text = buffer.data();
        return answer;
    }

    Host host{NoModule};
};

TEST_F(DatasetServices, LookupsByNameColumnAndColumnName) {
    Dataset& data = host.CreateDataset("Signal");
    ASSERT_TRUE(data.resize(7));
    Worksheet& sheet = host.CreateWorksheet("Book1", 3);
    ASSERT_TRUE(sheet.column(2)->dataset().resize(4));
    const auto column = static_cast<int32_t>(sheet.column(2)->dataset().handle());
    const char* b = "b";
    const char* q = "Q";
    struct Case {
        int32_t code;
        const char* name;
        intptr_t key;
        int32_t handle;
        int32_t upper;
    };
    for (const Case& c : {Case{ZEL_CB_DATASET_BY_NAME, "SIGNAL", 0, static_cast<int32_t>(data.handle()), 7},
                          Case{ZEL_CB_DATASET_BY_NAME, "book1_b", 0, column, 4},
                          Case{ZEL_CB_DATASET_BY_COLUMN, "book1", 2, column, 4},
                          Case{ZEL_CB_DATASET_BY_COLUMN_NAME, "BOOK1", Word(b), column, 4},
                          Case{ZEL_CB_DATASET_BY_NAME, "Signals", 0, 0, -5},
                          Case{ZEL_CB_DATASET_BY_NAME, "", 0, 0, -5},
                          Case{ZEL_CB_DATASET_BY_NAME, nullptr, 0, 0, -5},
                          Case{ZEL_CB_DATASET_BY_COLUMN, "Book1", 0, 0, -5},
                          Case{ZEL_CB_DATASET_BY_COLUMN, "Book1", 4, 0, -5},
                          Case{ZEL_CB_DATASET_BY_COLUMN, "Book2", 1, 0, -5},
                          Case{ZEL_CB_DATASET_BY_COLUMN_NAME, "Book1", Word(q), 0, -5},
                          Case{ZEL_CB_DATASET_BY_COLUMN_NAME, "Book1", 0, 0, -5}}) {
        ZelLocator locator{c.key, 0, -5, -5};
        EXPECT_EQ(Locate(host, c.code, c.name, locator), c.handle) << c.code << " " << (c.name ? c.name : "");
        EXPECT_EQ(locator.lower, c.handle != 0 ? 0 : -5);
        EXPECT_EQ(locator.upper, c.upper);
    }
    EXPECT_EQ(Ask(host, ZEL_CB_DATASET_BY_NAME, "Signal", nullptr), 0);
}

TEST_F(DatasetServices, StoresBeyondTheExtentWaitForTheSetRange) {
    Dataset& data = host.CreateDataset("d");
    ASSERT_TRUE(data.resize(5));
    for (int32_t i = 0; i < 10; ++i) ASSERT_EQ(Set(data.handle(), i, i * 1.5), 0) << i;
    double value = 0.0;
    EXPECT_EQ(data.upper(), 5);  // stores alone never move the extent
    EXPECT_EQ(Get(data.handle(), 8, value, ZEL_CB_VALUE_GET_ALT2), 0);
    EXPECT_EQ(value, 12.0);
    EXPECT_EQ(data.setRangeCount(), 0);

    ASSERT_EQ(SetRange(data.handle(), 0, 10), 0);
    ZelLocator locator{};
    EXPECT_EQ(Locate(host, ZEL_CB_DATASET_BY_NAME, "d", locator), static_cast<int32_t>(data.handle()));
    EXPECT_EQ(locator.upper, 10);
    ZelLocator clip{100, 100, 7, 8};
    EXPECT_EQ(Ask(host, ZEL_CB_CLIP, data.handle(), &clip), 0);
    EXPECT_EQ(clip.key, 0);
    EXPECT_EQ(clip.word1, 10);

    // A shorter range drops the cells beyond it; a longer one adds empty ones.
    ASSERT_EQ(SetRange(data.handle(), 0, 3), 0);
    ASSERT_EQ(SetRange(data.handle(), 0, 6), 0);
    EXPECT_EQ(Get(data.handle(), 4, value), 1);
    EXPECT_EQ(Get(data.handle(), 2, value, ZEL_CB_VALUE_GET_ALT4), 0);
    EXPECT_EQ(value, 3.0);
    for (auto [lower, upper] : {std::pair{-1, 3}, std::pair{3, 2}, std::pair{0, -1},
                                std::pair{0, static_cast<int32_t>(Dataset::kMaxCells) + 1}}) {
        EXPECT_EQ(SetRange(data.handle(), lower, upper), 1) << lower << " " << upper;
    }
    EXPECT_EQ(data.upper(), 6);
    EXPECT_EQ(data.setRangeCount(), 7);
    EXPECT_EQ(data.lastTypeCode(), 0x8002);
}

TEST_F(DatasetServices, ValueRequestsRefuseWhatTheyCannotServe) {
    Dataset& data = host.CreateDataset("d");
    ASSERT_TRUE(data.resize(3));
    ASSERT_EQ(Set(data.handle(), 0, 4.0, ZEL_CB_VALUE_SET_ALT4), 0);
    ASSERT_EQ(Set(data.handle(), 2, 5.0, ZEL_CB_VALUE_SET_ALT2), 0);
    ASSERT_EQ(Set(data.handle(), 2, ZEL_MISSING_VALUE), 0);  // stores an empty cell
    double value = 0.0;
    for (auto [handle, index] : {std::pair{data.handle(), 1}, std::pair{data.handle(), 2},
                                 std::pair{data.handle(), 3}, std::pair{data.handle(), -1},
                                 std::pair{data.handle() + 1000, 0}, std::pair{0u, 0}}) {
        EXPECT_NE(Get(handle, index, value), 0) << handle << " " << index;
        EXPECT_EQ(value, -99.0);
    }
    EXPECT_EQ(Set(data.handle(), -1, 1.0), 1);
    EXPECT_EQ(Set(data.handle(), static_cast<int32_t>(Dataset::kMaxCells), 1.0), 1);
    EXPECT_EQ(Ask(host, ZEL_CB_VALUE_GET, data.handle(), nullptr), 1);
    EXPECT_EQ(Ask(host, ZEL_CB_VALUE_SET, data.handle(), nullptr), 1);
}

TEST_F(DatasetServices, TextCellsLiveInTextDatasetsAndAreCutTo259Characters) {
    Dataset& numbers = host.CreateDataset("n");
    Dataset& texts = host.CreateDataset("t", true);
    EXPECT_EQ(Ask(host, ZEL_CB_IS_TEXT, numbers.handle()), 0);
    EXPECT_NE(Ask(host, ZEL_CB_IS_TEXT, texts.handle()), 0);
    EXPECT_EQ(SetText(numbers.handle(), 0, "word"), 1);
    EXPECT_EQ(SetText(texts.handle(), 0, nullptr), 1);
    EXPECT_EQ(SetText(texts.handle(), -1, "word"), 1);

    const std::string longText(600, 'w');
    ASSERT_EQ(SetText(texts.handle(), 1, longText.c_str()), 0);
    ASSERT_EQ(Set(texts.handle(), 2, 2.5), 0);  // text datasets take numbers as well
    EXPECT_EQ(texts.text(1), longText);
    std::string text;
    EXPECT_EQ(Text(ZEL_CB_TEXT_GET, texts.handle(), 1, text), 0);
    EXPECT_EQ(text, std::string(ZEL_TEXT_BUFFER - 1, 'w'));
    EXPECT_EQ(Text(ZEL_CB_TEXT_GET, texts.handle(), 2, text), 0);
    EXPECT_EQ(text, "2.5");
    EXPECT_EQ(Text(ZEL_CB_TEXT_GET, texts.handle(), 3, text), 1);
    EXPECT_EQ(text, "");

    // Formatting serves numbers and empty cells, not texts.
    EXPECT_EQ(Text(ZEL_CB_FORMAT_CELL, texts.handle(), 2, text), 0);
    EXPECT_EQ(text, "2.5");
    EXPECT_EQ(Text(ZEL_CB_FORMAT_CELL, texts.handle(), 0, text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(Text(ZEL_CB_FORMAT_CELL, texts.handle(), 1, text), 1);
    EXPECT_EQ(text, "");
    EXPECT_EQ(Text(ZEL_CB_FORMAT_CELL, texts.handle(), 9, text), 1);
    ZelFormatCell noIndex{nullptr, nullptr};
    EXPECT_EQ(Ask(host, ZEL_CB_FORMAT_CELL, texts.handle(), &noIndex), 1);
}

TEST_F(DatasetServices, CreateNamedReplacesFreeDatasetsButNotColumns) {
    const uint32_t oldHandle = host.CreateDataset("Result").handle();
    host.CreateWorksheet("Book1", 1);
    char name[ZEL_DATASET_NAME] = "RESULT";
    char columnName[ZEL_DATASET_NAME] = "Book1_A";
    ZelDatasetSize size{6, 0};
    ZelDatasetSize negative{-1, 0};
    const int32_t handle = Ask(host, ZEL_CB_DATASET_CREATE, &size, name);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(host.FindDataset(oldHandle), nullptr);
    ASSERT_NE(host.FindDataset("result"), nullptr);
    EXPECT_EQ(host.FindDataset("result")->handle(), static_cast<uint32_t>(handle));
    EXPECT_EQ(host.FindDataset("result")->upper(), 6);

    EXPECT_EQ(Ask(host, ZEL_CB_DATASET_CREATE, &size, columnName), 0);
    EXPECT_EQ(Ask(host, ZEL_CB_DATASET_CREATE, &negative, name), 0);
    EXPECT_EQ(Ask(host, ZEL_CB_DATASET_CREATE, nullptr, name), 0);
    EXPECT_EQ(Ask(host, ZEL_CB_DATASET_CREATE, &size, nullptr), 0);
    EXPECT_EQ(host.FindDataset("result")->handle(), static_cast<uint32_t>(handle));
}

TEST_F(DatasetServices, CreateNamedReadsTheNameBufferOnlyAndNamesUnnamedOnes) {
    std::vector<char> unterminated(ZEL_DATASET_NAME, 'N');
    std::vector<char> empty(ZEL_DATASET_NAME, '\0');
    ZelDatasetSize size{0, 0};
    host.CreateDataset("Data1");
    ASSERT_GT(Ask(host, ZEL_CB_DATASET_CREATE, &size, unterminated.data()), 0);
    EXPECT_NE(host.FindDataset(std::string(ZEL_DATASET_NAME - 1, 'N')), nullptr);
    const int32_t handle = Ask(host, ZEL_CB_DATASET_CREATE, &size, empty.data());
    EXPECT_STREQ(empty.data(), "Data2");
    EXPECT_EQ(host.FindDataset("Data2")->handle(), static_cast<uint32_t>(handle));
}

TEST_F(DatasetServices, TemporariesAreCreatedAndReleasedButColumnsAreNot) {
    const int32_t handle = Ask(host, ZEL_CB_TEMP_CREATE);
    ASSERT_GT(handle, 0);
    ASSERT_EQ(Set(static_cast<uint32_t>(handle), 0, 1.0), 0);
    EXPECT_EQ(Ask(host, ZEL_CB_TEMP_RELEASE, handle), 0);
    EXPECT_EQ(Set(static_cast<uint32_t>(handle), 0, 1.0), 1);
    EXPECT_EQ(Ask(host, ZEL_CB_TEMP_RELEASE, handle), 1);
    Worksheet& sheet = host.CreateWorksheet("W", 1);
    EXPECT_EQ(Ask(host, ZEL_CB_TEMP_RELEASE, sheet.column(1)->dataset().handle()), 1);
    EXPECT_NE(host.FindDataset("W_A"), nullptr);
}

// Block stores and fetches: what the host does with each, and where it stops.
TEST_F(DatasetServices, BlocksStoreAndFetchAsCellRequestsWouldUntilTheFirstRefusal) {
    Dataset& data = host.CreateDataset("t", true);
    ASSERT_EQ(SetText(data.handle(), 1, "word"), 0);
    const int32_t last = static_cast<int32_t>(Dataset::kMaxCells) - 2;
    struct Case {
        int32_t code;
        int32_t first;
        int32_t count;
        bool values;
        int32_t answer;
        int32_t done;
    };
    for (const Case& c : {Case{ZEL_CB_BLOCK_SET, 0, 4, true, 0, 4}, Case{ZEL_CB_BLOCK_GET, 0, 6, true, 0, 6},
                          Case{ZEL_CB_BLOCK_SET, last, 4, true, 1, 2}, Case{ZEL_CB_BLOCK_SET, last + 2, 1, true, 1, 0},
                          Case{ZEL_CB_BLOCK_SET, -1, 2, true, 1, -7}, Case{ZEL_CB_BLOCK_GET, 0, 0, true, 1, -7},
                          Case{ZEL_CB_BLOCK_GET, 2147483640, 9, true, 1, -7},
                          Case{ZEL_CB_BLOCK_SET, 0, 2, false, 1, -7}}) {
        double values[6] = {1.5, ZEL_MISSING_VALUE, -2.0, 8.0, 99.0, 99.0};
        ZelBlock block{c.first, c.count, -7, 0, c.values ? values : nullptr};
        EXPECT_EQ(Ask(host, c.code, data.handle(), &block), c.answer) << c.code << " " << c.first;
        EXPECT_EQ(block.done, c.done) << c.code << " " << c.first;
    }
    // The first store emptied cell 1 (its text gone) and held the rest; the
    // fetch answered the missing value past the cells held.
    EXPECT_EQ(data.kind(1), CellKind::Empty);
    EXPECT_EQ(data.text(1), "");
    EXPECT_EQ(data.number(3), 8.0);
    double fetched[6] = {};
    ZelBlock fetch{0, 6, 0, 0, fetched};
    ASSERT_EQ(Ask(host, ZEL_CB_BLOCK_GET, data.handle(), &fetch), 0);
    EXPECT_EQ(fetched[0], 1.5);
    EXPECT_EQ(fetched[1], ZEL_MISSING_VALUE);
    EXPECT_EQ(fetched[3], 8.0);
    EXPECT_EQ(fetched[5], ZEL_MISSING_VALUE);
    EXPECT_EQ(data.number(static_cast<std::size_t>(last)), 1.5);
    EXPECT_EQ(data.kind(static_cast<std::size_t>(last) + 1), CellKind::Empty);
    // Texts: stored in order up to the first the dataset refuses.
    Dataset& numbers = host.CreateDataset("n");
    struct TextCase {
        uint32_t dataset;
        int32_t first;
        int32_t count;
        bool texts;
        int32_t answer;
        int32_t done;
    };
    const char* texts[3] = {"a", "b", nullptr};
    for (const TextCase& c : {TextCase{data.handle(), 10, 2, true, 0, 2}, TextCase{data.handle(), 20, 3, true, 1, 2},
                              TextCase{numbers.handle(), 0, 2, true, 1, 0},
                              TextCase{data.handle(), last, 4, true, 1, 2},
                              TextCase{data.handle(), 0, 2, false, 1, -7}, TextCase{data.handle(), 0, 0, true, 1, -7}}) {
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

class NotServedDatasetCode : public ::testing::TestWithParam<int32_t> {};

TEST_P(NotServedDatasetCode, AnswersOneAndChangesNothing) {
    Host host{NoModule};
    Dataset& data = host.CreateDataset("d");
    ASSERT_TRUE(data.resize(2));
    ASSERT_TRUE(data.set(0, 3.0));
    ZelIndexedPair block{0, 0, 1.0, 2.0};
    EXPECT_EQ(Ask(host, GetParam(), data.handle(), &block), 1);
    EXPECT_EQ(data.number(0), 3.0);
    EXPECT_EQ(data.upper(), 2);
}

INSTANTIATE_TEST_SUITE_P(Codes, NotServedDatasetCode,
                         ::testing::Values(ZEL_CB_PAIR_GET, ZEL_CB_PAIR_SET, ZEL_CB_LOOKUP, ZEL_CB_INDEX_PAIR,
                                           ZEL_CB_MARK_SET));

}  // namespace
}  // namespace tavrel::testing
