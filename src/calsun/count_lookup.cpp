#include "calsun/count_lookup.h"

#include <algorithm>
#include <cmath>

#include "calsun/display_tables.h"

namespace nephrax {

namespace {

// Buckets per count: enough that a bucket seldom holds a threshold, few enough that the tables of
// a 1024-count image stay in the first-level cache.
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
  // Thresholds all equal leave one bucket, from which a lookup steps.
  buckets_per_unit_ = span > 0 ? static_cast<double>(buckets) / span : 0;
  below_bucket_.assign(span > 0 ? buckets : 1, 0);
  last_bucket_ = static_cast<double>(below_bucket_.size() - 1);
  // Rounding may put a value into the bucket after the one its position belongs to, never two
  // buckets on: counting only the thresholds below the previous bucket's start keeps the count a
  // lower bound for every value that lands in the bucket.
  size_t passed = 0;
  for (size_t bucket = 1; bucket < below_bucket_.size(); ++bucket) {
    const double previous_start =
        thresholds_.front() + static_cast<double>(bucket - 1) / buckets_per_unit_;
    while (passed < thresholds_.size() && thresholds_[passed] < previous_start) ++passed;
    below_bucket_[bucket] = static_cast<uint16_t>(passed);
  }
}

int32_t CountLookup::SearchedCount(double value) const {
  return CountOfValue(calibration_, channel_, value);
}

}  // namespace nephrax
