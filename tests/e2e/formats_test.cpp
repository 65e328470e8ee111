// Every picture format written by the program, read back by other programs: ImageMagick for the
// pixels, GDAL for the GeoTIFF tags.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "support/bmp_file.h"
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

const std::string kCompare = "/usr/bin/compare";
const std::string kGdalInfo = "/usr/bin/gdalinfo";

bool Installed(const std::string& program) {
  return std::filesystem::exists(program);
}

// A 16-bit grid image of smooth cloud-like counts over `spec`'s area.
SourceFileSpec SmoothSource(int32_t width, int32_t height) {
  SourceFileSpec spec;
  spec.width = width;
  spec.height = height;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      spec.pixels.push_back(static_cast<uint16_t>(
          512 + 400 * std::sin(x / 9.0) * std::cos(y / 7.0) + 60 * std::sin((x + y) / 3.0)));
    }
  }
  return spec;
}

// Without overlays (grid, coastlines, caption) the picture is the image's greys alone.
constexpr const char* kGreysOnly = "Grid=OFF\nMap=OFF\nDtm=-1\n";
constexpr const char* kWiderThanATile = "Width=1030\nHeight=24\n";  // JPEG 2000 tiles are 1024

class FormatsTest : public ::testing::Test {
 protected:
  FormatsTest() {
    testing::WriteBytes(source_, testing::BuildSourceFile(SmoothSource(90, 60)));
    testing::WriteTextFile(greys_only_, std::string("[NEPHRAX]\n") + kGreysOnly);
  }

  // Converts the source to `name` in the test directory; the run must succeed silently.
  std::string Convert(const std::string& name, const std::vector<std::string>& options = {}) {
    const std::string path = dir_.File(name);
    std::vector<std::string> arguments = options;
    arguments.insert(arguments.end(), {source_, path});
    const ProgramResult run = RunProgram(NephraxPath(), arguments);
    EXPECT_EQ(run.exit_status, 0) << name << ": " << run.err;
    EXPECT_EQ(run.err, "") << name;
    return path;
  }

  TempDir dir_;
  const std::string source_ = dir_.File("source.ir");
  const std::string greys_only_ = dir_.File("greys.ini");
};

// ImageMagick's count of pixels that differ between the two pictures.
std::string DifferingPixels(const std::string& a, const std::string& b) {
  return RunProgram(kCompare, {"-metric", "AE", a, b, "null:"}).err;
}

struct LosslessCase {
  const char* name;
  const char* extension;
  const char* settings;  // entries of a setup file; none for the built-in settings
};

class LosslessFormatTest : public FormatsTest,
                           public ::testing::WithParamInterface<LosslessCase> {};

TEST_P(LosslessFormatTest, GivesBackTheBmpsPixelsExactly) {
  if (!Installed(kCompare)) GTEST_SKIP() << "ImageMagick is not installed";
  std::vector<std::string> options;
  if (GetParam().settings != nullptr) {
    const std::string setup = dir_.File("setup.ini");
    testing::WriteTextFile(setup, std::string("[NEPHRAX]\n") + GetParam().settings);
    options.push_back("-s=" + setup);
  }
  const std::string bmp = Convert("picture.bmp", options);
  const std::string picture = Convert(std::string("picture.") + GetParam().extension, options);
  EXPECT_EQ(DifferingPixels(bmp, picture), "0");
}

// A GIF holds 256 colours; the overlays' antialiased text brings more, so GIF is checked on the
// greys alone.
INSTANTIATE_TEST_SUITE_P(Formats, LosslessFormatTest,
                         ::testing::Values(LosslessCase{"Png", "png", nullptr},
                                           LosslessCase{"PngGreys", "png", kGreysOnly},
                                           LosslessCase{"Tif", "tif", nullptr},
                                           LosslessCase{"TifGreys", "tif", kGreysOnly},
                                           LosslessCase{"Jp2", "jp2", nullptr},
                                           LosslessCase{"Jp2Greys", "jp2", kGreysOnly},
                                           LosslessCase{"Jp2WiderThanATile", "jp2",
                                                        kWiderThanATile},
                                           LosslessCase{"GifGreys", "gif", kGreysOnly}),
                         [](const auto& info) { return std::string(info.param.name); });

