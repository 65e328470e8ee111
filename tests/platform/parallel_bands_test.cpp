#include "platform/parallel_bands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace nephrax {
namespace {

struct BandCase {
  int64_t count;
  int64_t min_size;
};

class ForEachBandTest : public ::testing::TestWithParam<BandCase> {};

TEST_P(ForEachBandTest, BandsCoverTheRangeOnceInOrderAndAreNotTooShort) {
  const BandCase c = GetParam();
  std::mutex mutex;
  std::vector<std::pair<int64_t, int64_t>> bands;
  ForEachBand(c.count, c.min_size, [&](int64_t first, int64_t end) {
    const std::lock_guard lock(mutex);
    bands.emplace_back(first, end);
  });
  std::sort(bands.begin(), bands.end());
  ASSERT_FALSE(bands.empty());
  EXPECT_EQ(bands.front().first, 0);
  EXPECT_EQ(bands.back().second, c.count);
  for (size_t i = 0; i < bands.size(); ++i) {
    if (i > 0) {
      EXPECT_EQ(bands[i].first, bands[i - 1].second) << "band " << i;
    }
    if (bands.size() > 1) {
      EXPECT_GE(bands[i].second - bands[i].first, c.min_size) << "band " << i;
    }
  }
  EXPECT_LE(static_cast<int64_t>(bands.size()), std::min<int64_t>(UsableProcessors(), 8));
}

INSTANTIATE_TEST_SUITE_P(Ranges, ForEachBandTest,
                         ::testing::Values(BandCase{1, 1}, BandCase{7, 100}, BandCase{1000, 1},
                                           BandCase{1000, 499}, BandCase{1000, 500},
                                           BandCase{1001, 500}, BandCase{100000, 0}));

TEST(ForEachBandTest, AnEmptyRangeCallsNothing) {
  bool called = false;
  ForEachBand(0, 1, [&](int64_t, int64_t) { called = true; });
  EXPECT_FALSE(called);
}

}  // namespace
}  // namespace nephrax
