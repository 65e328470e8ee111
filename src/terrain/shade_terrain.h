// Terrain shading of grid images: every pixel takes the hypsometric tint of the ground elevation
// under it (terrain/terrain_colours.h) by screen blending, so bright clouds stay bright and dark
// ground takes the tint. Pixels without a known elevation keep their colour.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "core/control_block.h"
#include "render/map_transform.h"
#include "render/surface.h"
#include "terrain/elevation_sources.h"

namespace nephrax {

// Fills `elevations` with the elevations of `points`; true when a source could be used.
using ElevationLookup =
    std::function<bool(const ElevationPoints& points, std::span<int16_t> elevations)>;

// The picture that shading draws on.
struct TerrainPicture {
  PixelRect area;               // the picture rectangle on the surface
  const ControlBlock& control;  // the source image's corners and grid flag
  const ZoomState& zoom;        // the displayed part of a zoomed grid image
  int32_t elv_adj = 0;          // the ElvAdj setting
};

// Shades the pixels of `picture.area` that lie on the surface with the elevations `lookup` gives
// for the latitude and longitude of every pixel of the displayed area, asked for all at once, row
// by row from the top-left pixel. Returns false, leaving the surface untouched, for a
// satellite-view image, an empty area, no memory for the points, or a failed lookup.
bool ShadeTerrainWith(Surface& surface, const TerrainPicture& picture,
                      const ElevationLookup& lookup);

// Shades the picture with the elevation data in `elevation_directory` (LookupElevations).
bool ShadeTerrain(Surface& surface, const TerrainPicture& picture,
                  const std::string& elevation_directory);

}  // namespace nephrax