// With the overlays the picture has more colours than a GIF holds: they are quantised to 256.
TEST_F(FormatsTest, GifOfMoreColoursHasAtMost256) {
  if (!Installed(kCompare)) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string gif = Convert("picture.gif");
  const std::string colours = RunProgram("/usr/bin/identify", {"-format", "%k", gif}).out;
  EXPECT_LE(std::stoi(colours), 256);
  EXPECT_GT(std::stoi(colours), 16);
}

// JPEG at quality 90: the mean absolute difference from the BMP of the smooth greys stays below
// 1% of full scale, and grey pictures keep one component.
TEST_F(FormatsTest, JpegStaysWithinOnePercentOfTheBmp) {
  if (!Installed(kCompare)) GTEST_SKIP() << "ImageMagick is not installed";
  const std::string bmp = Convert("picture.bmp", {"-s=" + greys_only_});
  const std::string jpeg = Convert("picture.jpg", {"-s=" + greys_only_});
  const std::string metric = RunProgram(kCompare, {"-metric", "MAE", bmp, jpeg, "null:"}).err;
  double absolute = 0;
  double normalised = 1;
  ASSERT_EQ(std::sscanf(metric.c_str(), "%lf (%lf)", &absolute, &normalised), 2) << metric;
  EXPECT_GT(normalised, 0) << "a JPEG at quality 90 is not lossless";
  EXPECT_LT(normalised, 0.01);
  EXPECT_EQ(RunProgram("/usr/bin/identify", {"-format", "%[colorspace]", jpeg}).out, "Gray");
}

// What gdalinfo says of a GeoTIFF: the outer corner of the first pixel and the pixel size, the
// picture size and the coordinate system.
struct GdalInfo {
  double origin_x = NAN;
  double origin_y = NAN;
  double pixel_x = NAN;
  double pixel_y = NAN;
  int width = 0;
  int height = 0;
  std::string text;
};

GdalInfo ReadGdalInfo(const std::string& path) {
  GdalInfo info;
  info.text = RunProgram(kGdalInfo, {path}).out;
  const auto scan = [&](const char* label, const char* format, double* a, double* b) {
    const size_t at = info.text.find(label);
    if (at != std::string::npos) std::sscanf(info.text.c_str() + at, format, a, b);
  };
  scan("Origin = ", "Origin = (%lf,%lf)", &info.origin_x, &info.origin_y);
  scan("Pixel Size = ", "Pixel Size = (%lf,%lf)", &info.pixel_x, &info.pixel_y);
  const size_t size = info.text.find("Size is ");
  if (size != std::string::npos)
    std::sscanf(info.text.c_str() + size, "Size is %d, %d", &info.width, &info.height);
  return info;
}

struct GeoCase {
  const char* name;
  float top, west, bottom, east;  // the source's area
  int32_t width, height;          // the picture's size from the setup file; 0: the source's own
  double right;                   // the continuous longitude of the area's eastern edge
};

class GeoTiffTest : public FormatsTest, public ::testing::WithParamInterface<GeoCase> {};

