#include "calsun/visible_correction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "calsun/reference_correction.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::ReferenceCorrectedCount;
using testing::ReferenceSunCosine;
using testing::ScanArea;

constexpr int kLast = 1023;

// ---- Sampling and line times ----

struct PlanCase {
  int32_t width;
  int32_t step;
  std::vector<int32_t> columns;  // empty: only the count and the end are checked
  size_t count;
};

class PlanSamplesTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanSamplesTest, EveryStepThenTheLastColumn) {
  const PlanCase& c = GetParam();
  const SamplePlan plan = PlanSamples(c.width);
  EXPECT_EQ(plan.step, c.step);
  ASSERT_EQ(plan.columns.size(), c.count);
  if (!c.columns.empty()) {
    EXPECT_EQ(plan.columns, c.columns);
  }
  EXPECT_EQ(plan.columns.back(), c.width - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, PlanSamplesTest,
    ::testing::Values(PlanCase{1, 10, {0, 0}, 2}, PlanCase{10, 10, {0, 9, 9}, 3},
                      PlanCase{100, 10, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 99, 99}, 12},
                      PlanCase{105, 10, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 104}, 12},
                      PlanCase{499, 10, {}, 51}, PlanCase{5500, 110, {}, 52}),
    [](const auto& info) { return "Width" + std::to_string(info.param.width); });

ControlBlock BlockOf(const testing::SourceFileSpec& spec) {
  ControlBlock block;
  const std::vector<uint8_t> bytes = testing::BuildControlBlock(spec);
  std::copy(bytes.begin(), bytes.end(), block.bytes.begin());
  block.flags = 0;
  return block;
}

testing::SourceFileSpec ScanFrom(TimeRecord start, TimeRecord end, int32_t view_lines = 0) {
  testing::SourceFileSpec spec;
  spec.start = start;
  spec.end = end;
  spec.view_lines = view_lines;
  return spec;
}

struct LineTimeCase {
  std::string name;
  TimeRecord start;
  TimeRecord end;
  int32_t view_lines;  // its sign orders the lines
  int32_t lines;
  int32_t line;
  UtcTime expected;
};

class LineTimeTest : public ::testing::TestWithParam<LineTimeCase> {};

TEST_P(LineTimeTest, SpreadsTheScanOverTheLines) {
  const LineTimeCase& c = GetParam();
  EXPECT_EQ(LineTime(BlockOf(ScanFrom(c.start, c.end, c.view_lines)), c.lines, c.line), c.expected);
}

constexpr TimeRecord kNine{20, 14, 6, 21, 3, 0, 0};
constexpr TimeRecord kTenPast{20, 14, 6, 21, 3, 10, 0};

INSTANTIATE_TEST_SUITE_P(
    Scans, LineTimeTest,
    ::testing::Values(
        LineTimeCase{"FirstLine", kNine, kTenPast, 5, 5, 0, {2014, 6, 21, 3, 0, 0, 0}},
        LineTimeCase{"SecondLine", kNine, kTenPast, 5, 5, 1, {2014, 6, 21, 3, 2, 30, 0}},
        LineTimeCase{"LastLine", kNine, kTenPast, 5, 5, 4, {2014, 6, 21, 3, 10, 0, 0}},
        LineTimeCase{"ThirdsRounded", kNine, kTenPast, 4, 4, 1, {2014, 6, 21, 3, 3, 20, 0}},
        LineTimeCase{"BottomFirstTop", kNine, kTenPast, -5, 5, 0, {2014, 6, 21, 3, 10, 0, 0}},
        LineTimeCase{"BottomFirstSecond", kNine, kTenPast, -5, 5, 1, {2014, 6, 21, 3, 7, 30, 0}},
        LineTimeCase{"BottomFirstBottom", kNine, kTenPast, -5, 5, 4, {2014, 6, 21, 3, 0, 0, 0}},
        LineTimeCase{"SingleLine", kNine, kTenPast, 1, 1, 0, {2014, 6, 21, 3, 0, 0, 0}},
        LineTimeCase{"SingleLineBottomFirst", kNine, kTenPast, -1, 1, 0, {2014, 6, 21, 3, 0, 0, 0}},
        LineTimeCase{"AcrossNewYear",
                     {20, 14, 12, 31, 23, 59, 50},
                     {20, 15, 1, 1, 0, 0, 10},
                     3,
                     3,
                     1,
                     {2015, 1, 1, 0, 0, 0, 0}},
        LineTimeCase{"LeapDay",
                     {20, 16, 2, 28, 23, 0, 0},
                     {20, 16, 3, 1, 1, 0, 0},
                     3,
                     3,
                     1,
                     {2016, 2, 29, 12, 0, 0, 0}},
        LineTimeCase{"MonthThirteenIsNextJanuary",
                     {20, 14, 13, 5, 0, 0, 0},
                     {20, 14, 13, 5, 0, 0, 0},
                     2,
                     2,
                     0,
                     {2015, 1, 5, 0, 0, 0, 0}},
        LineTimeCase{"AbsurdYearsHeldAtTheBounds",
                     {INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX},
                     {INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN},
                     2,
                     2,
                     0,
                     {9999, 12, 31, 23, 59, 59, 0}}),
    [](const auto& info) { return info.param.name; });

