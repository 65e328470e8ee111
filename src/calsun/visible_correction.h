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

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <type_traits>
#include <vector>

#include "calsun/line_correction.h"
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

// The correction of one image, prepared once and then applied to its lines: in any order, and
// from several threads at once as long as each works on lines of its own.
class VisibleCorrection {
 public:
  // Prepared for an image of `image`'s size, with the block's pixel width; the counts need not be
  // there yet. Borrows `calibration` and `channel`, which must outlive it. Throws std::bad_alloc.
  VisibleCorrection(const ControlBlock& block, const Calibration& calibration,
                    const ChannelSettings& channel, const SatelliteView& satellite,
                    const SourceImage& image);

  // Works out the geometry of the lines from the top down, which needs nothing of their counts,
  // until `stop` is set or every line is done. Must return before CorrectLines is first called.
  void SampleAhead(const std::atomic<bool>& stop);

  // Corrects the counts of picture lines [first_line, end_line) (0 at the top) of the image it was
  // prepared for, after working out the geometry of those SampleAhead did not reach. Pixels holding
  // no data (16-bit 65535; 8-bit 255 when the control block's no-data flag is set) and pixels
  // whose sun lies below the horizon keep their counts.
  void CorrectLines(SourceImage& image, int64_t first_line, int64_t end_line);

 private:
  // The sample cosines of every line, each line's at `per_line` places from line * per_line on:
  // sun and glint with SunGln on; and the terms of the sun's hour angle, which stay the same while
  // the ephemeris does: its sine and cosine with SunGln on, its cosine without.
  struct ImageSamples {
    size_t per_line;
    std::vector<double> sun;
    std::vector<double> glint;
    std::vector<double> hour;
    std::vector<HourTerms> hour_terms;

    // The samples of one line; declared first, as the functions below take its return type.
    template <typename Samples>
    auto LineOf(Samples& samples, int64_t line) const {
      using Term = std::remove_reference_t<decltype(samples.front())>;
      if (samples.empty()) return std::span<Term>();
      return std::span<Term>(samples).subspan(static_cast<size_t>(line) * per_line, per_line);
    }

    std::span<double> SunOf(int64_t line) { return LineOf(sun, line); }
    std::span<double> GlintOf(int64_t line) { return LineOf(glint, line); }
    std::span<const double> SunOf(int64_t line) const { return LineOf(sun, line); }
    std::span<const double> GlintOf(int64_t line) const { return LineOf(glint, line); }
    std::span<double> HourOf(int64_t line) { return LineOf(hour, line); }
    std::span<HourTerms> HourTermsOfLine(int64_t line) { return LineOf(hour_terms, line); }
  };

  // The sample cosines of lines [first_line, end_line).
  void SampleLines(int64_t first_line, int64_t end_line);
  // The sample cosines of one line, with the sun's ephemeris at its scan time.
  void SampleLine(int32_t line, const SunEphemeris& ephemeris, bool new_ephemeris);
  template <typename Count>
  void CorrectRows(std::span<Count> counts, size_t stride, int64_t first_line,
                   int64_t end_line) const;

  ControlBlock block_;
  SatelliteView satellite_;
  CountCorrection correction_;
  SamplePlan plan_;
  int32_t width_;
  int32_t height_;
  std::vector<double> longitudes_;
  std::vector<LongitudeTerms> longitude_terms_;  // only with SunGln on
  ImageSamples samples_;
  int64_t sampled_ahead_ = 0;  // the lines SampleAhead did: 0 up to this one
  LineKernel kernel_;
};

// The correction of an image of `image`'s size, or nothing when the image is to be left alone: a
// `tbb` channel, a calibration table whose counts do not run 0 <= first <= last, or working
// tables that cannot be allocated.
std::optional<VisibleCorrection> PrepareVisibleCorrection(const ControlBlock& block,
                                                          const Calibration& calibration,
                                                          const ChannelSettings& channel,
                                                          const SatelliteView& satellite,
                                                          const SourceImage& image);

// Corrects the counts of `image` in place, its lines shared out among the processors. False, and
// the image left alone, when PrepareVisibleCorrection gives nothing or the image's counts do not
// fill a buffer of the block's pixel width.
bool CorrectVisibleImage(const ControlBlock& block, const Calibration& calibration,
                         const ChannelSettings& channel, const SatelliteView& satellite,
                         SourceImage& image);

}  // namespace nephrax
