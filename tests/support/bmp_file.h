// Reads a 24-bit uncompressed BMP file for tests, checking its headers as it goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/colour.h"

namespace nephrax::testing {

struct BmpFile {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t file_size = 0;
  uint32_t pixel_offset = 0;
  uint32_t image_size = 0;
  std::vector<uint8_t> bytes;

  // The colour at (x, y), y counted from the top line.
  Colour Pixel(int32_t x, int32_t y) const;
};

// Throws std::runtime_error when the file is not a 24-bit bottom-up BI_RGB BMP.
BmpFile ReadBmpFile(const std::string& path);

}  // namespace nephrax::testing
