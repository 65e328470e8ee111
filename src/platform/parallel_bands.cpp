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

int64_t BandCount(int64_t count, int64_t min_size) {
  return std::clamp(std::min<int64_t>(UsableProcessors(), count / std::max<int64_t>(min_size, 1)),
                    int64_t{1}, kMaxBands);
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

void ForEachBand(int64_t count, int64_t min_size,
                 const std::function<void(int64_t first, int64_t end)>& work) {
  if (count <= 0) return;
  const int64_t bands = BandCount(count, min_size);
  RunConcurrently(static_cast<size_t>(bands), [&](size_t band) {
    const auto start = [&](size_t b) { return count * static_cast<int64_t>(b) / bands; };
    work(start(band), start(band + 1));
  });
}

}  // namespace nephrax
