#include "source/source_reader.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cmath>
#include <functional>
#include <limits>

#include "calsun/display_tables.h"
#include "core/messages.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::SourceFileSpec;

struct ReadResult {
  bool ok;
  std::string messages;
  SourceData source;
  Settings settings;
};

class SourceReaderTest : public ::testing::Test {
 protected:
  ReadResult Read(const SourceFileSpec& spec, Settings settings = Settings{}) {
    const std::string path = dir_.File("source.dat");
    testing::WriteBytes(path, testing::BuildSourceFile(spec));
    return ReadPath(path, settings);
  }

  ReadResult ReadPath(const std::string& path, Settings settings = Settings{}) {
    ReadResult result{false, {}, {}, settings};
    ::testing::internal::CaptureStderr();
    result.ok = ReadSourceFile(path, BuiltInChannelTable(), result.settings, tables_, result.source);
    result.messages = ::testing::internal::GetCapturedStderr();
    return result;
  }

  testing::TempDir dir_;
  DisplayTables tables_;
};

std::string Message(const char* text) { return text == nullptr ? "" : std::string(text) + "\r\n"; }

// Count of the pixel at (x, y), y counted from the top line as the file stores them.
int32_t CountAt(const SourceData& source, int32_t x, int32_t y) {
  const SourceImage& image = source.image;
  const size_t at = static_cast<size_t>(image.height - 1 - y) * image.stride + static_cast<size_t>(x);
  return image.counts16.empty() ? image.counts8[at] : image.counts16[at];
}

TEST_F(SourceReaderTest, ReadsAValidGridImageBottomUp) {
  SourceFileSpec spec;
  spec.width = 5;
  spec.height = 3;
  spec.calibration.assign(1024, 0.0F);
  for (size_t k = 0; k < 1024; ++k) spec.calibration[k] = static_cast<float>(k);  // rising
  spec.pixels = {1, 2, 3, 4, 5, 10, 20, 30, 40, 50, 100, 200, 300, 400, 1023};
  const ReadResult r = Read(spec);
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_EQ(r.messages, "");
  EXPECT_EQ(r.source.control.channel_index, 0);
  EXPECT_EQ(r.source.control.flags, 0u) << "the file's flag word is discarded";
  EXPECT_EQ(r.source.image.stride, 8u);
  ASSERT_EQ(r.source.image.counts16.size(), 8u * 3);
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 5; ++x) {
      EXPECT_EQ(CountAt(r.source, x, y), spec.pixels[static_cast<size_t>(y * 5 + x)]);
    }
  }
  // The first record fills the last row of the bottom-up buffer.
  EXPECT_EQ(r.source.image.counts16[2 * 8], 1);
  EXPECT_EQ(r.source.calibration.values.size(), 1024u);
}

struct FailureCase {
  const char* name;
  std::function<void(SourceFileSpec&)> change;
  const char* message;  // nullptr: the read fails silently
};

class ReaderFailureTest : public SourceReaderTest,
                          public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ReaderFailureTest, RefusesTheFileWithItsMessage) {
  SourceFileSpec spec;
  GetParam().change(spec);
  const ReadResult r = Read(spec);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, Message(GetParam().message));
}

