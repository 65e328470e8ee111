#include "terrain/shade_terrain.h"

#include <gtest/gtest.h>

#include <vector>

#include "render/grid_block.h"
#include "support/source_file_builder.h"
#include "terrain/terrain_colours.h"

namespace nephrax {
namespace {

// What a lookup was asked, and the elevations it answers with.
struct RecordingLookup {
  std::vector<double> latitudes;
  std::vector<double> longitudes;
  int calls = 0;
  std::vector<int16_t> answers;  // by point; points beyond them get 0 m
  bool found = true;

  ElevationLookup Function() {
    return [this](const ElevationPoints& points, std::span<int16_t> elevations) {
      ++calls;
      latitudes.assign(points.latitudes.begin(), points.latitudes.end());
      longitudes.assign(points.longitudes.begin(), points.longitudes.end());
      for (size_t i = 0; i < elevations.size(); ++i) {
        elevations[i] = i < answers.size() ? answers[i] : int16_t{0};
      }
      return found;
    };
  }
};

// A surface whose every pixel has a colour of its own.
Surface PatternedSurface(int32_t width, int32_t height) {
  std::optional<Surface> surface = CreateSurface(width, height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      surface->SetPixel(x, y,
                        Colour{static_cast<uint8_t>(40 * x), static_cast<uint8_t>(60 * y), 200});
    }
  }
  return std::move(*surface);
}

std::vector<uint8_t> PixelsOf(const Surface& surface) {
  return {surface.DibRows().begin(), surface.DibRows().end()};
}

const ControlBlock kArea = testing::GridControlBlock(40, 100, 30, 120, 50, 20);

TEST(ShadeTerrainTest, AsksOnceForEveryPixelRowByRowFromTheNorthWest) {
  Surface surface = PatternedSurface(5, 3);
  RecordingLookup lookup;
  ASSERT_TRUE(
      ShadeTerrainWith(surface, {{0, 0, 5, 3}, kArea, ZoomState{}, -10}, lookup.Function()));
  EXPECT_EQ(lookup.calls, 1);
  const std::vector<double> row_lons = {100, 105, 110, 115, 120};
  std::vector<double> latitudes, longitudes;
  for (const double lat : {40.0, 35.0, 30.0}) {
    latitudes.insert(latitudes.end(), 5, lat);
    longitudes.insert(longitudes.end(), row_lons.begin(), row_lons.end());
  }
  EXPECT_EQ(lookup.latitudes, latitudes);
  EXPECT_EQ(lookup.longitudes, longitudes);
}

TEST(ShadeTerrainTest, LongitudesRunOnPastTheDateLine) {
  Surface surface = PatternedSurface(5, 2);
  RecordingLookup lookup;
  const ControlBlock across = testing::GridControlBlock(10, 170, 0, -170, 50, 20);
  ASSERT_TRUE(
      ShadeTerrainWith(surface, {{0, 0, 5, 2}, across, ZoomState{}, -10}, lookup.Function()));
  EXPECT_EQ(std::vector<double>(lookup.longitudes.begin(), lookup.longitudes.begin() + 5),
            (std::vector<double>{170, 175, 180, 185, 190}));
}

TEST(ShadeTerrainTest, AZoomedPictureAsksForTheZoomWindowsPoints) {
  Surface surface = PatternedSurface(5, 3);
  RecordingLookup lookup;
  // The window from (1, 1) to (3, 2) of the unzoomed 5 x 3 picture: 35N..30N, 105E..115E.
  const ZoomState zoom{true, ZoomWindow{1, 1, 3, 2}};
  ASSERT_TRUE(ShadeTerrainWith(surface, {{0, 0, 5, 3}, kArea, zoom, -10}, lookup.Function()));
  EXPECT_EQ(lookup.latitudes.front(), 35);
  EXPECT_EQ(lookup.latitudes.back(), 30);
  EXPECT_EQ(std::vector<double>(lookup.longitudes.begin(), lookup.longitudes.begin() + 5),
            (std::vector<double>{105, 107.5, 110, 112.5, 115}));
}

struct PixelCase {
  const char* name;
  int16_t elevation;
  int32_t elv_adj;
  Colour before;
  Colour after;
};

class ShadedPixelTest : public ::testing::TestWithParam<PixelCase> {};

TEST_P(ShadedPixelTest, TakesItsTintByScreenBlending) {
  const PixelCase& c = GetParam();
  std::optional<Surface> surface = CreateSurface(2, 2);
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 2; ++x) surface->SetPixel(x, y, c.before);
  }
  RecordingLookup lookup;
  lookup.answers.assign(4, c.elevation);
  ASSERT_TRUE(
      ShadeTerrainWith(*surface, {{0, 0, 2, 2}, kArea, ZoomState{}, c.elv_adj}, lookup.Function()));
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 2; ++x) EXPECT_EQ(surface->GetPixel(x, y), c.after) << x << "," << y;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pixels, ShadedPixelTest,
    ::testing::Values(
        PixelCase{"NoDataKeepsItsColour", kNoElevation, 20, {17, 130, 251}, {17, 130, 251}},
        PixelCase{"SeaOnDarkBlue", kSeaElevation, -10, {10, 20, 30}, {10, 20, 86}},
        PixelCase{"SummitTurnsBlackMidGrey", 5000, -10, {0, 0, 0}, {128, 128, 128}},
        PixelCase{"CloudStaysWhite", 5000, -10, {255, 255, 255}, {255, 255, 255}},
        PixelCase{"LightestTurnsWhite", 3000, 20, {90, 80, 70}, {255, 255, 255}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShadeTerrainTest, EachPixelTakesTheElevationOfItsOwnPoint) {
  Surface surface = PatternedSurface(3, 2);
  const Surface before = PatternedSurface(3, 2);
  RecordingLookup lookup;
  // Only the pixel at (2, 1), the last point, is sea; the others have no data.
  lookup.answers = {kNoElevation, kNoElevation, kNoElevation,
                    kNoElevation, kNoElevation, kSeaElevation};
  ASSERT_TRUE(ShadeTerrainWith(surface, {{0, 0, 3, 2}, kArea, ZoomState{}, 0}, lookup.Function()));
  for (int32_t y = 0; y < 2; ++y) {
    for (int32_t x = 0; x < 3; ++x) {
      if (x == 2 && y == 1) continue;
      EXPECT_EQ(surface.GetPixel(x, y), before.GetPixel(x, y)) << x << "," << y;
    }
  }
  // (80, 60, 200) under the sea tint (0, 0, 128).
  EXPECT_EQ(surface.GetPixel(2, 1), (Colour{80, 60, 227}));
}

TEST(ShadeTerrainTest, ASatelliteViewImageIsNotShaded) {
  testing::SourceFileSpec spec;
  spec.grid_flag = 0;
  const ControlBlock view = testing::ControlBlockOf(spec);
  Surface surface = PatternedSurface(4, 3);
  const std::vector<uint8_t> before = PixelsOf(surface);
  RecordingLookup lookup;
  EXPECT_FALSE(
      ShadeTerrainWith(surface, {{0, 0, 4, 3}, view, ZoomState{}, -10}, lookup.Function()));
  EXPECT_EQ(lookup.calls, 0);
  EXPECT_EQ(PixelsOf(surface), before);
}

TEST(ShadeTerrainTest, AFailedLookupLeavesThePictureUntouched) {
  Surface surface = PatternedSurface(4, 3);
  const std::vector<uint8_t> before = PixelsOf(surface);
  RecordingLookup lookup;
  lookup.answers.assign(12, 5000);
  lookup.found = false;
  EXPECT_FALSE(
      ShadeTerrainWith(surface, {{0, 0, 4, 3}, kArea, ZoomState{}, -10}, lookup.Function()));
  EXPECT_EQ(PixelsOf(surface), before);
}

}  // namespace
}  // namespace nephrax
