#include "row_stripes.h"

#include <algorithm>
#include <atomic>

namespace pixkit {

std::vector<RowRange> SplitIntoStripes(int32_t height, int32_t min_rows) {
  const auto count = static_cast<int32_t>(nephrax::BandCount(height, min_rows));
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

void RunQueued(size_t count, const std::function<void(size_t)>& work) {
  std::atomic<size_t> next{0};
  RunConcurrently(std::min(count, static_cast<size_t>(UsableProcessors())), [&](size_t) {
    for (size_t item = next++; item < count; item = next++) work(item);
  });
}

}  // namespace pixkit
