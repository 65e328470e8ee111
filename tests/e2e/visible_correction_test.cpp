// The sun-angle correction as a run meets it: a setup file turns Vadj on, the reader corrects the
// visible image it reads, and the picture shows it. The corrected counts of images of uniform
// albedo are checked against the sun worked out independently at every pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "calsun/display_tables.h"
#include "calsun/reference_correction.h"
#include "calsun/visible_correction.h"
#include "setup/setup_file.h"
#include "source/source_reader.h"
#include "support/bmp_file.h"
#include "support/run_program.h"
#include "support/setup_file_builder.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::PixelAt;
using testing::ReferenceSunCosine;
using testing::ScanArea;

constexpr int kLast = 1023;
constexpr uint16_t kAlbedoCount = 250;
constexpr int32_t kWidth = 121;
constexpr int32_t kHeight = 61;

// Noon to midnight over Japan on the June solstice: high sun on the first lines, a low sun and the
// terminator further down, night on the last lines.
const ScanArea kAfternoon{40, 20, 120, 150, {20, 14, 6, 21, 3, 0, 0}, {20, 14, 6, 21, 15, 0, 0}};

testing::SourceFileSpec VisibleSpec(const ScanArea& area, const std::string& channel = "GEO-VS") {
  testing::SourceFileSpec spec;
  spec.channel = channel;
  spec.start = area.start;
  spec.end = area.end;
  spec.top_left_lat = spec.top_right_lat = static_cast<float>(area.lat_top);
  spec.bottom_left_lat = spec.bottom_right_lat = static_cast<float>(area.lat_bottom);
  spec.top_left_lon = spec.bottom_left_lon = static_cast<float>(area.lon_left);
  spec.top_right_lon = spec.bottom_right_lon = static_cast<float>(area.lon_right);
  spec.last_count = kLast;
  for (int c = 0; c <= kLast; ++c) spec.calibration.push_back(static_cast<float>(c) / kLast);
  spec.width = kWidth;
  spec.height = kHeight;
  spec.pixels.assign(static_cast<size_t>(kWidth * kHeight), kAlbedoCount);
  return spec;
}

// A satellite-view image whose lines were scanned from the bottom up.
testing::SourceFileSpec BottomFirstSpec(const ScanArea& area) {
  testing::SourceFileSpec spec = VisibleSpec(area);
  spec.grid_flag = 0;
  spec.view_pixels = kWidth;
  spec.view_lines = -kHeight;
  return spec;
}

class VisibleCorrectionRunTest : public ::testing::Test {
 protected:
  // Reads `spec` as a run with `setup` does.
  SourceData Read(const testing::SourceFileSpec& spec, const testing::SetupFileBuilder& setup) {
    const std::string source_path = dir_.File("source.dat");
    const std::string setup_path = dir_.File("setup.ini");
    testing::WriteBytes(source_path, testing::BuildSourceFile(spec));
    setup.Write(setup_path);
    Settings settings;
    ChannelTable channels = BuiltInChannelTable();
    ReadSetupFile(setup_path, Language::kEnglish, settings, channels);
    DisplayTables tables;
    SourceData source;
    EXPECT_TRUE(ReadSourceFile(source_path, channels, settings, tables, source));
    return source;
  }

  static testing::SetupFileBuilder VadjOn() {
    testing::SetupFileBuilder setup;
    setup.Entry("Vadj", "ON");
    return setup;
  }

  testing::TempDir dir_;
};

int ExpectMatchesReference(const SourceImage& image, const ScanArea& area) {
  return testing::ExpectMatchesReference(image, area, kAlbedoCount, kLast);
}

TEST_F(VisibleCorrectionRunTest, UniformAlbedoGivesTheCountsOfTheSunAtEachPixel) {
  const SourceData source = Read(VisibleSpec(kAfternoon), VadjOn());
  EXPECT_GT(ExpectMatchesReference(source.image, kAfternoon), kWidth * kHeight * 3 / 4);
}

TEST_F(VisibleCorrectionRunTest, NightLinesAreUnchanged) {
  const SourceData source = Read(VisibleSpec(kAfternoon), VadjOn());
  int night_lines = 0;
  for (int32_t line = 0; line < kHeight; ++line) {
    bool night = true;
    for (int32_t column = 0; column < kWidth; column += 10)
      night = night && ReferenceSunCosine(kAfternoon, kWidth, kHeight, line, column) < -0.02;
    if (!night) continue;
    ++night_lines;
    for (int32_t column = 0; column < kWidth; ++column)
      ASSERT_EQ(PixelAt(source.image, line, column), kAlbedoCount) << line << " " << column;
  }
  EXPECT_GT(night_lines, 3);
}

