// The bundled sample (data/sample) and the make_sample tool that writes it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "calsun/display_tables.h"
#include "platform/lz_file.h"
#include "source/source_reader.h"
#include "support/run_program.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

const std::string kTool = NEPHRAX_BIN_DIR "/make_sample";
const std::string kSample = NEPHRAX_SOURCE_DIR "/data/sample/sample.ir";
const std::string kCompressedSample = NEPHRAX_SOURCE_DIR "/data/sample/sample.ir_";

// The sample's area and its default grid.
constexpr double kNorth = 50;
constexpr double kSouth = 10;
constexpr double kWest = 110;
constexpr double kEast = 160;
constexpr int32_t kWidth = 1001;
constexpr int32_t kHeight = 801;

// Where the tool puts its tropical cyclone.
constexpr double kEyeLat = 20;
constexpr double kEyeLon = 130;

struct ReadResult {
  bool ok = false;
  Settings settings;
  SourceData source;
};

ReadResult Read(const std::string& path) {
  ReadResult result;
  DisplayTables tables;
  result.ok = ReadSourceFile(path, BuiltInChannelTable(), result.settings, tables, result.source);
  return result;
}

// Calibrated temperature of the grid point nearest to (lat, lon). The reader keeps the lines
// bottom-up and, for a falling table, both the counts and the table turned round, so a count
// indexes the ascending table directly.
double TemperatureAt(const SourceData& source, double lat, double lon) {
  const SourceImage& image = source.image;
  const auto x =
      static_cast<int32_t>(std::lround((lon - kWest) / (kEast - kWest) * (image.width - 1)));
  const auto line =
      static_cast<int32_t>(std::lround((kNorth - lat) / (kNorth - kSouth) * (image.height - 1)));
  const size_t row = static_cast<size_t>(image.height - 1 - line);
  const uint16_t count = image.counts16.at(row * image.stride + static_cast<size_t>(x));
  return source.calibration.values.at(static_cast<size_t>(count - source.calibration.first));
}

// Calibrated temperatures of every grid point, ascending.
std::vector<double> SortedTemperatures(const SourceData& source) {
  std::vector<double> temperatures;
  const SourceImage& image = source.image;
  for (size_t row = 0; row < static_cast<size_t>(image.height); ++row) {
    for (size_t x = 0; x < static_cast<size_t>(image.width); ++x) {
      const uint16_t count = image.counts16[row * image.stride + x];
      temperatures.push_back(
          source.calibration.values.at(static_cast<size_t>(count - source.calibration.first)));
    }
  }
  std::sort(temperatures.begin(), temperatures.end());
  return temperatures;
}

double Percentile(const std::vector<double>& sorted, double percent) {
  return sorted[static_cast<size_t>(percent / 100 * static_cast<double>(sorted.size() - 1))];
}

TEST(SampleTest, CommittedSampleIsWhatTheToolWritesNow) {
  const testing::TempDir dir;
  const std::string output = dir.File("sample.ir");
  const testing::ProgramResult run = testing::RunProgram(kTool, {output});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  // On a mismatch, remake the sample with data/make_sample.sh if the change to the tool was meant.
  EXPECT_TRUE(testing::ReadBytes(output) == testing::ReadBytes(kSample));
}

TEST(SampleTest, CompressedTwinExpandsToTheSample) {
  const std::vector<uint8_t> plain = testing::ReadBytes(kSample);
  const auto file = LzFile::Open(kCompressedSample);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->IsCompressed());
  ASSERT_EQ(file->Size(), plain.size());
  std::vector<uint8_t> expanded(plain.size());
  ASSERT_EQ(file->ReadAt(0, expanded), plain.size());
  EXPECT_TRUE(expanded == plain);
}

TEST(SampleTest, ReaderTakesTheSampleAsA16BitInfraredGrid) {
  const ReadResult read = Read(kSample);
  ASSERT_TRUE(read.ok);
  const SourceData& source = read.source;
  EXPECT_EQ(source.control.channel_index, 0);
  EXPECT_TRUE(source.control.IsGrid());
  EXPECT_TRUE(source.control.Is16Bit());
  EXPECT_TRUE(source.control.HasFlag(kReversedTableFlag));
  EXPECT_EQ(source.geometry.source_width, kWidth);
  EXPECT_EQ(source.geometry.source_height, kHeight);
  // Equal steps in both directions: the picture has the grid's size.
  EXPECT_EQ(source.geometry.output_width, kWidth);
  EXPECT_EQ(source.geometry.output_height, kHeight);
  EXPECT_EQ(source.control.FirstCount(), 0);
  EXPECT_EQ(source.control.LastCount(), 4095);
  EXPECT_EQ(source.control.ObservationStart(), (TimeRecord{20, 14, 6, 21, 3, 0, 0}));
  EXPECT_EQ(source.control.ObservationEnd(), (TimeRecord{20, 14, 6, 21, 3, 10, 0}));
  EXPECT_FLOAT_EQ(source.control.Real(cb::kTopLeftLat), kNorth);
  EXPECT_FLOAT_EQ(source.control.Real(cb::kTopLeftLon), kWest);
  EXPECT_FLOAT_EQ(source.control.Real(cb::kBottomRightLat), kSouth);
  EXPECT_FLOAT_EQ(source.control.Real(cb::kBottomRightLon), kEast);
  // The falling kelvin table, turned round by the reader, rises strictly from cold to warm.
  const std::vector<float>& table = source.calibration.values;
  ASSERT_EQ(table.size(), 4096U);
  EXPECT_TRUE(std::adjacent_find(table.begin(), table.end(), std::greater_equal<>()) ==
              table.end());
  EXPECT_NEAR(table.front(), 180, 1);
  EXPECT_NEAR(table.back(), 330, 1);
}