const FailureCase kFailures[] = {
    {"BlockLength255", [](SourceFileSpec& s) { s.block_length = 255; }, msg::kControlBlock},
    {"BlockLength257", [](SourceFileSpec& s) { s.block_length = 257; }, msg::kControlBlock},
    {"ShortControlBlock", [](SourceFileSpec& s) { s.truncate_to = 255; }, msg::kControlBlock},
    {"RadarChannel", [](SourceFileSpec& s) { s.channel = "X-RADAR"; }, nullptr},
    {"UnknownChannel", [](SourceFileSpec& s) { s.channel = "X-FOG"; }, nullptr},
    {"CalibrationLengthWord", [](SourceFileSpec& s) { s.calibration_length = 4096; },
     msg::kCalibrationBlock},
    {"FileEndsInCalibration", [](SourceFileSpec& s) { s.truncate_to = 256 + 4000; },
     msg::kCalibrationBlock},
    // Fields that contradict each other are refused before anything else is read.
    {"RecordTooShortForLine",
     [](SourceFileSpec& s) {
       s.width = 200;
       s.record_units = 1;
     },
     msg::kControlBlock},
    {"CalibrationTooSmallForCounts", [](SourceFileSpec& s) { s.calibration_n = 100; },
     msg::kControlBlock},
    {"FirstAboveLast",
     [](SourceFileSpec& s) {
       s.first_count = 10;
       s.last_count = 5;
       s.calibration_n = 1024;
     },
     msg::kControlBlock},
    {"NegativeFirst", [](SourceFileSpec& s) { s.first_count = -1; }, msg::kControlBlock},
    {"SixteenBitCountBeyondTable", [](SourceFileSpec& s) { s.last_count = 16384; },
     msg::kControlBlock},
    {"EightBitCountBeyondByte",
     [](SourceFileSpec& s) {
       s.bytes_per_pixel = 1;
       s.last_count = 256;
     },
     msg::kControlBlock},
    {"ThreeBytesPerPixel", [](SourceFileSpec& s) { s.bytes_per_pixel = 3; }, msg::kControlBlock},
    {"ZeroWidth", [](SourceFileSpec& s) { s.grid_pixels = -1; }, msg::kControlBlock},
    {"NegativeCalibrationSize", [](SourceFileSpec& s) { s.calibration_n = -5; },
     msg::kControlBlock},
    {"HugeImage",
     [](SourceFileSpec& s) {
       s.grid_pixels = 100000;
       s.grid_lines = 100000;
     },
     msg::kControlBlock},
    {"ViewSizeOfMinimumInt",
     [](SourceFileSpec& s) {
       s.grid_flag = 0;
       s.view_pixels = std::numeric_limits<int32_t>::min();
       s.view_lines = 4;
     },
     msg::kControlBlock},
    {"ZeroGridStep", [](SourceFileSpec& s) { s.lon_step = 0; }, msg::kControlBlock},
    {"NotANumberGridStep",
     [](SourceFileSpec& s) { s.lat_step = std::numeric_limits<float>::quiet_NaN(); },
     msg::kControlBlock},
    {"StepsGivingAHugePicture",
     [](SourceFileSpec& s) {
       s.lon_step = 1e-30F;
       s.lat_step = 1e30F;
     },
     msg::kControlBlock},
};

INSTANTIATE_TEST_SUITE_P(FailureTable, ReaderFailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SourceReaderTest, MissingFileIsAnOpenError) {
  const ReadResult r = ReadPath(dir_.File("absent.dat"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, Message(msg::kFileOpen));
}

TEST_F(SourceReaderTest, DirectoryIsAnOpenError) {
  const ReadResult r = ReadPath(dir_.path());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.messages, Message(msg::kFileOpen));
}

TEST_F(SourceReaderTest, BadRecordLengthStopsReadingButTheReadSucceeds) {
  SourceFileSpec spec;
  spec.calibration.resize(1024);
  for (size_t k = 0; k < 1024; ++k) spec.calibration[k] = static_cast<float>(k);
  spec.first_count = 7;
  spec.bad_record_length_line = 2;
  const ReadResult r = Read(spec);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.messages, Message(msg::kImageBlock));
  EXPECT_EQ(CountAt(r.source, 3, 1), 11);
  // Lines from the bad record on stay 0, which normalisation clamps to the first count.
  EXPECT_EQ(CountAt(r.source, 3, 2), 7);
  EXPECT_EQ(CountAt(r.source, 3, 3), 7);
}

TEST_F(SourceReaderTest, TruncatedFileKeepsTheMissingLinesAtZero) {
  SourceFileSpec spec;  // falling table: the reversed flag mirrors the counts
  spec.height = 4;
  const int32_t record = testing::RecordLength(spec);
  spec.truncate_to = static_cast<size_t>(256 + testing::CalibrationSize(spec) + 2 * record + 10);
  const ReadResult r = Read(spec);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.messages, "") << "a short record stops reading without a message";
  EXPECT_TRUE(r.source.control.HasFlag(kReversedTableFlag));
  // Line 1 holds counts 8..15, mirrored to 1023 - c; lines 2 and 3 were 0 and become L.
  EXPECT_EQ(CountAt(r.source, 0, 1), 1023 - 8);
  EXPECT_EQ(CountAt(r.source, 0, 2), 1023);
  EXPECT_EQ(CountAt(r.source, 7, 3), 1023);
}

