// The correction on images built in memory. How it meets a whole run (Vadj from a setup file,
// night lines, temperature channels, the date line, bottom-first scans) is tested end to end in
// tests/e2e/visible_correction_test.cpp.
#include "calsun/visible_correction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "calsun/reference_correction.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::PixelAt;
using testing::ScanArea;

// ---- Sampling and line times ----

struct PlanCase {
  int32_t width;
  int32_t step;
  std::vector<int32_t> columns;  // the first and last columns only for wide images
  size_t count;
};

class PlanSamplesTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanSamplesTest, EveryStepThenTheLastColumn) {
  const PlanCase& c = GetParam();
  const SamplePlan plan = PlanSamples(c.width);
  EXPECT_EQ(plan.step, c.step);
  ASSERT_EQ(plan.columns.size(), c.count);
  if (c.columns.size() == c.count) {
    EXPECT_EQ(plan.columns, c.columns);
  } else {
    EXPECT_EQ(std::vector<int32_t>(plan.columns.end() - 3, plan.columns.end()), c.columns);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Widths, PlanSamplesTest,
    ::testing::Values(PlanCase{1, 10, {0, 0}, 2}, PlanCase{10, 10, {0, 9, 9}, 3},
                      PlanCase{100, 10, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 99, 99}, 12},
                      PlanCase{105, 10, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 104}, 12},
                      PlanCase{5500, 110, {5390, 5499, 5499}, 52},
                      PlanCase{5555, 111, {5439, 5550, 5554}, 52}),
    [](const auto& info) { return "Width" + std::to_string(info.param.width); });

ControlBlock BlockOf(const testing::SourceFileSpec& spec) {
  ControlBlock block;
  const std::vector<uint8_t> bytes = testing::BuildControlBlock(spec);
  std::copy(bytes.begin(), bytes.end(), block.bytes.begin());
  return block;
}

struct LineTimeCase {
  std::string name;
  TimeRecord start;
  TimeRecord end;
  int32_t signed_lines;  // negative: scanned from the last line to the first
  int32_t line;
  UtcTime expected;
};

class LineTimeTest : public ::testing::TestWithParam<LineTimeCase> {};

TEST_P(LineTimeTest, SpreadsTheScanOverTheLines) {
  const LineTimeCase& c = GetParam();
  testing::SourceFileSpec spec;
  spec.start = c.start;
  spec.end = c.end;
  spec.view_lines = c.signed_lines;
  EXPECT_EQ(LineTime(BlockOf(spec), std::abs(c.signed_lines), c.line), c.expected);
}

constexpr TimeRecord kThree{20, 14, 6, 21, 3, 0, 0};
constexpr TimeRecord kTenPast{20, 14, 6, 21, 3, 10, 0};
constexpr TimeRecord kHigh{INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX};
constexpr TimeRecord kLow{INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN};

// clang-format off
INSTANTIATE_TEST_SUITE_P(Scans, LineTimeTest, ::testing::Values(
    LineTimeCase{"First", kThree, kTenPast, 5, 0, {2014, 6, 21, 3, 0, 0, 0}},
    LineTimeCase{"Second", kThree, kTenPast, 5, 1, {2014, 6, 21, 3, 2, 30, 0}},
    LineTimeCase{"Last", kThree, kTenPast, 5, 4, {2014, 6, 21, 3, 10, 0, 0}},
    LineTimeCase{"ThirdRounded", kThree, kTenPast, 4, 1, {2014, 6, 21, 3, 3, 20, 0}},
    LineTimeCase{"BottomFirstTop", kThree, kTenPast, -5, 0, {2014, 6, 21, 3, 10, 0, 0}},
    LineTimeCase{"BottomFirstSecond", kThree, kTenPast, -5, 1, {2014, 6, 21, 3, 7, 30, 0}},
    LineTimeCase{"BottomFirstBottom", kThree, kTenPast, -5, 4, {2014, 6, 21, 3, 0, 0, 0}},
    LineTimeCase{"OneLine", kThree, kTenPast, 1, 0, {2014, 6, 21, 3, 0, 0, 0}},
    LineTimeCase{"OneLineBottomFirst", kThree, kTenPast, -1, 0, {2014, 6, 21, 3, 0, 0, 0}},
    LineTimeCase{"NewYear", {20, 14, 12, 31, 23, 59, 50}, {20, 15, 1, 1, 0, 0, 10}, 3, 1,
                 {2015, 1, 1, 0, 0, 0, 0}},
    LineTimeCase{"LeapDay", {20, 16, 2, 28, 23, 0, 0}, {20, 16, 3, 1, 1, 0, 0}, 3, 1,
                 {2016, 2, 29, 12, 0, 0, 0}},
    LineTimeCase{"MonthThirteen", {20, 14, 13, 5, 0, 0, 0}, {20, 14, 13, 5, 0, 0, 0}, 2, 0,
                 {2015, 1, 5, 0, 0, 0, 0}},
    LineTimeCase{"AbsurdFieldsHeldAtTheLastYear", kHigh, kLow, 2, 0, {9999, 12, 31, 23, 59, 59, 0}},
    LineTimeCase{"AbsurdFieldsHeldAtTheFirstYear", kLow, kHigh, 2, 0, {1, 1, 1, 0, 0, 0, 0}}),
    [](const auto& info) { return info.param.name; });