// ---- The correction ----

// A 16-bit visible image over `area` of uniform count `count`, with an albedo table
// value = count / 1023.
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
  spec.view_lines = area.bottom_first ? -height : height;
  spec.top_left_lat = static_cast<float>(area.lat_top);
  spec.bottom_left_lat = static_cast<float>(area.lat_bottom);
  spec.top_left_lon = static_cast<float>(area.lon_left);
  spec.top_right_lon = static_cast<float>(area.lon_right);
  spec.bytes_per_pixel = sixteen_bit ? 2 : 1;
  Scene scene;
  scene.block = BlockOf(spec);
  const int32_t last = sixteen_bit ? kLast : 255;
  scene.calibration.first = 0;
  scene.calibration.last = last;
  for (int32_t c = 0; c <= last; ++c)
    scene.calibration.values.push_back(static_cast<float>(c) / static_cast<float>(last));
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

// Picture line `line` (0 at the top) of a 16-bit image.
uint16_t PixelAt(const SourceImage& image, int32_t line, int32_t column) {
  return image.counts16[static_cast<size_t>(image.height - 1 - line) * image.stride +
                        static_cast<size_t>(column)];
}

// Pixels whose sun is within this cosine of the horizon or of the 0.3 floor are left out of
// comparisons with the reference: there the interpolation between sample columns and the
// ephemeris differences decide on which side a pixel falls.
constexpr double kEdgeMargin = 0.02;

bool NearAnEdge(double cosine) {
  return std::fabs(cosine) < kEdgeMargin || std::fabs(cosine - 0.3) < kEdgeMargin;
}

// Compares every pixel away from the edges with the reference; returns how many were compared.
int ExpectMatchesReference(const Scene& scene, const ScanArea& area, int count) {
  int compared = 0;
  for (int32_t line = 0; line < scene.image.height; ++line) {
    for (int32_t column = 0; column < scene.image.width; ++column) {
      const double cosine =
          ReferenceSunCosine(area, scene.image.width, scene.image.height, line, column);
      if (NearAnEdge(cosine)) continue;
      const int expected = ReferenceCorrectedCount(count, kLast, cosine);
      const int actual = PixelAt(scene.image, line, column);
      EXPECT_LE(std::abs(actual - expected), 1)
          << "line " << line << " column " << column << " cosine " << cosine;
      ++compared;
    }
  }
  return compared;
}

// Noon to midnight over Japan on the June solstice: high sun on the first lines, the 0.3 floor
// and the terminator further down, night on the last lines.
const ScanArea kAfternoon{40, 20, 120, 150, {20, 14, 6, 21, 3, 0, 0}, {20, 14, 6, 21, 15, 0, 0}};

TEST(CorrectVisibleImageTest, UniformAlbedoFollowsTheSunAtEveryPixel) {
  Scene scene = SceneOf(kAfternoon, 121, 61, 250);
  ASSERT_TRUE(Correct(scene));
  EXPECT_GT(ExpectMatchesReference(scene, kAfternoon, 250), 121 * 61 / 2);
}