TEST_F(VisibleCorrectionRunTest, TemperatureChannelIsUnchanged) {
  testing::SetupFileBuilder off;
  off.Entry("Vadj", "OFF");
  const testing::SourceFileSpec infrared = VisibleSpec(kAfternoon, "GEO-IR1");
  const SourceData corrected = Read(infrared, VadjOn());
  const SourceData as_read = Read(infrared, off);
  EXPECT_EQ(corrected.image.counts16, as_read.image.counts16);
}

TEST_F(VisibleCorrectionRunTest, NegativeLineCountScansFromTheBottom) {
  ScanArea area = kAfternoon;
  area.bottom_first = true;
  const SourceData source = Read(BottomFirstSpec(area), VadjOn());
  EXPECT_GT(ExpectMatchesReference(source.image, area), kWidth * kHeight * 3 / 4);
  // The top line is scanned at midnight, the bottom line at noon.
  EXPECT_EQ(PixelAt(source.image, 0, 0), kAlbedoCount);
  EXPECT_GT(PixelAt(source.image, kHeight - 1, 0), kAlbedoCount);
}

TEST_F(VisibleCorrectionRunTest, ImageAcrossTheDateLine) {
  // Local noon on the 180th meridian: the image from 170 E to 170 W lies in full sun.
  const ScanArea noon_at_180{
      10, -10, 170, -170, {20, 14, 6, 21, 0, 0, 0}, {20, 14, 6, 21, 0, 10, 0}};
  const SourceData source = Read(VisibleSpec(noon_at_180), VadjOn());
  ScanArea continuous = noon_at_180;
  continuous.lon_right = 190;
  EXPECT_EQ(ExpectMatchesReference(source.image, continuous), kWidth * kHeight);
}

// ---- The correction that follows the reading ----

struct FollowCase {
  std::string name;
  bool sixteen_bit;
  int32_t width;
  int32_t height;
  bool glint;
  bool falling_table;
  std::optional<int32_t> bad_record_length_line;
  std::optional<int32_t> lines_in_file;  // the file is cut inside the next line's record
};

// Counts that spread over the whole table, on the afternoon's high sun, floor and night.
testing::SourceFileSpec FollowSpec(const FollowCase& c) {
  testing::SourceFileSpec spec = VisibleSpec(kAfternoon);
  spec.bytes_per_pixel = c.sixteen_bit ? 2 : 1;
  spec.last_count = c.sixteen_bit ? kLast : 255;
  spec.calibration.clear();
  for (int32_t count = 0; count <= spec.last_count; ++count)
    spec.calibration.push_back(static_cast<float>(count) / static_cast<float>(spec.last_count));
  if (c.falling_table) std::reverse(spec.calibration.begin(), spec.calibration.end());
  spec.width = c.width;
  spec.height = c.height;
  spec.pixels.clear();
  for (int32_t y = 0; y < c.height; ++y) {
    for (int32_t x = 0; x < c.width; ++x)
      spec.pixels.push_back(static_cast<uint16_t>((x * 7 + y * 13) % (spec.last_count + 1)));
  }
  spec.bad_record_length_line = c.bad_record_length_line;
  if (c.lines_in_file) {
    spec.truncate_to = static_cast<size_t>(kControlBlockSize + testing::CalibrationSize(spec) +
                                           testing::RecordLength(spec) * (*c.lines_in_file) + 5);
  }
  return spec;
}

class CorrectionFollowingTheReadTest : public ::testing::TestWithParam<FollowCase> {
 protected:
  SourceData Read(const std::string& path, bool vadj, bool glint) {
    Settings settings;
    settings.Vadj = vadj;
    settings.SunGln = glint;
    DisplayTables tables;
    SourceData source;
    EXPECT_TRUE(ReadSourceFile(path, channels_, settings, tables, source));
    return source;
  }

  ChannelTable channels_ = BuiltInChannelTable();
};

