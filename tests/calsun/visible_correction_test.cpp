// The correction on images built in memory. How it meets a whole run (Vadj from a setup file,
// night lines, temperature channels, the date line, bottom-first scans) is tested end to end in
// tests/e2e/visible_correction_test.cpp.
#include "calsun/visible_correction.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "calsun/display_tables.h"
#include "calsun/line_correction.h"
#include "calsun/reference_correction.h"
#include "support/one_processor.h"
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

// ---- One line, each kernel against the plain computation ----

// The factor of `column`: the sun's cosine interpolated between the samples around it, held at
// 0.3, divided by 1.6 - glint cosine above 0.6; 0 with the sun below the horizon.
double PlainFactor(const LineSamples& line, int32_t width, int32_t column) {
  const int32_t k = column / line.step;
  const int32_t span = std::min(line.step, width - k * line.step);
  const int32_t offset = column - k * line.step;
  const auto at = static_cast<size_t>(k);
  const auto interpolated = [&](std::span<const double> samples) {
    return (samples[at + 1] * offset + samples[at] * (span - offset)) / span;
  };
  const double sun = interpolated(line.sun);
  double factor = sun > 0 ? std::max(sun, 0.3) : 0;
  if (!line.glint.empty() && interpolated(line.glint) > 0.6)
    factor /= 1.6 - interpolated(line.glint);
  return factor;
}

// A row of counts as the correction should leave it, pixel by pixel.
template <typename Count>
std::vector<Count> PlainCorrection(const std::vector<Count>& row, const LineSamples& line,
                                   const Calibration& calibration, int32_t no_data) {
  std::vector<Count> corrected = row;
  const ChannelSettings channel;
  const auto width = static_cast<int32_t>(row.size());
  for (int32_t column = 0; column < width; ++column) {
    const Count count = row[static_cast<size_t>(column)];
    const double factor = PlainFactor(line, width, column);
    if (count == no_data || factor == 0) continue;
    corrected[static_cast<size_t>(column)] = static_cast<Count>(CountOfValue(
        calibration, channel, ValueOfCount(calibration, channel, count) / factor));
  }
  return corrected;
}

// Whole-number table values: a factor of 2 puts every odd count's value exactly halfway between
// two table values (the tie goes to the lower count), a factor of 4 on quarter points. Counts
// from `first` on; the counts below it take the first value.
Calibration WholeNumberTable(int32_t first, int32_t last) {
  Calibration calibration{first, last, {}};
  for (int32_t count = first; count <= last; ++count)
    calibration.values.push_back(static_cast<float>(count - first));
  return calibration;
}

// An albedo table denser at the low end, where buckets hold several thresholds.
Calibration DenseAlbedoTable(int32_t last) {
  Calibration calibration{0, last, {}};
  for (int32_t count = 0; count <= last; ++count) {
    const double t = static_cast<double>(count) / last;
    calibration.values.push_back(static_cast<float>(t * t * t));
  }
  return calibration;
}

// Values whose every other gap is twice as wide (0, 1, 3, 4, 6, 7, ...): twice a value lands on
// the halfway point of a wide gap every second count, so a factor of 0.5 makes ties.
Calibration SteppedTable(int32_t last) {
  Calibration calibration{0, last, {}};
  for (int32_t count = 0; count <= last; ++count)
    calibration.values.push_back(static_cast<float>(count + count / 2));
  return calibration;
}

// An albedo ramp scaled by `scale`, beyond the range the vector kernel estimates in.
Calibration ScaledAlbedoTable(int32_t last, float scale) {
  Calibration calibration{0, last, {}};
  for (int32_t count = 0; count <= last; ++count)
    calibration.values.push_back(scale * static_cast<float>(count) / static_cast<float>(last));
  return calibration;
}

// Sources from 0.01 on and, above them, pairs of values whose halfway points lie within a few
// parts in ten million of the sources divided by `factor` (by default the floor's 0.3): under that
// factor the quotients of the sources hug the thresholds, closer than a single-precision estimate
// can tell. The sources spread up to twice the first, and no further than four fifths of the way
// to 0.01 / factor, so that the table still ascends.
constexpr double kHighSun = 0.8;

