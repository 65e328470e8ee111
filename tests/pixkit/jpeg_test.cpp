// The library's JPEG converter encodes stripes of rows on their own and joins them with restart
// markers; its pictures must decode to exactly the pixels of one stream of the whole picture,
// encoded here with libjpeg the same way: quality 90, 1x1 sampling, one grey component when every
// pixel is grey.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// jpeglib.h needs the standard types declared first.
#include <jpeglib.h>

#include "pixkit/decoders.h"
#include "pixkit/test_pictures.h"
#include "support/run_program.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::Library;
using testing::Picture;
using testing::PictureKind;

[[noreturn]] void JumpBack(j_common_ptr jpeg) {
  std::longjmp(*static_cast<std::jmp_buf*>(jpeg->client_data), 1);
}

struct JpegCompress {
  jpeg_compress_struct jpeg{};
  jpeg_error_mgr errors{};
  std::jmp_buf back{};
  ~JpegCompress() { jpeg_destroy_compress(&jpeg); }
};

bool IsGrey(const Picture& picture) {
  for (const testing::Rgb& c : picture.pixels) {
    if (c.red != c.green || c.green != c.blue) return false;
  }
  return true;
}

// The rows of the picture into an open file as one stream. Failures jump back here, so nothing in
// this function may need destroying; `row` holds one line of samples.
bool EncodeSingleStream(JpegCompress& compress, const Picture& picture, std::FILE* file,
                        std::vector<JSAMPLE>& row) {
  jpeg_compress_struct& jpeg = compress.jpeg;
  jpeg.err = jpeg_std_error(&compress.errors);
  compress.errors.error_exit = JumpBack;
  jpeg.client_data = &compress.back;
  if (setjmp(compress.back) != 0) return false;
  jpeg_create_compress(&jpeg);
  jpeg_stdio_dest(&jpeg, file);
  const bool grey = IsGrey(picture);
  jpeg.image_width = static_cast<JDIMENSION>(picture.width);
  jpeg.image_height = static_cast<JDIMENSION>(picture.height);
  jpeg.input_components = grey ? 1 : 3;
  jpeg.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&jpeg);
  jpeg_set_quality(&jpeg, 90, TRUE);
  for (int c = 0; c < jpeg.num_components; ++c) {
    jpeg.comp_info[c].h_samp_factor = 1;
    jpeg.comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(&jpeg, TRUE);
  for (int32_t y = 0; y < picture.height; ++y) {
    for (int32_t x = 0; x < picture.width; ++x) {
      const testing::Rgb c = picture.At(x, y);
      if (grey) {
        row[static_cast<size_t>(x)] = c.red;
      } else {
        row[3 * static_cast<size_t>(x)] = c.red;
        row[3 * static_cast<size_t>(x) + 1] = c.green;
        row[3 * static_cast<size_t>(x) + 2] = c.blue;
      }
    }
    JSAMPROW line = row.data();
    jpeg_write_scanlines(&jpeg, &line, 1);
  }
  jpeg_finish_compress(&jpeg);
  return true;
}

void WriteSingleStream(const Picture& picture, const std::string& path) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                             std::fclose);
  ASSERT_NE(file, nullptr);
  std::vector<JSAMPLE> row(3 * static_cast<size_t>(picture.width));
  JpegCompress compress;
  ASSERT_TRUE(EncodeSingleStream(compress, picture, file.get(), row));
}

struct JpegCase {
  const char* name;
  PictureKind kind;
  int32_t width;
  int32_t height;
  size_t min_restarts;  // restart markers the picture must have at least
  bool top_down = false;
};

void PrintTo(const JpegCase& c, std::ostream* out) {
  *out << c.name;
}

Picture MakeCasePicture(const JpegCase& c) {
  return testing::PictureOfKind(c.kind, c.width, c.height);
}

// The picture through the library's converter into `path`.
void ConvertWithLibrary(const Picture& picture, bool top_down, const std::string& path) {
  const testing::Dib dib = testing::MakeDib(picture, top_down);
  const testing::CallResult call = testing::CaptureCall(
      [&] { return Library().CnvBmpJpeg(0, path.c_str(), &dib.header, dib.bits.data()); });
  EXPECT_EQ(call.result, 1);
  EXPECT_EQ(call.messages, "");
}

class JpegTest : public ::testing::TestWithParam<JpegCase> {};

TEST_P(JpegTest, DecodesToThePixelsOfOneStream) {
  const Picture picture = MakeCasePicture(GetParam());
  const testing::TempDir dir;
  const std::string path = dir.File("picture.jpg");
  const std::string reference = dir.File("single_stream.jpg");

  ConvertWithLibrary(picture, GetParam().top_down, path);
  WriteSingleStream(picture, reference);

  const testing::JpegFile joined = testing::DecodeJpeg(path);
  const testing::JpegFile single = testing::DecodeJpeg(reference);
  EXPECT_EQ(joined.components, GetParam().kind == PictureKind::kGrey ? 1 : 3);
  EXPECT_EQ(joined.components, single.components);
  EXPECT_EQ(joined.picture, single.picture);
}

