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

// The float a bucket holding `held` thresholds compares with.
float ThresholdOfBucket(std::span<const double> held) {
  if (held.empty()) return std::numeric_limits<float>::infinity();
  if (held.size() > 1 || std::fabs(held.front()) > std::numeric_limits<float>::max())
    return std::numeric_limits<float>::quiet_NaN();
  return NearestFloat(held.front());
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
  const double span = thresholds_.back() - thresholds_.front();
  // Thresholds all equal leave one bucket, which holds them all.
  grid_.origin = thresholds_.front();
  grid_.per_unit = span > 0 ? static_cast<double>(buckets) / span : 0;
  buckets_.resize(span > 0 ? buckets : 1);
  grid_.last = static_cast<double>(buckets_.size() - 1);
  // The thresholds ascend, so their buckets do.
  size_t passed = 0;
  for (size_t bucket = 0; bucket < buckets_.size(); ++bucket) {
    const size_t held_from = passed;
    while (passed < thresholds_.size() && grid_.BucketOf(thresholds_[passed]) == bucket) ++passed;
    buckets_[bucket] = {ThresholdOfBucket(std::span(thresholds_).subspan(held_from, passed - held_from)),
                        calibration.first + static_cast<int32_t>(held_from)};
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
