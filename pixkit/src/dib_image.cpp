#include "dib_image.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <vector>

#include "row_stripes.h"

namespace pixkit {

namespace {

constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;
// The check reads every byte of a grey picture, as fast as memory delivers them to one
// processor: large pictures are checked in stripes on all processors, none of fewer pixels.
constexpr int32_t kMinGreyCheckPixels = 1 << 20;

}  // namespace

DibImage::DibImage(int32_t width, int32_t height, bool bottom_up, const uint8_t* bits)
    : width_(width),
      height_(height),
      bottom_up_(bottom_up),
      stride_(static_cast<size_t>((int64_t{width} * 24 + 31) / 32 * 4)),
      bits_(bits) {}

std::optional<DibImage> ViewDib(const PixkitBitmapInfoHeader* header, const uint8_t* bits) {
  if (header == nullptr || bits == nullptr) return std::nullopt;
  if (header->size < kInfoHeaderSize || header->planes != 1 || header->bit_count != 24 ||
      header->compression != kBiRgb || header->width < 1 || header->height == 0 ||
      header->height == INT32_MIN) {
    return std::nullopt;
  }
  const bool bottom_up = header->height > 0;
  return DibImage(header->width, bottom_up ? header->height : -header->height, bottom_up, bits);
}

bool IsGreyRow(const uint8_t* bgr, int32_t width) {
  // A pixel is grey when its blue byte equals the next (green) and green equals red: the bytes
  // XORed with the bytes one further on must be zero everywhere but at each pixel's red byte.
  // Eight pixels are 24 bytes, three little-endian 64-bit words; these masks clear the red bytes.
  static_assert(std::endian::native == std::endian::little);
  static constexpr std::array<uint64_t, 3> kNotRed{0xffff00ffff00ffff, 0xff00ffff00ffff00,
                                                   0x00ffff00ffff00ff};
  const size_t pixels = static_cast<size_t>(width);
  uint64_t differences = 0;
  size_t x = 0;
  for (; x + 8 < pixels; x += 8) {  // reads one byte past the 8 pixels: stay off the last ones
    for (size_t w = 0; w < 3; ++w) {
      uint64_t here = 0;
      uint64_t next = 0;
      std::memcpy(&here, bgr + 3 * x + 8 * w, 8);
      std::memcpy(&next, bgr + 3 * x + 8 * w + 1, 8);
      differences |= (here ^ next) & kNotRed[w];
    }
  }
  for (const uint8_t* pixel = bgr + 3 * x; x < pixels; ++x, pixel += 3) {
    differences |= static_cast<uint64_t>((pixel[0] ^ pixel[1]) | (pixel[1] ^ pixel[2]));
  }
  return differences == 0;
}

bool IsGrey(const DibImage& image) {
  const std::vector<RowRange> stripes =
      SplitIntoStripes(image.height(), std::max(1, kMinGreyCheckPixels / image.width()));
  std::atomic<bool> colour{false};  // one colour pixel found anywhere ends every stripe's check
  RunConcurrently(stripes.size(), [&](size_t i) {
    for (int32_t y = stripes[i].first;
         y < stripes[i].end && !colour.load(std::memory_order_relaxed); ++y) {
      if (!IsGreyRow(image.Row(y), image.width())) colour = true;
    }
  });
  return !colour;
}

}  // namespace pixkit
