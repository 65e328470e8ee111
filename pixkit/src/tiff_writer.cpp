#include "tiff_writer.h"

#include <cmath>
#include <vector>

#include "geotiff_plugin.h"

namespace pixkit {

namespace {

// Deflate level and strip size: measured on satellite pictures, see bench/README.md.
constexpr int kDeflateLevel = 6;
constexpr size_t kStripBytes = 256 * 1024;

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
  GeoTiffTagger* const add_tags = LoadGeoTiffTagger();
  if (add_tags == nullptr) return Outcome::kUnsupported;
  return add_tags(path, &reference);
}

}  // namespace pixkit
