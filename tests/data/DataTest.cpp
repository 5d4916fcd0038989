// Dataset wrappers against the stand-in host: the extent committed on
// destruction, refused stores, detached wrappers, columns by number and
// name, names and text cells.
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <ostream>

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

struct CommitCase {
    std::vector<int32_t> stores;
    Ranges_ ranges;  // set-range requests expected
};

void PrintTo(const CommitCase& c, std::ostream* os) {
    *os << "stores {";
    for (size_t i = 0; i < c.stores.size(); ++i) *os << (i == 0 ? "" : ", ") << c.stores[i];
    *os << "} expecting ranges {";
    for (size_t i = 0; i < c.ranges.size(); ++i) {
        *os << (i == 0 ? "" : ", ") << '[' << c.ranges[i].first << ", " << c.ranges[i].second << ')';
    }
    *os << '}';
}

class CommitOnDestruction : public DataTest, public ::testing::WithParamInterface<CommitCase> {};

TEST_P(CommitOnDestruction, PublishesTheExtentOnceWhenStoredOrGrown) {
    tavrel::Dataset& data = Numbers("Grow", 5);
    const std::vector<int32_t>& stores = GetParam().stores;
    {
        MoData wrapper("Grow", false);
        for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(wrapper.ValueAt(i), i < 5 ? 10.0 + i : kMissingValue);
        for (int32_t index : stores) EXPECT_EQ(wrapper.SetValue(index, -index), 0);
        EXPECT_EQ(Count(ZEL_CB_SET_RANGE), 0);
    }
    EXPECT_EQ(Ranges(), GetParam().ranges);
    EXPECT_EQ(data.upper(), GetParam().ranges.empty() ? 5 : GetParam().ranges.back().second);
    for (int32_t i : stores) EXPECT_EQ(data.number(static_cast<size_t>(i)), -i);
    if (std::find(stores.begin(), stores.end(), 4) == stores.end()) {
        EXPECT_EQ(data.number(4), 14.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, CommitOnDestruction,
                         ::testing::Values(CommitCase{{}, {}}, CommitCase{{2}, {{0, 5}}},
                                           CommitCase{{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {{0, 10}}},
                                           CommitCase{{9, 3}, {{0, 10}}}));

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

struct DetachedCase {
    const char* className;
    const char* how;  // what makes it detached
    std::function<std::unique_ptr<MoData>(const zel::MoString&, const zel::MoString&)> make;
    int lookups;  // requests made while constructing
};

void PrintTo(const DetachedCase& c, std::ostream* os) {
    *os << c.className << " (" << c.how << "), " << c.lookups << " request(s) while constructing";
}

class Detached : public DataTest, public ::testing::WithParamInterface<DetachedCase> {};

TEST_P(Detached, AnswersWithoutRequestsAndRecordsError1000) {
    Numbers("Numbers", 3);
    host.CreateWorksheet("Sheet", 2);
    zel::MoString sheet{StringRole::WorksheetName};
    sheet.SetText("Sheet");
    std::unique_ptr<MoData> wrapper = GetParam().make(sheet, zel::MoString(""));
    EXPECT_EQ(static_cast<int>(requests.size()), GetParam().lookups);
    requests.clear();

    ASSERT_FALSE(wrapper->IsAttached());
    std::array<char, 8> text{'j', 'u', 'n', 'k'};
    EXPECT_EQ(wrapper->ValueAt(0), kMissingValue);
    EXPECT_EQ(wrapper->SetValue(0, 1.0), 1);
    EXPECT_EQ(wrapper->GetText(0, text), 1);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(wrapper->SetRange(0, 4), 1);
    // The query records nothing; the check records error 1000.
    EXPECT_TRUE(wrapper->HasError());
    EXPECT_EQ(zel::Errors().position(), 0);
    EXPECT_FALSE(wrapper->CheckAttached());
    EXPECT_EQ(zel::Errors().position(), 1);
    EXPECT_EQ(NewestError().id, static_cast<int32_t>(zel::ListErr::DatasetDetached));
    EXPECT_EQ(NewestError().text, std::string(GetParam().className));
    wrapper.reset();
    EXPECT_TRUE(requests.empty());
}

using Names = const zel::MoString&;
INSTANTIATE_TEST_SUITE_P(
    Constructions, Detached,
    ::testing::Values(
        DetachedCase{"MoData", "no dataset of that name",
                     [](Names, Names) { return std::make_unique<MoData>("NoSuchSet", false); }, 1},
        DetachedCase{"MoSourceData", "empty name skipped",
                     [](Names, Names) { return std::make_unique<MoData>("", true, DataRole::Source); }, 0},
        DetachedCase{"MoResultData", "null name skipped",
                     [](Names, Names) { return std::make_unique<MoData>(nullptr, true, DataRole::Result); }, 0},
        DetachedCase{"MoData", "column -1",
                     [](Names s, Names) { return std::make_unique<MoData>(s, Column{-1}); }, 0},
        DetachedCase{"MoResultData", "column 0",
                     [](Names s, Names) { return std::make_unique<MoData>(s, Column{0}, DataRole::Result); }, 0},
        DetachedCase{"MoWksCol", "column 3 of a sheet of 2",
                     [](Names s, Names) { return std::make_unique<MoTextData>(s, Column{3}, DataRole::WksColumn); },
                     1},
        DetachedCase{"MoSourceData", "worksheet name without a value",
                     [](Names, Names) {
                         return std::make_unique<MoData>(zel::MoString(StringRole::WorksheetName), Column{1},
                                                         DataRole::Source);
                     },
                     0},
        DetachedCase{"MoData", "empty worksheet name with a column name",
                     [](Names s, Names empty) { return std::make_unique<MoData>(empty, s); }, 0},
        DetachedCase{"MoData", "empty column name",
                     [](Names s, Names empty) { return std::make_unique<MoData>(s, empty); }, 0},
        DetachedCase{"MoTextData", "a numeric dataset",
                     [](Names, Names) { return std::make_unique<MoTextData>("Numbers"); }, 2}));

struct ColumnCase {
    const char* className;
    const char* how;
    // A wrapper of the second column of the worksheet of that name.
    std::function<std::unique_ptr<MoData>(const zel::MoString&)> make;
};

void PrintTo(const ColumnCase& c, std::ostream* os) { *os << c.className << " " << c.how; }

class SecondColumn : public DataTest, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(SecondColumn, IsTheColumnNumberedTwoCountingFromOne) {
    tavrel::Worksheet& sheet = host.CreateWorksheet("Sheet", 3);
    for (int k = 1; k <= 3; ++k) {
        tavrel::Dataset& data = sheet.column(k)->dataset();
        ASSERT_TRUE(data.resize(1));
        data.set(0, 100.0 * k);
    }
    zel::MoString name{StringRole::WorksheetName};
    name.SetText("Sheet");
    std::unique_ptr<MoData> wrapper = GetParam().make(name);
    EXPECT_EQ(wrapper->handle(), sheet.column(2)->dataset().handle());
    EXPECT_EQ(wrapper->ValueAt(0), 200.0);
    EXPECT_STREQ(wrapper->ClassName(), GetParam().className);
    EXPECT_FALSE(wrapper->HasError());
    EXPECT_TRUE(wrapper->CheckAttached());
    EXPECT_EQ(zel::Errors().position(), 0);
}

using Sheet = const zel::MoString&;
INSTANTIATE_TEST_SUITE_P(
    Constructions, SecondColumn,
    ::testing::Values(
        ColumnCase{"MoData", "column 2", [](Sheet s) { return std::make_unique<MoData>(s, Column{2}); }},
        ColumnCase{"MoSourceData", "column 2",
                   [](Sheet s) { return std::make_unique<MoData>(s, Column{2}, DataRole::Source); }},
        ColumnCase{"MoResultData", "column 2",
                   [](Sheet s) { return std::make_unique<MoData>(s, Column{2}, DataRole::Result); }},
        ColumnCase{"MoTextData", "column 2",
                   [](Sheet s) { return std::make_unique<MoTextData>(s, Column{2}); }},
        ColumnCase{"MoWksCol", "column 2",
                   [](Sheet s) { return std::make_unique<MoTextData>(s, Column{2}, DataRole::WksColumn); }},
        ColumnCase{"MoData", "column named B",
                   [](Sheet s) { return std::make_unique<MoData>(s, zel::MoString("B")); }}));

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
