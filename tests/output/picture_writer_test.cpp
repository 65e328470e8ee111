#include "output/picture_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "core/messages.h"
#include "support/source_file_builder.h"
#include "write_picture_fixture.h"

namespace nephrax {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::string Message(const char* text) {
  return std::string(text) + "\r\n";
}

Colour ColourAt(int32_t x, int32_t y) {
  return {static_cast<uint8_t>(2 * x + 1), static_cast<uint8_t>(20 * y + 5),
          static_cast<uint8_t>(7 * (x + y))};
}

// A surface whose every pixel has the colour of its position.
Surface PatternedSurface(int32_t width, int32_t height) {
  Surface surface = CreateSurface(width, height).value();
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) surface.SetPixel(x, y, ColourAt(x, y));
  }
  return surface;
}

using testing::EntriesOf;
using testing::kEarlierPicture;
using testing::Write;
using testing::WriteResult;

TEST(MakeDibHeaderTest, Describes24BitRowsOfTheSurface) {
  const DibHeader header = MakeDibHeader(CreateSurface(101, 10).value());
  EXPECT_EQ(header.size, 40u);
  EXPECT_EQ(header.width, 101);
  EXPECT_EQ(header.height, 10);
  EXPECT_EQ(header.planes, 1);
  EXPECT_EQ(header.bit_count, 24);
  EXPECT_EQ(header.compression, kBiRgb);
  EXPECT_EQ(header.image_size, 3040u);  // rows of 304 bytes
  EXPECT_EQ(header.colours_used, 0u);
}

class BmpWriteTest : public ::testing::TestWithParam<OutputFormat> {
 protected:
  TempDir dir_;
};

// The 101 x 10 picture: 303 bytes of pixels padded to 304 a row, 3040 bytes in all, after the
// 14-byte file header and the 40-byte info header.
TEST_P(BmpWriteTest, WritesAnUncompressed24BitBmp) {
  const std::string path = dir_.File("picture.out");
  const Surface surface = PatternedSurface(101, 10);

  const WriteResult result = Write(surface, path, GetParam());

  EXPECT_TRUE(result.written);
  EXPECT_EQ(result.messages, "");
  const std::vector<uint8_t> file = ReadBytes(path);
  ASSERT_EQ(file.size(), 3094u);
  const std::span<const uint8_t> bytes(file);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(ReadU32Le(bytes, 2), 3094u);   // file size
  EXPECT_EQ(ReadU32Le(bytes, 6), 0u);      // reserved words
  EXPECT_EQ(ReadU32Le(bytes, 10), 54u);    // offset of the rows
  EXPECT_EQ(ReadU32Le(bytes, 14), 40u);    // info header size
  EXPECT_EQ(ReadI32Le(bytes, 18), 101);    // width
  EXPECT_EQ(ReadI32Le(bytes, 22), 10);     // height, positive: bottom-up
  EXPECT_EQ(ReadU16Le(bytes, 26), 1);      // planes
  EXPECT_EQ(ReadU16Le(bytes, 28), 24);     // bits per pixel
  EXPECT_EQ(ReadU32Le(bytes, 30), 0u);     // BI_RGB
  EXPECT_EQ(ReadU32Le(bytes, 34), 3040u);  // image size
  for (size_t offset = 38; offset < 54; offset += 4) EXPECT_EQ(ReadU32Le(bytes, offset), 0u);
  EXPECT_EQ(EntriesOf(dir_.path()), std::vector<std::string>{"picture.out"});
}

// Every pixel is at 54 + (bottom-up line) * 304 + 3 * x, blue first, and the padding is zero.
TEST_P(BmpWriteTest, StoresEveryPixelBottomUpAsBlueGreenRed) {
  const std::string path = dir_.File("picture.out");
  ASSERT_TRUE(Write(PatternedSurface(101, 10), path, GetParam()).written);

  const std::vector<uint8_t> file = ReadBytes(path);
  ASSERT_EQ(file.size(), 3094u);
  for (int32_t y = 0; y < 10; ++y) {
    const size_t row = 54 + static_cast<size_t>(9 - y) * 304;
    for (int32_t x = 0; x < 101; ++x) {
      const size_t at = row + static_cast<size_t>(x) * 3;
      const Colour colour = ColourAt(x, y);
      ASSERT_EQ(file[at], colour.blue) << x << ", " << y;
      ASSERT_EQ(file[at + 1], colour.green) << x << ", " << y;
      ASSERT_EQ(file[at + 2], colour.red) << x << ", " << y;
    }
    EXPECT_EQ(file[row + 303], 0) << "padding of line " << y;
  }
}

