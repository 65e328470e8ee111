// JPEG pictures through libjpeg-turbo.
#pragma once

#include "dib_image.h"
#include "outcome.h"

namespace pixkit {

inline constexpr int kJpegQuality = 90;

// The picture as a baseline JPEG of quality 90: one grey component when every pixel is grey,
// else YCbCr with full-resolution chroma.
Outcome WriteJpeg(const char* path, const DibImage& image);

}  // namespace pixkit
