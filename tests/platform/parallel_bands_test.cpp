#include "platform/parallel_bands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/one_processor.h"

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

struct StepCase {
  int64_t count;
  int64_t step;
  bool one_processor;
};

class ProduceAndConsumeTest : public ::testing::TestWithParam<StepCase> {};

// Produce marks its items and checks that the steps come in order on the calling thread; consume
// checks that every item of its step was produced and counts how often it met each.
TEST_P(ProduceAndConsumeTest, EveryStepIsConsumedOnceAfterItIsProduced) {
  const StepCase c = GetParam();
  const std::thread::id caller = std::this_thread::get_id();
  const auto items = static_cast<size_t>(c.count);
  std::vector<std::atomic<bool>> produced(items);
  std::vector<std::atomic<int>> consumed(items);
  std::vector<std::pair<int64_t, int64_t>> steps;
  std::atomic<int> consumed_unproduced = 0;
  const auto run = [&] {
    ProduceAndConsume(
        c.count, c.step,
        [&](int64_t first, int64_t end) {
          EXPECT_EQ(std::this_thread::get_id(), caller);
          steps.emplace_back(first, end);
          for (int64_t i = first; i < end; ++i) produced[static_cast<size_t>(i)] = true;
        },
        [&](int64_t first, int64_t end) {
          for (int64_t i = first; i < end; ++i) {
            if (!produced[static_cast<size_t>(i)]) ++consumed_unproduced;
            ++consumed[static_cast<size_t>(i)];
          }
        });
  };
  if (c.one_processor) {
    testing::OnOneProcessor(run);
  } else {
    run();
  }
  EXPECT_EQ(consumed_unproduced, 0);
  for (size_t i = 0; i < items; ++i) EXPECT_EQ(consumed[i], 1) << "item " << i;
  ASSERT_EQ(static_cast<int64_t>(steps.size()), (c.count + c.step - 1) / c.step);
  for (size_t k = 0; k < steps.size(); ++k) {
    EXPECT_EQ(steps[k].first, static_cast<int64_t>(k) * c.step);
    EXPECT_EQ(steps[k].second, std::min(c.count, steps[k].first + c.step));
  }
}

INSTANTIATE_TEST_SUITE_P(Steps, ProduceAndConsumeTest,
                         ::testing::Values(StepCase{1, 1, false}, StepCase{5, 8, false},
                                           StepCase{64, 8, false}, StepCase{1001, 7, false},
                                           StepCase{5500, 23, false}, StepCase{1001, 7, true},
                                           StepCase{3, 1, true}));

// With one processor, each step is consumed before the next is produced, while it is in the cache.
TEST(ProduceAndConsumeTest, OneProcessorTakesTurns) {
  std::vector<char> calls;
  testing::OnOneProcessor([&] {
    ProduceAndConsume(
        9, 4, [&](int64_t, int64_t) { calls.push_back('p'); },
        [&](int64_t, int64_t) { calls.push_back('c'); });
  });
  EXPECT_EQ(std::string(calls.begin(), calls.end()), "pcpcpc");
}

TEST(ProduceAndConsumeTest, AnEmptyRangeCallsNothing) {
  bool called = false;
  ProduceAndConsume(
      0, 4, [&](int64_t, int64_t) { called = true; }, [&](int64_t, int64_t) { called = true; });
  EXPECT_FALSE(called);
}

}  // namespace
}  // namespace nephrax