TEST_P(BmpWriteTest, ReplacesAnEarlierPicture) {
  const std::string path = dir_.File("picture.out");
  WriteBytes(path, kEarlierPicture);

  ASSERT_TRUE(Write(PatternedSurface(3, 2), path, GetParam()).written);

  EXPECT_EQ(ReadBytes(path).size(), 54u + 2 * 12);
  EXPECT_EQ(EntriesOf(dir_.path()), std::vector<std::string>{"picture.out"});
}

INSTANTIATE_TEST_SUITE_P(Formats, BmpWriteTest,
                         ::testing::Values(OutputFormat::kBmp, OutputFormat::kRle));

// The output of a command without trailing blanks, or none when it cannot be run.
std::optional<std::string> RunCommand(const std::string& command) {
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (pipe == nullptr) return std::nullopt;
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) output += buffer;
  output.erase(output.find_last_not_of(" \n") + 1);
  return output;
}

bool HasIdentify() {
  return std::system("command -v identify >/dev/null 2>&1") == 0;
}

TEST(BmpReadBackTest, ImageMagickReadsTheSizeDepthAndPixels) {
  if (!HasIdentify()) GTEST_SKIP() << "ImageMagick's identify is not installed";
  TempDir dir;
  const std::string path = dir.File("picture.bmp");
  ASSERT_TRUE(Write(PatternedSurface(101, 10), path, OutputFormat::kBmp).written);

  // Eight bits a channel and a class without a palette: 24-bit true colour.
  EXPECT_EQ(RunCommand("identify -format '%w %h %z %r' '" + path + "'"),
            "101 10 8 DirectClass sRGB");
  for (const auto& [x, y] :
       {std::pair{0, 0}, std::pair{100, 0}, std::pair{0, 9}, std::pair{100, 9}, std::pair{57, 4}}) {
    const Colour colour = ColourAt(x, y);
    const std::string at = "p{" + std::to_string(x) + "," + std::to_string(y) + "}";
    const std::string format = "%[fx:int(255*" + at + ".r+0.5)] %[fx:int(255*" + at +
                               ".g+0.5)] %[fx:int(255*" + at + ".b+0.5)]";
    EXPECT_EQ(RunCommand("convert '" + path + "' -format '" + format + "' info:"),
              std::to_string(colour.red) + " " + std::to_string(colour.green) + " " +
                  std::to_string(colour.blue))
        << x << ", " << y;
  }
}

// Without the image-format library only BMP can be written.
class UnsupportedFormatTest : public ::testing::TestWithParam<OutputFormat> {};

TEST_P(UnsupportedFormatTest, ReportsSupportErrorAndWritesNothing) {
  TempDir dir;
  const WriteResult result = Write(PatternedSurface(4, 4), dir.File("picture"), GetParam());

  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.messages, Message(msg::kSupport));
  EXPECT_TRUE(EntriesOf(dir.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(Formats, UnsupportedFormatTest,
                         ::testing::Values(OutputFormat::kJpg, OutputFormat::kPng,
                                           OutputFormat::kGif, OutputFormat::kJp2,
                                           OutputFormat::kTif, OutputFormat::kEmf));

class FailedWriteTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(FailedWriteTest, MissingDirectoryIsAFileCreateError) {
  const WriteResult result =
      Write(PatternedSurface(4, 4), dir_.File("missing/picture.bmp"), OutputFormat::kBmp);

  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.messages, Message(msg::kFileCreate));
  EXPECT_TRUE(EntriesOf(dir_.path()).empty());
}

TEST_F(FailedWriteTest, DestinationThatIsADirectoryIsAFileCreateErrorAndStays) {
  const std::string path = dir_.File("picture.bmp");
  std::filesystem::create_directory(path);
  WriteBytes(path + "/inside", kEarlierPicture);

  const WriteResult result = Write(PatternedSurface(4, 4), path, OutputFormat::kBmp);

  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.messages, Message(msg::kFileCreate));
  EXPECT_EQ(ReadBytes(path + "/inside"), kEarlierPicture);
  EXPECT_EQ(EntriesOf(dir_.path()), std::vector<std::string>{"picture.bmp"});
}

