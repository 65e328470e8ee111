#include "terrain/terrain_colours.h"

#include <gtest/gtest.h>

#include <climits>

#include "calsun/display_tables.h"
#include "terrain/elevation_sources.h"

namespace nephrax {
namespace {

struct TintCase {
  const char* name;
  int32_t elevation;
  TintLevels tint;
};

class ElevationTintTest : public ::testing::TestWithParam<TintCase> {};

TEST_P(ElevationTintTest, FollowsTheRamp) {
  EXPECT_EQ(ElevationTint(GetParam().elevation), GetParam().tint);
}

INSTANTIATE_TEST_SUITE_P(Ramp, ElevationTintTest,
                         ::testing::Values(TintCase{"DeepBelowTheBottom", -30000, {0, 0, 0}},
                                           TintCase{"Bottom", -1000, {0, 0, 0}},
                                           TintCase{"SeaLevelAnchor", 0, {0, 64, 0}},
                                           TintCase{"Top", 5000, {255, 255, 255}},
                                           TintCase{"AboveTheTop", 8848, {255, 255, 255}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ShadeCase {
  const char* name;
  int16_t elevation;
  int32_t elv_adj;
  size_t entry;
  Colour colour;
};

class TerrainColourTest : public ::testing::TestWithParam<ShadeCase> {};

TEST_P(TerrainColourTest, ElevationTakesItsBandAndAdjustedTint) {
  const ShadeCase& c = GetParam();
  const size_t entry = TerrainColourIndex(c.elevation);
  EXPECT_EQ(entry, c.entry);
  EXPECT_EQ(BuildTerrainColours(c.elv_adj)[entry], c.colour);
}

// The default ElvAdj is -10: every tint halfway to black.
INSTANTIATE_TEST_SUITE_P(
    Bands, TerrainColourTest,
    ::testing::Values(ShadeCase{"SeaLevel", 0, 0, 39, {0, 64, 0}},
                      ShadeCase{"SeaLevelDarkened", 0, -10, 39, {0, 32, 0}},
                      ShadeCase{"Lowland", 100, 0, 43, {40, 104, 0}},
                      ShadeCase{"Upland", 1000, 0, 78, {99, 99, 0}},
                      ShadeCase{"Mountain", 3000, 0, 157, {100, 49, 49}},
                      ShadeCase{"MountainDarkened", 3000, -10, 157, {50, 25, 25}},
                      ShadeCase{"Summit", 5000, 0, 235, {255, 255, 255}},
                      ShadeCase{"SummitDarkened", 5000, -10, 235, {128, 128, 128}},
                      ShadeCase{"HighestValue", 32767, 0, 235, {255, 255, 255}},
                      ShadeCase{"Bottom", -1000, 0, 0, {0, 0, 0}},
                      ShadeCase{"BelowTheBottom", -5000, -10, 0, {0, 0, 0}},
                      ShadeCase{"BottomLightenedToWhite", -1000, 20, 0, {255, 255, 255}},
                      ShadeCase{"SummitDarkenedToBlack", 5000, -20, 235, {0, 0, 0}},
                      ShadeCase{"Sea", kSeaElevation, 0, kSeaColour, {0, 0, 128}},
                      ShadeCase{"SeaDarkened", kSeaElevation, -10, kSeaColour, {0, 0, 64}},
                      ShadeCase{
                          "SeaLightenedToWhite", kSeaElevation, 20, kSeaColour, {255, 255, 255}},
                      ShadeCase{"NoDataIsBlack", kNoElevation, 20, kNoDataColour, {0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

// At the limits every band and the sea take one colour, and adjustments beyond them are held
// there rather than pushing the levels out of 0..255.
struct LimitCase {
  const char* name;
  int32_t elv_adj;
  Colour colour;
};

class AdjustmentLimitTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(AdjustmentLimitTest, EveryTintTakesTheLimitColour) {
  const TerrainColours colours = BuildTerrainColours(GetParam().elv_adj);
  for (size_t entry = 0; entry <= kSeaColour; ++entry) {
    EXPECT_EQ(colours[entry], GetParam().colour) << entry;
  }
}

INSTANTIATE_TEST_SUITE_P(Limits, AdjustmentLimitTest,
                         ::testing::Values(LimitCase{"Darkest", -20, {0, 0, 0}},
                                           LimitCase{"BeyondDarkest", INT32_MIN, {0, 0, 0}},
                                           LimitCase{"Lightest", 20, {255, 255, 255}},
                                           LimitCase{"BeyondLightest", INT32_MAX, {255, 255, 255}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TerrainColoursTest, EndsWithTheSixteenColourScaleUnadjusted) {
  const TerrainColours colours = BuildTerrainColours(-10);
  for (int32_t number = 0; number < 16; ++number) {
    EXPECT_EQ(colours[kScaleColours + static_cast<size_t>(number)], Colour16(number)) << number;
  }
}

struct BlendCase {
  uint8_t tint;
  uint8_t pixel;
  uint8_t blended;
};

class ScreenBlendTest : public ::testing::TestWithParam<BlendCase> {};

TEST_P(ScreenBlendTest, LightensThePixelByTheTint) {
  EXPECT_EQ(ScreenBlend(GetParam().tint, GetParam().pixel), GetParam().blended);
}

INSTANTIATE_TEST_SUITE_P(Levels, ScreenBlendTest,
                         ::testing::Values(BlendCase{0, 0, 0}, BlendCase{0, 173, 173},
                                           BlendCase{255, 0, 255}, BlendCase{128, 0, 128},
                                           BlendCase{128, 255, 255}, BlendCase{64, 100, 138},
                                           BlendCase{50, 1, 50}));

}  // namespace
}  // namespace nephrax
