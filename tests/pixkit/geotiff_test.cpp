// GeoTIFF tags added to a TIFF picture, read back with libgeotiff.
#include <geotiff/geotiffio.h>
#include <geotiff/xtiffio.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "pixkit/decoders.h"
#include "pixkit/test_pictures.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::CallResult;
using testing::CaptureCall;
using testing::Library;
using testing::TempDir;

struct GeoKeys {
  uint16_t model = 0;
  uint16_t raster = 0;
  uint16_t datum = 0;
  // Model coordinates (longitude, latitude) of the centres of the first and the last pixel.
  std::array<double, 2> first_centre{};
  std::array<double, 2> last_centre{};
};

GeoKeys ReadGeoKeys(const std::string& path, int32_t width, int32_t height) {
  const std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(XTIFFOpen(path.c_str(), "r"), XTIFFClose);
  if (tiff == nullptr) throw std::runtime_error("cannot open " + path);
  const std::unique_ptr<GTIF, void (*)(GTIF*)> keys(GTIFNew(tiff.get()), GTIFFree);
  GeoKeys read;
  GTIFKeyGet(keys.get(), GTModelTypeGeoKey, &read.model, 0, 1);
  GTIFKeyGet(keys.get(), GTRasterTypeGeoKey, &read.raster, 0, 1);
  GTIFKeyGet(keys.get(), GeographicTypeGeoKey, &read.datum, 0, 1);
  // In raster coordinates of an area raster, pixel (0, 0) spans 0..1: its centre is at 0.5.
  double x = 0.5;
  double y = 0.5;
  GTIFImageToPCS(keys.get(), &x, &y);
  read.first_centre = {x, y};
  x = width - 0.5;
  y = height - 0.5;
  GTIFImageToPCS(keys.get(), &x, &y);
  read.last_centre = {x, y};
  return read;
}

struct ReferenceCase {
  const char* name;
  std::array<double, 4> parameters;  // top latitude, left longitude, latitude step, longitude step
};

class GeoTiffTest : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(GeoTiffTest, PlacesThePixelCentresInWgs84AndKeepsThePixels) {
  const testing::Picture picture = testing::FewColourPicture(21, 11);
  const testing::Dib dib = testing::MakeDib(picture);
  TempDir dir;
  const std::string path = dir.File("picture.tif");
  ASSERT_EQ(Library().CnvBmpTif(0, path.c_str(), &dib.header, dib.bits.data()), 1);
  const std::array<double, 4>& p = GetParam().parameters;

  const CallResult call =
      CaptureCall([&] { return Library().SetGeoTiff(0, path.c_str(), p.data()); });

  ASSERT_EQ(call.result, 1);
  EXPECT_EQ(call.messages, "");
  const GeoKeys keys = ReadGeoKeys(path, 21, 11);
  EXPECT_EQ(keys.model, ModelTypeGeographic);
  EXPECT_EQ(keys.raster, RasterPixelIsArea);
  EXPECT_EQ(keys.datum, GCS_WGS_84);
  EXPECT_NEAR(keys.first_centre[0], p[1], 1e-9);
  EXPECT_NEAR(keys.first_centre[1], p[0], 1e-9);
  EXPECT_NEAR(keys.last_centre[0], p[1] + 20 * p[3], 1e-9);
  EXPECT_NEAR(keys.last_centre[1], p[0] - 10 * p[2], 1e-9);
  EXPECT_EQ(testing::DecodeTiff(path).picture, picture);
}

INSTANTIATE_TEST_SUITE_P(Areas, GeoTiffTest,
                         ::testing::Values(ReferenceCase{"NorthernPacific", {50, 110, 0.05, 0.05}},
                                           ReferenceCase{"AcrossTheDateLine", {10, 170, 2, 1.5}},
                                           ReferenceCase{"SouthernHemisphere",
                                                         {-10, -60.25, 0.125, 0.25}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GeoTiffRefusalTest, NumberThatIsNotFiniteIsASupportErrorAndLeavesTheTiff) {
  const testing::Dib dib = testing::MakeDib(testing::GreyPicture(3, 3));
  TempDir dir;
  const std::string path = dir.File("picture.tif");
  ASSERT_EQ(Library().CnvBmpTif(0, path.c_str(), &dib.header, dib.bits.data()), 1);
  const std::vector<uint8_t> before = testing::ReadBytes(path);
  const std::array<double, 4> p{50, std::numeric_limits<double>::quiet_NaN(), 0.1, 0.1};

  const CallResult call =
      CaptureCall([&] { return Library().SetGeoTiff(0, path.c_str(), p.data()); });

  EXPECT_EQ(call.result, 0);
  EXPECT_EQ(call.messages, "Support error.\r\n");
  EXPECT_EQ(testing::ReadBytes(path), before);
}

TEST(GeoTiffRefusalTest, FileThatIsNotATiffIsAFileOpenError) {
  TempDir dir;
  const std::array<double, 4> p{50, 110, 0.1, 0.1};
  const std::string missing = dir.File("missing.tif");
  const std::string text = dir.File("text.tif");
  testing::WriteBytes(text, std::vector<uint8_t>{'n', 'o', 't', ' ', 'a', ' ', 't', 'i', 'f'});
  for (const std::string& path : {missing, text}) {
    const CallResult call =
        CaptureCall([&] { return Library().SetGeoTiff(0, path.c_str(), p.data()); });
    EXPECT_EQ(call.result, 0) << path;
    EXPECT_EQ(call.messages, "File open error.\r\n") << path;
  }
}

}  // namespace
}  // namespace nephrax
