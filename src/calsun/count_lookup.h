// CountOfValue for every pixel of an image: the same counts, ties included, found through tables
// built once per image instead of a search through the calibration table per pixel.
//
// Over an ascending table CountOfValue never falls as the value rises, so it is fixed by the
// values at which it steps up: the count of a value is the first count plus the number of those
// thresholds at or below it. Each threshold is found once with CountOfValue itself, as the
// smallest value that reaches its count, which keeps every tie where CountOfValue puts it. The
// value range is cut into buckets that know how many thresholds lie below them, so a lookup only
// steps over the few thresholds inside one bucket.
#pragma once

#include <cstdint>
#include <vector>

#include "core/settings.h"
#include "source/source_data.h"

namespace nephrax {

class CountLookup {
 public:
  // Borrows `calibration` and `channel`, which must outlive the lookup. Throws std::bad_alloc.
  CountLookup(const Calibration& calibration, const ChannelSettings& channel);

  // CountOfValue(calibration, channel, value).
  int32_t CountOf(double value) const {
    if (thresholds_.empty()) return SearchedCount(value);
    // At or above the last threshold, and NaN, which no table value exceeds: the last count.
    if (!(value < thresholds_.back())) return calibration_.last;
    double position = (value - thresholds_.front()) * buckets_per_unit_;
    position = position > 0 ? position : 0;
    position = position < last_bucket_ ? position : last_bucket_;
    size_t passed = below_bucket_[static_cast<size_t>(static_cast<int64_t>(position))];
    // A bucket and the one before it seldom hold more than one threshold: the first step is
    // taken without a branch, which the data could not predict.
    passed += thresholds_[passed] <= value;
    while (thresholds_[passed] <= value) ++passed;
    return calibration_.first + static_cast<int32_t>(passed);
  }

 private:
  // For a table of one count, or one that is not finite and ascending.
  int32_t SearchedCount(double value) const;

  const Calibration& calibration_;
  const ChannelSettings& channel_;
  // The smallest value whose count is first + 1, first + 2, ..., last; empty when the table has
  // a single count or is not finite and ascending.
  std::vector<double> thresholds_;
  // Per bucket, the number of thresholds below every value of the bucket.
  std::vector<uint16_t> below_bucket_;
  double buckets_per_unit_ = 0;
  double last_bucket_ = 0;
};

}  // namespace nephrax
