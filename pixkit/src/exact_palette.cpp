#include "exact_palette.h"

#include <algorithm>

#include "row_stripes.h"

namespace pixkit {

namespace {

constexpr int32_t kMinStripeRows = 256;

uint32_t KeyOf(const uint8_t* bgr) {
  return uint32_t{bgr[2]} << 16 | uint32_t{bgr[1]} << 8 | bgr[0];
}

bool IsGreyPixel(const uint8_t* bgr) {
  return bgr[0] == bgr[1] && bgr[1] == bgr[2];
}

// The colours found in some of a picture's lines; `too_many` once there are more than 256.
struct FoundColours {
  std::array<bool, 256> greys{};
  ColourHash others;
  std::vector<uint32_t> other_keys;
  bool too_many = false;

  // Room for one colour too many, so that the search threads never allocate.
  FoundColours() { other_keys.reserve(kMaxPaletteColours + 1); }

  void AddOther(uint32_t key) {
    if (!others.Insert(key)) return;
    other_keys.push_back(key);
    too_many = other_keys.size() > kMaxPaletteColours;
  }
};

void FindColours(const DibImage& image, RowRange rows, FoundColours& found,
                 std::vector<uint8_t>& grey_lines) {
  for (int32_t y = rows.first; y < rows.end && !found.too_many; ++y) {
    const uint8_t* bgr = image.Row(y);
    const bool grey_line = IsGreyRow(bgr, image.width());
    grey_lines[static_cast<size_t>(y)] = grey_line ? 1 : 0;
    if (grey_line) {
      for (int32_t x = 0; x < image.width(); ++x) found.greys[bgr[3 * x]] = true;
      continue;
    }
    for (int32_t x = 0; x < image.width() && !found.too_many; ++x, bgr += 3) {
      if (IsGreyPixel(bgr)) {
        found.greys[bgr[0]] = true;
      } else {
        found.AddOther(KeyOf(bgr));
      }
    }
  }
}

}  // namespace

bool ColourHash::Insert(uint32_t key) {
  const size_t slot = SlotOf(key);
  if (keys_[slot] == key) return false;
  keys_[slot] = key;
  return true;
}

size_t ColourHash::SlotOf(uint32_t key) const {
  static_assert(kSlots == size_t{1} << 10, "the hash keeps 10 bits");
  size_t slot = (key * 2654435769u) >> 22;  // Fibonacci hashing: the top 10 bits
  while (keys_[slot] != key && keys_[slot] != kEmpty) slot = (slot + 1) % kSlots;
  return slot;
}

std::optional<ExactPalette> ExactPalette::Find(const DibImage& image) {
  ExactPalette palette;
  palette.grey_lines_.resize(static_cast<size_t>(image.height()));
  const std::vector<RowRange> stripes = SplitIntoStripes(image.height(), kMinStripeRows);
  std::vector<FoundColours> found(stripes.size());
  RunConcurrently(stripes.size(),
                  [&](size_t i) { FindColours(image, stripes[i], found[i], palette.grey_lines_); });

  FoundColours all;
  for (const FoundColours& part : found) {
    if (part.too_many) return std::nullopt;
    for (size_t level = 0; level < 256; ++level) all.greys[level] |= part.greys[level];
    for (const uint32_t key : part.other_keys) {
      all.AddOther(key);
      if (all.too_many) return std::nullopt;
    }
  }
  std::vector<uint32_t> keys = all.other_keys;
  for (uint32_t level = 0; level < 256; ++level) {
    if (all.greys[level]) keys.push_back(level * 0x010101);
  }
  if (keys.size() > kMaxPaletteColours) return std::nullopt;
  std::sort(keys.begin(), keys.end());
  for (const uint32_t key : keys) {
    const auto index = static_cast<uint8_t>(palette.colours_.size());
    const Rgb colour{static_cast<uint8_t>(key >> 16), static_cast<uint8_t>(key >> 8),
                     static_cast<uint8_t>(key)};
    if (colour.red == colour.green && colour.green == colour.blue) {
      palette.grey_indexes_[colour.red] = index;
    } else {
      palette.others_.Insert(key);
      palette.others_.SetIndex(key, index);
    }
    palette.colours_.push_back(colour);
  }
  return palette;
}

void ExactPalette::IndexLine(const DibImage& image, int32_t y, std::span<uint8_t> indexes) const {
  const uint8_t* bgr = image.Row(y);
  if (grey_lines_[static_cast<size_t>(y)] != 0) {
    for (size_t x = 0; x < indexes.size(); ++x) indexes[x] = grey_indexes_[bgr[3 * x]];
    return;
  }
  for (uint8_t& index : indexes) {
    index = IsGreyPixel(bgr) ? grey_indexes_[bgr[0]] : others_.IndexOf(KeyOf(bgr));
    bgr += 3;
  }
}

}  // namespace pixkit
