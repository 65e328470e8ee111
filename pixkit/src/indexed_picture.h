// A picture as palette indexes, for the formats that store at most 256 colours: the exact
// palette when the picture has no more, else a quantised one.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "dib_image.h"

namespace pixkit {

enum class Quantiser {
  kFast,         // median cut, each pixel takes the colour of its box
  kHighQuality,  // median cut, each pixel the nearest colour, with Floyd-Steinberg dithering
};

class IndexedPicture {
 public:
  virtual ~IndexedPicture() = default;
  // At most 256 colours.
  virtual const std::vector<Rgb>& colours() const = 0;
  // The indexes of line y (counted from the top) of the picture. Lines are asked for in order
  // from the top, once each: the dither carries its error down to the next line.
  virtual void IndexLine(int32_t y, std::span<uint8_t> indexes) = 0;
};

// The picture, which must outlive the result, with its exact palette or a quantised one.
std::unique_ptr<IndexedPicture> IndexPicture(const DibImage& image, Quantiser quantiser);

}  // namespace pixkit
