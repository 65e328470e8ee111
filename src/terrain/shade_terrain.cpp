#include "terrain/shade_terrain.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <vector>

#include "terrain/terrain_colours.h"

namespace nephrax {

namespace {

// The latitude and longitude of every pixel of the picture, row by row from the top-left pixel,
// and room for their elevations.
struct PixelPoints {
  std::vector<double> latitudes;
  std::vector<double> longitudes;
  std::vector<int16_t> elevations;
};

// The value at `position` of the `last` equal steps from `start` to `end`; a single position lies
// at `start`.
double StepAlong(double start, double end, int32_t position, int32_t last) {
  if (last == 0) return start;
  return start + (end - start) * position / last;
}

// The points of a `width` x `height` picture of the area between the corners, its longitudes
// continuous across the 180th meridian.
PixelPoints PointsOfArea(const AreaCornerSet& corners, int32_t width, int32_t height) {
  const double top = corners[kTopLeft].lat;
  const double bottom = corners[kBottomRight].lat;
  const LongitudeRange lons =
      ContinuousLongitudes(corners[kTopLeft].lon, corners[kBottomRight].lon);
  std::vector<double> row_longitudes(static_cast<size_t>(width));
  for (int32_t j = 0; j < width; ++j) {
    row_longitudes[static_cast<size_t>(j)] =
        BringLongitudeNextTo(lons, StepAlong(lons.west, lons.east, j, width - 1));
  }
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  PixelPoints points;
  points.latitudes.reserve(count);
  points.longitudes.reserve(count);
  for (int32_t i = 0; i < height; ++i) {
    points.latitudes.insert(points.latitudes.end(), row_longitudes.size(),
                            StepAlong(top, bottom, i, height - 1));
    points.longitudes.insert(points.longitudes.end(), row_longitudes.begin(), row_longitudes.end());
  }
  points.elevations.resize(count);
  return points;
}

// Lays the tint of each point's elevation on its pixel, over the part of the area that lies on
// the surface.
void BlendTints(Surface& surface, const PixelRect& area, std::span<const int16_t> elevations,
                const TerrainColours& colours) {
  const int32_t first_column = std::max(0, -area.x);
  const int32_t end_column = std::min(area.width, surface.width() - area.x);
  for (int32_t i = 0; i < area.height; ++i) {
    const std::span<uint8_t> row = surface.Row(area.y + i);
    if (row.empty()) continue;
    const size_t row_start = static_cast<size_t>(i) * static_cast<size_t>(area.width);
    for (int32_t j = first_column; j < end_column; ++j) {
      const Colour& tint =
          colours[TerrainColourIndex(elevations[row_start + static_cast<size_t>(j)])];
      uint8_t* pixel = row.data() + static_cast<size_t>(area.x + j) * 3;  // blue, green, red
      pixel[0] = ScreenBlend(tint.blue, pixel[0]);
      pixel[1] = ScreenBlend(tint.green, pixel[1]);
      pixel[2] = ScreenBlend(tint.red, pixel[2]);
    }
  }
}

}  // namespace

bool ShadeTerrainWith(Surface& surface, const TerrainPicture& picture,
                      const ElevationLookup& lookup) {
  const PixelRect& area = picture.area;
  if (!picture.control.IsGrid() || area.width <= 0 || area.height <= 0) return false;
  const TerrainColours colours = BuildTerrainColours(picture.elv_adj);
  const AreaCornerSet corners =
      AreaCorners(picture.control, picture.zoom, PictureSize{area.width, area.height});
  try {
    PixelPoints points = PointsOfArea(corners, area.width, area.height);
    if (!lookup(ElevationPoints{points.latitudes, points.longitudes}, points.elevations)) {
      return false;
    }
    BlendTints(surface, area, points.elevations, colours);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

bool ShadeTerrain(Surface& surface, const TerrainPicture& picture,
                  const std::string& elevation_directory) {
  return ShadeTerrainWith(
      surface, picture,
      [&elevation_directory](const ElevationPoints& points, std::span<int16_t> elevations) {
        return LookupElevations(points, elevations, elevation_directory);
      });
}

}  // namespace nephrax