TEST(CorrectVisibleImageTest, LowSunIsHeldAtTheFloor) {
  Scene scene = SceneOf(kAfternoon, 121, 61, 250);
  ASSERT_TRUE(Correct(scene));
  int floored = 0;
  for (int32_t line = 0; line < 61; ++line) {
    for (int32_t column = 0; column < 121; ++column) {
      const double cosine = ReferenceSunCosine(kAfternoon, 121, 61, line, column);
      if (cosine < kEdgeMargin || cosine > 0.3 - kEdgeMargin) continue;
      // 250 / 0.3 = 833.3
      EXPECT_NEAR(PixelAt(scene.image, line, column), 833, 1) << line << " " << column;
      ++floored;
    }
  }
  EXPECT_GT(floored, 100);
}

TEST(CorrectVisibleImageTest, NightLinesAreUnchanged) {
  Scene scene = SceneOf(kAfternoon, 121, 61, 250);
  ASSERT_TRUE(Correct(scene));
  // The last lines are scanned near midnight in Japan.
  for (int32_t line = 55; line < 61; ++line) {
    for (int32_t column = 0; column < 121; ++column) {
      ASSERT_LT(ReferenceSunCosine(kAfternoon, 121, 61, line, column), 0);
      EXPECT_EQ(PixelAt(scene.image, line, column), 250) << line << " " << column;
    }
  }
}

TEST(CorrectVisibleImageTest, ValuesBeyondTheTableTakeTheLastCount) {
  Scene scene = SceneOf(kAfternoon, 121, 61, 900);
  ASSERT_TRUE(Correct(scene));
  // Where the sun stands lower than 900 / 1023 of the zenith's cosine, the value leaves the table.
  int beyond = 0;
  for (int32_t line = 0; line < 61; ++line) {
    const double cosine = ReferenceSunCosine(kAfternoon, 121, 61, line, 60);
    if (cosine <= kEdgeMargin || cosine > 0.85) continue;
    EXPECT_EQ(PixelAt(scene.image, line, 60), kLast) << line;
    ++beyond;
  }
  EXPECT_GT(beyond, 5);
}

TEST(CorrectVisibleImageTest, SunInTheZenithKeepsTheCount) {
  // The sun culminates almost overhead at 23.4 N, 135 E at about 03:02 UTC on the June solstice.
  const ScanArea overhead{
      23.5, 23.3, 134.9, 135.1, {20, 14, 6, 21, 3, 1, 0}, {20, 14, 6, 21, 3, 3, 0}};
  Scene scene = SceneOf(overhead, 20, 20, 400);
  ASSERT_TRUE(Correct(scene));
  for (int32_t line = 0; line < 20; ++line) {
    for (int32_t column = 0; column < 20; ++column)
      EXPECT_EQ(PixelAt(scene.image, line, column), 400) << line << " " << column;
  }
}

TEST(CorrectVisibleImageTest, SixtyDegreesFromTheZenithDoublesTheValue) {
  // On the June solstice the sun culminates 60 degrees from the zenith at 36.6 S.
  const ScanArea south{
      -36.5, -36.7, 134.9, 135.1, {20, 14, 6, 21, 3, 1, 0}, {20, 14, 6, 21, 3, 3, 0}};
  Scene scene = SceneOf(south, 12, 12, 300);
  ASSERT_TRUE(Correct(scene));
  for (int32_t line = 0; line < 12; ++line) {
    for (int32_t column = 0; column < 12; ++column)
      EXPECT_NEAR(PixelAt(scene.image, line, column), 600, 2) << line << " " << column;
  }
}

TEST(CorrectVisibleImageTest, TemperatureChannelIsLeftAlone) {
  Scene scene = SceneOf(kAfternoon, 40, 20, 250);
  scene.channel.tbb = true;
  const std::vector<uint16_t> before = scene.image.counts16;
  EXPECT_FALSE(Correct(scene));
  EXPECT_EQ(scene.image.counts16, before);
}