TEST_F(SourceReaderTest, FallingTableIsReversedAndCountsMirrored) {
  SourceFileSpec spec;
  spec.bytes_per_pixel = 1;
  spec.first_count = 10;
  spec.last_count = 200;
  spec.calibration = testing::InfraredCalibration(10, 200);
  spec.width = 4;
  spec.height = 1;
  spec.pixels = {10, 0, 200, 255};
  const ReadResult r = Read(spec);
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.source.control.HasFlag(kReversedTableFlag));
  const std::vector<float>& values = r.source.calibration.values;
  EXPECT_FLOAT_EQ(values.front(), spec.calibration.back());
  EXPECT_FLOAT_EQ(values.back(), spec.calibration.front());
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  // F becomes L; counts outside F..L are clamped before they are mirrored.
  EXPECT_EQ(CountAt(r.source, 0, 0), 200);
  EXPECT_EQ(CountAt(r.source, 1, 0), 200);
  EXPECT_EQ(CountAt(r.source, 2, 0), 10);
  EXPECT_EQ(CountAt(r.source, 3, 0), 10) << "255 is no-data only in version 1.1 files";
}

TEST(OrderCalibrationTest, NotANumberAtAnEndCountsAsNotFalling) {
  Calibration calibration{0, 2, {std::numeric_limits<float>::quiet_NaN(), 2.0F, 1.0F}};
  ControlBlock block;
  block.flags = kReversedTableFlag;
  OrderCalibration(calibration, block);
  EXPECT_FALSE(block.HasFlag(kReversedTableFlag));
  EXPECT_FLOAT_EQ(calibration.values[2], 1.0F);
}

struct NoDataCase {
  const char* version;
  int32_t expected;
};

class EightBitNoDataTest : public SourceReaderTest,
                           public ::testing::WithParamInterface<NoDataCase> {};

TEST_P(EightBitNoDataTest, Count255SurvivesOnlyInVersion11) {
  SourceFileSpec spec;
  spec.bytes_per_pixel = 1;
  spec.last_count = 200;
  spec.calibration.resize(201);
  for (size_t k = 0; k < 201; ++k) spec.calibration[k] = static_cast<float>(k);
  spec.version = GetParam().version;
  spec.width = 2;
  spec.height = 1;
  spec.pixels = {255, 250};
  const ReadResult r = Read(spec);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(CountAt(r.source, 0, 0), GetParam().expected);
  EXPECT_EQ(CountAt(r.source, 1, 0), 200);
}

INSTANTIATE_TEST_SUITE_P(Versions, EightBitNoDataTest,
                         ::testing::Values(NoDataCase{"1.1", 255}, NoDataCase{"1.0", 200},
                                           NoDataCase{"1.10", 200}, NoDataCase{"", 200}));

TEST_F(SourceReaderTest, SixteenBitNoDataIsNeverClampedOrMirrored) {
  SourceFileSpec spec;  // falling table
  spec.width = 3;
  spec.height = 1;
  spec.pixels = {65535, 5000, 0};
  const ReadResult r = Read(spec);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(CountAt(r.source, 0, 0), 65535);
  EXPECT_EQ(CountAt(r.source, 1, 0), 0) << "5000 clamps to 1023, mirrored to 0";
  EXPECT_EQ(CountAt(r.source, 2, 0), 1023);
}

TEST_F(SourceReaderTest, Version11SetsTheSatellitePosition) {
  SourceFileSpec spec;
  spec.version = "1.1";
  spec.sub_satellite_lat = 0.5F;
  spec.sub_satellite_lon = 140.7F;
  spec.satellite_distance = 42164170.0F;
  const ReadResult r = Read(spec);
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.source.control.HasFlag(kNoDataFlag));
  EXPECT_FLOAT_EQ(r.settings.SatLat, 0.5F);
  EXPECT_FLOAT_EQ(r.settings.SatLon, 140.7F);
  EXPECT_NEAR(r.settings.SatAlt, 35786.03, 0.01);
}

