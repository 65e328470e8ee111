// A palette for a picture with more colours than a palette holds, by median cut: the colour
// cube is split, box by box, at the median of its pixels until there are enough boxes, and each
// box gives the mean colour of its pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dib_image.h"

namespace pixkit {

// Colours are counted in cells of 5 bits a channel: 32768 cells.
inline constexpr int kCellBits = 5;
inline constexpr size_t kCells = size_t{1} << (3 * kCellBits);

inline size_t CellOf(Rgb colour) {
  constexpr int kDrop = 8 - kCellBits;
  return size_t{colour.red} >> kDrop << (2 * kCellBits) |
         size_t{colour.green} >> kDrop << kCellBits | size_t{colour.blue} >> kDrop;
}

struct MedianCutPalette {
  std::vector<Rgb> colours;            // at most the number asked for
  std::vector<uint8_t> entry_of_cell;  // the palette entry whose box holds each cell
};

// The median-cut palette of at most `max_colours` (1..256) colours for the picture.
MedianCutPalette CutPalette(const DibImage& image, size_t max_colours);

}  // namespace pixkit