Calibration HuggingTable(int32_t sources, double factor = 0.3) {
  Calibration calibration{0, 3 * sources - 1, {}};
  std::mt19937 random(5);
  std::uniform_real_distribution<double> nudge(-3e-7, 3e-7);
  std::vector<float> pairs;
  const double spread = std::min(1.0, 0.8 * (1 / factor - 1));
  for (int32_t i = 0; i < sources; ++i) {
    const double source = 0.01 * (1 + spread * i / sources);
    calibration.values.push_back(static_cast<float>(source));
    const double target = static_cast<float>(source) / factor * (1 + nudge(random));
    pairs.push_back(static_cast<float>(target * (1 - 1e-4)));
    pairs.push_back(static_cast<float>(target * (1 + 1e-4)));
  }
  calibration.values.insert(calibration.values.end(), pairs.begin(), pairs.end());
  return calibration;
}

struct LineCase {
  std::string name;
  Calibration calibration;
  bool sixteen_bit;
  bool glint;
};

class CorrectLineTest
    : public ::testing::TestWithParam<std::tuple<LineKernel, LineCase>> {
 protected:
  void SetUp() override {
    if (std::get<0>(GetParam()) == LineKernel::kAvx512 &&
        FastestLineKernel() != LineKernel::kAvx512)
      GTEST_SKIP() << "the processor lacks AVX-512";
  }

  // Corrects `rows` random rows of `width` counts over `samples` random sample cosines drawn
  // from `cosines`, with every kernel's result compared to the plain one.
  template <typename Count, typename Cosines>
  void ExpectPlainCounts(int32_t width, int32_t step, int rows, Cosines cosines) {
    const LineCase& c = std::get<1>(GetParam());
    const int32_t no_data = c.sixteen_bit ? kNoDataCount16 : 255;
    const CountCorrection correction(c.calibration, channel_, no_data);
    // Counts beyond the table's last are held at it; 16-bit ones run up to the no-data count.
    std::uniform_int_distribution<int32_t> counts(0, c.sixteen_bit ? c.calibration.last + 40 : 255);
    const auto samples = static_cast<size_t>(width / step + 2);
    for (int row_number = 0; row_number < rows; ++row_number) {
      std::vector<double> sun(samples);
      std::vector<double> glint(c.glint ? samples : 0);
      for (double& cosine : sun) cosine = cosines(random_);
      for (double& cosine : glint) cosine = cosines(random_);
      std::vector<Count> row(static_cast<size_t>(width));
      for (Count& count : row) {
        const int32_t drawn = counts(random_);
        count = static_cast<Count>(drawn > c.calibration.last + 30 ? no_data : drawn);
      }
      const LineSamples line{step, sun, glint};
      const std::vector<Count> expected = PlainCorrection(row, line, c.calibration, no_data);
      CorrectLine(std::span(row), line, correction, std::get<0>(GetParam()));
      ASSERT_EQ(row, expected) << "width " << width << " step " << step;
    }
  }

  template <typename Count>
  void ExpectPlainCountsOfEveryShape() {
    // Day, night and the floor, and glint dimming on both sides of its threshold.
    const std::uniform_real_distribution<double> daylight(-0.3, 1.0);
    for (int32_t width = 1; width <= 17; ++width) ExpectPlainCounts<Count>(width, 10, 20, daylight);
    ExpectPlainCounts<Count>(333, 10, 10, daylight);
    ExpectPlainCounts<Count>(1203, 24, 4, daylight);
    // A low sun, whose factor is the floor's 0.3 exactly; a high sun of one cosine all along.
    ExpectPlainCounts<Count>(1203, 24, 4, std::uniform_real_distribution<double>(0.05, 0.25));
    ExpectPlainCounts<Count>(1203, 24, 2,
                             std::uniform_real_distribution<double>(kHighSun, kHighSun));
    // Steep stretches in daylight, whose factors are too uneven to estimate in single precision.
    bool high = false;
    ExpectPlainCounts<Count>(400, 20, 2, [&high](std::mt19937&) {
      high = !high;
      return high ? 1.0 : 0.31;
    });
    // Samples of opposite signs: the middle of each stretch lies exactly on the horizon.
    bool rising = false;
    ExpectPlainCounts<Count>(200, 10, 2, [&rising](std::mt19937&) {
      rising = !rising;
      return rising ? 0.7 : -0.7;
    });
    // Stretches longer than the vector kernel's chunk of pixels.
    ExpectPlainCounts<Count>(1203, 300, 2, daylight);
    // Factors of exactly 2 and 4 put the quotients on the ties between counts; so does a factor
    // of 0.5 with the stepped table. Cosines beyond -1..1 leave the vector kernel's estimate.
    ExpectPlainCounts<Count>(101, 10, 4, std::uniform_real_distribution<double>(2, 2));
    ExpectPlainCounts<Count>(101, 10, 4, std::uniform_real_distribution<double>(4, 4));
    ExpectPlainCounts<Count>(101, 10, 4, std::uniform_real_distribution<double>(0.5, 0.5));
    // A factor of 0.4 puts the quotients of a straight table's odd counts within a hair of the
    // halfway points between its values.
    ExpectPlainCounts<Count>(1001, 10, 2, std::uniform_real_distribution<double>(0.4, 0.4));
    // Cosines within a hair of the horizon, the floor and the glint threshold, where only the
    // exact computation can tell the side.
    for (const double threshold : {0.0, 0.3, 0.6}) {
      ExpectPlainCounts<Count>(
          203, 10, 4, std::uniform_real_distribution<double>(threshold - 1e-15, threshold + 1e-15));
    }
  }

  ChannelSettings channel_;
  std::mt19937 random_{11};
};

