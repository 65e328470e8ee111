// Reading the library's PNG, GIF and JPEG pictures back with libpng, giflib and libjpeg, for the
// tests; the other formats are read back by ImageMagick and GDAL in the end-to-end tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nephrax::testing {

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;

  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Decoded pixels, top line first.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<Rgb> pixels;

  Rgb At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y * width + x)]; }
  friend bool operator==(const Picture&, const Picture&) = default;
};

struct PngFile {
  Picture picture;
  bool palette = false;      // stored as palette indexes
  std::vector<Rgb> colours;  // the palette
};

struct GifFrame {
  Picture picture;
  int delay = -1;         // hundredths of a second; -1 without a graphics control block
  int local_colours = 0;  // entries of the frame's own colour table, 0 without one
};

struct GifFile {
  int32_t width = 0;
  int32_t height = 0;
  int global_colours = 0;         // entries of the global colour table, 0 without one
  std::optional<int> loop_count;  // of the looping extension, when there is one
  std::vector<GifFrame> frames;
};

struct JpegFile {
  Picture picture;                   // grey pictures as equal red, green and blue
  int components = 0;                // 1 for grey, 3 for YCbCr
  uint32_t mcus_per_row = 0;         // MCUs across the picture
  uint32_t mcu_rows = 0;             // MCUs down the picture
  uint32_t restart_interval = 0;     // MCUs, 0 without restart markers
  std::vector<int> restart_markers;  // the numbers (0..7) of the restart markers, in order
};

// Each throws std::runtime_error when the file cannot be read; DecodeJpeg also when libjpeg warns
// of corrupt data.
PngFile DecodePng(const std::string& path);
GifFile DecodeGif(const std::string& path);
JpegFile DecodeJpeg(const std::string& path);

// The distinct colours of a picture.
size_t CountColours(const Picture& picture);

}  // namespace nephrax::testing