TEST(CorrectVisibleImageTest, NoDataPixelsAreNeverChanged) {
  Scene scene = SceneOf(kAfternoon, 40, 20, 65535);
  const std::vector<uint16_t> before = scene.image.counts16;
  ASSERT_TRUE(Correct(scene));
  EXPECT_EQ(scene.image.counts16, before);
}

TEST(CorrectVisibleImageTest, BufferShorterThanItsRowsIsLeftAlone) {
  Scene scene = SceneOf(kAfternoon, 40, 20, 250);
  scene.image.counts16.resize(scene.image.counts16.size() - 1);
  const std::vector<uint16_t> before = scene.image.counts16;
  EXPECT_FALSE(Correct(scene));
  EXPECT_EQ(scene.image.counts16, before);
}

TEST(CorrectVisibleImageTest, BottomFirstScanReversesTheLineTimes) {
  ScanArea area = kAfternoon;
  area.bottom_first = true;
  Scene scene = SceneOf(area, 121, 61, 250);
  ASSERT_TRUE(Correct(scene));
  EXPECT_GT(ExpectMatchesReference(scene, area, 250), 121 * 61 / 2);
  // Now the top line is scanned at midnight and the bottom line at noon.
  EXPECT_EQ(PixelAt(scene.image, 0, 0), 250);
  EXPECT_GT(PixelAt(scene.image, 60, 0), 250);
}

TEST(CorrectVisibleImageTest, AcrossTheDateLineTheLongitudesRunOnPast180) {
  // Local noon at 180 degrees: a sweep from 170 back through 0 to -170 would find night in the
  // middle of the image.
  ScanArea area{10, -10, 170, 190, {20, 14, 6, 21, 0, 0, 0}, {20, 14, 6, 21, 0, 10, 0}};
  Scene past_180 = SceneOf(area, 81, 21, 300);
  area.lon_right = -170;
  Scene across = SceneOf(area, 81, 21, 300);
  ASSERT_TRUE(Correct(past_180));
  ASSERT_TRUE(Correct(across));
  EXPECT_EQ(across.image.counts16, past_180.image.counts16);
  area.lon_right = 190;
  EXPECT_EQ(ExpectMatchesReference(across, area, 300), 81 * 21);
}

struct SmallCase {
  std::string name;
  int32_t width;
  int32_t height;
};

class SmallImageTest : public ::testing::TestWithParam<SmallCase> {};

TEST_P(SmallImageTest, SingleLineOrColumnTakesTheFirstPosition) {
  const SmallCase& c = GetParam();
  Scene scene = SceneOf(kAfternoon, c.width, c.height, 250);
  ASSERT_TRUE(Correct(scene));
  // The first line at the start time, the first column; the others as spread as usual.
  EXPECT_EQ(ExpectMatchesReference(scene, kAfternoon, 250), c.width * c.height);
  EXPECT_NE(PixelAt(scene.image, 0, 0), 250);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SmallImageTest,
                         ::testing::Values(SmallCase{"OneLine", 57, 1},
                                           SmallCase{"OneColumn", 1, 9},
                                           SmallCase{"OnePixel", 1, 1},
                                           SmallCase{"TwoByTwo", 2, 2}),
                         [](const auto& info) { return info.param.name; });

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
  // A glint cosine of almost 1 divides the sun factor by 0.6.
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
// set. It is the table's last count, which only a glint can lower.
class EightBitCount255Test : public ::testing::TestWithParam<bool> {};

TEST_P(EightBitCount255Test, IsNoDataOnlyWithTheFlag) {
  const bool no_data = GetParam();
  Scene scene = SceneOf(kBelowTheSatellite, 21, 21, 255, false);
  if (no_data) scene.block.flags |= kNoDataFlag;
  ASSERT_TRUE(Correct(scene, true));
  const uint8_t centre = scene.image.counts8[10 * scene.image.stride + 10];
  if (no_data) {
    EXPECT_EQ(centre, 255);
  } else {
    EXPECT_NEAR(centre, 0.6 * 255, 1.5);
  }
}

INSTANTIATE_TEST_SUITE_P(Flag, EightBitCount255Test, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Set" : "Clear"; });

}  // namespace
}  // namespace nephrax
