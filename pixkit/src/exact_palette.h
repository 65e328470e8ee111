// The colours of a picture that has at most 256 of them, and each pixel's index among them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "dib_image.h"

namespace pixkit {

inline constexpr size_t kMaxPaletteColours = 256;

class ExactPalette {
 public:
  // The picture's colours; none when it has more than 256.
  static std::optional<ExactPalette> Find(const DibImage& image);

  // In ascending order of their 0xRRGGBB values, so that a grey picture's indexes rise with the
  // grey level, as its grey values would.
  const std::vector<Rgb>& colours() const { return colours_; }

  // The indexes of one line's pixels (DibImage::Row), whose colours must all be in the palette.
  void IndexRow(const uint8_t* bgr, std::span<uint8_t> indexes) const;

 private:
  ExactPalette();

  // The slot of the colour 0xRRGGBB in the hash table: its own, or the empty one where it goes.
  size_t SlotOf(uint32_t key) const;

  // Satellite pictures are mostly grey: greys are looked up by their level, other colours in an
  // open-addressing hash table, a quarter full at most, that holds each one's palette index.
  static constexpr size_t kSlots = 4 * kMaxPaletteColours;
  static constexpr uint32_t kEmpty = 0xffffffff;  // no colour has a key above 0xffffff
  std::array<bool, 256> grey_present_{};
  std::array<uint8_t, 256> grey_indexes_{};
  std::array<uint32_t, kSlots> keys_;
  std::array<uint8_t, kSlots> indexes_{};
  std::vector<Rgb> colours_;
};

}  // namespace pixkit
