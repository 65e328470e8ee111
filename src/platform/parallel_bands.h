// Work spread over the processors: a range split into consecutive bands, one band per processor.
// The image-format library shares this file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace nephrax {

// The processors this process may run on (at least 1).
int32_t UsableProcessors();

// How many bands [0, count) is split into: as many as there are processors to work on them (8 at
// most) but none shorter than `min_size`; at least 1.
int64_t BandCount(int64_t count, int64_t min_size);

// Calls work(0), ..., work(count - 1), each after the first on a thread of its own (on this one
// when no thread can be started), and returns when all are done. `work` must not throw.
void RunConcurrently(size_t count, const std::function<void(size_t)>& work);

// Splits [0, count) into BandCount(count, min_size) consecutive bands and calls work(first, end)
// for each, concurrently. Returns when every band is done. `work` must not throw; bands must not
// write to the same memory.
void ForEachBand(int64_t count, int64_t min_size,
                 const std::function<void(int64_t first, int64_t end)>& work);

// Calls produce(first, end) for consecutive steps of `step` over [0, count), in order, on this
// thread, and consume(first, end) for each step after its produce has returned: on the other
// processors while this thread goes on producing, then on this one too. With no other processor,
// each step is consumed right after it is produced, while its data are still in the cache. Returns
// when every step is consumed. Neither may throw; consume must not write what produce or another
// consume works on.
void ProduceAndConsume(int64_t count, int64_t step,
                       const std::function<void(int64_t first, int64_t end)>& produce,
                       const std::function<void(int64_t first, int64_t end)>& consume);

}  // namespace nephrax
