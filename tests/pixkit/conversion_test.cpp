// The library's PNG and GIF converters on the same pictures, read back with libpng and giflib;
// every format on the program's own pictures is read back in the end-to-end tests.
#include <gtest/gtest.h>

#include <tuple>

#include "pixkit/decoders.h"
#include "pixkit/test_pictures.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::Library;
using testing::Picture;
using testing::PictureKind;

struct PictureCase {
  const char* name;
  PictureKind kind;
  int32_t width;
  int32_t height;
  bool top_down = false;
};

void PrintTo(const PictureCase& c, std::ostream* out) {
  *out << c.name;
}

Picture MakeCasePicture(const PictureCase& c) {
  return testing::PictureOfKind(c.kind, c.width, c.height);
}

const PictureCase kGrey{"Grey101x67", PictureKind::kGrey, 101, 67};
const PictureCase kGreyTopDown{"GreyTopDown37x5", PictureKind::kGrey, 37, 5, true};
const PictureCase kFewColours{"FewColours101x67", PictureKind::kFewColours, 101, 67};
const PictureCase kOnePixel{"OnePixel", PictureKind::kFewColours, 1, 1};
const PictureCase kManyColours{"ManyColours103x61", PictureKind::kManyColours, 103, 61};

class PngTest : public ::testing::TestWithParam<PictureCase> {};

// Lossless, as palette indexes exactly when the picture has at most 256 colours.
TEST_P(PngTest, GivesBackEveryPixel) {
  const Picture picture = MakeCasePicture(GetParam());
  const testing::Dib dib = testing::MakeDib(picture, GetParam().top_down);
  testing::TempDir dir;
  const std::string path = dir.File("picture.png");

  const testing::CallResult call = testing::CaptureCall(
      [&] { return Library().CnvBmpPng(0, path.c_str(), &dib.header, dib.bits.data()); });

  ASSERT_EQ(call.result, 1);
  EXPECT_EQ(call.messages, "");
  const testing::PngFile png = testing::DecodePng(path);
  EXPECT_EQ(png.palette, GetParam().kind != PictureKind::kManyColours);
  EXPECT_EQ(png.picture, picture);
}

INSTANTIATE_TEST_SUITE_P(Pictures, PngTest,
                         ::testing::Values(kGrey, kGreyTopDown, kFewColours, kOnePixel,
                                           kManyColours),
                         [](const auto& info) { return std::string(info.param.name); });

class GifTest : public ::testing::TestWithParam<PictureCase> {};

// A GIF holds 256 colours: pictures that have no more come back exactly.
TEST_P(GifTest, GivesBackEveryPixelOfAPictureOf256Colours) {
  const Picture picture = MakeCasePicture(GetParam());
  const testing::Dib dib = testing::MakeDib(picture, GetParam().top_down);
  testing::TempDir dir;
  const std::string path = dir.File("picture.gif");

  ASSERT_EQ(Library().CnvBmpGif(0, path.c_str(), &dib.header, dib.bits.data()), 1);

  const testing::GifFile gif = testing::DecodeGif(path);
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_GT(gif.global_colours, 0);
  EXPECT_EQ(gif.frames[0].picture, picture);
}

INSTANTIATE_TEST_SUITE_P(Pictures, GifTest,
                         ::testing::Values(kGrey, kGreyTopDown, kFewColours, kOnePixel),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nephrax
