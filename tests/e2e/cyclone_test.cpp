// The cyclone overlay through the program: the bundled sample's storm, the report and the notice.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/bmp_file.h"
#include "support/run_program.h"
#include "support/setup_file_builder.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::RunProgram;

const std::string kSample = std::string(NEPHRAX_SOURCE_DIR) + "/data/sample/sample.ir";
const std::string kSampleTracks = std::string(NEPHRAX_SOURCE_DIR) + "/data/sample/hst";

// The sample is observed at 03:00 UTC on 21 June 2014; with `Amin` 50 the storms of 03 UTC count.
constexpr const char* kSampleReport =
    "062103UTC,Name,Lat,Lon,Ac,Wf,At,T-no,CI-no,DDD,FF\r\n"
    "T1407,KESTREL,20.0N,130.0E,3,5,4,5.0,5.0,310,15\r\n";

// Pixels of `colour` in the rectangle [x0, x1) x [y0, y1).
int CountPixels(const testing::BmpFile& bmp, Colour colour, int x0, int y0, int x1, int y1) {
  int count = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) count += bmp.Pixel(x, y) == colour ? 1 : 0;
  }
  return count;
}

class CycloneRunTest : public ::testing::Test {
 protected:
  testing::ProgramResult Run(const std::vector<std::string>& options) {
    std::vector<std::string> arguments = options;
    arguments.push_back(kSample);
    arguments.push_back(picture_);
    return RunProgram(testing::NephraxPath(), arguments);
  }

  testing::TempDir dir_;
  const std::string picture_ = dir_.File("sample.bmp");
  const std::string report_ = dir_.File("storms.csv");
};

TEST_F(CycloneRunTest, TheSampleStormIsMarkedAndReported) {
  const testing::ProgramResult result = Run({"-h=" + kSampleTracks, "-t=" + report_});
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(testing::ReadTextFile(report_), kSampleReport);
  // 20N 130E lies at (400, 600) of the 1001 x 801 picture of 50N..10N, 110E..160E; the cross in
  // `TypCol` reaches 4 pixels from it along the diagonals.
  const testing::BmpFile bmp = testing::ReadBmpFile(picture_);
  constexpr Colour kTypCol{192, 0, 0};
  for (const auto& [x, y] : {std::pair{400, 600}, {396, 596}, {404, 604}, {404, 596}, {396, 604}}) {
    EXPECT_EQ(bmp.Pixel(x, y), kTypCol) << x << "," << y;
  }
  // The intensity value stands on its white box below the cross.
  EXPECT_GT(CountPixels(bmp, {255, 255, 255}, 380, 612, 420, 630), 0);
}

TEST_F(CycloneRunTest, AReportNeedsAHistoryDirectory) {
  const testing::ProgramResult result = Run({"-t=" + report_});
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_FALSE(std::filesystem::exists(report_));
}

TEST_F(CycloneRunTest, WithoutAStormTheNoticeIsDrawnAndTheReportHasItsHeaderOnly) {
  std::filesystem::create_directory(dir_.File("empty"));
  const testing::ProgramResult result = Run({"-h=" + dir_.File("empty"), "-t=" + report_});
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(testing::ReadTextFile(report_),
            "062103UTC,Name,Lat,Lon,Ac,Wf,At,T-no,CI-no,DDD,FF\r\n");
  // " No TC " in `NtcCol` round the middle of the picture.
  const testing::BmpFile bmp = testing::ReadBmpFile(picture_);
  EXPECT_GT(CountPixels(bmp, {192, 0, 192}, 450, 390, 550, 410), 0);
}

TEST_F(CycloneRunTest, ATrackFileThatCannotBeOpenedIsReportedAndTheRunGoesOn) {
  const std::string history = dir_.File("hst");
  std::filesystem::create_directories(history + "/TC0001.HST");
  std::filesystem::copy_file(kSampleTracks + "/TC1407.HST", history + "/TC1407.HST");
  const testing::ProgramResult result = Run({"-h=" + history, "-t=" + report_});
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.err, "File open error.\r\n");
  EXPECT_EQ(testing::ReadTextFile(report_), kSampleReport);
}

}  // namespace
}  // namespace nephrax
