// A dataset's cells as they grow from a few on the heap to the reserved
// address space and are cut back: values written before a move survive it,
// and cells never written or cut away read as empty.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "Dataset.h"

namespace tavrel::testing {
namespace {

constexpr std::size_t kLast = Dataset::kMaxCells - 1;

// Indices written in ascending order, descending, around the heap limit and
// one by one: every value written is kept and the rest stays empty.
TEST(DatasetStorage, GrowthKeepsEveryValueWrittenAndLeavesTheRestEmpty) {
    const std::vector<std::size_t> orders[] = {{0, 63, 64, 127, 128, 8191, 8192, 8193, 100000, kLast},
                                               {kLast, 8192, 8191, 64, 0},
                                               {8191, 0, 8192, 8191},
                                               {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
    for (const std::vector<std::size_t>& indices : orders) {
        Dataset data(1, "d", false);
        for (std::size_t i : indices) ASSERT_TRUE(data.set(i, static_cast<double>(i) + 0.5)) << i;
        for (std::size_t i : indices) ASSERT_EQ(data.number(i), static_cast<double>(i) + 0.5) << i;
        for (std::size_t probe : {std::size_t{1}, std::size_t{62}, std::size_t{65}, std::size_t{8190},
                                  std::size_t{8193}, std::size_t{9000}, kLast - 1}) {
            if (std::find(indices.begin(), indices.end(), probe) == indices.end()) {
                EXPECT_EQ(data.kind(probe), CellKind::Empty) << indices.front() << " " << probe;
            }
        }
        EXPECT_EQ(data.kind(*std::max_element(indices.begin(), indices.end()) + 1), CellKind::Empty);
    }
    // An extent set at once is readable and writable to its last cell.
    for (int32_t upper : {1, 64, 8192, 8193, static_cast<int32_t>(Dataset::kMaxCells)}) {
        Dataset data(1, "d", false);
        const auto last = static_cast<std::size_t>(upper) - 1;
        ASSERT_TRUE(data.resize(upper));
        EXPECT_EQ(data.kind(last), CellKind::Empty) << upper;
        ASSERT_TRUE(data.set(last, 2.0));
        EXPECT_EQ(data.number(last), 2.0) << upper;
    }
}

TEST(DatasetStorage, CellsCutAwayReadEmptyWhenTheDatasetGrowsOverThemAgain) {
    for (std::size_t written : {std::size_t{100}, std::size_t{20000}}) {
        Dataset data(1, "d", true);
        for (std::size_t i = 0; i < written; ++i) ASSERT_TRUE(data.set(i, 1.0));
        ASSERT_TRUE(data.setText(written - 1, "t"));
        ASSERT_TRUE(data.resize(10));
        ASSERT_TRUE(data.resize(static_cast<int32_t>(written) + 50000));
        EXPECT_EQ(data.number(9), 1.0);
        for (std::size_t i : {std::size_t{10}, written / 2, written - 1, written + 49999}) {
            EXPECT_EQ(data.kind(i), CellKind::Empty) << written << " " << i;
        }
        EXPECT_EQ(data.text(written - 1), "");
    }
}

// Released large datasets lend their regions to the next ones: whatever the
// old ones held, the new ones start empty.
TEST(DatasetStorage, DatasetsMadeAfterLargeOnesWentStartEmpty) {
    constexpr std::size_t kCells = 100000;
    const std::vector<double> values(kCells, 3.0);
    for (int round = 0; round < 2; ++round) {
        std::vector<std::unique_ptr<Dataset>> gone;
        for (std::size_t k = 0; k <= Dataset::kPooledRegions; ++k) {
            Dataset& old = *gone.emplace_back(std::make_unique<Dataset>(1, "d", true));
            ASSERT_EQ(old.setBlock(0, values.data(), kCells), kCells);
            ASSERT_TRUE(old.setText(kCells / 2, "t") && old.set(kCells * 3, 4.0));
            ASSERT_TRUE(k % 2 == 0 || old.resize(10));
        }
        gone.clear();
        for (std::size_t k = 0; k <= Dataset::kPooledRegions; ++k) {
            Dataset data(1, "d", true);
            ASSERT_TRUE(data.set(kCells * 3 + 1, 5.0));
            for (std::size_t i : {std::size_t{0}, std::size_t{9}, kCells / 2, kCells - 1, kCells * 3}) {
                EXPECT_EQ(data.kind(i), CellKind::Empty) << round << " " << k << " " << i;
            }
            std::vector<double> fetched(4);
            data.getBlock(kCells - 2, fetched.data(), fetched.size());
            EXPECT_EQ(fetched, std::vector<double>(4, ZEL_MISSING_VALUE));
            EXPECT_EQ(data.number(kCells * 3 + 1), 5.0);
        }
    }
}

}  // namespace
}  // namespace tavrel::testing
