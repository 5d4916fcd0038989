// Dataset wrappers against the stand-in host: the extent committed on
// destruction, refused stores, detached wrappers, columns by number and
// name, names and text cells.
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
using zel::kMissingValue;
using zel::MoData;
using zel::DataRole;
using zel::MoTextData;
using zel::StringRole;
using Ranges_ = std::vector<std::pair<int32_t, int32_t>>;

class DataTest : public HostTest {
protected:
    // A numeric dataset of n cells holding 10, 11, ...
    tavrel::Dataset& Numbers(const std::string& name, int n) {
        tavrel::Dataset& data = host.CreateDataset(name);
        EXPECT_TRUE(data.resize(n));
        for (int i = 0; i < n; ++i) data.set(static_cast<size_t>(i), 10.0 + i);
        return data;
    }
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

TEST_F(DataTest, AnEmptyRangeAwayFromZeroStaysEmpty) {
    tavrel::Dataset& data = Numbers("Empty", 8);
    { EXPECT_EQ(MoData("Empty", false).SetRange(3, 3), 0); }
    EXPECT_EQ(Ranges(), (Ranges_{{3, 3}}));
    EXPECT_EQ(data.upper(), 3);
}

TEST_F(DataTest, RefusedStoresSendNothingAndMarkNothing) {
    Numbers("Plain", 3);
    {
        MoData wrapper("Plain", false);
        requests.clear();
        for (int32_t index : {-1, INT32_MIN, INT32_MAX}) {
            EXPECT_EQ(wrapper.SetValue(index, 1.0) + wrapper.SetText(index, "x"), 2);
        }
        EXPECT_EQ(wrapper.SetText(0, nullptr), 1);
        EXPECT_TRUE(requests.empty());
        EXPECT_EQ(wrapper.SetText(10, "text"), 1);  // the host refuses text in numbers
    }
    EXPECT_EQ(Count(ZEL_CB_SET_RANGE), 0);
}

// Wrappers that found no dataset, with the requests their construction
// made: every operation answers without a request; the query records
// nothing, the check records error 1000 with the wrapper's class.
TEST_F(DataTest, DetachedWrappersAnswerWithoutRequestsAndRecordError1000) {
    Numbers("Numbers", 3);
    host.CreateWorksheet("Sheet", 2);
    zel::MoString sheet{StringRole::WorksheetName};
    sheet.SetText("Sheet");
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
    tavrel::Worksheet& sheet = host.CreateWorksheet("Sheet", 3);
    for (int k = 1; k <= 3; ++k) {
        ASSERT_TRUE(sheet.column(k)->dataset().resize(1));
        sheet.column(k)->dataset().set(0, 100.0 * k);
    }
    zel::MoString name{StringRole::WorksheetName};
    name.SetText("Sheet");
    using Make = std::function<std::unique_ptr<MoData>()>;
    const std::pair<const char*, Make> cases[] = {
        {"MoData", [&] { return std::make_unique<MoData>(name, Column{2}); }},
        {"MoSourceData", [&] { return std::make_unique<MoData>(name, Column{2}, DataRole::Source); }},
        {"MoResultData", [&] { return std::make_unique<MoData>(name, Column{2}, DataRole::Result); }},
        {"MoTextData", [&] { return std::make_unique<MoTextData>(name, Column{2}); }},
        {"MoWksCol", [&] { return std::make_unique<MoTextData>(name, Column{2}, DataRole::WksColumn); }},
        {"MoData", [&] { return std::make_unique<MoData>(name, zel::MoString("B")); }}};
    for (const auto& [className, make] : cases) {
        std::unique_ptr<MoData> wrapper = make();
        EXPECT_EQ(wrapper->handle(), sheet.column(2)->dataset().handle()) << className;
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

TEST_F(DataTest, CellTextFormatsNumbersAndCopiesTexts) {
    tavrel::Worksheet& sheet = host.CreateWorksheet("Sheet", 1);
    tavrel::Dataset& numbers = sheet.column(1)->dataset();
    numbers.set(0, 2.5);
    host.CreateDataset("Texts", true).setText(0, "hello");
    zel::MoString name{StringRole::WorksheetName};
    name.SetText("Sheet");
    MoTextData column(name, Column{1});
    MoTextData texts("Texts");

    for (auto [wrapper, code, expected] : {std::tuple{&column, ZEL_CB_FORMAT_CELL, numbers.display(0)},
                                           std::tuple{&texts, ZEL_CB_TEXT_GET, std::string("hello")}}) {
        requests.clear();
        std::array<char, ZEL_TEXT_BUFFER> buffer{};
        EXPECT_EQ(wrapper->CellText(0, buffer), 0);
        EXPECT_EQ(std::string(buffer.data()), expected);
        EXPECT_EQ(Count(code), 1);
        EXPECT_EQ(Count(ZEL_CB_FORMAT_CELL) + Count(ZEL_CB_TEXT_GET), 1);
        std::array<char, 6> small{'#', '#', '#', '#', '#', '#'};
        EXPECT_EQ(wrapper->CellText(0, std::span<char>(small.data(), 3)), 0);
        EXPECT_EQ(std::string(small.data()) + small[3], expected.substr(0, 2) + '#');
        buffer.fill('#');
        EXPECT_EQ(wrapper->CellText(5, buffer), 1);
        EXPECT_EQ(buffer[0], '\0');
    }
}

TEST_F(DataTest, SetRangeSendsTheTypeCodeOfTheStorageType) {
    tavrel::Dataset& data = Numbers("Typed", 2);
    MoData wrapper("Typed", false);
    const std::pair<int32_t, int32_t> codes[] = {{0, 0x8000}, {1, 0x8001}, {2, 0x8005}, {3, 0x8002},
                                                 {4, 0x8009}, {0x1000, 0x8010}, {0x1004, 0x8019}};
    for (auto [type, code] : codes) {
        ASSERT_EQ(wrapper.SetStorageType(type), 0);
        EXPECT_EQ(wrapper.SetRange(0, 4), 0);
        EXPECT_EQ(data.lastTypeCode(), code) << type;
    }
    for (int32_t type : {5, -1, 0x2000}) EXPECT_EQ(wrapper.SetStorageType(type), 1) << type;
    EXPECT_EQ(wrapper.SetRange(4, 2), 1);
}

}  // namespace
}  // namespace datatest
