// GIF pictures with more colours than a palette holds, and animated GIFs.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "pixkit/decoders.h"
#include "pixkit/test_pictures.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::CallResult;
using testing::CaptureCall;
using testing::Dib;
using testing::Library;
using testing::Picture;
using testing::Rgb;
using testing::TempDir;

Picture WriteAndReadGif(const Picture& picture, bool high_quality, const std::string& path) {
  const Dib dib = testing::MakeDib(picture);
  Library().SetQntHiQt(high_quality ? 1 : 0);
  const int32_t written = Library().CnvBmpGif(0, path.c_str(), &dib.header, dib.bits.data());
  Library().SetQntHiQt(1);
  EXPECT_EQ(written, 1);
  return testing::DecodeGif(path).frames.at(0).picture;
}

// The mean colour of each 8 x 8 block, which is what dithering keeps.
std::vector<double> BlockMeans(const Picture& picture) {
  std::vector<double> means;
  for (int32_t by = 0; by + 8 <= picture.height; by += 8) {
    for (int32_t bx = 0; bx + 8 <= picture.width; bx += 8) {
      std::array<double, 3> sums{};
      for (int32_t y = by; y < by + 8; ++y) {
        for (int32_t x = bx; x < bx + 8; ++x) {
          const Rgb c = picture.At(x, y);
          sums[0] += c.red;
          sums[1] += c.green;
          sums[2] += c.blue;
        }
      }
      for (const double sum : sums) means.push_back(sum / 64);
    }
  }
  return means;
}

double MeanDifference(const std::vector<double>& a, const std::vector<double>& b) {
  double total = 0;
  for (size_t i = 0; i < a.size(); ++i) total += std::abs(a[i] - b[i]);
  return total / static_cast<double>(a.size());
}

// A smooth picture of 5120 colours, each on a square of 2 x 2 pixels.
Picture Smooth() {
  return testing::MakePicture(160, 128, [](int32_t x, int32_t y) {
    x /= 2;
    y /= 2;
    return Rgb{static_cast<uint8_t>(x * 255 / 79), static_cast<uint8_t>(y * 4),
               static_cast<uint8_t>(128 + (x - y))};
  });
}

class QuantiserTest : public ::testing::TestWithParam<bool> {};

TEST_P(QuantiserTest, KeepsThePictureWithinAPaletteOf256) {
  TempDir dir;
  const Picture picture = Smooth();
  ASSERT_GT(testing::CountColours(picture), 256u);
  const Picture gif = WriteAndReadGif(picture, GetParam(), dir.File("smooth.gif"));
  ASSERT_EQ(gif.width, picture.width);
  ASSERT_EQ(gif.height, picture.height);
  EXPECT_LE(testing::CountColours(gif), 256u);
  double total = 0;
  for (size_t i = 0; i < gif.pixels.size(); ++i) {
    total += std::abs(gif.pixels[i].red - picture.pixels[i].red) +
             std::abs(gif.pixels[i].green - picture.pixels[i].green) +
             std::abs(gif.pixels[i].blue - picture.pixels[i].blue);
  }
  EXPECT_LT(total / (3.0 * static_cast<double>(gif.pixels.size())), 4.0);
}

INSTANTIATE_TEST_SUITE_P(Quantisers, QuantiserTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "High" : "Fast"; });

// The fast quantiser maps each colour to one palette entry; the dither of the high-quality one
// spreads the error, so that small areas keep their mean colour better.
TEST(QuantiserTest, HighQualityDithersAndKeepsAreaColoursCloser) {
  TempDir dir;
  const Picture picture = Smooth();
  const Picture fast = WriteAndReadGif(picture, false, dir.File("fast.gif"));
  const Picture high = WriteAndReadGif(picture, true, dir.File("high.gif"));
  std::map<uint32_t, std::set<uint32_t>> fast_colours_of;
  std::map<uint32_t, std::set<uint32_t>> high_colours_of;
  const auto key = [](Rgb c) { return uint32_t{c.red} << 16 | c.green << 8 | c.blue; };
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    fast_colours_of[key(picture.pixels[i])].insert(key(fast.pixels[i]));
    high_colours_of[key(picture.pixels[i])].insert(key(high.pixels[i]));
  }
  const auto most = [](const std::map<uint32_t, std::set<uint32_t>>& of) {
    size_t largest = 0;
    for (const auto& [colour, written] : of) largest = std::max(largest, written.size());
    return largest;
  };
  EXPECT_EQ(most(fast_colours_of), 1u);
  EXPECT_GT(most(high_colours_of), 1u);
  const std::vector<double> original = BlockMeans(picture);
  EXPECT_LT(MeanDifference(BlockMeans(high), original), MeanDifference(BlockMeans(fast), original));
}