// clang-format on

// ---- The correction ----

constexpr int kLast = 1023;

// A visible image over `area` of uniform `count`, with the albedo table value = count / last.
struct Scene {
  ControlBlock block;
  Calibration calibration;
  ChannelSettings channel;
  SourceImage image;
};

Scene SceneOf(const ScanArea& area, int32_t width, int32_t height, uint16_t count,
              bool sixteen_bit = true) {
  testing::SourceFileSpec spec;
  spec.start = area.start;
  spec.end = area.end;
  spec.top_left_lat = static_cast<float>(area.lat_top);
  spec.bottom_left_lat = static_cast<float>(area.lat_bottom);
  spec.top_left_lon = static_cast<float>(area.lon_left);
  spec.top_right_lon = static_cast<float>(area.lon_right);
  spec.bytes_per_pixel = sixteen_bit ? 2 : 1;
  Scene scene;
  scene.block = BlockOf(spec);
  scene.calibration.last = sixteen_bit ? kLast : 255;
  for (int32_t c = 0; c <= scene.calibration.last; ++c)
    scene.calibration.values.push_back(static_cast<float>(c) /
                                       static_cast<float>(scene.calibration.last));
  scene.image.width = width;
  scene.image.height = height;
  scene.image.stride = static_cast<size_t>((width + 3) / 4 * 4);
  const size_t size = scene.image.stride * static_cast<size_t>(height);
  if (sixteen_bit) {
    scene.image.counts16.assign(size, count);
  } else {
    scene.image.counts8.assign(size, static_cast<uint8_t>(count));
  }
  return scene;
}

bool Correct(Scene& scene, bool glint = false) {
  Settings settings;
  settings.SunGln = glint;
  return CorrectVisibleImage(scene.block, scene.calibration, scene.channel,
                             SatelliteViewOf(settings), scene.image);
}

// Noon to midnight over Japan on the June solstice: high sun on the first lines, the 0.3 floor
// and the terminator further down, night on the last lines.
const ScanArea kAfternoon{40, 20, 120, 150, {20, 14, 6, 21, 3, 0, 0}, {20, 14, 6, 21, 15, 0, 0}};

TEST(CorrectVisibleImageTest, LowSunIsHeldAtTheFloor) {
  Scene scene = SceneOf(kAfternoon, 121, 61, 250);
  ASSERT_TRUE(Correct(scene));
  int floored = 0;
  for (int32_t line = 0; line < 61; ++line) {
    for (int32_t column = 0; column < 121; ++column) {
      const double cosine = testing::ReferenceSunCosine(kAfternoon, 121, 61, line, column);
      if (cosine < 0.02 || cosine > 0.28) continue;
      EXPECT_NEAR(PixelAt(scene.image, line, column), 833, 1);  // 250 / 0.3
      ++floored;
    }
  }
  EXPECT_GT(floored, 100);
}

TEST(CorrectVisibleImageTest, ValuesBeyondTheTableTakeTheLastCount) {
  Scene scene = SceneOf(kAfternoon, 121, 61, 900);
  ASSERT_TRUE(Correct(scene));
  int beyond = 0;
  for (int32_t line = 0; line < 61; ++line) {
    const double cosine = testing::ReferenceSunCosine(kAfternoon, 121, 61, line, 60);
    if (cosine < 0.02 || cosine > 0.85) continue;  // 900 / 0.85 / 1023 > 1
    EXPECT_EQ(PixelAt(scene.image, line, 60), kLast) << line;
    ++beyond;
  }
  EXPECT_GT(beyond, 5);
}

struct SunCase {
  std::string name;
  ScanArea area;
  uint16_t count;
  int expected;
};

class SunHeightTest : public ::testing::TestWithParam<SunCase> {};

TEST_P(SunHeightTest, ValueIsDividedByTheSunsCosine) {
  Scene scene = SceneOf(GetParam().area, 12, 12, GetParam().count);
  ASSERT_TRUE(Correct(scene));
  for (int32_t line = 0; line < 12; ++line) {
    for (int32_t column = 0; column < 12; ++column)
      EXPECT_NEAR(PixelAt(scene.image, line, column), GetParam().expected, 1);
  }
}

