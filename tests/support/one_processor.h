// Work done with the calling thread held to a single processor, as on a machine that has one.
#pragma once

#include <gtest/gtest.h>
#include <sched.h>

namespace nephrax::testing {

// Runs `work` on the calling thread with only its first usable processor, then restores the set.
template <typename Work>
void OnOneProcessor(Work work) {
  cpu_set_t all;
  CPU_ZERO(&all);
  ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
  cpu_set_t one;
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
    if (CPU_ISSET(cpu, &all)) {
      CPU_SET(cpu, &one);
      break;
    }
  }
  ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
  work();
  ASSERT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
}

}  // namespace nephrax::testing
