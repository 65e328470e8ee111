// What the library does with arguments it cannot take and files it cannot write: a result of 0,
// one message, and no file.
#include <gtest/gtest.h>

#include <filesystem>

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

struct Converter {
  const char* name;
  PixkitConverter* ImageLibrary::*entry;
};

void PrintTo(const Converter& converter, std::ostream* out) {
  *out << converter.name;
}

const Converter kConverters[] = {{"Jpeg", &ImageLibrary::CnvBmpJpeg},
                                 {"Png", &ImageLibrary::CnvBmpPng},
                                 {"Gif", &ImageLibrary::CnvBmpGif},
                                 {"J2k", &ImageLibrary::CnvBmpJ2k},
                                 {"Tif", &ImageLibrary::CnvBmpTif}};

struct BadHeader {
  const char* name;
  void (*spoil)(PixkitBitmapInfoHeader&);
};

void PrintTo(const BadHeader& bad, std::ostream* out) {
  *out << bad.name;
}

const BadHeader kBadHeaders[] = {
    {"EightBitPalette", [](PixkitBitmapInfoHeader& h) { h.bit_count = 8; }},
    {"ThirtyTwoBit", [](PixkitBitmapInfoHeader& h) { h.bit_count = 32; }},
    {"Rle8", [](PixkitBitmapInfoHeader& h) { h.compression = 1; }},
    {"NoWidth", [](PixkitBitmapInfoHeader& h) { h.width = 0; }},
    {"NegativeWidth", [](PixkitBitmapInfoHeader& h) { h.width = -4; }},
    {"NoHeight", [](PixkitBitmapInfoHeader& h) { h.height = 0; }},
    {"LowestHeight", [](PixkitBitmapInfoHeader& h) { h.height = INT32_MIN; }},
    {"TwoPlanes", [](PixkitBitmapInfoHeader& h) { h.planes = 2; }},
    {"CoreHeaderSize", [](PixkitBitmapInfoHeader& h) { h.size = 12; }},
};

class BadHeaderTest : public ::testing::TestWithParam<std::tuple<Converter, BadHeader>> {};

TEST_P(BadHeaderTest, IsASupportErrorAndWritesNothing) {
  const auto& [converter, bad] = GetParam();
  Dib dib = testing::MakeDib(testing::GreyPicture(4, 4));
  bad.spoil(dib.header);
  TempDir dir;
  const std::string path = dir.File("picture");

  const CallResult call = CaptureCall(
      [&] { return (Library().*converter.entry)(0, path.c_str(), &dib.header, dib.bits.data()); });

  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(call.messages, kSupport);
  EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Headers, BadHeaderTest,
                         ::testing::Combine(::testing::ValuesIn(kConverters),
                                            ::testing::ValuesIn(kBadHeaders)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::get<1>(info.param).name;
                         });

class ConverterTest : public ::testing::TestWithParam<Converter> {
 protected:
  PixkitConverter* convert() const { return Library().*GetParam().entry; }
  const Dib dib_ = testing::MakeDib(testing::FewColourPicture(5, 3));
  TempDir dir_;
};

TEST_P(ConverterTest, MissingArgumentsAreASupportError) {
  const std::string path = dir_.File("picture");
  for (const CallResult& call :
       {CaptureCall([&] { return convert()(0, nullptr, &dib_.header, dib_.bits.data()); }),
        CaptureCall([&] { return convert()(0, path.c_str(), nullptr, dib_.bits.data()); }),
        CaptureCall([&] { return convert()(0, path.c_str(), &dib_.header, nullptr); })}) {
    EXPECT_EQ(call.result, 0);
    EXPECT_EQ(call.messages, kSupport);
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_P(ConverterTest, MissingDirectoryIsAFileCreateError) {
  const std::string path = dir_.File("missing/picture");
  const CallResult call =
      CaptureCall([&] { return convert()(0, path.c_str(), &dib_.header, dib_.bits.data()); });
  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(call.messages, "File create error.\r\n");
}

TEST_P(ConverterTest, MessagesCanBeTurnedOff) {
  const std::string path = dir_.File("missing/picture");
  Library().SetMsgLng(1);
  const CallResult call =
      CaptureCall([&] { return convert()(0, path.c_str(), &dib_.header, dib_.bits.data()); });
  Library().SetMsgLng(0);
  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(call.messages, "");
}

INSTANTIATE_TEST_SUITE_P(Converters, ConverterTest, ::testing::ValuesIn(kConverters),
                         [](const auto& info) { return std::string(info.param.name); });

// GIF sizes are 16-bit and JPEG's are at most 65500: a wider picture is refused, not cut.
struct SizeLimit {
  const char* name;
  Converter converter;
  int32_t width;
};

class SizeLimitTest : public ::testing::TestWithParam<SizeLimit> {};

TEST_P(SizeLimitTest, WiderPictureIsASupportError) {
  const Dib dib = testing::MakeDib(testing::GreyPicture(GetParam().width, 1));
  TempDir dir;
  const std::string path = dir.File("picture");
  const CallResult call = CaptureCall([&] {
    return (Library().*GetParam().converter.entry)(0, path.c_str(), &dib.header, dib.bits.data());
  });
  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(call.messages, kSupport);
  EXPECT_FALSE(std::filesystem::exists(path));
}

INSTANTIATE_TEST_SUITE_P(Formats, SizeLimitTest,
                         ::testing::Values(SizeLimit{"Gif", kConverters[2], 65536},
                                           SizeLimit{"Jpeg", kConverters[0], 65501}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nephrax
