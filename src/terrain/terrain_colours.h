// The colours of terrain shading: a hypsometric tint ramp from black at 1000 m below sea level
// through greens, olive and brown to white at 5000 m, the table of tints by elevation band with
// the sea colour, and the screen blend that lays a tint on a pixel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/colour.h"

namespace nephrax {

// Red, green and blue levels of a tint.
struct TintLevels {
  int32_t red = 0;
  int32_t green = 0;
  int32_t blue = 0;

  friend bool operator==(const TintLevels&, const TintLevels&) = default;
};

// The tint of an elevation in metres: linear in single precision between the anchors of the ramp,
// black at -1000 m or below, white at 5000 m or above.
TintLevels ElevationTint(int32_t elevation);

// Entries of the terrain colour table.
inline constexpr size_t kTerrainColourCount = 256;
inline constexpr size_t kLastBandColour = 235;  // the band of 5000 m and above
inline constexpr size_t kSeaColour = 236;
inline constexpr size_t kScaleColours = 240;  // the 16-colour scale; its colour 0 is black
inline constexpr size_t kNoDataColour = kScaleColours;

// Entries 0..235 are the tints of elevation bands about 25.5 m apart from -1000 m to 5000 m,
// entry 236 the sea, 237..239 black, 240..255 the 16-colour scale.
using TerrainColours = std::array<Colour, kTerrainColourCount>;

// The terrain colour table with every band tint and the sea darkened (`elv_adj` below 0) or
// lightened (above 0) by |elv_adj| twentieths of the way to black or white. An adjustment beyond
// -20..20 is held at those limits, where every tint is black or white.
TerrainColours BuildTerrainColours(int32_t elv_adj);

// The table entry for an elevation in metres, the sea marker or the no-data marker.
size_t TerrainColourIndex(int16_t elevation);

// Screen blending of one level: a tint of 0 leaves the pixel's level as it is, 255 makes it 255.
constexpr uint8_t ScreenBlend(uint8_t tint, uint8_t pixel) {
  return static_cast<uint8_t>(tint + ((255 - tint) * pixel) / 255);
}

}  // namespace nephrax
