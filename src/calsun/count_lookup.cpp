#include "calsun/count_lookup.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "calsun/display_tables.h"

namespace nephrax {

namespace {

// Buckets per count: enough that a bucket seldom holds more than one threshold, few enough that
// the tables of a 1024-count image stay within the first-level cache or near it.
constexpr size_t kBucketsPerCount = 4;

bool IsFiniteAndAscending(const std::vector<float>& values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); }) &&
         std::is_sorted(values.begin(), values.end());
}

// The smallest value whose CountOfValue reaches `count`, searched from `estimate` one
// representable value at a time. The estimate, halfway between the values of the two counts, lies
// within a few steps of it.
double ThresholdOf(const Calibration& calibration, const ChannelSettings& channel, int32_t count,
                   double estimate) {
  double value = estimate;
  while (CountOfValue(calibration, channel, value) >= count)
    value = std::nextafter(value, -INFINITY);
  while (CountOfValue(calibration, channel, value) < count) value = std::nextafter(value, INFINITY);
  return value;
}

// The counts a bucket word holds in the bits above its mark, and the buckets whose marks are
// numbered within int32_t.
constexpr int32_t kMostCounts = 1 << (32 - BucketGrid::kMarkBits);
constexpr size_t kMostBuckets = size_t{1} << (31 - BucketGrid::kMarkBits);

// The mark just below the float of `threshold` among the marks of `bucket`, when the next one
// lies above it; kUndecided when no two marks enclose it.
uint32_t MarkBelow(const BucketGrid& grid, size_t bucket, double threshold) {
  const float rounded = NearestFloat(threshold);
  // The marks rise with their number: the last one at or below the threshold's float.
  int32_t low = 0;
  int32_t high = static_cast<int32_t>(kUndecided);  // one past the last usable mark
  if (!(grid.Mark(bucket, low) <= rounded)) return kUndecided;
  while (high - low > 1) {
    const int32_t middle = (low + high) / 2;
    if (grid.Mark(bucket, middle) <= rounded) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return grid.Mark(bucket, low + 1) >= rounded ? static_cast<uint32_t>(low) : kUndecided;
}

// Whether Low(j) and High(j) enclose every threshold j, and NextLow(j - 1) lies below it.
bool EnclosesEveryThreshold(const EvenThresholds& even, const std::vector<double>& thresholds) {
  for (size_t j = 0; j < thresholds.size(); ++j) {
    const float threshold = NearestFloat(thresholds[j]);
    if (!(even.Low(j) <= threshold && threshold <= even.High(j))) return false;
    if (j > 0 && !(even.NextLow(j - 1) <= threshold)) return false;
  }
  return true;
}

// The widest band, as a share of the spacing, the thresholds of an even grid may lie in: every
// value within it is left to the exact computation.
constexpr double kWidestEvenBand = 1.0 / 64;

// The even grid of `thresholds`, when each lies in its own bucket and all within a narrow band
// along a straight line; thresholds lie so when the table is a straight line.
std::optional<EvenThresholds> EvenThresholdsOf(const std::vector<double>& thresholds) {
  const size_t count = thresholds.size();
  if (count < 2 || count >= kMostBuckets) return std::nullopt;
  const float low = NearestFloat(thresholds.front());
  const double spacing = (NearestFloat(thresholds.back()) - double{low}) /
                         static_cast<double>(count - 1);
  if (!(spacing > 0) || !std::isfinite(spacing)) return std::nullopt;
  // Each threshold in the middle of its bucket.
  EvenThresholds even{{static_cast<float>(low - spacing / 2), static_cast<float>(1 / spacing),
                       static_cast<float>(count - 1), 0},
                      static_cast<float>(spacing), low, low, low};
  double widest = 0;
  for (size_t j = 0; j < count; ++j) {
    const float threshold = NearestFloat(thresholds[j]);
    if (even.grid.BucketOf(threshold) != j) return std::nullopt;
    widest = std::max(widest, std::fabs(double{threshold} - even.Low(j)));
  }
  // The band starts at the widest distance and a unit in the last place, and widens until the
  // rounding of the lines' own points leaves every threshold inside it.
  for (double half_band = widest + 0x1p-24 * std::fabs(NearestFloat(thresholds.back()));
       2 * half_band <= kWidestEvenBand * spacing; half_band *= 2) {
    even.low_start = static_cast<float>(low - half_band);
    even.high_start = static_cast<float>(low + half_band);
    even.next_low_start = static_cast<float>(low + spacing - half_band);
    if (EnclosesEveryThreshold(even, thresholds)) return even;
  }
  return std::nullopt;
}

// The bucket word of a bucket holding `held` thresholds, with `below` counts below them.
CountBucket BucketWord(const BucketGrid& grid, size_t bucket, std::span<const double> held,
                       int32_t below) {
  uint32_t mark = kNoThreshold;
  if (held.size() == 1) {
    mark = MarkBelow(grid, bucket, held.front());
  } else if (held.size() > 1) {
    mark = kUndecided;
  }
  return static_cast<uint32_t>(below) << BucketGrid::kMarkBits | mark;
}

}  // namespace

CountLookup::CountLookup(const Calibration& calibration, const ChannelSettings& channel)
    : calibration_(calibration), channel_(channel) {
  if (calibration.first >= calibration.last || !IsFiniteAndAscending(calibration.values)) return;
  for (int32_t count = calibration.first + 1; count <= calibration.last; ++count) {
    const double halfway = (ValueOfCount(calibration, channel, count - 1) +
                            ValueOfCount(calibration, channel, count)) /
                           2;
    thresholds_.push_back(ThresholdOf(calibration, channel, count, halfway));
  }

  const size_t buckets = kBucketsPerCount * thresholds_.size();
  const float low = NearestFloat(thresholds_.front());
  const double span = static_cast<double>(NearestFloat(thresholds_.back())) - low;
  // Thresholds all within one float, or beyond the float range, and counts beyond what a bucket
  // can hold leave one bucket, which holds them all.
  const bool spread = span > 0 && std::isfinite(span) && buckets < kMostBuckets &&
                      calibration.first >= 0 && calibration.last < kMostCounts;
  grid_.origin = spread ? low : 0;
  grid_.per_unit = spread ? static_cast<float>(static_cast<double>(buckets) / span) : 0;
  grid_.per_mark =
      spread ? static_cast<float>(span / static_cast<double>(buckets) / BucketGrid::kMarksPerBucket)
             : 0;
  buckets_.resize(spread ? buckets : 1);
  grid_.last = static_cast<float>(buckets_.size() - 1);
  if (!spread) {
    buckets_.front() = kUndecided;
    return;
  }
  even_ = EvenThresholdsOf(thresholds_);
  // The thresholds ascend, so their buckets do.
  size_t passed = 0;
  for (size_t bucket = 0; bucket < buckets_.size(); ++bucket) {
    const size_t held_from = passed;
    while (passed < thresholds_.size() &&
           grid_.BucketOf(NearestFloat(thresholds_[passed])) == bucket)
      ++passed;
    buckets_[bucket] =
        BucketWord(grid_, bucket, std::span(thresholds_).subspan(held_from, passed - held_from),
                   calibration.first + static_cast<int32_t>(held_from));
  }
}

int32_t CountLookup::SearchedCount(double value) const {
  return CountOfValue(calibration_, channel_, value);
}

int32_t CountLookup::SteppedCount(double value) const {
  const auto passed = std::upper_bound(thresholds_.begin(), thresholds_.end(), value);
  return calibration_.first + static_cast<int32_t>(passed - thresholds_.begin());
}

}  // namespace nephrax
