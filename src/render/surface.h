// The drawing surface: a 24-bit true-colour bitmap of the picture size with the drawing state the
// overlays use (pen, font, text and background colours, background mode), and the stretch that
// puts an 8-bit palette-index image on it.
//
// The pixels are kept as a bottom-up device-independent bitmap keeps them: rows of blue, green,
// red bytes, each row padded to a multiple of 4 bytes, the bottom line first. The picture writers
// take those bytes as they are, so a finished picture is never copied. Callers address pixels
// top-down, as a device context does: (0, 0) is the top-left pixel.
//
// Lines are drawn by render/draw_line.h and text by render/draw_text.h, both with the state held
// here. An overlay opens with a SurfaceStateSaver, so whatever state it changes is restored when
// it returns.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
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

// A 16-bit count image as the reader holds it: row 0 is the bottom line, every row `stride`
// counts.
struct CountImage {
  std::span<const uint16_t> rows;
  int32_t width = 0;
  int32_t height = 0;
  size_t stride = 0;
};

// Entries of a colour table for 16-bit counts: one for every count.
inline constexpr size_t kCountColours = 65536;

// A pixel position; (0, 0) is the top-left pixel of the surface.
struct PixelPoint {
  int32_t x = 0;
  int32_t y = 0;

  friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

// Line styles: solid, dash 18 on 6 off, dot 3/3, dash-dot 9/6/3/6, dash-dot-dot 9/3/3/3/3/3, and
// every other pixel.
enum class LineStyle : uint8_t { kSolid, kDash, kDot, kDashDot, kDashDotDot, kAlternate };

// A pen of width 1 (or less) is cosmetic: one pixel wide, its style pattern counted in pixels.
// A wider pen is geometric: a round-capped stroke of that width, its pattern scaled by the width.
struct Pen {
  LineStyle style = LineStyle::kSolid;
  int32_t width = 1;
  Colour colour{};

  friend bool operator==(const Pen&, const Pen&) = default;
};

// Opaque: the gaps of styled lines and the cells of text take the background colour first.
// Transparent: only the strokes and glyphs are drawn.
enum class BackgroundMode : uint8_t { kOpaque, kTransparent };

class Font;

// What lines and text are drawn with. A fresh surface has a black solid pen of width 1, no font,
// black text on a white opaque background.
struct SurfaceState {
  Pen pen;
  const Font* font = nullptr;  // not owned; no font draws no text
  Colour text_colour{0, 0, 0};
  Colour background_colour{255, 255, 255};
  BackgroundMode background_mode = BackgroundMode::kOpaque;

  friend bool operator==(const SurfaceState&, const SurfaceState&) = default;
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
  std::optional<Colour> GetPixel(int32_t x, int32_t y) const {
    if (!Contains(x, y)) return std::nullopt;
    const uint8_t* pixel = bits_.get() + RowOffset(y) + static_cast<size_t>(x) * 3;
    return Colour{pixel[2], pixel[1], pixel[0]};
  }
  // Sets the pixel at (x, y); a position outside the surface is ignored. Inline, because drawing
  // loops call it for every pixel.
  void SetPixel(int32_t x, int32_t y, Colour colour) {
    if (!Contains(x, y)) return;
    uint8_t* pixel = bits_.get() + RowOffset(y) + static_cast<size_t>(x) * 3;
    pixel[0] = colour.blue;
    pixel[1] = colour.green;
    pixel[2] = colour.red;
  }
  bool Contains(int64_t x, int64_t y) const {
    return x >= 0 && x < width_ && y >= 0 && y < height_;
  }

  // The pen, font, colours and background mode lines and text are drawn with.
  SurfaceState& state() { return state_; }
  const SurfaceState& state() const { return state_; }

  // The width * 3 blue, green, red bytes of line y (counted from the top); empty outside the
  // surface. For writers that fill whole lines.
  std::span<uint8_t> Row(int32_t y);
  std::span<const uint8_t> Row(int32_t y) const;

  // Every pixel as bottom-up 24-bit DIB rows of stride() bytes, as GetDIBits hands them out.
  std::span<const uint8_t> DibRows() const {
    return {bits_.get(), stride_ * static_cast<size_t>(height_)};
  }

 private:
  // calloc, unlike a vector, leaves the fresh zero pages it gets from the system untouched: the
  // first to write a page of a large picture is whoever paints it, on whichever thread.
  struct FreeBits {
    void operator()(uint8_t* bits) const { std::free(bits); }
  };
  using Bits = std::unique_ptr<uint8_t[], FreeBits>;

  friend std::optional<Surface> CreateSurface(int32_t width, int32_t height);
  Surface(int32_t width, int32_t height, size_t stride, Bits bits);

  // Offset of the first byte of line y (counted from the top), which must be on the surface.
  size_t RowOffset(int32_t y) const { return static_cast<size_t>(height_ - 1 - y) * stride_; }

  int32_t width_;
  int32_t height_;
  size_t stride_;
  Bits bits_;
  SurfaceState state_;
};

// Keeps the surface's state from its construction and puts it back when it goes out of scope.
class SurfaceStateSaver {
 public:
  explicit SurfaceStateSaver(Surface& surface) : surface_(surface), saved_(surface.state()) {}
  ~SurfaceStateSaver() { surface_.state() = saved_; }
  SurfaceStateSaver(const SurfaceStateSaver&) = delete;
  SurfaceStateSaver& operator=(const SurfaceStateSaver&) = delete;

 private:
  Surface& surface_;
  SurfaceState saved_;
};

// Paints the pixels [x_first, x_last) of line y in one colour; whatever lies off the surface is
// left out.
void FillSpan(Surface& surface, int64_t y, int64_t x_first, int64_t x_last, Colour colour);

// Paints a rectangle in one colour, clipped to the surface.
void FillRect(Surface& surface, const PixelRect& rect, Colour colour);

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

// The same from 16-bit counts, each through its entry of `count_colours` (kCountColours entries;
// a shorter table draws nothing). The counts need not be narrowed to palette indexes first.
int32_t StretchImage(Surface& surface, const PixelRect& destination, const CountImage& source,
                     const PixelRect& source_area, std::span<const DibColour> count_colours);

}  // namespace nephrax
