// Every converter of the library, on the same pictures, read back with the codecs' decoders.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <tuple>

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
using testing::TempDir;

enum class Kind { kGrey, kFewColours, kManyColours };

struct PictureCase {
  const char* name;
  Kind kind;
  int32_t width;
  int32_t height;
  bool top_down = false;
};

void PrintTo(const PictureCase& c, std::ostream* out) {
  *out << c.name;
}

Picture MakeCasePicture(const PictureCase& c) {
  switch (c.kind) {
    case Kind::kGrey:
      return testing::GreyPicture(c.width, c.height);
    case Kind::kFewColours:
      return testing::FewColourPicture(c.width, c.height);
    case Kind::kManyColours:
      break;
  }
  return testing::ManyColourPicture(c.width, c.height);
}

// What a decoder gives back: the pixels and the number of samples stored per pixel (1 for grey
// or palette pictures, 3 for RGB or YCbCr).
struct Decoded {
  Picture picture;
  int stored_samples = 0;
};

struct FormatCase {
  const char* name;
  PixkitConverter* ImageLibrary::*converter;
  Decoded (*decode)(const std::string& path);
  bool keeps_palettes;  // stores a picture of at most 256 colours as palette indexes
};

void PrintTo(const FormatCase& format, std::ostream* out) {
  *out << format.name;
}

const FormatCase kPng{"Png", &ImageLibrary::CnvBmpPng,
                      [](const std::string& path) {
                        testing::PngFile png = testing::DecodePng(path);
                        return Decoded{std::move(png.picture), png.palette ? 1 : 3};
                      },
                      true};
const FormatCase kTiff{"Tiff", &ImageLibrary::CnvBmpTif,
                       [](const std::string& path) {
                         testing::TiffFile tiff = testing::DecodeTiff(path);
                         EXPECT_EQ(tiff.compression, 8) << "Deflate";
                         return Decoded{std::move(tiff.picture), tiff.samples_per_pixel};
                       },
                       false};
const FormatCase kJp2{"Jp2", &ImageLibrary::CnvBmpJ2k,
                      [](const std::string& path) {
                        testing::Jp2File jp2 = testing::DecodeJp2(path);
                        return Decoded{std::move(jp2.picture), jp2.components};
                      },
                      false};
const FormatCase kGif{"Gif", &ImageLibrary::CnvBmpGif,
                      [](const std::string& path) {
                        testing::GifFile gif = testing::DecodeGif(path);
                        EXPECT_EQ(gif.frames.size(), 1u);
                        EXPECT_GT(gif.global_colours, 0);
                        return Decoded{std::move(gif.frames.at(0).picture), 1};
                      },
                      true};
const FormatCase kJpeg{"Jpeg", &ImageLibrary::CnvBmpJpeg,
                       [](const std::string& path) {
                         testing::JpegFile jpeg = testing::DecodeJpeg(path);
                         return Decoded{std::move(jpeg.picture), jpeg.components};
                       },
                       false};

int ExpectedStoredSamples(const FormatCase& format, Kind kind) {
  if (kind == Kind::kGrey) return 1;
  return format.keeps_palettes && kind == Kind::kFewColours ? 1 : 3;
}

CallResult Convert(const FormatCase& format, const std::string& path, const Dib& dib) {
  PixkitConverter* convert = Library().*format.converter;
  return CaptureCall([&] { return convert(0, path.c_str(), &dib.header, dib.bits.data()); });
}

const PictureCase kPictures[] = {
    {"Grey101x67", Kind::kGrey, 101, 67},
    {"GreyTopDown37x5", Kind::kGrey, 37, 5, true},
    {"FewColours101x67", Kind::kFewColours, 101, 67},
    {"FewColoursTopDown6x9", Kind::kFewColours, 6, 9, true},
    {"ManyColours103x61", Kind::kManyColours, 103, 61},
    {"OnePixel", Kind::kFewColours, 1, 1},
    // Wider than a JPEG 2000 tile, so that the last tile is narrow.
    {"ManyColours1030x17", Kind::kManyColours, 1030, 17},
};