// On the June solstice the sun culminates over 135 E at about 03:02 UTC: at 23.4 N in the zenith,
// at 36.6 S 60 degrees from it.
INSTANTIATE_TEST_SUITE_P(
    JuneSolstice, SunHeightTest,
    ::testing::Values(
        SunCase{"Zenith",
                {23.5, 23.3, 134.9, 135.1, {20, 14, 6, 21, 3, 1, 0}, {20, 14, 6, 21, 3, 3, 0}},
                400,
                400},
        SunCase{
            "SixtyDegrees",
            {-36.55, -36.57, 134.98, 135.02, {20, 14, 6, 21, 3, 1, 0}, {20, 14, 6, 21, 3, 3, 0}},
            300,
            600}),
    [](const auto& info) { return info.param.name; });

struct SmallCase {
  std::string name;
  int32_t width;
  int32_t height;
};

class SmallImageTest : public ::testing::TestWithParam<SmallCase> {};

TEST_P(SmallImageTest, SingleLineOrColumnLiesAtTheFirstPosition) {
  Scene scene = SceneOf(kAfternoon, GetParam().width, GetParam().height, 250);
  ASSERT_TRUE(Correct(scene));
  EXPECT_EQ(testing::ExpectMatchesReference(scene.image, kAfternoon, 250, kLast),
            GetParam().width * GetParam().height);
  EXPECT_NE(PixelAt(scene.image, 0, 0), 250);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SmallImageTest,
                         ::testing::Values(SmallCase{"OneLine", 57, 1},
                                           SmallCase{"OneColumn", 1, 9},
                                           SmallCase{"OnePixel", 1, 1}),
                         [](const auto& info) { return info.param.name; });

TEST(CorrectVisibleImageTest, NoDataPixelsAreNeverChanged) {
  Scene scene = SceneOf(kAfternoon, 40, 20, kNoDataCount16);
  const std::vector<uint16_t> before = scene.image.counts16;
  ASSERT_TRUE(Correct(scene));
  EXPECT_EQ(scene.image.counts16, before);
}

TEST(CorrectVisibleImageTest, BufferShorterThanItsRowsIsLeftAlone) {
  Scene scene = SceneOf(kAfternoon, 40, 20, 250);
  scene.image.counts16.pop_back();
  const std::vector<uint16_t> before = scene.image.counts16;
  EXPECT_FALSE(Correct(scene));
  EXPECT_EQ(scene.image.counts16, before);
}

// ---- Sun glint ----

// Near the March equinox the sun culminates over 140 E at about 02:47 UTC, almost overhead on the
// equator below the satellite: there the satellite sees the sun's mirror image.
const ScanArea kBelowTheSatellite{
    1, -1, 139, 141, {20, 14, 3, 20, 2, 47, 0}, {20, 14, 3, 20, 2, 47, 0}};

TEST(SunGlintTest, MirrorDirectionDimsTheValueToSixTenths) {
  Scene without = SceneOf(kBelowTheSatellite, 21, 21, 500);
  Scene with = SceneOf(kBelowTheSatellite, 21, 21, 500);
  ASSERT_TRUE(Correct(without, false));
  ASSERT_TRUE(Correct(with, true));
  EXPECT_NEAR(PixelAt(with.image, 10, 10), 0.6 * PixelAt(without.image, 10, 10), 1.5);
}

TEST(SunGlintTest, FarFromTheMirrorDirectionNothingChanges) {
  const ScanArea far{45, 35, 95, 105, {20, 14, 3, 20, 2, 47, 0}, {20, 14, 3, 20, 2, 57, 0}};
  Scene without = SceneOf(far, 30, 30, 500);
  Scene with = SceneOf(far, 30, 30, 500);
  ASSERT_TRUE(Correct(without, false));
  ASSERT_TRUE(Correct(with, true));
  EXPECT_EQ(with.image.counts16, without.image.counts16);
  EXPECT_NE(with.image.counts16, SceneOf(far, 30, 30, 500).image.counts16);
}

// Count 255 of an 8-bit image marks missing data only when the control block's no-data flag is
// set. It is the table's last count, which only the glint can lower.
class EightBitCount255Test : public ::testing::TestWithParam<bool> {};

TEST_P(EightBitCount255Test, IsNoDataOnlyWithTheFlag) {
  Scene scene = SceneOf(kBelowTheSatellite, 21, 21, 255, false);
  if (GetParam()) scene.block.flags |= kNoDataFlag;
  ASSERT_TRUE(Correct(scene, true));
  const uint8_t centre = scene.image.counts8[10 * scene.image.stride + 10];
  EXPECT_NEAR(centre, GetParam() ? 255 : 0.6 * 255, 1.5);
}

INSTANTIATE_TEST_SUITE_P(Flag, EightBitCount255Test, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Set" : "Clear"; });

}  // namespace
}  // namespace nephrax
