// Feeds arbitrary bytes, plain or SZDD-compressed, to the ELV grid reader, and looks up points
// at the corners, the middle and just outside of the grid its header describes, a whole turn east
// and west of them, and a few that are no place at all.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "fuzz_file.h"
#include "terrain/elv_grid.h"

namespace {

using nephrax::ElvGrid;

struct Points {
  std::vector<double> latitudes;
  std::vector<double> longitudes;

  void Add(double latitude, double longitude) {
    latitudes.push_back(latitude);
    longitudes.push_back(longitude);
  }
};

Points PointsAround(const ElvGrid& grid) {
  Points points;
  const double rows[] = {-1, 0, grid.rows / 2.0, grid.rows - 1.0, static_cast<double>(grid.rows)};
  const double columns[] = {-1, 0, grid.columns / 2.0, grid.columns - 1.0,
                            static_cast<double>(grid.columns)};
  for (const double row : rows) {
    for (const double column : columns) {
      const double lat = grid.north - (row + 0.5) * grid.row_height / 3600.0;
      const double lon = grid.west + (column + 0.5) * grid.column_width / 3600.0;
      points.Add(lat, lon);
      points.Add(lat, lon + 360);
      points.Add(lat, lon - 360);
    }
  }
  return points;
}

void AddPlacesThatAreNot(Points& points) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  points.Add(std::nan(""), 0);
  points.Add(0, std::nan(""));
  points.Add(kInfinity, -kInfinity);
  points.Add(1e300, 1e300);
  points.Add(-1e300, -1e300);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const nephrax::fuzz::FuzzFile file(data, size);
  std::unique_ptr<nephrax::LzFile> opened = nephrax::LzFile::Open(file.path());
  if (!opened) return 0;
  const std::optional<ElvGrid> grid = nephrax::ReadElvGridHeader(*opened);
  Points points = grid ? PointsAround(*grid) : Points{};
  AddPlacesThatAreNot(points);
  std::vector<int16_t> elevations(points.latitudes.size());
  const bool found = nephrax::ReadElevationGrid(std::move(opened),
                                                {points.latitudes, points.longitudes}, elevations);
  if (found != grid.has_value()) __builtin_trap();
  // The places that are none have no data.
  for (size_t i = elevations.size() - 5; i < elevations.size(); ++i) {
    if (elevations[i] != nephrax::kNoElevation) __builtin_trap();
  }
  return 0;
}