TEST_F(SourceReaderTest, OtherVersionsLeaveTheSatellitePosition) {
  SourceFileSpec spec;
  spec.version = "1.0";
  Settings settings;
  settings.SatLon = 145.0F;
  const ReadResult r = Read(spec, settings);
  ASSERT_TRUE(r.ok);
  EXPECT_FALSE(r.source.control.HasFlag(kNoDataFlag));
  EXPECT_FLOAT_EQ(r.settings.SatLon, 145.0F);
  EXPECT_FLOAT_EQ(r.settings.SatAlt, 35793.0F);
}

TEST(CalibrationBlockSizeTest, SmallestMultipleOf256HoldingTheValues) {
  EXPECT_EQ(CalibrationBlockSize(62), 256);
  EXPECT_EQ(CalibrationBlockSize(63), 512);
  EXPECT_EQ(CalibrationBlockSize(0), 256);
  EXPECT_EQ(CalibrationBlockSize(1024), 4352);
}

struct SizeCase {
  const char* name;
  int32_t grid_flag;
  int32_t width, height;
  float lon_step, lat_step;
  int32_t setting_width, setting_height;
  int32_t output_width, output_height;
};

class ImageSizeTest : public SourceReaderTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(ImageSizeTest, OutputSize) {
  const SizeCase& c = GetParam();
  SourceFileSpec spec;
  spec.grid_flag = c.grid_flag;
  spec.width = c.width;
  spec.height = c.height;
  spec.view_pixels = c.grid_flag ? 0 : -c.width;  // signed in the file; the size is its magnitude
  spec.view_lines = c.grid_flag ? 0 : -c.height;
  spec.lon_step = c.lon_step;
  spec.lat_step = c.lat_step;
  Settings settings;
  settings.Width = c.setting_width;
  settings.Height = c.setting_height;
  const ReadResult r = Read(spec, settings);
  ASSERT_TRUE(r.ok) << r.messages;
  EXPECT_EQ(r.source.geometry.source_width, c.width);
  EXPECT_EQ(r.source.geometry.source_height, c.height);
  EXPECT_EQ(r.source.geometry.output_width, c.output_width);
  EXPECT_EQ(r.source.geometry.output_height, c.output_height);
  // The picture size of the first file is kept for the rest of the run.
  EXPECT_EQ(r.settings.Width, c.output_width);
  EXPECT_EQ(r.settings.Height, c.output_height);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ImageSizeTest,
    ::testing::Values(SizeCase{"FinerLongitude", 1, 100, 50, 0.05F, 0.1F, 0, 0, 100, 99},
                      SizeCase{"FinerLatitude", 1, 100, 50, 0.1F, 0.05F, 0, 0, 199, 50},
                      SizeCase{"EqualSteps", 1, 100, 50, 0.05F, 0.05F, 0, 0, 100, 50},
                      SizeCase{"OnlyWidthSet", 1, 100, 50, 0.05F, 0.1F, 800, 0, 100, 99},
                      SizeCase{"BothSet", 1, 100, 50, 0.05F, 0.1F, 800, 600, 800, 600},
                      SizeCase{"SatelliteView", 0, 30, 20, 0.0F, 0.0F, 0, 0, 30, 20},
                      SizeCase{"SinglePixel", 1, 1, 1, 0.05F, 0.1F, 0, 0, 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

#if !defined(__SANITIZE_ADDRESS__)
// Reads the file with the address space limited to 512 MB; exits 3 when the read fails.
void ReadWithLimitedMemory(const std::string& path) {
  const rlimit limit{512u << 20, 512u << 20};
  setrlimit(RLIMIT_AS, &limit);
  Settings settings;
  DisplayTables tables;
  SourceData source;
  std::exit(ReadSourceFile(path, BuiltInChannelTable(), settings, tables, source) ? 0 : 3);
}

TEST_F(SourceReaderTest, ImageBufferThatCannotBeAllocatedIsAMemoryError) {
  SourceFileSpec spec;
  spec.width = 30000;
  spec.height = 1;
  spec.grid_lines = 30000;  // 1.8 GB of 16-bit counts, of which the file holds one line
  const std::string path = dir_.File("big.dat");
  testing::WriteBytes(path, testing::BuildSourceFile(spec));
  EXPECT_EXIT(ReadWithLimitedMemory(path), ::testing::ExitedWithCode(3), "Memory allocate error.");
}
#endif

}  // namespace
}  // namespace nephrax
