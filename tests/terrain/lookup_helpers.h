// Running an elevation lookup on a handful of points in tests.
#pragma once

#include <functional>
#include <span>
#include <vector>

#include "terrain/elevation_sources.h"

namespace nephrax::testing {

struct LatLon {
  double latitude;
  double longitude;
};

struct LookupResult {
  bool found = false;
  std::vector<int16_t> elevations;
};

using LookupFunction = std::function<bool(const ElevationPoints&, std::span<int16_t>)>;

// Runs `lookup` on the points, its output filled beforehand with a value no lookup gives.
inline LookupResult RunLookup(const std::vector<LatLon>& points, const LookupFunction& lookup) {
  std::vector<double> latitudes;
  std::vector<double> longitudes;
  for (const LatLon& point : points) {
    latitudes.push_back(point.latitude);
    longitudes.push_back(point.longitude);
  }
  LookupResult result;
  result.elevations.assign(points.size(), 12345);
  result.found = lookup({latitudes, longitudes}, result.elevations);
  return result;
}

inline LookupResult LookUpIn(const std::string& directory, const std::vector<LatLon>& points) {
  return RunLookup(points, [&](const ElevationPoints& p, std::span<int16_t> out) {
    return LookupElevations(p, out, directory);
  });
}

inline std::vector<int16_t> NoElevations(size_t count) {
  return std::vector<int16_t>(count, kNoElevation);
}

}  // namespace nephrax::testing
