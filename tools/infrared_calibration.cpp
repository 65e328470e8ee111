#include "infrared_calibration.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace nephrax::sample {

namespace {

// How far the table bows from a straight line: the step at the cold end is (1 + k) / (1 - k)
// times the step at the warm end.
constexpr double kCurvature = 0.2;

}  // namespace

std::vector<float> FallingKelvinTable(int32_t last_count, double warmest, double coldest) {
  std::vector<float> table;
  table.reserve(static_cast<size_t>(last_count) + 1);
  for (int32_t count = 0; count <= last_count; ++count) {
    const double u = static_cast<double>(count) / static_cast<double>(last_count);
    const double fall = u - kCurvature * u * (1 - u);
    table.push_back(static_cast<float>(warmest + (coldest - warmest) * fall));
  }
  return table;
}

uint16_t NearestCount(std::span<const float> table, double kelvin) {
  // First entry not warmer than `kelvin`; the nearest is it or the one before.
  const auto colder =
      std::partition_point(table.begin(), table.end(), [&](float value) { return value > kelvin; });
  auto nearest = colder;
  if (colder == table.end() || (colder != table.begin() && std::abs(*std::prev(colder) - kelvin) <=
                                                               std::abs(*colder - kelvin))) {
    nearest = std::prev(colder);
  }
  return static_cast<uint16_t>(std::distance(table.begin(), nearest));
}

}  // namespace nephrax::sample
