// The per-pixel part of the sun-angle correction: the counts of one line, each divided by its
// factor (the sun's cosine interpolated between the line's sample columns, held at a floor, and
// dimmed near the glint direction) and turned back into the count of the result.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "calsun/count_lookup.h"

namespace nephrax {

// The values of a straight table in single precision: start + count * step, rounded once, lies
// within 2^-22 of the value of every count (relative; exactly 0 for 0).
struct EvenValues {
  float start;
  float step;

  float ValueOf(int32_t count) const { return std::fma(static_cast<float>(count), step, start); }
};

// Everything that turns a count and its factor into the corrected count.
struct CountCorrection {
  // Throws std::bad_alloc.
  CountCorrection(const Calibration& calibration, const ChannelSettings& channel, int32_t no_data);

  int32_t last;                // the calibration table's last count
  std::vector<double> values;  // ValueOfCount of every count 0..last
  // The values rounded to float, for the vector kernel; empty when one of them lies beyond the
  // range in which its error bounds hold.
  std::vector<float> single_values;
  std::optional<EvenValues> even_values;  // only with single_values
  CountLookup lookup;
  int32_t no_data;  // the count that marks missing data, or -1
};

// The geometry of one line at its sample columns 0, step, 2 step, ... and the last column.
struct LineSamples {
  int32_t step;
  std::span<const double> sun;    // the sun's cosine
  std::span<const double> glint;  // the glint cosine; empty without glint dimming
};

// The ways CorrectLine can do its work, all with the same counts.
enum class LineKernel {
  kPortable,
  kAvx512,  // sixteen pixels at a time; only on processors with AVX-512 (F, VL, DQ and BW)
};

// The fastest kernel the processor runs.
LineKernel FastestLineKernel();

// Corrects every count of `row`. A pixel whose factor is 0 (the sun below the horizon), or which
// holds the no-data count, keeps its count.
template <typename Count>
void CorrectLine(std::span<Count> row, const LineSamples& samples,
                 const CountCorrection& correction, LineKernel kernel);

}  // namespace nephrax
