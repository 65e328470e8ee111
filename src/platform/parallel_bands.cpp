#include "platform/parallel_bands.h"

#include <sched.h>

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace nephrax {

namespace {

constexpr int64_t kMaxBands = 8;

}  // namespace

int32_t UsableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  return std::max(1, CPU_COUNT(&set));
}

void ForEachBand(int64_t count, int64_t min_size,
                 const std::function<void(int64_t first, int64_t end)>& work) {
  if (count <= 0) return;
  const int64_t bands =
      std::clamp(std::min<int64_t>(UsableProcessors(), count / std::max<int64_t>(min_size, 1)),
                 int64_t{1}, kMaxBands);
  const auto band_start = [&](int64_t band) { return count * band / bands; };
  std::vector<std::jthread> threads;
  threads.reserve(static_cast<size_t>(bands));
  for (int64_t band = 1; band < bands; ++band) {
    try {
      threads.emplace_back(work, band_start(band), band_start(band + 1));
    } catch (const std::system_error&) {
      work(band_start(band), band_start(band + 1));
    }
  }
  work(0, band_start(1));
}  // the threads join here

}  // namespace nephrax