TEST_F(FailedWriteTest, ReadOnlyDirectoryIsAFileCreateErrorAndKeepsTheEarlierPicture) {
  const std::string path = dir_.File("picture.bmp");
  WriteBytes(path, kEarlierPicture);
  chmod(dir_.path().c_str(), 0555);
  if (access(dir_.path().c_str(), W_OK) == 0) {
    chmod(dir_.path().c_str(), 0755);
    GTEST_SKIP() << "this user may write into any directory";
  }

  const WriteResult result = Write(PatternedSurface(4, 4), path, OutputFormat::kBmp);
  chmod(dir_.path().c_str(), 0755);

  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.messages, Message(msg::kFileCreate));
  EXPECT_EQ(ReadBytes(path), kEarlierPicture);
}

// Exit statuses of the child processes below: 0 when the earlier picture is intact and nothing
// else was left in its directory.
int CheckEarlierPictureAlone(bool written, const TempDir& dir, const std::string& path) {
  if (written) return 1;
  if (ReadBytes(path) != kEarlierPicture) return 2;
  if (EntriesOf(dir.path()) != std::vector<std::string>{"picture.bmp"}) return 3;
  return 0;
}

// No file descriptor is left, so the temporary file cannot be made, whoever runs the test.
int WriteWithoutFreeDescriptors(const TempDir& dir, const std::string& path) {
  const Surface surface = PatternedSurface(4, 4);
  const int lowest_free = dup(0);
  close(lowest_free);
  rlimit files{};
  getrlimit(RLIMIT_NOFILE, &files);
  const rlimit exhausted{static_cast<rlim_t>(lowest_free), files.rlim_max};
  setrlimit(RLIMIT_NOFILE, &exhausted);
  const bool written =
      WritePicture(surface, path, OutputFormat::kBmp, ImageLibrary{}, Settings{}, GeoArea{});
  setrlimit(RLIMIT_NOFILE, &files);
  return CheckEarlierPictureAlone(written, dir, path);
}

TEST_F(FailedWriteTest, NoFileToCreateIsAFileCreateErrorAndKeepsTheEarlierPicture) {
  const std::string path = dir_.File("picture.bmp");
  WriteBytes(path, kEarlierPicture);

  EXPECT_EXIT(std::exit(WriteWithoutFreeDescriptors(dir_, path)), ::testing::ExitedWithCode(0),
              "^File create error\\.\r\n$");
}

// Files may grow to 1000 bytes only, so the picture falls short: when the buffer is flushed
// (a small picture) or while the rows are written (a large one).
int WriteBeyondTheFileSizeLimit(const TempDir& dir, const std::string& path, int32_t side) {
  const Surface surface = PatternedSurface(side, side);
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit size{1000, 1000};
  setrlimit(RLIMIT_FSIZE, &size);
  return CheckEarlierPictureAlone(
      WritePicture(surface, path, OutputFormat::kBmp, ImageLibrary{}, Settings{}, GeoArea{}), dir,
      path);
}

class ShortWriteTest : public ::testing::TestWithParam<int32_t> {
 protected:
  TempDir dir_;
};

TEST_P(ShortWriteTest, IsADataWriteErrorThatKeepsTheEarlierPicture) {
  const std::string path = dir_.File("picture.bmp");
  WriteBytes(path, kEarlierPicture);

  EXPECT_EXIT(std::exit(WriteBeyondTheFileSizeLimit(dir_, path, GetParam())),
              ::testing::ExitedWithCode(0), "^Data write error\\.\r\n$");
}

INSTANTIATE_TEST_SUITE_P(PictureSides, ShortWriteTest, ::testing::Values(20, 300));

}  // namespace
}  // namespace nephrax
