#include "dib_image.h"

#include <algorithm>
#include <array>
#include <atomic>
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

// The row loops are built for every processor (this file is compiled at -O3 for the
// vectoriser), and on x86-64 again for SSSE3 and AVX2, the builds picked when the processor has
// them.
#if defined(__x86_64__)
#define PIXKIT_ROW_CLONES __attribute__((target_clones("avx2", "ssse3", "default")))
#else
#define PIXKIT_ROW_CLONES
#endif

// 32 bytes: one AVX2 register, or two SSE2 ones in the other builds.
constexpr size_t kVectorBytes = 32;
using RowVector = uint8_t __attribute__((vector_size(kVectorBytes)));
// Pixels of three vectors' bytes.
constexpr size_t kBlockPixels = kVectorBytes;

// Of three consecutive vectors of blue, green, red bytes: 0xff at blue and green bytes, 0 at red.
constexpr std::array<std::array<uint8_t, kVectorBytes>, 3> NotRedMasks() {
  std::array<std::array<uint8_t, kVectorBytes>, 3> masks{};
  for (size_t v = 0; v < 3; ++v) {
    for (size_t i = 0; i < kVectorBytes; ++i) {
      masks[v][i] = (v * kVectorBytes + i) % 3 == 2 ? 0 : 0xff;
    }
  }
  return masks;
}

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

PIXKIT_ROW_CLONES bool IsGreyRow(const uint8_t* bgr, int32_t width) {
  // A pixel is grey when its blue byte equals the next (green) and green equals red: the bytes
  // XORed with the bytes one further on must be zero everywhere but at each pixel's red byte.
  // kBlockPixels pixels are three vectors; the masks clear the red bytes of each.
  static constexpr std::array<std::array<uint8_t, kVectorBytes>, 3> kNotRed = NotRedMasks();
  const size_t pixels = static_cast<size_t>(width);
  RowVector differences{};
  size_t x = 0;
  for (; x + kBlockPixels < pixels; x += kBlockPixels) {  // reads one byte past the block's pixels
    for (size_t v = 0; v < 3; ++v) {
      RowVector here;
      RowVector next;
      RowVector not_red;
      std::memcpy(&here, bgr + 3 * x + v * kVectorBytes, kVectorBytes);
      std::memcpy(&next, bgr + 3 * x + v * kVectorBytes + 1, kVectorBytes);
      std::memcpy(&not_red, kNotRed[v].data(), kVectorBytes);
      differences |= (here ^ next) & not_red;
    }
  }
  uint8_t tail = 0;
  for (const uint8_t* pixel = bgr + 3 * x; x < pixels; ++x, pixel += 3) {
    tail |= static_cast<uint8_t>((pixel[0] ^ pixel[1]) | (pixel[1] ^ pixel[2]));
  }
  for (size_t i = 0; i < kVectorBytes; ++i) tail |= differences[i];
  return tail == 0;
}

// Written per pixel for the vectoriser, which turns the stride-3 load into byte shuffles.
PIXKIT_ROW_CLONES void GreyValues(const uint8_t* __restrict bgr, int32_t width,
                                  uint8_t* __restrict grey) {
  for (int32_t x = 0; x < width; ++x, bgr += 3) grey[x] = *bgr;
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
