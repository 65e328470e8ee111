// Work on the rows of a picture split into stripes, one stripe per processor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/parallel_bands.h"

namespace pixkit {

using nephrax::RunConcurrently;
using nephrax::UsableProcessors;

struct RowRange {
  int32_t first = 0;
  int32_t end = 0;  // one past the last row
};

// Rows 0..height in BandCount(height, min_rows) consecutive stripes (a single stripe for a low
// picture).
std::vector<RowRange> SplitIntoStripes(int32_t height, int32_t min_rows);

// Rows 0..height in consecutive stripes of `stripe_rows` rows, the last one the rest.
std::vector<RowRange> SplitIntoStripesOf(int32_t height, int32_t stripe_rows);

// Calls work(0), ..., work(count - 1) on as many threads as there are processors (RunConcurrently),
// each taking the next call not yet taken, and returns when all are done. `work` must not throw.
void RunQueued(size_t count, const std::function<void(size_t)>& work);

}  // namespace pixkit
