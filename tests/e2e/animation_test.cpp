// Animation mode: a list file of source files becomes one animated GIF.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "support/run_program.h"
#include "support/setup_file_builder.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::NephraxPath;
using testing::ProgramResult;
using testing::RunProgram;
using testing::SourceFileSpec;
using testing::TempDir;

const std::string kIdentify = "/usr/bin/identify";
const std::string kCompare = "/usr/bin/compare";

// A 16-bit grid image whose counts depend on `seed`, so that each frame differs.
std::vector<uint8_t> Source(int32_t width, int32_t height, int32_t seed) {
  SourceFileSpec spec;
  spec.width = width;
  spec.height = height;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      spec.pixels.push_back(static_cast<uint16_t>((x * 13 + y * 7 + seed * 101) % 1024));
    }
  }
  return testing::BuildSourceFile(spec);
}

struct Frame {
  int width = 0;
  int height = 0;
  int delay = 0;
};

// Each frame's size and delay, as ImageMagick reads them.
std::vector<Frame> FramesOf(const std::string& gif) {
  std::istringstream lines(RunProgram(kIdentify, {"-format", "%w %h %T\n", gif}).out);
  std::vector<Frame> frames;
  for (Frame f; lines >> f.width >> f.height >> f.delay;) frames.push_back(f);
  return frames;
}

// The temporary files an animation is written under start with ".".
int TemporaryFilesIn(const std::string& directory) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    count += entry.path().filename().string().starts_with(".") ? 1 : 0;
  }
  return count;
}

class AnimationTest : public ::testing::Test {
 protected:
  AnimationTest() {
    testing::WriteBytes(first_, Source(40, 30, 1));
    testing::WriteBytes(second_, Source(25, 35, 2));  // drawn at the first frame's size
    testing::WriteBytes(third_, Source(40, 30, 3));
  }

  ProgramResult Animate(const std::string& list_text,
                        const std::vector<std::string>& options = {}) {
    testing::WriteTextFile(list_, list_text);
    std::vector<std::string> arguments{"-a"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), {list_, gif_});
    return RunProgram(NephraxPath(), arguments);
  }

  TempDir dir_;
  const std::string first_ = dir_.File("first.ir");
  const std::string second_ = dir_.File("second.ir");
  const std::string third_ = dir_.File("third.ir");
  const std::string missing_ = dir_.File("missing.ir");
  const std::string list_ = dir_.File("list.txt");
  const std::string gif_ = dir_.File("animation.gif");
};

// One missing file, one empty line and a last line without its line break: one frame for each
// file read, every line echoed, the first and last frames held three times as long.
TEST_F(AnimationTest, MakesOneFramePerReadableFile) {
  if (!std::filesystem::exists(kIdentify)) GTEST_SKIP() << "ImageMagick is not installed";
  const ProgramResult run = Animate(first_ + "\n" + missing_ + "\n" + second_ + "\n\n" + third_);

  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.out, first_ + "\n" + missing_ + "\n" + second_ + "\n\n" + third_ + "\n");
  EXPECT_EQ(run.err, "File open error.\r\nFile open error.\r\n");
  const std::vector<Frame> frames = FramesOf(gif_);
  ASSERT_EQ(frames.size(), 3u);
  const std::vector<int> delays{30, 10, 30};
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].width, frames[0].width) << i;
    EXPECT_EQ(frames[i].height, frames[0].height) << i;
    EXPECT_EQ(frames[i].delay, delays[i]) << i;
  }
  EXPECT_NE(RunProgram(kIdentify, {"-verbose", gif_ + "[0]"}).out.find("Iterations: 0"),
            std::string::npos)
      << "the animation loops for ever";
  EXPECT_EQ(TemporaryFilesIn(dir_.path()), 0);
}

