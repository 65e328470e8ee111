// The sample's calibration: a falling kelvin table over its counts, and the way back from a
// temperature to the count that shows it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace nephrax::sample {

// Temperatures for counts 0..last_count, `warmest` at count 0 falling to `coldest` at the last.
// Slightly curved as in a real infrared table: the steps are finer at the warm end, where the
// radiance changes fastest with temperature.
std::vector<float> FallingKelvinTable(int32_t last_count, double warmest, double coldest);

// The count whose table value is nearest to `kelvin`; temperatures beyond the table's ends give
// its first or last count. `table` must be non-empty and fall from its first value to its last.
uint16_t NearestCount(std::span<const float> table, double kelvin);

}  // namespace nephrax::sample
