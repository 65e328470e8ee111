// What reading one source file yields: its control block, calibration table, sizes and counts.
// Everything here lives for one source file and is replaced by the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/control_block.h"

namespace nephrax {

// 16-bit counts must stay below this: the count-to-index table has one entry per count.
inline constexpr int32_t kCountTableSize = 16384;

// The calibration table: one value per count from `first` to `last`, ascending once ordered.
struct Calibration {
  int32_t first = 0;
  int32_t last = 0;
  std::vector<float> values;  // values[k] belongs to count first + k
};

struct Geometry {
  int32_t source_width = 0;  // pixels per line in the file
  int32_t source_height = 0;  // lines in the file
  int32_t output_width = 0;  // size of the picture
  int32_t output_height = 0;
};

// The image counts, bottom-up as a device-independent bitmap keeps them: the file's first line is
// the last row. Each row holds `stride` pixels, the width rounded up to a multiple of 4. Exactly one
// of the two buffers is used, by the pixel width of the file.
struct SourceImage {
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;
  std::vector<uint8_t> counts8;
  std::vector<uint16_t> counts16;
};

struct SourceData {
  ControlBlock control;
  Calibration calibration;
  Geometry geometry;
  SourceImage image;
};

}  // namespace nephrax
