// Control blocks of grid images over a chosen area, for the transform, placement and grid tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/control_block.h"
#include "support/source_file_builder.h"

namespace nephrax::testing {

inline ControlBlock ControlBlockOf(const SourceFileSpec& spec) {
  ControlBlock control;
  const std::vector<uint8_t> bytes = BuildControlBlock(spec);
  std::copy(bytes.begin(), bytes.end(), control.bytes.begin());
  return control;
}

// A grid image of `pixels` x `lines` covering latitudes `top`..`bottom` and longitudes
// `west`..`east`, every corner consistent with that rectangle.
inline ControlBlock GridControlBlock(float top, float west, float bottom, float east,
                                     int32_t pixels, int32_t lines) {
  SourceFileSpec spec;
  spec.top_left_lat = spec.top_right_lat = top;
  spec.bottom_left_lat = spec.bottom_right_lat = bottom;
  spec.top_left_lon = spec.bottom_left_lon = west;
  spec.top_right_lon = spec.bottom_right_lon = east;
  spec.grid_pixels = pixels;
  spec.grid_lines = lines;
  return ControlBlockOf(spec);
}

}  // namespace nephrax::testing
