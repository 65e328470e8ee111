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

// A set of at most 256 colours that are not grey, keyed 0xRRGGBB: an open-addressing hash
// table, a quarter full at most, with a palette index for each colour.
class ColourHash {
 public:
  ColourHash() { keys_.fill(kEmpty); }
  // Adds the colour; false when it was there already.
  bool Insert(uint32_t key);
  void SetIndex(uint32_t key, uint8_t index) { indexes_[SlotOf(key)] = index; }
  // The index of a colour of the set.
  uint8_t IndexOf(uint32_t key) const { return indexes_[SlotOf(key)]; }

 private:
  static constexpr size_t kSlots = 4 * kMaxPaletteColours;
  static constexpr uint32_t kEmpty = 0xffffffff;  // no colour has a key above 0xffffff
  // The slot of the colour: its own, or the empty one where it goes.
  size_t SlotOf(uint32_t key) const;

  std::array<uint32_t, kSlots> keys_;
  std::array<uint8_t, kSlots> indexes_{};
};

class ExactPalette {
 public:
  // The picture's colours, looked for in stripes of lines at once; none when it has more than
  // 256.
  static std::optional<ExactPalette> Find(const DibImage& image);

  // In ascending order of their 0xRRGGBB values, so that a grey picture's indexes rise with the
  // grey level, as its grey values would.
  const std::vector<Rgb>& colours() const { return colours_; }

  // The indexes of the pixels of line y of the picture the palette was found in.
  void IndexLine(const DibImage& image, int32_t y, std::span<uint8_t> indexes) const;

 private:
  ExactPalette() = default;

  // Satellite pictures are mostly grey: greys are looked up by their level, other colours in the
  // hash; lines found all grey need no test of their pixels.
  std::array<uint8_t, 256> grey_indexes_{};
  ColourHash others_;
  std::vector<uint8_t> grey_lines_;  // 1 for a line of greys only
  std::vector<Rgb> colours_;
};

}  // namespace pixkit