// The reader corrects each run of lines as soon as it is read, on another processor where there
// is one: the counts must be those of correcting the whole image after the read, the lines the
// file lacks included.
TEST_P(CorrectionFollowingTheReadTest, GivesTheCountsOfCorrectingTheImageAfterTheRead) {
  const FollowCase& c = GetParam();
  testing::TempDir dir;
  const std::string path = dir.File("visible.dat");
  testing::WriteBytes(path, testing::BuildSourceFile(FollowSpec(c)));
  const SourceData corrected = Read(path, true, c.glint);
  SourceData expected = Read(path, false, c.glint);
  Settings settings;
  settings.SunGln = c.glint;
  ASSERT_TRUE(CorrectVisibleImage(
      expected.control, expected.calibration,
      settings.channels[static_cast<size_t>(expected.control.channel_index)],
      SatelliteViewOf(settings), expected.image));
  EXPECT_EQ(corrected.image.counts16, expected.image.counts16);
  EXPECT_EQ(corrected.image.counts8, expected.image.counts8);
  // The correction did change the image.
  const SourceData as_read = Read(path, false, c.glint);
  EXPECT_TRUE(corrected.image.counts16 != as_read.image.counts16 ||
              corrected.image.counts8 != as_read.image.counts8);
}

// 6000 columns: a run handed on holds about 21 lines of 16-bit counts and 43 of 8-bit ones.
INSTANTIATE_TEST_SUITE_P(
    Images, CorrectionFollowingTheReadTest,
    ::testing::Values(FollowCase{"SixteenBit", true, 6000, 100, false, false, {}, {}},
                      FollowCase{"EightBit", false, 6000, 100, false, false, {}, {}},
                      FollowCase{"Glint", true, 6000, 50, true, false, {}, {}},
                      FollowCase{"FallingTable", true, 6000, 30, false, true, {}, {}},
                      FollowCase{"OneLine", true, 6000, 1, false, false, {}, {}},
                      FollowCase{"Narrow", false, 9, 61, false, false, {}, {}},
                      FollowCase{"BadRecordLength", true, 6000, 100, false, false, 45, {}},
                      FollowCase{"CutFile", false, 6000, 100, false, false, {}, 50},
                      FollowCase{"CutInSecondLine", true, 6000, 30, false, false, {}, 1}),
    [](const auto& info) { return info.param.name; });

// The whole program: the same visible file drawn with and without a setup file that turns the
// correction on. Under the sun the picture gets brighter; the night lines stay as they were.
TEST(VisibleCorrectionProgramTest, CorrectionBrightensTheSunlitPartOfThePicture) {
  testing::TempDir dir;
  const std::string source = dir.File("visible.dat");
  testing::WriteBytes(source, testing::BuildSourceFile(VisibleSpec(kAfternoon)));
  testing::SetupFileBuilder setup;
  setup.Entry("Vadj", "ON").Entry("Grid", "OFF").Entry("Map", "OFF").Entry("Dtm", "-1");
  setup.Write(dir.File("on.ini"));
  testing::SetupFileBuilder plain_setup;
  plain_setup.Entry("Grid", "OFF").Entry("Map", "OFF").Entry("Dtm", "-1");
  plain_setup.Write(dir.File("off.ini"));
  ASSERT_EQ(testing::RunProgram(testing::NephraxPath(),
                                {"-s=" + dir.File("on.ini"), source, dir.File("on.bmp")})
                .exit_status,
            0);
  ASSERT_EQ(testing::RunProgram(testing::NephraxPath(),
                                {"-s=" + dir.File("off.ini"), source, dir.File("off.bmp")})
                .exit_status,
            0);
  const testing::BmpFile on = testing::ReadBmpFile(dir.File("on.bmp"));
  const testing::BmpFile off = testing::ReadBmpFile(dir.File("off.bmp"));
  ASSERT_EQ(on.width, off.width);
  ASSERT_EQ(on.height, off.height);
  int brighter = 0;
  int darker = 0;
  for (int32_t y = 0; y < on.height; ++y) {
    for (int32_t x = 0; x < on.width; ++x) {
      const Colour a = on.Pixel(x, y);
      const Colour b = off.Pixel(x, y);
      brighter += a.red > b.red;
      darker += a.red < b.red;
    }
  }
  EXPECT_GT(brighter, on.width * on.height / 2);
  EXPECT_EQ(darker, 0);
  // The bottom line of the picture is scanned at midnight.
  for (int32_t x = 0; x < on.width; ++x) {
    EXPECT_EQ(on.Pixel(x, on.height - 1).red, off.Pixel(x, off.height - 1).red) << x;
  }
}

}  // namespace
}  // namespace nephrax
