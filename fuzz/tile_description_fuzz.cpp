// Feeds arbitrary bytes, plain or SZDD-compressed, to the tile description reader, and looks up a
// grid of points over the globe (and beyond 180 E) in the set it describes. The set's directory
// does not exist, so every tile is missing; the description and the map are what is fuzzed.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_file.h"
#include "terrain/tiled_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const nephrax::fuzz::FuzzFile file(data, size);
  std::vector<double> latitudes;
  std::vector<double> longitudes;
  for (double lat = 95; lat >= -95; lat -= 5) {
    for (double lon = -185; lon <= 545; lon += 5) {
      latitudes.push_back(lat);
      longitudes.push_back(lon);
    }
  }
  latitudes.push_back(std::nan(""));
  longitudes.push_back(1e300);
  std::vector<int16_t> elevations(latitudes.size());
  const bool found = nephrax::ReadTiledSet({latitudes, longitudes}, elevations,
                                           "/nonexistent/elevation", file.path());
  if (found) {
    // No tile file exists, so no point has data.
    for (const int16_t elevation : elevations) {
      if (elevation != nephrax::kNoElevation) __builtin_trap();
    }
  }
  return 0;
}
