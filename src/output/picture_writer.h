// The picture writer: a finished surface becomes the destination file, as a BMP written here or,
// for the other formats, through the image-format library.
#pragma once

#include <cstdint>
#include <string>

#include "output/output_format.h"
#include "render/surface.h"

namespace nephrax {

inline constexpr uint32_t kBiRgb = 0;  // uncompressed DIB rows

// A BITMAPINFOHEADER, field for field in its stored order, so that the image-format library can
// be handed it as it is.
struct DibHeader {
  uint32_t size = 40;
  int32_t width = 0;
  int32_t height = 0;  // positive: the rows are bottom-up
  uint16_t planes = 1;
  uint16_t bit_count = 24;
  uint32_t compression = kBiRgb;
  uint32_t image_size = 0;
  int32_t x_pels_per_meter = 0;
  int32_t y_pels_per_meter = 0;
  uint32_t colours_used = 0;
  uint32_t colours_important = 0;
};
static_assert(sizeof(DibHeader) == 40);

// The header of the surface's pixels. The surface is true colour, so every picture is 24-bit
// BI_RGB without a colour table; the image size is the row bytes ((width * 24 + 31) / 32) * 4
// times the height.
DibHeader MakeDibHeader(const Surface& surface);

// Writes the surface to `destination` in `format` and tells whether the file was written; a
// failure prints its message. BMP and RLE both become an uncompressed 24-bit BMP. The file is
// written under a temporary name and replaces the destination only when complete, so a failed
// write leaves no partial picture and keeps any earlier one.
bool WritePicture(const Surface& surface, const std::string& destination, OutputFormat format);

}  // namespace nephrax
