// Dataset wrappers against the stand-in host: the extent committed on
// destruction, refused stores, detached wrappers, columns by number and
// name, names, text cells and the extents the host keeps.
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "DataTesting.h"
#include "data/MoData.h"
#include "props/MoString.h"

namespace datatest {
namespace {

using zel::Column;
using zel::DataRole;
using zel::kMissingValue;
using zel::MoData;
using zel::MoTextData;
using zel::StringRole;
using Ranges_ = std::vector<std::pair<int32_t, int32_t>>;
constexpr auto kMaxCells = static_cast<int32_t>(tavrel::Dataset::kMaxCells);

class DataTest : public HostTest {
protected:
    // A numeric dataset of n cells holding 10, 11, ...
    tavrel::Dataset& Numbers(const std::string& name, int n) {
        tavrel::Dataset& data = host.CreateDataset(name);
        EXPECT_TRUE(data.resize(n));
        for (int i = 0; i < n; ++i) data.set(static_cast<size_t>(i), 10.0 + i);
        return data;
    }
    const zel::MoString sheet{"Sheet"};
};

// Stores through a wrapper of a dataset of 5 cells, and the set-range
// requests its destruction sends: one, when it stored or grew the dataset.
TEST_F(DataTest, CommitOnDestructionPublishesTheExtentOnceWhenStoredOrGrown) {
    const std::pair<std::vector<int32_t>, Ranges_> cases[] = {
        {{}, {}}, {{2}, {{0, 5}}}, {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {{0, 10}}}, {{9, 3}, {{0, 10}}}};
    for (const auto& [stores, ranges] : cases) {
        SCOPED_TRACE(::testing::PrintToString(stores));
        requests.clear();
        tavrel::Dataset& data = Numbers("Grow", 5);
        {
            MoData wrapper("Grow", false);
            for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(wrapper.ValueAt(i), i < 5 ? 10.0 + i : kMissingValue);
            for (int32_t index : stores) EXPECT_EQ(wrapper.SetValue(index, -index), 0);
            EXPECT_EQ(Count(ZEL_CB_SET_RANGE), 0);
            EXPECT_EQ(data.upper(), 5);  // stores alone never move the host's extent
        }
        EXPECT_EQ(Ranges(), ranges);
        EXPECT_EQ(data.upper(), ranges.empty() ? 5 : ranges.back().second);
        for (int32_t i : stores) EXPECT_EQ(data.number(static_cast<size_t>(i)), -i);
        if (std::find(stores.begin(), stores.end(), 4) == stores.end()) {
            EXPECT_EQ(data.number(4), 14.0);
        }
    }
}

TEST_F(DataTest, CommitNeverCutsBackAnotherWrappersGrowth) {
    tavrel::Dataset& data = Numbers("Shared", 0);
    {
        zel::MoData outer("Shared", false, DataRole::Result);  // located while empty
        {
            zel::MoData inner("Shared", false, DataRole::Result);
            for (int32_t i = 0; i < 10; ++i) inner.SetValue(i, i);
            EXPECT_EQ(inner.Commit(), 0);
        }
        EXPECT_EQ(outer.SetValue(3, -3.0), 0);
    }
    EXPECT_EQ(Ranges(), (Ranges_{{0, 10}, {0, 10}}));
    EXPECT_EQ(data.number(9), 9.0);
}

// Refused by the wrapper without a request, or by the host: text into
// numbers, a cell past the most a dataset holds.
TEST_F(DataTest, RefusedStoresMarkNothing) {
    Numbers("Plain", 3);
    {
        MoData wrapper("Plain", false);
        requests.clear();
        for (int32_t index : {-1, INT32_MIN, INT32_MAX}) {
            EXPECT_EQ(wrapper.SetValue(index, 1.0) + wrapper.SetText(index, "x"), 2);
        }
        EXPECT_EQ(wrapper.SetText(0, nullptr), 1);
        EXPECT_TRUE(requests.empty());
        EXPECT_EQ(wrapper.SetText(10, "text"), 1);
        EXPECT_EQ(wrapper.SetValue(kMaxCells, 1.0), 1);
    }
    EXPECT_EQ(Count(ZEL_CB_SET_RANGE), 0);
}

// Wrappers that found no dataset, with the requests their construction
// made: every operation answers without a request; the query records
// nothing, the check records error 1000 with the wrapper's class.
TEST_F(DataTest, DetachedWrappersAnswerWithoutRequestsAndRecordError1000) {
    Numbers("Numbers", 3);
    host.CreateWorksheet("Sheet", 2);
    const zel::MoString empty("");
    using Make = std::function<std::unique_ptr<MoData>()>;
    const struct {
        const char* className;
        const char* how;  // what makes it detached
        int lookups;
        Make make;
    } cases[] = {
        {"MoData", "no dataset of that name", 1, [] { return std::make_unique<MoData>("NoSuchSet", false); }},
        {"MoSourceData", "empty name", 0, [] { return std::make_unique<MoData>("", true, DataRole::Source); }},
        {"MoResultData", "null name", 0, [] { return std::make_unique<MoData>(nullptr, true, DataRole::Result); }},
        {"MoData", "column -1", 0, [&] { return std::make_unique<MoData>(sheet, Column{-1}); }},
        {"MoResultData", "column 0", 0, [&] { return std::make_unique<MoData>(sheet, Column{0}, DataRole::Result); }},
        {"MoWksCol", "column 3 of 2", 1,
         [&] { return std::make_unique<MoTextData>(sheet, Column{3}, DataRole::WksColumn); }},
        {"MoSourceData", "worksheet name without a value", 0,
         [] {
             return std::make_unique<MoData>(zel::MoString(StringRole::WorksheetName), Column{1}, DataRole::Source);
         }},
        {"MoData", "empty worksheet name", 0, [&] { return std::make_unique<MoData>(empty, sheet); }},
        {"MoData", "empty column name", 0, [&] { return std::make_unique<MoData>(sheet, empty); }},
        {"MoTextData", "a numeric dataset", 2, [] { return std::make_unique<MoTextData>("Numbers"); }}};
    for (const auto& [className, how, lookups, make] : cases) {
        SCOPED_TRACE(std::string(className) + ", " + how);
        requests.clear();
        zel::Errors().Clear();
        std::unique_ptr<MoData> wrapper = make();
        EXPECT_EQ(static_cast<int>(requests.size()), lookups);
        requests.clear();
        ASSERT_FALSE(wrapper->IsAttached());
        std::array<char, 8> text{'j', 'u', 'n', 'k'};
        EXPECT_EQ(wrapper->ValueAt(0), kMissingValue);
        EXPECT_EQ(wrapper->SetValue(0, 1.0), 1);
        EXPECT_EQ(wrapper->GetText(0, text), 1);
        EXPECT_EQ(text[0], '\0');
        EXPECT_EQ(wrapper->SetRange(0, 4), 1);
        EXPECT_TRUE(wrapper->HasError());
        EXPECT_EQ(zel::Errors().position(), 0);
        EXPECT_FALSE(wrapper->CheckAttached());
        EXPECT_EQ(zel::Errors().position(), 1);
        EXPECT_EQ(NewestError().id, static_cast<int32_t>(zel::ListErr::DatasetDetached));
        EXPECT_EQ(NewestError().text, std::string(className));
        wrapper.reset();
        EXPECT_TRUE(requests.empty());
    }
}

// Every constructor that takes a worksheet column reaches the column
// numbered 2 counting from 1 (or named B), under its own class name.
TEST_F(DataTest, ColumnWrappersReachTheSecondColumn) {
    tavrel::Worksheet& book = host.CreateWorksheet("Sheet", 3);
    for (int k = 1; k <= 3; ++k) ASSERT_TRUE(book.column(k)->dataset().set(0, 100.0 * k));
    using Make = std::function<std::unique_ptr<MoData>()>;
    const std::pair<const char*, Make> cases[] = {
        {"MoData", [&] { return std::make_unique<MoData>(sheet, Column{2}); }},
        {"MoSourceData", [&] { return std::make_unique<MoData>(sheet, Column{2}, DataRole::Source); }},
        {"MoResultData", [&] { return std::make_unique<MoData>(sheet, Column{2}, DataRole::Result); }},
        {"MoTextData", [&] { return std::make_unique<MoTextData>(sheet, Column{2}); }},
        {"MoWksCol", [&] { return std::make_unique<MoTextData>(sheet, Column{2}, DataRole::WksColumn); }},
        {"MoData", [&] { return std::make_unique<MoData>(sheet, zel::MoString("B")); }}};
    for (const auto& [className, make] : cases) {
        std::unique_ptr<MoData> wrapper = make();
        EXPECT_EQ(wrapper->handle(), book.column(2)->dataset().handle()) << className;
        EXPECT_EQ(wrapper->ValueAt(0), 200.0) << className;
        EXPECT_STREQ(wrapper->ClassName(), className);
        EXPECT_FALSE(wrapper->HasError()) << className;
        EXPECT_TRUE(wrapper->CheckAttached()) << className;
    }
    EXPECT_EQ(zel::Errors().position(), 0);
}

TEST_F(DataTest, AtMost24CharactersOfANameReachTheHost) {
    const std::string name = "abcdefghijklmnopqrstuvwxyz" + std::string(1000, 'z');
    tavrel::Dataset& data = Numbers(name.substr(0, 24), 2);
    for (size_t length : {size_t{24}, size_t{25}, name.size()}) {
        EXPECT_EQ(MoData(name.substr(0, length).c_str(), false).handle(), data.handle()) << length;
        EXPECT_EQ(LastName(ZEL_CB_DATASET_BY_NAME), name.substr(0, 24));
    }
}

// A numeric column's cells are formatted, a text dataset's copied, each in
// one request and cut to the caller's buffer: the missing value stored
// empties a cell, a text dataset holds numbers too, a text is stored whole
// and reaches the module cut to the host's buffer.
TEST_F(DataTest, CellTextFormatsNumbersAndCopiesTexts) {
    tavrel::Dataset& numbers = host.CreateWorksheet("Sheet", 1).column(1)->dataset();
    ASSERT_TRUE(numbers.set(0, 2.5) && numbers.set(1, 7.0));
    tavrel::Dataset& textData = host.CreateDataset("Texts", true);
    ASSERT_TRUE(textData.setText(0, "hello"));
    MoTextData column(sheet, Column{1});
    MoTextData texts("Texts");
    const std::string longText(600, 'w');
    EXPECT_EQ(column.SetValue(1, kMissingValue) + texts.SetValue(1, 2.5) + texts.SetText(2, longText.c_str()), 0);
    EXPECT_EQ(textData.text(2), longText);
    const struct {
        MoTextData* wrapper;
        int32_t index;
        size_t size;
        int32_t answer;
        std::string text;
    } cases[] = {{&column, 0, 260, 0, "2.5"},  {&column, 0, 3, 0, "2."},     {&column, 5, 260, 1, ""},
                 {&column, 1, 260, 0, ""},     {&texts, 0, 260, 0, "hello"}, {&texts, 0, 3, 0, "he"},
                 {&texts, 5, 260, 1, ""},      {&texts, 1, 260, 0, "2.5"},
                 {&texts, 2, 1000, 0, std::string(ZEL_TEXT_BUFFER - 1, 'w')}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + (c.wrapper == &texts ? " of the texts" : " of the column"));
        requests.clear();
        std::vector<char> buffer(c.size + 1, '#');  // one byte past the span, to stay untouched
        EXPECT_EQ(c.wrapper->CellText(c.index, std::span<char>(buffer.data(), c.size)), c.answer);
        EXPECT_EQ(std::string(buffer.data()), c.text);
        EXPECT_EQ(buffer.back(), '#');
        EXPECT_EQ(Count(c.wrapper == &texts ? ZEL_CB_TEXT_GET : ZEL_CB_FORMAT_CELL), 1);
        EXPECT_EQ(Count(ZEL_CB_FORMAT_CELL) + Count(ZEL_CB_TEXT_GET), 1);
    }
}

// SetRange sends the type code of the storage type; the host's extent
// follows: a shorter range drops the cells past it, a longer one adds empty
// cells, an empty one may start past 0. Refused ranges change nothing and a
// range set leaves nothing for the destruction to commit.
TEST_F(DataTest, SetRangeSendsTheStorageTypesCodeAndTheHostKeepsTheExtent) {
    tavrel::Dataset& data = Numbers("Typed", 3);
    const struct {
        int32_t type, lower, upper, answer, code;
    } cases[] = {{0, 0, 4, 0, 0x8000},     {1, 0, 4, 0, 0x8001},      {2, 0, 4, 0, 0x8005}, {3, 0, 4, 0, 0x8002},
                 {4, 0, 4, 0, 0x8009},     {0x1000, 0, 4, 0, 0x8010}, {0x1004, 0, 4, 0, 0x8019},
                 {0, 0, 1, 0, 0x8000},     {0, 0, 6, 0, 0x8000},      {0, 3, 3, 0, 0x8000},
                 {0, 4, 2, 1, 0x8000},     {0, -1, 3, 1, 0x8000},     {0x1000, 0, kMaxCells + 1, 1, 0x8010}};
    {
        MoData wrapper("Typed", false);
        for (const auto& c : cases) {
            ASSERT_EQ(wrapper.SetStorageType(c.type), 0);
            EXPECT_EQ(wrapper.SetRange(c.lower, c.upper), c.answer) << c.lower << " " << c.upper;
            EXPECT_EQ(data.lastTypeCode(), c.code) << c.type;
        }
        for (int32_t type : {5, -1, 0x2000}) EXPECT_EQ(wrapper.SetStorageType(type), 1) << type;
    }
    EXPECT_EQ(data.setRangeCount(), 12);  // the two the host refused too
    EXPECT_EQ(data.lower(), 3);
    EXPECT_EQ(data.upper(), 3);
    EXPECT_EQ(data.number(0), 10.0);
    EXPECT_EQ(data.kind(1), tavrel::CellKind::Empty);  // dropped by (0, 1), empty again after (0, 6)
}

}  // namespace
}  // namespace datatest
