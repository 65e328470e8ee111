// One stripe of a picture's rows encoded by libjpeg-turbo as a JPEG file of its own, in memory.
// Stripes encoded alike differ only in the height of their frame headers, so their entropy-coded
// data joins into one file (jpeg_writer.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "dib_image.h"
#include "outcome.h"
#include "row_stripes.h"

namespace pixkit {

inline constexpr int kJpegQuality = 90;

struct JpegStripe {
  std::vector<uint8_t> file;  // SOI, the headers, the scan, EOI
  Outcome outcome = Outcome::kWritten;
};

// How every stripe of a picture is encoded.
struct JpegCoding {
  bool grey = false;              // one grey component (the pixels' blue) instead of YCbCr
  uint16_t restart_interval = 0;  // in MCUs, declared in the headers when not 0
};

// The rows as a baseline JPEG of quality 90 with full-resolution chroma. A restart interval at
// least as long as the stripe puts no restart marker inside it. Does not throw: running out of
// memory is the stripe's outcome.
JpegStripe EncodeJpegStripe(const DibImage& image, RowRange rows, JpegCoding coding);

}  // namespace pixkit
