#include "row_stripes.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace pixkit {

namespace {

constexpr int32_t kMaxStripes = 8;

}  // namespace

int32_t UsableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return std::max(1, CPU_COUNT(&set));
}

std::vector<RowRange> SplitIntoStripes(int32_t height, int32_t min_rows) {
  const int32_t count =
      std::clamp(std::min(UsableProcessors(), height / std::max(min_rows, 1)), 1, kMaxStripes);
  std::vector<RowRange> stripes;
  for (int32_t i = 0; i < count; ++i) {
    stripes.push_back(RowRange{static_cast<int32_t>(int64_t{height} * i / count),
                               static_cast<int32_t>(int64_t{height} * (i + 1) / count)});
  }
  return stripes;
}

std::vector<RowRange> SplitIntoStripesOf(int32_t height, int32_t stripe_rows) {
  std::vector<RowRange> stripes;
  for (int64_t first = 0; first < height; first += stripe_rows) {
    stripes.push_back(RowRange{static_cast<int32_t>(first), static_cast<int32_t>(std::min<int64_t>(
                                                                height, first + stripe_rows))});
  }
  return stripes;
}

void RunConcurrently(size_t count, const std::function<void(size_t)>& work) {
  std::vector<std::jthread> threads;
  threads.reserve(count);
  for (size_t i = 1; i < count; ++i) {
    try {
      threads.emplace_back(work, i);
    } catch (const std::system_error&) {
      work(i);
    }
  }
  if (count > 0) work(0);
}  // the threads join here

void RunQueued(size_t count, const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0};
  RunConcurrently(std::min(count, static_cast<size_t>(UsableProcessors())), [&](size_t) {
    for (size_t item = next++; item < count; item = next++) work(item);
  });
}

}  // namespace pixkit
