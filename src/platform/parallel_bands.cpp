#include "platform/parallel_bands.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace nephrax {

namespace {

constexpr int64_t kMaxBands = 8;

// The steps of ProduceAndConsume: how many are produced, and which is the next to be consumed.
class StepQueue {
 public:
  StepQueue(int64_t count, int64_t step) : count_(count), step_(std::max<int64_t>(step, 1)) {}

  int64_t Steps() const { return (count_ + step_ - 1) / step_; }
  int64_t First(int64_t k) const { return k * step_; }
  int64_t End(int64_t k) const { return std::min(count_, (k + 1) * step_); }

  void MarkProduced(int64_t k) {
    {
      const std::lock_guard lock(mutex_);
      produced_ = k + 1;
    }
    more_produced_.notify_all();
  }

  // Consumes steps, each once over all callers, until none is left.
  void ConsumeAll(const std::function<void(int64_t, int64_t)>& consume) {
    for (int64_t k = next_.fetch_add(1); k < Steps(); k = next_.fetch_add(1)) {
      {
        std::unique_lock lock(mutex_);
        more_produced_.wait(lock, [&] { return produced_ > k; });
      }
      consume(First(k), End(k));
    }
  }

 private:
  const int64_t count_;
  const int64_t step_;
  std::mutex mutex_;
  std::condition_variable more_produced_;
  int64_t produced_ = 0;
  std::atomic<int64_t> next_{0};
};

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

void ProduceAndConsume(int64_t count, int64_t step,
                       const std::function<void(int64_t first, int64_t end)>& produce,
                       const std::function<void(int64_t first, int64_t end)>& consume) {
  if (count <= 0) return;
  StepQueue queue(count, step);
  const int64_t helpers = std::min<int64_t>(UsableProcessors(), kMaxBands) - 1;
  std::vector<std::jthread> threads;
  threads.reserve(static_cast<size_t>(std::max<int64_t>(helpers, 0)));
  for (int64_t i = 0; i < helpers; ++i) {
    try {
      threads.emplace_back([&] { queue.ConsumeAll(consume); });
    } catch (const std::system_error&) {
      break;
    }
  }
  for (int64_t k = 0; k < queue.Steps(); ++k) {
    produce(queue.First(k), queue.End(k));
    if (threads.empty()) {
      consume(queue.First(k), queue.End(k));
    } else {
      queue.MarkProduced(k);
    }
  }
  if (!threads.empty()) queue.ConsumeAll(consume);
}  // the threads join here

}  // namespace nephrax
