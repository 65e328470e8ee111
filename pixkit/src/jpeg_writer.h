// JPEG pictures through libjpeg-turbo.
#pragma once

#include "dib_image.h"
#include "outcome.h"

namespace pixkit {

// The picture as a baseline JPEG of quality 90: one grey component when every pixel is grey,
// else YCbCr with full-resolution chroma. The rows are encoded in stripes on all processors,
// joined by restart markers.
Outcome WriteJpeg(const char* path, const DibImage& image);

}  // namespace pixkit
