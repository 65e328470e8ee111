// The program as a user's script sees it: messages, output and exit statuses.
#include <gtest/gtest.h>

#include "support/run_program.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::NephraxPath;
using testing::ProgramResult;
using testing::RunProgram;

const char kUsage[] =
    "\n"
    ">NEPHRAX [-e=elv_dir] [-h=hst_dir] [-m=map_file] [-s=setup_file] [-t=text_file] [-l] [-g] "
    "[-a] source_file destination_file\n"
    "\tparameter\n"
    "\t-e   :directory of elevation data\n"
    "\t-h   :directory of hst data\n"
    "\t-m   :map data\n"
    "\t-s   :setup data\n"
    "\t-t   :text data (output)\n"
    "\t-l   :english mode for displaying date\n"
    "\t-g   :GeoTiff mode for outputting TIFF form\n"
    "\t-a   :Animated Gif mode for outputting GIF form\n";

TEST(DriverTest, NoArgumentsIsACommandParameterError) {
  const ProgramResult r = RunProgram(NephraxPath(), {});
  EXPECT_EQ(r.exit_status, 255);
  EXPECT_EQ(r.err, "Command parameter error.\r\n");
  EXPECT_EQ(r.out, "");
}

TEST(DriverTest, OneFileNameIsACommandParameterError) {
  const ProgramResult r = RunProgram(NephraxPath(), {"-g", "in.dat"});
  EXPECT_EQ(r.exit_status, 255);
  EXPECT_EQ(r.err, "Command parameter error.\r\n");
}

TEST(DriverTest, UsageTextIsPrintedExactlyEvenAfterWrongArguments) {
  const ProgramResult r = RunProgram(NephraxPath(), {"-x", "-?", "a"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.err, "Command parameter error.\r\n");
  ASSERT_EQ(r.out.substr(0, sizeof(kUsage) - 1), kUsage);
  // The version lines follow: "Version " and the version, then the copyright line.
  const std::string rest = r.out.substr(sizeof(kUsage) - 1);
  EXPECT_TRUE(rest.starts_with("Version ")) << rest;
  EXPECT_EQ(std::count(rest.begin(), rest.end(), '\n'), 2) << rest;
}

TEST(DriverTest, MissingSourceIsAFileOpenErrorAndNoPicture) {
  testing::TempDir dir;
  const ProgramResult r = RunProgram(NephraxPath(), {dir.File("absent.dat"), dir.File("out.bmp")});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "File open error.\r\n");
}

TEST(DriverTest, UnknownOptionDoesNotStopTheRun) {
  testing::TempDir dir;
  const ProgramResult r = RunProgram(NephraxPath(), {"-x", dir.File("absent.dat"), "out.bmp"});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Command parameter error.\r\nFile open error.\r\n");
}

TEST(DriverTest, UnreadableMapFileIsReportedAndTheRunGoesOn) {
  testing::TempDir dir;
  const ProgramResult r =
      RunProgram(NephraxPath(), {"-m=" + dir.File("no-map.dat"), dir.File("absent.dat"), "out.bmp"});
  EXPECT_EQ(r.err, "File open error.\r\nFile open error.\r\n");
  EXPECT_EQ(r.exit_status, 1);
}

TEST(DriverTest, AbsolutePathsAreFileNames) {
  testing::TempDir dir;
  const ProgramResult r = RunProgram(NephraxPath(), {dir.File("absent.dat"), "/tmp/out.bmp"});
  EXPECT_EQ(r.err, "File open error.\r\n") << "both absolute paths were taken as file names";
}

}  // namespace
}  // namespace nephrax