// An animation of three frames (grey, few colours, many colours) and one refused frame.
class AnimationTest : public ::testing::Test {
 protected:
  int32_t Open(const std::string& path, int32_t width, int32_t height) {
    return Library().OpenAgif(0, path.c_str(), height, width);
  }
  int32_t Put(const Picture& picture, int32_t handle, int32_t delay) {
    const Dib dib = testing::MakeDib(picture);
    return Library().PutAgif(0, &dib.header, dib.bits.data(), handle, delay);
  }
  TempDir dir_;
};

TEST_F(AnimationTest, LoopsThroughFramesWithTheirOwnPalettesAndDelays) {
  const std::string path = dir_.File("animation.gif");
  const std::vector<Picture> frames{testing::GreyPicture(33, 21), testing::FewColourPicture(33, 21),
                                    testing::ManyColourPicture(33, 21)};
  const int32_t handle = Open(path, 33, 21);
  ASSERT_GE(handle, 0);
  EXPECT_EQ(Put(frames[0], handle, 30), 1);
  EXPECT_EQ(Put(frames[1], handle, 10), 1);
  EXPECT_EQ(Put(frames[2], handle, 70000), 1);  // held as long as a GIF can: 65535
  EXPECT_EQ(Library().CloseAgif(0, handle), 1);

  const testing::GifFile gif = testing::DecodeGif(path);
  EXPECT_EQ(gif.width, 33);
  EXPECT_EQ(gif.height, 21);
  EXPECT_EQ(gif.global_colours, 0);
  EXPECT_EQ(gif.loop_count, std::optional<int>(0));  // for ever
  ASSERT_EQ(gif.frames.size(), 3u);
  const std::vector<int> delays{30, 10, 65535};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(gif.frames[i].delay, delays[i]) << i;
    EXPECT_GT(gif.frames[i].local_colours, 0) << i;
  }
  EXPECT_EQ(gif.frames[0].picture, frames[0]);
  EXPECT_EQ(gif.frames[1].picture, frames[1]);
  EXPECT_LE(testing::CountColours(gif.frames[2].picture), 256u);
}

TEST_F(AnimationTest, FrameOfAnotherSizeIsRefusedAndTheAnimationGoesOn) {
  const std::string path = dir_.File("animation.gif");
  const int32_t handle = Open(path, 8, 6);
  ASSERT_GE(handle, 0);
  const CallResult refused =
      CaptureCall([&] { return Put(testing::GreyPicture(8, 7), handle, 10); });
  EXPECT_EQ(refused.result, 0);
  EXPECT_EQ(refused.messages, "Support error.\r\n");
  EXPECT_EQ(Put(testing::GreyPicture(8, 6), handle, 10), 1);
  EXPECT_EQ(Library().CloseAgif(0, handle), 1);
  EXPECT_EQ(testing::DecodeGif(path).frames.size(), 1u);
}

TEST_F(AnimationTest, HandlesThatAreNotOpenAreRefusedQuietlyOnClose) {
  const CallResult close_unknown = CaptureCall([] { return Library().CloseAgif(0, -1); });
  EXPECT_EQ(close_unknown.result, 0);
  EXPECT_EQ(close_unknown.messages, "");
  const int32_t handle = Open(dir_.File("closed.gif"), 4, 4);
  ASSERT_EQ(Library().CloseAgif(0, handle), 1);
  EXPECT_EQ(Library().CloseAgif(0, handle), 0);
  const CallResult put = CaptureCall([&] { return Put(testing::GreyPicture(4, 4), handle, 1); });
  EXPECT_EQ(put.result, 0);
  EXPECT_EQ(put.messages, "Support error.\r\n");
}

struct OpenCase {
  const char* name;
  const char* file;
  int32_t width;
  int32_t height;
  const char* message;
};

class AnimationOpenTest : public ::testing::TestWithParam<OpenCase> {};

TEST_P(AnimationOpenTest, FailsWithANegativeHandle) {
  TempDir dir;
  const std::string path = dir.File(GetParam().file);
  const CallResult call = CaptureCall(
      [&] { return Library().OpenAgif(0, path.c_str(), GetParam().height, GetParam().width); });
  EXPECT_LT(call.result, 0);
  EXPECT_EQ(call.messages, std::string(GetParam().message) + "\r\n");
  EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnimationOpenTest,
    ::testing::Values(OpenCase{"MissingDirectory", "missing/a.gif", 4, 4, "File create error."},
                      OpenCase{"NoWidth", "a.gif", 0, 4, "Support error."},
                      OpenCase{"TooHigh", "a.gif", 4, 65536, "Support error."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nephrax