// The centre of the top-left pixel lies on the area's top-left corner and the centre of the
// bottom-right pixel on its bottom-right corner, in WGS 84 degrees.
TEST_P(GeoTiffTest, GdalFindsTheAreasCornersAtTheCornerPixelCentres) {
  if (!Installed(kGdalInfo)) GTEST_SKIP() << "GDAL is not installed";
  const GeoCase& c = GetParam();
  SourceFileSpec spec = SmoothSource(90, 60);
  spec.top_left_lat = spec.top_right_lat = c.top;
  spec.bottom_left_lat = spec.bottom_right_lat = c.bottom;
  spec.top_left_lon = spec.bottom_left_lon = c.west;
  spec.top_right_lon = spec.bottom_right_lon = c.east;
  testing::WriteBytes(source_, testing::BuildSourceFile(spec));
  std::vector<std::string> options{"-g"};
  if (c.width > 0) {
    const std::string setup = dir_.File("setup.ini");
    testing::SetupFileBuilder()
        .Entry("Width", std::to_string(c.width))
        .Entry("Height", std::to_string(c.height))
        .Write(setup);
    options.push_back("-s=" + setup);
  }

  const GdalInfo info = ReadGdalInfo(Convert("picture.tif", options));

  EXPECT_NE(info.text.find("GEOGCRS[\"WGS 84\""), std::string::npos) << info.text;
  if (c.width > 0) {
    EXPECT_EQ(info.width, c.width);
    EXPECT_EQ(info.height, c.height);
  }
  ASSERT_GT(info.width, 1) << info.text;
  ASSERT_GT(info.height, 1) << info.text;
  constexpr double kClose = 1e-4;  // the control block holds single-precision degrees
  EXPECT_NEAR(info.origin_x + info.pixel_x / 2, c.west, kClose);
  EXPECT_NEAR(info.origin_y + info.pixel_y / 2, c.top, kClose);
  EXPECT_NEAR(info.origin_x + (info.width - 0.5) * info.pixel_x, c.right, kClose);
  EXPECT_NEAR(info.origin_y + (info.height - 0.5) * info.pixel_y, c.bottom, kClose);
}

INSTANTIATE_TEST_SUITE_P(Areas, GeoTiffTest,
                         ::testing::Values(GeoCase{"GridAtItsOwnSize", 50, 110, 10, 160, 0, 0, 160},
                                           GeoCase{"Resized", 50, 110, 10, 160, 301, 121, 160},
                                           GeoCase{"AcrossTheDateLine", 20, 170, -10, -170, 200,
                                                   150, 190}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormatsTest, GeoTifOffInTheSetupFileOverridesTheSwitch) {
  if (!Installed(kGdalInfo)) GTEST_SKIP() << "GDAL is not installed";
  const std::string setup = dir_.File("setup.ini");
  testing::SetupFileBuilder().Entry("GeoTif", "OFF").Write(setup);
  const GdalInfo info = ReadGdalInfo(Convert("picture.tif", {"-g", "-s=" + setup}));
  EXPECT_EQ(info.width, 90);
  EXPECT_EQ(info.text.find("Origin = "), std::string::npos) << info.text;
}

TEST_F(FormatsTest, GeoTiffSwitchLeavesOtherFormatsAlone) {
  if (!Installed(kCompare)) GTEST_SKIP() << "ImageMagick is not installed";
  EXPECT_EQ(DifferingPixels(Convert("plain.png"), Convert("switched.png", {"-g"})), "0");
}

// The program alone, without the library beside it.
class WithoutLibraryTest : public FormatsTest {
 protected:
  WithoutLibraryTest() { std::filesystem::copy_file(NephraxPath(), program_); }
  const std::string program_ = dir_.File("nephrax");
};

TEST_F(WithoutLibraryTest, LibraryFormatsAreASupportErrorAndBmpStillWorks) {
  for (const char* name : {"picture.jpg", "picture.png", "picture.tif"}) {
    const ProgramResult run = RunProgram(program_, {source_, dir_.File(name)});
    EXPECT_EQ(run.exit_status, 1) << name;
    EXPECT_EQ(run.err, "Support error.\r\n") << name;
    EXPECT_FALSE(std::filesystem::exists(dir_.File(name))) << name;
  }
  const ProgramResult bmp = RunProgram(program_, {source_, dir_.File("picture.bmp")});
  EXPECT_EQ(bmp.exit_status, 0) << bmp.err;
  EXPECT_EQ(testing::ReadBmpFile(dir_.File("picture.bmp")).width, 90);
}

}  // namespace
}  // namespace nephrax
