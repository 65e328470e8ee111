// Work on a range split into consecutive bands, one band per processor.
#pragma once

#include <cstdint>
#include <functional>

namespace nephrax {

// The processors this process may run on (at least 1).
int32_t UsableProcessors();

// Splits [0, count) into consecutive bands, as many as there are processors to work on them (8 at
// most) but none shorter than `min_size`, and calls work(first, end) for each: all but the first
// on threads of their own (on this thread when no thread can be started). Returns when every band
// is done. `work` must not throw; bands must not write to the same memory.
void ForEachBand(int64_t count, int64_t min_size,
                 const std::function<void(int64_t first, int64_t end)>& work);

}  // namespace nephrax
