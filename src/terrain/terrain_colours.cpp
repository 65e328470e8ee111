#include "terrain/terrain_colours.h"

#include <algorithm>
#include <array>

#include "calsun/display_tables.h"
#include "terrain/elevation_sources.h"

namespace nephrax {

namespace {

// A point of the tint ramp. Everything is single precision, as the ramp is interpolated.
struct TintAnchor {
  float elevation = 0;
  float red = 0;
  float green = 0;
  float blue = 0;
};

// The elevation of an inner anchor: (s x 50 / 127) squared, so that the anchors lie evenly in the
// square root of the elevation (50 being the root of 2500 m).
constexpr float InnerAnchorElevation(int32_t step) {
  const double root = step * 50.0 / 127;
  return static_cast<float>(root * root);
}

constexpr TintAnchor kBottomAnchor{-1000, 0, 0, 0};
constexpr TintAnchor kTopAnchor{5000, 255, 255, 255};
constexpr std::array<TintAnchor, 5> kInnerAnchors{{
    {InnerAnchorElevation(0), 0, 64, 0},
    {InnerAnchorElevation(32), 64, 128, 0},
    {InnerAnchorElevation(64), 128, 128, 0},
    {InnerAnchorElevation(96), 64, 64, 0},
    {InnerAnchorElevation(128), 64, 0, 0},
}};

constexpr int32_t kLowestElevation = -1000;
constexpr int32_t kHighestElevation = 5000;
// The bands of entries 0..235 span the 6000 m between those two, each band's elevation taken
// about half a band above its lower edge.
constexpr int32_t kBandSpan = kHighestElevation - kLowestElevation;
constexpr int32_t kBandCount = static_cast<int32_t>(kLastBandColour);

constexpr TintLevels kSeaBase{0, 0, 128};
constexpr int32_t kAdjustSteps = 20;

TintLevels LevelsOf(const TintAnchor& anchor) {
  return TintLevels{static_cast<int32_t>(anchor.red), static_cast<int32_t>(anchor.green),
                    static_cast<int32_t>(anchor.blue)};
}

// The level at `e` on the line through (e0, c0) and (e1, c1), rounded half up.
int32_t InterpolateLevel(float c0, float c1, float e0, float e1, float e) {
  const float level = (c0 * e1 - c1 * e0) / (e1 - e0) + (c1 - c0) / (e1 - e0) * e;
  return static_cast<int32_t>(level + 0.5F);
}

// Moves a level |adjust| twentieths of the way to 0 (adjust below 0) or to 255.
int32_t AdjustLevel(int32_t level, int32_t adjust) {
  if (adjust < 0) return level + (adjust * level) / kAdjustSteps;
  return level + ((255 - level) * adjust) / kAdjustSteps;
}

Colour AdjustTint(const TintLevels& tint, int32_t adjust) {
  return Colour{static_cast<uint8_t>(AdjustLevel(tint.red, adjust)),
                static_cast<uint8_t>(AdjustLevel(tint.green, adjust)),
                static_cast<uint8_t>(AdjustLevel(tint.blue, adjust))};
}

// The elevation whose tint band k shows.
int32_t BandElevation(int32_t band) {
  return (kBandCount / 2 + kBandSpan * band) / kBandCount + kLowestElevation;
}

}  // namespace

TintLevels ElevationTint(int32_t elevation) {
  const float e = static_cast<float>(elevation);
  const auto upper_inner =
      std::find_if(kInnerAnchors.begin(), kInnerAnchors.end(),
                   [e](const TintAnchor& anchor) { return anchor.elevation >= e; });
  const TintAnchor& upper = upper_inner == kInnerAnchors.end() ? kTopAnchor : *upper_inner;
  const TintAnchor& lower =
      upper_inner == kInnerAnchors.begin() ? kBottomAnchor : *(upper_inner - 1);
  if (elevation <= kLowestElevation) return LevelsOf(lower);
  if (elevation >= kHighestElevation) return LevelsOf(upper);
  return TintLevels{InterpolateLevel(lower.red, upper.red, lower.elevation, upper.elevation, e),
                    InterpolateLevel(lower.green, upper.green, lower.elevation, upper.elevation, e),
                    InterpolateLevel(lower.blue, upper.blue, lower.elevation, upper.elevation, e)};
}

TerrainColours BuildTerrainColours(int32_t elv_adj) {
  const int32_t adjust = std::clamp(elv_adj, -kAdjustSteps, kAdjustSteps);
  TerrainColours colours{};
  for (int32_t band = 0; band <= kBandCount; ++band) {
    colours[static_cast<size_t>(band)] = AdjustTint(ElevationTint(BandElevation(band)), adjust);
  }
  colours[kSeaColour] = AdjustTint(kSeaBase, adjust);
  for (size_t number = 0; number + kScaleColours < colours.size(); ++number) {
    colours[kScaleColours + number] = Colour16(static_cast<int32_t>(number));
  }
  return colours;
}

size_t TerrainColourIndex(int16_t elevation) {
  if (elevation == kNoElevation) return kNoDataColour;
  if (elevation == kSeaElevation) return kSeaColour;
  // The nearest band, counted from -1000 m.
  const int32_t above_lowest = std::max<int32_t>(elevation, kLowestElevation) - kLowestElevation;
  const int32_t band = (above_lowest * kBandCount + kBandSpan / 2) / kBandSpan;
  return std::min(static_cast<size_t>(band), kLastBandColour);
}

}  // namespace nephrax