std::string CaseName(const FormatCase& format, const PictureCase& picture) {
  return std::string(format.name) + "_" + picture.name;
}

class ExactFormatTest : public ::testing::TestWithParam<std::tuple<FormatCase, PictureCase>> {};

TEST_P(ExactFormatTest, GivesBackEveryPixel) {
  const auto& [format, picture_case] = GetParam();
  const Picture picture = MakeCasePicture(picture_case);
  TempDir dir;
  const std::string path = dir.File("picture");

  const CallResult call = Convert(format, path, testing::MakeDib(picture, picture_case.top_down));

  ASSERT_EQ(call.result, 1);
  EXPECT_EQ(call.messages, "");
  const Decoded decoded = format.decode(path);
  EXPECT_EQ(decoded.stored_samples, ExpectedStoredSamples(format, picture_case.kind));
  EXPECT_EQ(decoded.picture, picture);
}

INSTANTIATE_TEST_SUITE_P(Lossless, ExactFormatTest,
                         ::testing::Combine(::testing::Values(kPng, kTiff, kJp2),
                                            ::testing::ValuesIn(kPictures)),
                         [](const auto& info) {
                           return CaseName(std::get<0>(info.param), std::get<1>(info.param));
                         });

// A GIF holds 256 colours: pictures that have no more come back exactly.
INSTANTIATE_TEST_SUITE_P(
    Palette, ExactFormatTest,
    ::testing::Combine(::testing::Values(kGif),
                       ::testing::Values(kPictures[0], kPictures[1], kPictures[2], kPictures[3],
                                         kPictures[5])),
    [](const auto& info) { return CaseName(std::get<0>(info.param), std::get<1>(info.param)); });

TEST(PngPaletteTest, GreyPictureHasItsGreysInRisingOrder) {
  TempDir dir;
  const std::string path = dir.File("grey.png");
  ASSERT_EQ(Convert(kPng, path, testing::MakeDib(testing::GreyPicture(40, 30))).result, 1);
  const testing::PngFile png = testing::DecodePng(path);
  ASSERT_TRUE(png.palette);
  for (size_t i = 1; i < png.colours.size(); ++i) {
    EXPECT_LT(png.colours[i - 1].green, png.colours[i].green) << i;
    EXPECT_EQ(png.colours[i].red, png.colours[i].green);
  }
}

// JPEG at quality 90 on these busy pictures (lines one pixel wide, sharp steps): a sample is off
// by less than 6 levels on average and by no more than 40 anywhere. Swapped channels, shifted
// rows or a picture taken for grey would be off by far more.
class JpegTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(JpegTest, StaysCloseToThePicture) {
  const PictureCase& picture_case = GetParam();
  const Picture picture = MakeCasePicture(picture_case);
  TempDir dir;
  const std::string path = dir.File("picture.jpg");

  const CallResult call = Convert(kJpeg, path, testing::MakeDib(picture, picture_case.top_down));

  ASSERT_EQ(call.result, 1);
  EXPECT_EQ(call.messages, "");
  const Decoded decoded = kJpeg.decode(path);
  EXPECT_EQ(decoded.stored_samples, ExpectedStoredSamples(kJpeg, picture_case.kind));
  ASSERT_EQ(decoded.picture.width, picture.width);
  ASSERT_EQ(decoded.picture.height, picture.height);
  double total = 0;
  int largest = 0;
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    const testing::Rgb a = picture.pixels[i];
    const testing::Rgb b = decoded.picture.pixels[i];
    for (const int difference : {a.red - b.red, a.green - b.green, a.blue - b.blue}) {
      total += std::abs(difference);
      largest = std::max(largest, std::abs(difference));
    }
  }
  EXPECT_LT(total / (3.0 * static_cast<double>(picture.pixels.size())), 6.0);
  EXPECT_LE(largest, 40);
}

INSTANTIATE_TEST_SUITE_P(Pictures, JpegTest, ::testing::ValuesIn(kPictures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nephrax
