// The drawing surface: a 24-bit true-colour bitmap of the picture size, and the stretch that puts
// an 8-bit palette-index image on it.
//
// The pixels are kept as a bottom-up device-independent bitmap keeps them: rows of blue, green,
// red bytes, each row padded to a multiple of 4 bytes, the bottom line first. The picture writers
// take those bytes as they are, so a finished picture is never copied. Callers address pixels
// top-down, as a device context does: (0, 0) is the top-left pixel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/colour.h"

namespace nephrax {

// One entry of a DIB colour table, in its stored order.
struct DibColour {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
};

using ColourTable = std::array<DibColour, 256>;

// A rectangle by its origin and size. Sizes are meant to be positive.
struct PixelRect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// An 8-bit palette-index image as a DIB holds it: row 0 is the bottom line and every row takes
// the width rounded up to a multiple of 4 bytes.
struct IndexImage {
  std::span<const uint8_t> rows;
  int32_t width = 0;
  int32_t height = 0;
};

// Bytes in one 24-bit DIB row of the given width: 3 bytes a pixel, padded to a multiple of 4.
constexpr int64_t DibRowBytes(int64_t width) {
  return (width * 24 + 31) / 32 * 4;
}

// The size fields of a DIB and of a BMP file (the rows and 54 bytes of headers) are 32-bit, so no
// surface holds more bytes than those fields can count.
inline constexpr int64_t kMaxSurfaceBytes = 0xFFFFFFFF - 54;

class Surface {
 public:
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  Surface(Surface&&) = default;
  Surface& operator=(Surface&&) = default;

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  // Bytes from the start of one DIB row to the next.
  size_t stride() const { return stride_; }

  // The colour at (x, y); none outside the surface.
  std::optional<Colour> GetPixel(int32_t x, int32_t y) const;
  // Sets the pixel at (x, y); a position outside the surface is ignored.
  void SetPixel(int32_t x, int32_t y, Colour colour);

  // The width * 3 blue, green, red bytes of line y (counted from the top); empty outside the
  // surface. For writers that fill whole lines.
  std::span<uint8_t> Row(int32_t y);
  std::span<const uint8_t> Row(int32_t y) const;

  // Every pixel as bottom-up 24-bit DIB rows of stride() bytes, as GetDIBits hands them out.
  std::span<const uint8_t> DibRows() const { return bits_; }

 private:
  friend std::optional<Surface> CreateSurface(int32_t width, int32_t height);
  Surface(int32_t width, int32_t height, size_t stride, std::vector<uint8_t> bits);

  // Offset of the first byte of line y (counted from the top), which must be on the surface.
  size_t RowOffset(int32_t y) const;

  int32_t width_;
  int32_t height_;
  size_t stride_;
  std::vector<uint8_t> bits_;
};

// A black surface of width x height pixels. A size below 1, or one whose rows would not fit a
// DIB or the memory, prints "Memory allocate error." and gives none.
std::optional<Surface> CreateSurface(int32_t width, int32_t height);

// Stretches the part `source_area` of `source` onto `destination` of the surface, each pixel
// through its entry of `colours`, and returns the number of surface lines drawn.
//
// Nearest neighbour: destination pixel d of a span of D pixels takes source pixel
// (2 * d + 1) * S / (2 * D) of the source span of S pixels, the pixel under its centre. Across,
// both spans run left to right; down, the destination runs from its top line and the source from
// the top line of `source_area`. `source_area` is in DIB terms: y counts lines up from the bottom
// line to the area's bottom line. The destination may reach beyond the surface on any side and is
// clipped to it. Nothing is drawn (result 0) when either rectangle is empty, the source area does
// not lie inside the image, or the rows are too short for the image's size.
int32_t StretchImage(Surface& surface, const PixelRect& destination, const IndexImage& source,
                     const PixelRect& source_area, const ColourTable& colours);

}  // namespace nephrax
