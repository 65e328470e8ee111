#include "support/bmp_file.h"

#include <stdexcept>

#include "core/bytes.h"
#include "support/source_file_builder.h"

namespace nephrax::testing {

Colour BmpFile::Pixel(int32_t x, int32_t y) const {
  const size_t row_bytes = static_cast<size_t>((width * 24 + 31) / 32 * 4);
  const size_t at = pixel_offset + static_cast<size_t>(height - 1 - y) * row_bytes + 3 * static_cast<size_t>(x);
  return Colour{bytes.at(at + 2), bytes.at(at + 1), bytes.at(at)};
}

BmpFile ReadBmpFile(const std::string& path) {
  BmpFile bmp;
  bmp.bytes = ReadBytes(path);
  const std::vector<uint8_t>& b = bmp.bytes;
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') throw std::runtime_error("not a BMP: " + path);
  bmp.file_size = ReadU32Le(b, 2);
  bmp.pixel_offset = ReadU32Le(b, 10);
  bmp.width = ReadI32Le(b, 18);
  bmp.height = ReadI32Le(b, 22);
  bmp.image_size = ReadU32Le(b, 34);
  if (ReadU32Le(b, 14) != 40 || ReadU16Le(b, 26) != 1 || ReadU16Le(b, 28) != 24 ||
      ReadU32Le(b, 30) != 0 || bmp.width <= 0 || bmp.height <= 0) {
    throw std::runtime_error("not a 24-bit bottom-up BI_RGB BMP: " + path);
  }
  return bmp;
}

}  // namespace nephrax::testing