TEST_P(CorrectLineTest, GivesThePlainCountOfEveryPixel) {
  if (std::get<1>(GetParam()).sixteen_bit) {
    ExpectPlainCountsOfEveryShape<uint16_t>();
  } else {
    ExpectPlainCountsOfEveryShape<uint8_t>();
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Kernels, CorrectLineTest,
    ::testing::Combine(
        ::testing::Values(LineKernel::kPortable, LineKernel::kAvx512),
        ::testing::Values(
            LineCase{"Albedo16", SceneOf(kAfternoon, 1, 1, 0).calibration, true, false},
            LineCase{"Albedo16Glint", SceneOf(kAfternoon, 1, 1, 0).calibration, true, true},
            LineCase{"Albedo8", SceneOf(kAfternoon, 1, 1, 0, false).calibration, false, false},
            LineCase{"Albedo8Glint", SceneOf(kAfternoon, 1, 1, 0, false).calibration, false, true},
            LineCase{"WholeNumbers16", WholeNumberTable(5, 700), true, false},
            LineCase{"WholeNumbers8", WholeNumberTable(3, 200), false, false},
            LineCase{"Dense16", DenseAlbedoTable(1023), true, false},
            LineCase{"Dense8Glint", DenseAlbedoTable(255), false, true},
            LineCase{"Stepped16Glint", SteppedTable(900), true, true},
            LineCase{"Hugging16", HuggingTable(300), true, false},
            LineCase{"Hugging8Glint", HuggingTable(85), false, true},
            LineCase{"HuggingHighSun16", HuggingTable(300, kHighSun), true, false},
            LineCase{"Minute16", ScaledAlbedoTable(1023, 1e-35F), true, false},
            LineCase{"Huge8Glint", ScaledAlbedoTable(255, 1e35F), false, true})),
    [](const auto& info) {
      return std::string(std::get<0>(info.param) == LineKernel::kPortable ? "Portable" : "Avx512") +
             std::get<1>(info.param).name;
    });
// clang-format on

// ---- Threads ----

TEST(CorrectVisibleImageTest, SeveralThreadsCorrectAsOne) {
  cpu_set_t all;
  CPU_ZERO(&all);
  ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
  if (CPU_COUNT(&all) < 2) GTEST_SKIP() << "a single processor";
  for (const bool glint : {false, true}) {
    Scene one_thread = SceneOf(kAfternoon, 301, 400, 0);
    std::mt19937 random(5);
    for (uint16_t& count : one_thread.image.counts16) count = static_cast<uint16_t>(random() % 1100);
    const std::vector<uint16_t> before = one_thread.image.counts16;
    Scene threads = one_thread;
    testing::OnOneProcessor([&] { ASSERT_TRUE(Correct(one_thread, glint)); });
    ASSERT_TRUE(Correct(threads, glint));
    EXPECT_NE(threads.image.counts16, before);
    EXPECT_EQ(threads.image.counts16, one_thread.image.counts16) << "glint " << glint;
  }
}

}  // namespace
}  // namespace nephrax
