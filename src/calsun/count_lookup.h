// CountOfValue for every pixel of an image: the same counts, ties included, found through tables
// built once per image instead of a search through the calibration table per pixel.
//
// Over an ascending table CountOfValue never falls as the value rises, so it is fixed by the
// values at which it steps up: the count of a value is the first count plus the number of those
// thresholds at or below it. Each threshold is found once with CountOfValue itself, as the
// smallest value that reaches its count, which keeps every tie where CountOfValue puts it.
//
// The value range is cut into buckets, and each threshold belongs to the bucket of its nearest
// float. A value looked up goes to the bucket of its own nearest float; as rounding and BucketOf
// never reverse the order of two values, every threshold of an earlier bucket lies below the
// value and every threshold of a later one above it. A bucket therefore knows the count of its
// values below its own threshold, and a lookup makes one comparison, or a search when the bucket
// holds several thresholds.
//
// The comparison is made in single precision, against two floats that enclose the threshold's
// own: a value whose float lies above (below) both lies above (below) the threshold itself, as
// rounding never reverses an order. The two floats are neighbouring marks of a grid of 4096 marks
// per bucket, so that a bucket fits in 32 bits with its count; only a value between them is left
// to the search. The same holds for any float known to lie below (above) the value, which lets
// the vector kernels look up a bounded estimate.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "core/settings.h"
#include "source/source_data.h"

namespace nephrax {

// Where a value, rounded to float, falls among the buckets: (value - origin) * per_unit in single
// precision, held within 0..last and truncated; and the marks within the buckets, mark m of
// bucket b at origin + (b * kMarksPerBucket + m) * per_mark. Every step rounds without reversing
// the order of two values, so neither the bucket nor a mark ever falls as the value rises; the
// vector kernels compute them with the same operations.
struct BucketGrid {
  static constexpr int32_t kMarkBits = 12;
  static constexpr int32_t kMarksPerBucket = 1 << kMarkBits;

  float origin = 0;
  float per_unit = 0;
  float last = 0;
  float per_mark = 0;

  size_t BucketOf(float value) const {
    float position = (value - origin) * per_unit;
    position = position > 0 ? position : 0;
    position = position < last ? position : last;
    return static_cast<size_t>(static_cast<int32_t>(position));
  }

  float Mark(size_t bucket, int32_t mark) const {
    const auto index = static_cast<int32_t>(bucket) * kMarksPerBucket + mark;
    return origin + static_cast<float>(index) * per_mark;
  }
};

// One bucket in 32 bits: the count of its values below its threshold, shifted left by kMarkBits,
// and the mark just below the threshold (the next mark lies above it); kNoThreshold when the
// bucket holds none, kUndecided when it holds several, or one the marks cannot enclose (every
// value of the bucket is then searched).
using CountBucket = uint32_t;
constexpr uint32_t kMarkMask = BucketGrid::kMarksPerBucket - 1;
constexpr uint32_t kNoThreshold = kMarkMask;
constexpr uint32_t kUndecided = kMarkMask - 1;

// Thresholds evenly spaced within float precision, as a straight table gives: on a grid of one
// bucket per threshold, threshold j lies in bucket j, between two floats on parallel lines, Low(j)
// and High(j), and NextLow(j) lies at or below threshold j + 1. A lookup then needs no table:
// bucket b holds first + b counts below its threshold; a value above High(b) and below
// NextLow(b) has one more.
struct EvenThresholds {
  BucketGrid grid;
  float step;  // the spacing of the thresholds
  float low_start;
  float high_start;
  float next_low_start;

  // Each a single rounding, as the vector kernels compute them.
  float Low(size_t bucket) const { return std::fma(static_cast<float>(bucket), step, low_start); }
  float High(size_t bucket) const { return std::fma(static_cast<float>(bucket), step, high_start); }
  float NextLow(size_t bucket) const {
    return std::fma(static_cast<float>(bucket), step, next_low_start);
  }
};

// The float nearest `value` within the float range; beyond it, the infinity on its side. Like any
// rounding it never reverses the order of two values.
inline float NearestFloat(double value) {
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  if (std::fabs(value) <= std::numeric_limits<float>::max()) return static_cast<float>(value);
  return value > 0 ? kInfinity : -kInfinity;
}

class CountLookup {
 public:
  // Borrows `calibration` and `channel`, which must outlive the lookup. Throws std::bad_alloc.
  CountLookup(const Calibration& calibration, const ChannelSettings& channel);

  // CountOf works from the buckets; without them (a table of one count, or one that is not finite
  // and ascending) it searches the calibration table.
  bool HasBuckets() const { return !thresholds_.empty(); }

  // CountOfValue(calibration, channel, value).
  int32_t CountOf(double value) const {
    if (!HasBuckets()) return SearchedCount(value);
    // At or above the last threshold, and NaN, which no table value exceeds: the last count.
    if (!(value < LastThreshold())) return calibration_.last;
    const float rounded = NearestFloat(value);
    const size_t index = grid_.BucketOf(rounded);
    const CountBucket bucket = buckets_[index];
    const auto below = static_cast<int32_t>(bucket >> BucketGrid::kMarkBits);
    const uint32_t mark = bucket & kMarkMask;
    // A value between the marks, or the unordered NaN, is searched; the other branches are taken
    // rarely. The comparisons decide without a branch, which the processor could not predict.
    if (mark == kUndecided) return SteppedCount(value);
    const bool none = mark == kNoThreshold;
    const auto low = static_cast<int32_t>(mark);
    const bool above = rounded > grid_.Mark(index, low + 1);
    const bool under = rounded < grid_.Mark(index, low);
    if (!(none | above | under)) return SteppedCount(value);
    return below + static_cast<int32_t>(above & !none);
  }

  // The tables of CountOf, for lookups of several values at once; only with HasBuckets().
  double LastThreshold() const { return thresholds_.back(); }
  int32_t FirstCount() const { return calibration_.first; }
  int32_t LastCount() const { return calibration_.last; }
  const BucketGrid& Grid() const { return grid_; }
  std::span<const CountBucket> Buckets() const { return buckets_; }
  const std::optional<EvenThresholds>& Even() const { return even_; }

 private:
  // For a table of one count, or one that is not finite and ascending.
  int32_t SearchedCount(double value) const;
  // The first count plus the number of thresholds at or below `value`.
  int32_t SteppedCount(double value) const;

  const Calibration& calibration_;
  const ChannelSettings& channel_;
  // The smallest value whose count is first + 1, first + 2, ..., last; empty when the table has
  // a single count or is not finite and ascending.
  std::vector<double> thresholds_;
  BucketGrid grid_;
  std::vector<CountBucket> buckets_;
  std::optional<EvenThresholds> even_;
};

}  // namespace nephrax
