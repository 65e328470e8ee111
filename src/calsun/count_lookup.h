// CountOfValue for every pixel of an image: the same counts, ties included, found through tables
// built once per image instead of a search through the calibration table per pixel.
//
// Over an ascending table CountOfValue never falls as the value rises, so it is fixed by the
// values at which it steps up: the count of a value is the first count plus the number of those
// thresholds at or below it. Each threshold is found once with CountOfValue itself, as the
// smallest value that reaches its count, which keeps every tie where CountOfValue puts it.
//
// The value range is cut into buckets. A threshold belongs to the bucket BucketOf puts it in, the
// same function that places the values looked up; as BucketOf never falls as the value rises,
// every threshold of an earlier bucket lies below a value and every threshold of a later one above
// it. A bucket therefore knows the count of its values below its own threshold, and a lookup makes
// one comparison, or a search when the bucket holds several thresholds.
//
// The comparison is made in single precision, which fits a bucket into eight bytes: rounding to
// float never reverses the order of two values, so a value that rounds above (below) the rounded
// threshold lies above (below) the threshold itself. Only a value that rounds to the threshold's
// own float is left to the search.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "core/settings.h"
#include "source/source_data.h"

namespace nephrax {

// Where a value falls among the buckets: (value - origin) * per_unit, held within 0..last and
// truncated. NaN falls into bucket 0.
struct BucketGrid {
  double origin = 0;
  double per_unit = 0;
  double last = 0;

  size_t BucketOf(double value) const {
    double position = (value - origin) * per_unit;
    position = position > 0 ? position : 0;
    position = position < last ? position : last;
    return static_cast<size_t>(static_cast<int64_t>(position));
  }
};

// One bucket: the count of its values below its threshold, and the threshold rounded to float;
// +infinity when the bucket holds no threshold, NaN when it holds several or one beyond the float
// range (every value of the bucket is then searched).
struct CountBucket {
  float threshold;
  int32_t count;
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
    const CountBucket bucket = buckets_[grid_.BucketOf(value)];
    const float rounded = NearestFloat(value);
    const bool above = rounded > bucket.threshold;
    const bool below = rounded < bucket.threshold;
    // Equal in float, or unordered: the bucket cannot tell. Otherwise no branch on the data, which
    // the processor could not predict.
    if (!(above | below)) return SteppedCount(value);
    return bucket.count + static_cast<int32_t>(above);
  }

  // The tables of CountOf, for lookups of several values at once; only with HasBuckets().
  double LastThreshold() const { return thresholds_.back(); }
  int32_t LastCount() const { return calibration_.last; }
  const BucketGrid& Grid() const { return grid_; }
  std::span<const CountBucket> Buckets() const { return buckets_; }

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
};

}  // namespace nephrax
