// The sun-angle correction of visible images: every pixel's calibrated value is divided by the
// cosine of the solar zenith angle at that pixel, at the moment its line was scanned, and the
// nearest count is written back. With SunGln on, pixels near the sun-glint direction are dimmed
// as well.
//
// The image is taken to lie on a grid even in latitude and longitude between the control block's
// corner values: latitude from the top line to the bottom line, longitude from the left column to
// the right column. The geometry is evaluated at sample columns only (every `step` columns, and
// the last one) and interpolated linearly in between.
#pragma once

#include <cstdint>
#include <vector>

#include "calsun/sun_geometry.h"
#include "core/control_block.h"
#include "core/settings.h"
#include "source/source_data.h"

namespace nephrax {

// The columns of a line at which the geometry is evaluated.
struct SamplePlan {
  int32_t step = 0;
  std::vector<int32_t> columns;
};

// step = max(10, width / 50); width / step + 2 columns: 0, step, 2 step, ... below the width,
// then the last column to the end of the list (twice when the width is a multiple of the step).
SamplePlan PlanSamples(int32_t width);

// The scan time of picture line `line` (0 at the top) of an image of `lines` lines, between the
// control block's start and end times; with a negative signed line count the lines were scanned
// bottom first. Whole seconds; the millisecond is 0. A single line takes the start time. Times
// beyond the years 1..9999 are held at those bounds.
UtcTime LineTime(const ControlBlock& block, int32_t lines, int32_t line);

// Corrects the counts of `image` in place. A `tbb` channel is left alone (false), as is the image
// when the calibration table's counts do not run 0 <= first <= last or the working tables cannot
// be allocated. Pixels holding no data (16-bit 65535; 8-bit 255 when the control block's no-data
// flag is set) and pixels whose sun lies below the horizon keep their counts. The lines are shared
// out among the processors.
bool CorrectVisibleImage(const ControlBlock& block, const Calibration& calibration,
                         const ChannelSettings& channel, const SatelliteView& satellite,
                         SourceImage& image);

}  // namespace nephrax
