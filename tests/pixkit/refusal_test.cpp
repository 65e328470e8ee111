// What the library does with arguments it cannot take and files it cannot write: a result of 0,
// one message, and no file.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <limits>

#include "pixkit/test_pictures.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::CallResult;
using testing::CaptureCall;
using testing::Dib;
using testing::Library;
using testing::TempDir;

const std::string kSupport = "Support error.\r\n";

struct BadHeader {
  const char* name;
  void (*spoil)(PixkitBitmapInfoHeader&);
};

void PrintTo(const BadHeader& bad, std::ostream* out) {
  *out << bad.name;
}

// Every converter checks the header through the same code; PNG stands for them all.
class BadHeaderTest : public ::testing::TestWithParam<BadHeader> {};

TEST_P(BadHeaderTest, IsASupportErrorAndWritesNothing) {
  Dib dib = testing::MakeDib(testing::GreyPicture(4, 4));
  GetParam().spoil(dib.header);
  TempDir dir;
  const std::string path = dir.File("picture");

  const CallResult call = CaptureCall(
      [&] { return Library().CnvBmpPng(0, path.c_str(), &dib.header, dib.bits.data()); });

  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(call.messages, kSupport);
  EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(
    Headers, BadHeaderTest,
    ::testing::Values(
        BadHeader{"EightBitPalette", [](PixkitBitmapInfoHeader& h) { h.bit_count = 8; }},
        BadHeader{"ThirtyTwoBit", [](PixkitBitmapInfoHeader& h) { h.bit_count = 32; }},
        BadHeader{"Rle8", [](PixkitBitmapInfoHeader& h) { h.compression = 1; }},
        BadHeader{"NoWidth", [](PixkitBitmapInfoHeader& h) { h.width = 0; }},
        BadHeader{"NegativeWidth", [](PixkitBitmapInfoHeader& h) { h.width = -4; }},
        BadHeader{"NoHeight", [](PixkitBitmapInfoHeader& h) { h.height = 0; }},
        BadHeader{"LowestHeight", [](PixkitBitmapInfoHeader& h) { h.height = INT32_MIN; }},
        BadHeader{"TwoPlanes", [](PixkitBitmapInfoHeader& h) { h.planes = 2; }},
        BadHeader{"CoreHeaderSize", [](PixkitBitmapInfoHeader& h) { h.size = 12; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RefusalTest, MissingArgumentsAreASupportError) {
  const Dib dib = testing::MakeDib(testing::GreyPicture(4, 4));
  TempDir dir;
  const std::string path = dir.File("picture");
  const PixkitConverter* convert = Library().CnvBmpTif;
  for (const CallResult& call :
       {CaptureCall([&] { return convert(0, nullptr, &dib.header, dib.bits.data()); }),
        CaptureCall([&] { return convert(0, path.c_str(), nullptr, dib.bits.data()); }),
        CaptureCall([&] { return convert(0, path.c_str(), &dib.header, nullptr); })}) {
    EXPECT_EQ(call.result, 0);
    EXPECT_EQ(call.messages, kSupport);
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

struct Converter {
  const char* name;
  PixkitConverter* ImageLibrary::*entry;
};

// Each format opens its file its own way.
class UnwritableTest : public ::testing::TestWithParam<Converter> {};

TEST_P(UnwritableTest, MissingDirectoryIsAFileCreateErrorUnlessMessagesAreOff) {
  const Dib dib = testing::MakeDib(testing::FewColourPicture(5, 3));
  TempDir dir;
  const std::string path = dir.File("missing/picture");
  PixkitConverter* convert = Library().*GetParam().entry;
  const auto call = [&] { return convert(0, path.c_str(), &dib.header, dib.bits.data()); };

  const CallResult reported = CaptureCall(call);
  Library().SetMsgLng(1);
  const CallResult quiet = CaptureCall(call);
  Library().SetMsgLng(0);

  EXPECT_EQ(reported.result, 0);
  EXPECT_EQ(reported.messages, "File create error.\r\n");
  EXPECT_EQ(quiet.result, 0);
  EXPECT_EQ(quiet.messages, "");
}

INSTANTIATE_TEST_SUITE_P(Converters, UnwritableTest,
                         ::testing::Values(Converter{"Jpeg", &ImageLibrary::CnvBmpJpeg},
                                           Converter{"Png", &ImageLibrary::CnvBmpPng},
                                           Converter{"Gif", &ImageLibrary::CnvBmpGif},
                                           Converter{"J2k", &ImageLibrary::CnvBmpJ2k},
                                           Converter{"Tif", &ImageLibrary::CnvBmpTif}),
                         [](const auto& info) { return std::string(info.param.name); });

// GIF sizes are 16-bit and JPEG's at most 65500: a wider picture is refused, not cut.
TEST(RefusalTest, PictureWiderThanTheFormatHoldsIsASupportError) {
  TempDir dir;
  const std::string path = dir.File("picture");
  const Dib gif = testing::MakeDib(testing::GreyPicture(65536, 1));
  const Dib jpeg = testing::MakeDib(testing::GreyPicture(65501, 1));
  for (const CallResult& call :
       {CaptureCall(
            [&] { return Library().CnvBmpGif(0, path.c_str(), &gif.header, gif.bits.data()); }),
        CaptureCall([&] {
          return Library().CnvBmpJpeg(0, path.c_str(), &jpeg.header, jpeg.bits.data());
        })}) {
    EXPECT_EQ(call.result, 0);
    EXPECT_EQ(call.messages, kSupport);
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

// SetGeoTiff refuses numbers that are not finite, leaving the TIFF as it was, and files that are
// not TIFFs.
TEST(RefusalTest, GeoTiffNeedsFiniteNumbersAndATiff) {
  TempDir dir;
  const std::string tiff = dir.File("picture.tif");
  const Dib dib = testing::MakeDib(testing::GreyPicture(3, 3));
  ASSERT_EQ(Library().CnvBmpTif(0, tiff.c_str(), &dib.header, dib.bits.data()), 1);
  const std::vector<uint8_t> written = testing::ReadBytes(tiff);
  const std::array<double, 4> not_finite{50, std::numeric_limits<double>::infinity(), 0.1, 0.1};
  const std::array<double, 4> area{50, 110, 0.1, 0.1};
  const std::string text = dir.File("text.tif");
  testing::WriteBytes(text, std::vector<uint8_t>{'n', 'o', 't', ' ', 'a', ' ', 't', 'i', 'f'});

  const CallResult infinite =
      CaptureCall([&] { return Library().SetGeoTiff(0, tiff.c_str(), not_finite.data()); });
  const CallResult not_tiff =
      CaptureCall([&] { return Library().SetGeoTiff(0, text.c_str(), area.data()); });

  EXPECT_EQ(infinite.result, 0);
  EXPECT_EQ(infinite.messages, kSupport);
  EXPECT_EQ(testing::ReadBytes(tiff), written);
  EXPECT_EQ(not_tiff.result, 0);
  EXPECT_EQ(not_tiff.messages, "File open error.\r\n");
}

}  // namespace
}  // namespace nephrax