TEST(SampleTest, CompressedTwinReadsToTheSameImage) {
  const ReadResult plain = Read(kSample);
  const ReadResult compressed = Read(kCompressedSample);
  ASSERT_TRUE(plain.ok);
  ASSERT_TRUE(compressed.ok);
  EXPECT_TRUE(compressed.source.image.counts16 == plain.source.image.counts16);
  EXPECT_EQ(compressed.source.calibration.values, plain.source.calibration.values);
}

TEST(SampleTest, CycloneHasAWarmEyeInsideAColdRing) {
  const ReadResult read = Read(kSample);
  ASSERT_TRUE(read.ok);
  EXPECT_GT(TemperatureAt(read.source, kEyeLat, kEyeLon), 280);
  // The eyewall, half a degree from the centre all round, carries the coldest tops.
  constexpr double kRingRadius = 0.5;
  for (int step = 0; step < 16; ++step) {
    const double angle = step * 2 * std::numbers::pi / 16;
    const double lat = kEyeLat + kRingRadius * std::sin(angle);
    const double lon =
        kEyeLon + kRingRadius * std::cos(angle) / std::cos(kEyeLat * std::numbers::pi / 180);
    EXPECT_LT(TemperatureAt(read.source, lat, lon), 205) << "at " << lat << "N " << lon << "E";
  }
}

TEST(SampleTest, TemperaturesSpanClearSeaSunlitLandAndColdCloudTops) {
  const ReadResult read = Read(kSample);
  ASSERT_TRUE(read.ok);
  const std::vector<double> sorted = SortedTemperatures(read.source);
  // Most of the area is open sea, some of it clear.
  EXPECT_GT(Percentile(sorted, 50), 285);
  EXPECT_LT(Percentile(sorted, 50), 302);
  // Land under the midday sun is warmer than any sea.
  EXPECT_GT(Percentile(sorted, 99), 303);
  // Deep convection reaches far colder than the sea; nothing is pinned at the table's ends.
  EXPECT_LT(Percentile(sorted, 0.1), 200);
  EXPECT_GT(sorted.front(), 182);
  EXPECT_LT(sorted.back(), 328);
}

TEST(SampleTest, ToolSamplesTheSameAreaAtAGivenSize) {
  const testing::TempDir dir;
  const std::string output = dir.File("small.ir");
  const testing::ProgramResult run =
      testing::RunProgram(kTool, {output, "--width", "251", "--height", "101"});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  const ReadResult read = Read(output);
  ASSERT_TRUE(read.ok);
  const ControlBlock& control = read.source.control;
  EXPECT_EQ(read.source.geometry.source_width, 251);
  EXPECT_EQ(read.source.geometry.source_height, 101);
  EXPECT_FLOAT_EQ(control.Real(cb::kLonStep), 0.2F);
  EXPECT_FLOAT_EQ(control.Real(cb::kLatStep), 0.4F);
  EXPECT_FLOAT_EQ(control.Real(cb::kTopLeftLat), kNorth);
  EXPECT_FLOAT_EQ(control.Real(cb::kBottomRightLon), kEast);
  // The same scene: the eye lies on a grid point here too.
  EXPECT_GT(TemperatureAt(read.source, kEyeLat, kEyeLon), 280);
}

TEST(SampleTest, ToolRefusesBadArgumentsAndWritesNothing) {
  const testing::TempDir dir;
  const std::string output = dir.File("bad.ir");
  const std::vector<std::vector<std::string>> bad_arguments = {
      {},
      {output, "--width", "300"},
      {output, "--width", "1", "--height", "300"},
      {output, "--width", "300", "--height", "30x"},
      {output, "--height"},
      {output, output},
      {output, "--size", "300"},
  };
  for (const std::vector<std::string>& arguments : bad_arguments) {
    const testing::ProgramResult run = testing::RunProgram(kTool, arguments);
    EXPECT_EQ(run.exit_status, 2) << ::testing::PrintToString(arguments);
    EXPECT_NE(run.err.find("usage: make_sample"), std::string::npos);
  }
  EXPECT_FALSE(std::ifstream(output).good());
}

}  // namespace
}  // namespace nephrax
