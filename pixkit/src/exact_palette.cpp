#include "exact_palette.h"

#include <algorithm>

namespace pixkit {

namespace {

uint32_t KeyOf(const uint8_t* bgr) {
  return uint32_t{bgr[2]} << 16 | uint32_t{bgr[1]} << 8 | bgr[0];
}

bool IsGreyPixel(const uint8_t* bgr) {
  return bgr[0] == bgr[1] && bgr[1] == bgr[2];
}

constexpr uint32_t GreyKey(uint8_t level) {
  return uint32_t{level} * 0x010101;
}

}  // namespace

ExactPalette::ExactPalette() {
  keys_.fill(kEmpty);
}

size_t ExactPalette::SlotOf(uint32_t key) const {
  size_t slot = (key * 2654435769u) >> 22;  // Fibonacci hashing: the top 10 bits
  while (keys_[slot] != key && keys_[slot] != kEmpty) slot = (slot + 1) % kSlots;
  return slot;
}

std::optional<ExactPalette> ExactPalette::Find(const DibImage& image) {
  static_assert(kSlots == size_t{1} << 10, "the hash keeps 10 bits");
  ExactPalette palette;
  std::vector<uint32_t> found;  // the colours that are not grey
  for (int32_t y = 0; y < image.height(); ++y) {
    const uint8_t* bgr = image.Row(y);
    if (IsGreyRow(bgr, image.width())) {
      for (int32_t x = 0; x < image.width(); ++x) palette.grey_present_[bgr[3 * x]] = true;
      continue;
    }
    for (int32_t x = 0; x < image.width(); ++x, bgr += 3) {
      if (IsGreyPixel(bgr)) {
        palette.grey_present_[bgr[0]] = true;
        continue;
      }
      const uint32_t key = KeyOf(bgr);
      const size_t slot = palette.SlotOf(key);
      if (palette.keys_[slot] == key) continue;
      if (found.size() == kMaxPaletteColours) return std::nullopt;
      palette.keys_[slot] = key;
      found.push_back(key);
    }
  }
  for (size_t level = 0; level < 256; ++level) {
    if (palette.grey_present_[level]) found.push_back(GreyKey(static_cast<uint8_t>(level)));
  }
  if (found.size() > kMaxPaletteColours) return std::nullopt;
  std::sort(found.begin(), found.end());
  for (const uint32_t key : found) {
    const auto index = static_cast<uint8_t>(palette.colours_.size());
    const Rgb colour{static_cast<uint8_t>(key >> 16), static_cast<uint8_t>(key >> 8),
                     static_cast<uint8_t>(key)};
    if (colour.red == colour.green && colour.green == colour.blue) {
      palette.grey_indexes_[colour.red] = index;
    } else {
      palette.indexes_[palette.SlotOf(key)] = index;
    }
    palette.colours_.push_back(colour);
  }
  return palette;
}

void ExactPalette::IndexRow(const uint8_t* bgr, std::span<uint8_t> indexes) const {
  if (IsGreyRow(bgr, static_cast<int32_t>(indexes.size()))) {
    for (size_t x = 0; x < indexes.size(); ++x) indexes[x] = grey_indexes_[bgr[3 * x]];
    return;
  }
  for (uint8_t& index : indexes) {
    index = IsGreyPixel(bgr) ? grey_indexes_[bgr[0]] : indexes_[SlotOf(KeyOf(bgr))];
    bgr += 3;
  }
}

}  // namespace pixkit
