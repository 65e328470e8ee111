#include "indexed_picture.h"

#include <algorithm>
#include <array>
#include <optional>

#include "exact_palette.h"
#include "median_cut.h"

namespace pixkit {

namespace {

class ExactIndexes : public IndexedPicture {
 public:
  ExactIndexes(const DibImage& image, ExactPalette palette)
      : image_(image), palette_(std::move(palette)) {}
  const std::vector<Rgb>& colours() const override { return palette_.colours(); }
  void IndexLine(int32_t y, std::span<uint8_t> indexes) override {
    palette_.IndexLine(image_, y, indexes);
  }

 private:
  const DibImage& image_;
  ExactPalette palette_;
};

class BoxIndexes : public IndexedPicture {
 public:
  BoxIndexes(const DibImage& image, MedianCutPalette palette)
      : image_(image), palette_(std::move(palette)) {}
  const std::vector<Rgb>& colours() const override { return palette_.colours; }
  void IndexLine(int32_t y, std::span<uint8_t> indexes) override {
    const uint8_t* row = image_.Row(y);
    for (size_t x = 0; x < indexes.size(); ++x) {
      indexes[x] = palette_.entry_of_cell[CellOf(PixelOf(row, static_cast<int32_t>(x)))];
    }
  }

 private:
  const DibImage& image_;
  MedianCutPalette palette_;
};

// The nearest palette colour of any colour, found once for each cell of 6 bits a channel
// (262144 cells) when first asked for.
class NearestColour {
 public:
  explicit NearestColour(std::vector<Rgb> colours)
      : colours_(std::move(colours)), entry_of_cell_(size_t{1} << 18, kUnknown) {}

  uint8_t EntryOf(int red, int green, int blue) {
    const size_t cell = static_cast<size_t>(red >> 2) << 12 | static_cast<size_t>(green >> 2) << 6 |
                        static_cast<size_t>(blue >> 2);
    uint16_t& entry = entry_of_cell_[cell];
    if (entry == kUnknown) entry = Search((red & ~3) | 2, (green & ~3) | 2, (blue & ~3) | 2);
    return static_cast<uint8_t>(entry);
  }

 private:
  static constexpr uint16_t kUnknown = 0xffff;

  uint16_t Search(int red, int green, int blue) const {
    uint16_t best = 0;
    int best_distance = INT32_MAX;
    for (size_t i = 0; i < colours_.size(); ++i) {
      const int dr = red - colours_[i].red;
      const int dg = green - colours_[i].green;
      const int db = blue - colours_[i].blue;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < best_distance) {
        best_distance = distance;
        best = static_cast<uint16_t>(i);
      }
    }
    return best;
  }

  std::vector<Rgb> colours_;
  std::vector<uint16_t> entry_of_cell_;
};

// Floyd-Steinberg error diffusion, serpentine: lines run left to right and right to left in
// turn, so that the error does not drift to one side.
class DitheredIndexes : public IndexedPicture {
 public:
  DitheredIndexes(const DibImage& image, std::vector<Rgb> colours)
      : image_(image),
        colours_(std::move(colours)),
        nearest_(colours_),
        // One column of margin on each side; errors in sixteenths.
        this_line_(ErrorLine(image.width())),
        next_line_(ErrorLine(image.width())) {}

  const std::vector<Rgb>& colours() const override { return colours_; }

  void IndexLine(int32_t y, std::span<uint8_t> indexes) override {
    const uint8_t* row = image_.Row(y);
    const int32_t width = image_.width();
    const bool rightwards = y % 2 == 0;
    const int32_t step = rightwards ? 1 : -1;
    std::fill(next_line_.begin(), next_line_.end(), std::array<int32_t, 3>{});
    for (int32_t i = 0; i < width; ++i) {
      const int32_t x = rightwards ? i : width - 1 - i;
      const Rgb pixel = PixelOf(row, x);
      const std::array<int32_t, 3>& carried = this_line_[static_cast<size_t>(x + 1)];
      const std::array<int32_t, 3> wanted{Carry(pixel.red, carried[0]),
                                          Carry(pixel.green, carried[1]),
                                          Carry(pixel.blue, carried[2])};
      const uint8_t entry = nearest_.EntryOf(wanted[0], wanted[1], wanted[2]);
      indexes[static_cast<size_t>(x)] = entry;
      const Rgb& got = colours_[entry];
      const std::array<int32_t, 3> error{wanted[0] - got.red, wanted[1] - got.green,
                                         wanted[2] - got.blue};
      const size_t at = static_cast<size_t>(x + 1);
      for (size_t c = 0; c < 3; ++c) {
        this_line_[static_cast<size_t>(x + 1 + step)][c] += 7 * error[c];
        next_line_[static_cast<size_t>(x + 1 - step)][c] += 3 * error[c];
        next_line_[at][c] += 5 * error[c];
        next_line_[static_cast<size_t>(x + 1 + step)][c] += error[c];
      }
    }
    std::swap(this_line_, next_line_);
  }

 private:
  static std::vector<std::array<int32_t, 3>> ErrorLine(int32_t width) {
    return std::vector<std::array<int32_t, 3>>(static_cast<size_t>(width) + 2);
  }

  // The value with the error carried to it (in sixteenths, rounded), kept within 0..255.
  static int32_t Carry(uint8_t value, int32_t error) {
    const int32_t rounded = error >= 0 ? (error + 8) / 16 : -((-error + 8) / 16);
    return std::clamp(value + rounded, 0, 255);
  }

  const DibImage& image_;
  std::vector<Rgb> colours_;
  NearestColour nearest_;
  std::vector<std::array<int32_t, 3>> this_line_;
  std::vector<std::array<int32_t, 3>> next_line_;
};

}  // namespace

std::unique_ptr<IndexedPicture> IndexPicture(const DibImage& image, Quantiser quantiser) {
  if (std::optional<ExactPalette> exact = ExactPalette::Find(image)) {
    return std::make_unique<ExactIndexes>(image, std::move(*exact));
  }
  MedianCutPalette palette = CutPalette(image, kMaxPaletteColours);
  if (quantiser == Quantiser::kFast) return std::make_unique<BoxIndexes>(image, std::move(palette));
  return std::make_unique<DitheredIndexes>(image, std::move(palette.colours));
}

}  // namespace pixkit