// Stripes are whole MCU rows, one restart interval each, and the markers between them count
// 0..7 and start again at 0. A picture without a restart interval is one stream.
TEST_P(JpegTest, NumbersARestartMarkerBetweenEveryTwoStripes) {
  const testing::TempDir dir;
  const std::string path = dir.File("picture.jpg");

  ConvertWithLibrary(MakeCasePicture(GetParam()), GetParam().top_down, path);

  const testing::JpegFile file = testing::DecodeJpeg(path);
  ASSERT_GT(file.mcus_per_row, 0u);
  EXPECT_EQ(file.restart_interval % file.mcus_per_row, 0u);
  const uint32_t mcus = file.mcus_per_row * file.mcu_rows;
  const uint32_t stripes =
      file.restart_interval == 0 ? 1 : (mcus + file.restart_interval - 1) / file.restart_interval;
  EXPECT_GE(stripes - 1, GetParam().min_restarts);
  ASSERT_EQ(file.restart_markers.size(), stripes - 1);
  for (size_t i = 0; i < file.restart_markers.size(); ++i) {
    EXPECT_EQ(file.restart_markers[i], static_cast<int>(i % 8)) << "marker " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, JpegTest,
    ::testing::Values(JpegCase{"GreyOneRow", PictureKind::kGrey, 13, 1, 0},
                      JpegCase{"ColourSevenRows", PictureKind::kFewColours, 21, 7, 0},
                      JpegCase{"GreyEightRows", PictureKind::kGrey, 21, 8, 0},
                      JpegCase{"ColourNineRows", PictureKind::kManyColours, 21, 9, 0},
                      JpegCase{"GreyStripes", PictureKind::kGrey, 1001, 1203, 1},
                      JpegCase{"ColourStripes", PictureKind::kFewColours, 1001, 1203, 1},
                      JpegCase{"GreyStripesTopDown", PictureKind::kGrey, 517, 2100, 1, true},
                      JpegCase{"GreyWholeMcuRows", PictureKind::kGrey, 1024, 2048, 1},
                      JpegCase{"ColourStripesOfOneMcuRow", PictureKind::kManyColours, 33001, 20, 1},
                      JpegCase{"GreyRestartNumbersWrap", PictureKind::kGrey, 1021, 4613, 9},
                      JpegCase{"ColourRestartNumbersWrap", PictureKind::kFewColours, 1021, 4613,
                               9}),
    [](const auto& info) { return std::string(info.param.name); });

// Rows of every width up to a little over two blocks of the vectorised row loops, so that every
// length of tail and every position within a block is met.
constexpr int32_t kMaxRowTestWidth = 70;

class GreyRowsTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(GreyRowsTest, GreyRowsKeepTheValueOfEveryPixel) {
  const Picture picture = testing::GreyPicture(GetParam(), 3);
  const testing::TempDir dir;
  const std::string path = dir.File("picture.jpg");
  const std::string reference = dir.File("single_stream.jpg");

  ConvertWithLibrary(picture, false, path);
  WriteSingleStream(picture, reference);

  const testing::JpegFile joined = testing::DecodeJpeg(path);
  EXPECT_EQ(joined.components, 1);
  EXPECT_EQ(joined.picture, testing::DecodeJpeg(reference).picture);
}

// A pixel is grey only when blue, green and red are equal: one bit off in any of them, at any
// position of the row, makes the picture a colour one.
TEST_P(GreyRowsTest, OneColourPixelAnywhereMakesAColourPicture) {
  const int32_t width = GetParam();
  const testing::TempDir dir;
  const std::string path = dir.File("picture.jpg");
  for (int32_t colour_x = 0; colour_x < width; ++colour_x) {
    for (int channel = 0; channel < 3; ++channel) {
      Picture picture = testing::GreyPicture(width, 1);
      testing::Rgb& pixel = picture.pixels[static_cast<size_t>(colour_x)];
      uint8_t& value = channel == 0 ? pixel.blue : channel == 1 ? pixel.green : pixel.red;
      value = static_cast<uint8_t>(value ^ 1 << colour_x % 8);

      ConvertWithLibrary(picture, false, path);

      EXPECT_EQ(testing::DecodeJpeg(path).components, 3)
          << "colour pixel " << colour_x << ", channel " << channel;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, GreyRowsTest, ::testing::Range(1, kMaxRowTestWidth + 1));

// Another decoder than libjpeg's own interface: ImageMagick reads the joined stripes without a
// warning and finds the pixels of the single stream.
TEST(JpegEndToEndTest, ImageMagickReadsTheJoinedStripes) {
  const Picture picture = testing::FewColourPicture(1021, 2403);
  const testing::TempDir dir;
  const std::string path = dir.File("picture.jpg");
  const std::string reference = dir.File("single_stream.jpg");
  ConvertWithLibrary(picture, false, path);
  WriteSingleStream(picture, reference);
  const auto describe = [](const std::string& jpeg) {
    return testing::RunProgram("/usr/bin/identify",
                               {"-regard-warnings", "-format", "%w %h %[colorspace] %#", jpeg});
  };

  const testing::ProgramResult joined = describe(path);
  const testing::ProgramResult single = describe(reference);

  EXPECT_EQ(joined.exit_status, 0) << joined.err;
  EXPECT_EQ(joined.out.rfind("1021 2403 sRGB ", 0), 0u) << joined.out;
  EXPECT_EQ(joined.out, single.out);
}

}  // namespace
}  // namespace nephrax
