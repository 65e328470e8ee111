#include "tiff_writer.h"

#include <geotiff/geotiffio.h>
#include <geotiff/xtiffio.h>
#include <tiffio.h>

#include <array>
#include <cmath>
#include <memory>
#include <vector>

namespace pixkit {

namespace {

// Deflate level and strip size: measured on satellite pictures, see bench/README.md.
constexpr int kDeflateLevel = 6;
constexpr size_t kStripBytes = 256 * 1024;

// libtiff's own messages would go to standard error; the caller reports the outcome instead.
int Silence(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffPointer = std::unique_ptr<TIFF, TiffCloser>;

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

// Opens a TIFF file without any message of libtiff's; `mode` as for TIFFOpen.
TiffPointer OpenTiff(const char* path, const char* mode) {
  const std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
  if (options == nullptr) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Silence, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Silence, nullptr);
  return TiffPointer(TIFFOpenExt(path, mode, options.get()));
}

bool SetPictureFields(TIFF* tiff, const DibImage& image, bool grey) {
  const uint16_t samples = grey ? 1 : 3;
  const size_t row_bytes = static_cast<size_t>(image.width()) * samples;
  const auto rows_per_strip = static_cast<uint32_t>(std::max<size_t>(1, kStripBytes / row_bytes));
  return TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width())) &&
         TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height())) &&
         TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t{8}) &&
         TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples) &&
         TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, grey ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB) &&
         TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
         TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
         TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) &&
         TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, kDeflateLevel) &&
         TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL) &&
         TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rows_per_strip);
}

// Line y as TIFF samples: its grey values, or red, green, blue for each pixel.
void FillLine(const DibImage& image, int32_t y, bool grey, std::vector<uint8_t>& line) {
  const uint8_t* bgr = image.Row(y);
  if (grey) {
    for (uint8_t& value : line) {
      value = *bgr;
      bgr += 3;
    }
    return;
  }
  for (size_t i = 0; i < line.size(); i += 3, bgr += 3) {
    line[i] = bgr[2];
    line[i + 1] = bgr[1];
    line[i + 2] = bgr[0];
  }
}

}  // namespace

Outcome WriteTiff(const char* path, const DibImage& image) {
  const bool grey = IsGrey(image);
  std::vector<uint8_t> line(static_cast<size_t>(image.width()) * (grey ? 1 : 3));
  TiffPointer tiff = OpenTiff(path, "w");
  if (tiff == nullptr) return Outcome::kFileCreate;
  if (!SetPictureFields(tiff.get(), image, grey)) return Outcome::kDataWrite;
  for (int32_t y = 0; y < image.height(); ++y) {
    FillLine(image, y, grey, line);
    if (TIFFWriteScanline(tiff.get(), line.data(), static_cast<uint32_t>(y), 0) != 1) {
      return Outcome::kDataWrite;
    }
  }
  // TIFFClose cannot report a failure; flushing first can.
  return TIFFFlush(tiff.get()) == 1 ? Outcome::kWritten : Outcome::kDataWrite;
}

Outcome AddGeoReference(const char* path, const GeoReference& reference) {
  for (const double value : {reference.top_latitude, reference.left_longitude,
                             reference.latitude_step, reference.longitude_step}) {
    if (!std::isfinite(value)) return Outcome::kUnsupported;
  }
  XTIFFInitialize();  // teaches libtiff the GeoTIFF tags
  TiffPointer tiff = OpenTiff(path, "r+");
  if (tiff == nullptr) return Outcome::kFileOpen;
  // Pixels are areas: the tie point is the outer corner of the first pixel, half a step beyond
  // its centre.
  const std::array<double, 3> scale{reference.longitude_step, reference.latitude_step, 0};
  const std::array<double, 6> tie_point{0,
                                        0,
                                        0,
                                        reference.left_longitude - reference.longitude_step / 2,
                                        reference.top_latitude + reference.latitude_step / 2,
                                        0};
  if (!TIFFSetField(tiff.get(), TIFFTAG_GEOPIXELSCALE, 3, scale.data()) ||
      !TIFFSetField(tiff.get(), TIFFTAG_GEOTIEPOINTS, 6, tie_point.data())) {
    return Outcome::kDataWrite;
  }
  GTIF* keys = GTIFNew(tiff.get());
  if (keys == nullptr) return Outcome::kMemoryAllocate;
  const bool keys_set = GTIFKeySet(keys, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeGeographic) &&
                        GTIFKeySet(keys, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea) &&
                        GTIFKeySet(keys, GeographicTypeGeoKey, TYPE_SHORT, 1, GCS_WGS_84) &&
                        GTIFKeySet(keys, GeogAngularUnitsGeoKey, TYPE_SHORT, 1, Angular_Degree) &&
                        GTIFWriteKeys(keys);
  GTIFFree(keys);
  if (!keys_set) return Outcome::kDataWrite;
  return TIFFRewriteDirectory(tiff.get()) == 1 ? Outcome::kWritten : Outcome::kDataWrite;
}

}  // namespace pixkit
