// A picture handed over as a device-independent bitmap, read line by line from the top.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "pixkit.h"

namespace pixkit {

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;

  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class DibImage {
 public:
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  // The width * 3 blue, green, red bytes of line y, counted from the top.
  const uint8_t* Row(int32_t y) const {
    const int32_t stored = bottom_up_ ? height_ - 1 - y : y;
    return bits_ + static_cast<size_t>(stored) * stride_;
  }

 private:
  friend std::optional<DibImage> ViewDib(const PixkitBitmapInfoHeader* header, const uint8_t* bits);
  DibImage(int32_t width, int32_t height, bool bottom_up, const uint8_t* bits);

  int32_t width_;
  int32_t height_;
  bool bottom_up_;
  size_t stride_;
  const uint8_t* bits_;
};

// The picture of a header and its rows; none unless the header describes 24-bit BI_RGB rows of
// at least one pixel and both pointers are given.
std::optional<DibImage> ViewDib(const PixkitBitmapInfoHeader* header, const uint8_t* bits);

// Whether every pixel has equal red, green and blue: of the whole picture, or of one line's
// `width` pixels (DibImage::Row).
bool IsGrey(const DibImage& image);
bool IsGreyRow(const uint8_t* bgr, int32_t width);

// The blue bytes of a row's `width` pixels into `grey`: the values of a grey row.
void GreyValues(const uint8_t* bgr, int32_t width, uint8_t* grey);

// The colour of pixel x of a row from DibImage::Row.
inline Rgb PixelOf(const uint8_t* row, int32_t x) {
  const uint8_t* bgr = row + 3 * static_cast<size_t>(x);
  return Rgb{bgr[2], bgr[1], bgr[0]};
}

}  // namespace pixkit