TEST_F(AnimationTest, FramesAreThePicturesOfTheirFiles) {
  if (!std::filesystem::exists(kCompare)) GTEST_SKIP() << "ImageMagick is not installed";
  ASSERT_EQ(Animate(first_ + "\n" + third_ + "\n").exit_status, 0);
  const std::string first_bmp = dir_.File("first.bmp");
  const std::string third_bmp = dir_.File("third.bmp");
  ASSERT_EQ(RunProgram(NephraxPath(), {first_, first_bmp}).exit_status, 0);
  ASSERT_EQ(RunProgram(NephraxPath(), {third_, third_bmp}).exit_status, 0);
  EXPECT_EQ(RunProgram(kCompare, {"-metric", "AE", gif_ + "[0]", first_bmp, "null:"}).err, "0");
  EXPECT_EQ(RunProgram(kCompare, {"-metric", "AE", gif_ + "[1]", third_bmp, "null:"}).err, "0");
}

struct DelayCase {
  const char* name;
  int files;
  std::vector<int> delays;
};

class AnimationDelayTest : public AnimationTest, public ::testing::WithParamInterface<DelayCase> {};

// Agif=7 from the setup file: 21 for the first and last frames, 7 between.
TEST_P(AnimationDelayTest, AgifSetsTheDelays) {
  if (!std::filesystem::exists(kIdentify)) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string setup = dir_.File("setup.ini");
  testing::SetupFileBuilder().Entry("Agif", "7").Write(setup);
  std::string list;
  for (int i = 0; i < GetParam().files; ++i) list += (i % 2 == 0 ? first_ : third_) + "\n";

  ASSERT_EQ(Animate(list, {"-s=" + setup}).exit_status, 0);

  std::vector<int> delays;
  for (const Frame& frame : FramesOf(gif_)) delays.push_back(frame.delay);
  EXPECT_EQ(delays, GetParam().delays);
}

INSTANTIATE_TEST_SUITE_P(Lists, AnimationDelayTest,
                         ::testing::Values(DelayCase{"OneFile", 1, {21}},
                                           DelayCase{"TwoFiles", 2, {21, 21}},
                                           DelayCase{"FourFiles", 4, {21, 7, 7, 21}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AnimationTest, WithoutTheLibraryIsASupportErrorAndWritesNothing) {
  const std::string program = dir_.File("nephrax");
  std::filesystem::copy_file(NephraxPath(), program);
  testing::WriteTextFile(list_, first_ + "\n");

  const ProgramResult run = RunProgram(program, {"-a", list_, gif_});

  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "Support error.\r\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(std::filesystem::exists(gif_));
}

TEST_F(AnimationTest, MissingListFileIsAFileOpenError) {
  const ProgramResult run = RunProgram(NephraxPath(), {"-a", dir_.File("no-list.txt"), gif_});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "File open error.\r\n");
  EXPECT_FALSE(std::filesystem::exists(gif_));
}

// The counting pass finds nothing to animate: nothing is read, echoed or written.
TEST_F(AnimationTest, ListOfNoExistingFileWritesNothingQuietly) {
  const ProgramResult run = Animate(missing_ + "\n\n" + dir_.path() + "\n");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(std::filesystem::exists(gif_));
}

// Files that exist but cannot be read leave no frame, and no animation without any frame.
TEST_F(AnimationTest, NoReadableFileWritesNothing) {
  const std::string broken = dir_.File("broken.ir");
  testing::WriteBytes(broken, std::vector<uint8_t>(10, 0));
  const ProgramResult run = Animate(broken + "\n");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out, broken + "\n");
  EXPECT_NE(run.err, "");
  EXPECT_FALSE(std::filesystem::exists(gif_));
  EXPECT_EQ(TemporaryFilesIn(dir_.path()), 0);
}

TEST_F(AnimationTest, ListWrittenOnWindowsNamesTheSameFiles) {
  if (!std::filesystem::exists(kIdentify)) GTEST_SKIP() << "ImageMagick is not installed";
  const ProgramResult run = Animate(first_ + "\r\n" + third_ + "\r\n");
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(FramesOf(gif_).size(), 2u);
}

TEST_F(AnimationTest, UnwritableDestinationIsAFileCreateError) {
  testing::WriteTextFile(list_, first_ + "\n");
  const ProgramResult run =
      RunProgram(NephraxPath(), {"-a", list_, dir_.File("missing/animation.gif")});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err, "File create error.\r\n");
}

}  // namespace
}  // namespace nephrax
