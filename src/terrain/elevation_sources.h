// Ground elevations for a batch of latitude/longitude points, from the elevation data in one
// directory: an ELV grid file, a tile description set, or the GTOPO30 tile set.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace nephrax {

// Elevations are int16 metres above sea level, or one of two markers.
inline constexpr int16_t kSeaElevation = -9999;  // the data marks the cell as sea
inline constexpr int16_t kNoElevation = -8888;   // outside every grid, missing or unreadable data

// The points of one lookup: point i is (latitudes[i], longitudes[i]) in degrees, north and east
// positive. Longitudes may lie beyond 180, as continuous longitudes across the 180th meridian do.
struct ElevationPoints {
  std::span<const double> latitudes;
  std::span<const double> longitudes;

  size_t size() const { return latitudes.size(); }
};

// Fills elevations[i] for every point from the first of "ELEVAT.DAT", "elevGlobe30s",
// "elevGtopo30s", "elevGtopo2m", "elevGtopo6m" and "elevGtopo30m" that opens in `directory` (an
// ELV grid or a tile description, possibly LZ-compressed), or else from the GTOPO30 tile set
// there. A file whose path would be longer than 255 bytes does not open. Returns false, with
// every elevation kNoElevation, when no source could be used or the three spans differ in length.
bool LookupElevations(const ElevationPoints& points, std::span<int16_t> elevations,
                      const std::string& directory);

// Marks every point as without data.
void FillNoElevation(std::span<int16_t> elevations);

// True when the points and the elevations are of one length; otherwise marks every elevation as
// without data.
bool CheckPointCount(const ElevationPoints& points, std::span<int16_t> elevations);

}  // namespace nephrax
