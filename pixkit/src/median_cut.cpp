#include "median_cut.h"

#include <algorithm>
#include <array>

namespace pixkit {

namespace {

constexpr int kSide = 1 << kCellBits;

// Pixel count and colour sums of one cell.
struct CellTotals {
  uint64_t pixels = 0;
  std::array<uint64_t, 3> sums{};
};

using Histogram = std::vector<CellTotals>;

// A box of cells, bounds included, by channel (red, green, blue).
struct Box {
  std::array<int, 3> low{};
  std::array<int, 3> high{};
  uint64_t pixels = 0;
};

size_t CellAt(int red, int green, int blue) {
  return static_cast<size_t>(red) << (2 * kCellBits) | static_cast<size_t>(green) << kCellBits |
         static_cast<size_t>(blue);
}

Histogram CountColours(const DibImage& image) {
  Histogram histogram(kCells);
  for (int32_t y = 0; y < image.height(); ++y) {
    const uint8_t* row = image.Row(y);
    for (int32_t x = 0; x < image.width(); ++x) {
      const Rgb colour = PixelOf(row, x);
      CellTotals& cell = histogram[CellOf(colour)];
      ++cell.pixels;
      cell.sums[0] += colour.red;
      cell.sums[1] += colour.green;
      cell.sums[2] += colour.blue;
    }
  }
  return histogram;
}

// Calls visit(cell index, totals) for every cell of the box.
template <typename Visit>
void ForEachCell(const Histogram& histogram, const Box& box, Visit visit) {
  for (int r = box.low[0]; r <= box.high[0]; ++r) {
    for (int g = box.low[1]; g <= box.high[1]; ++g) {
      for (int b = box.low[2]; b <= box.high[2]; ++b) {
        const size_t cell = CellAt(r, g, b);
        visit(cell, histogram[cell], std::array<int, 3>{r, g, b});
      }
    }
  }
}

// The box cut down to the cells that hold pixels, with its pixel count.
Box Shrink(const Histogram& histogram, const Box& box) {
  Box tight{{kSide, kSide, kSide}, {-1, -1, -1}, 0};
  ForEachCell(histogram, box, [&](size_t, const CellTotals& cell, std::array<int, 3> at) {
    if (cell.pixels == 0) return;
    tight.pixels += cell.pixels;
    for (size_t c = 0; c < 3; ++c) {
      tight.low[c] = std::min(tight.low[c], at[c]);
      tight.high[c] = std::max(tight.high[c], at[c]);
    }
  });
  return tight;
}

size_t LongestSide(const Box& box) {
  size_t longest = 0;
  for (size_t c = 1; c < 3; ++c) {
    if (box.high[c] - box.low[c] > box.high[longest] - box.low[longest]) longest = c;
  }
  return longest;
}

// How much splitting the box would gain: its pixels times the square of its longest side, which
// grows with the squared error its mean colour leaves. 0 for a box of one cell.
uint64_t SplitGain(const Box& box) {
  const size_t side = LongestSide(box);
  const auto extent = static_cast<uint64_t>(box.high[side] - box.low[side]);
  return box.pixels * extent * extent;
}

// Splits the box across its longest side where half of its pixels lie below; the box keeps the
// lower part and the upper part is returned.
Box Split(const Histogram& histogram, Box& box) {
  const size_t side = LongestSide(box);
  std::array<uint64_t, kSide> slices{};
  ForEachCell(histogram, box, [&](size_t, const CellTotals& cell, std::array<int, 3> at) {
    slices[static_cast<size_t>(at[side])] += cell.pixels;
  });
  int cut = box.low[side];
  uint64_t below = slices[static_cast<size_t>(cut)];
  while (cut + 1 < box.high[side] && 2 * below < box.pixels) {
    below += slices[static_cast<size_t>(++cut)];
  }
  Box upper = box;
  upper.low[side] = cut + 1;
  box.high[side] = cut;
  upper = Shrink(histogram, upper);
  box = Shrink(histogram, box);
  return upper;
}

Rgb MeanColour(const Histogram& histogram, const Box& box) {
  std::array<uint64_t, 3> sums{};
  ForEachCell(histogram, box, [&](size_t, const CellTotals& cell, std::array<int, 3>) {
    for (size_t c = 0; c < 3; ++c) sums[c] += cell.sums[c];
  });
  const uint64_t half = box.pixels / 2;
  return Rgb{static_cast<uint8_t>((sums[0] + half) / box.pixels),
             static_cast<uint8_t>((sums[1] + half) / box.pixels),
             static_cast<uint8_t>((sums[2] + half) / box.pixels)};
}

}  // namespace

MedianCutPalette CutPalette(const DibImage& image, size_t max_colours) {
  const Histogram histogram = CountColours(image);
  std::vector<Box> boxes{Shrink(histogram, Box{{0, 0, 0}, {kSide - 1, kSide - 1, kSide - 1}, 0})};
  while (boxes.size() < max_colours) {
    const auto widest =
        std::max_element(boxes.begin(), boxes.end(),
                         [](const Box& a, const Box& b) { return SplitGain(a) < SplitGain(b); });
    if (SplitGain(*widest) == 0) break;  // every box is a single cell
    boxes.push_back(Split(histogram, *widest));
  }

  MedianCutPalette palette;
  palette.entry_of_cell.assign(kCells, 0);
  for (size_t entry = 0; entry < boxes.size(); ++entry) {
    palette.colours.push_back(MeanColour(histogram, boxes[entry]));
    ForEachCell(histogram, boxes[entry], [&](size_t cell, const CellTotals&, std::array<int, 3>) {
      palette.entry_of_cell[cell] = static_cast<uint8_t>(entry);
    });
  }
  return palette;
}

}  // namespace pixkit
