// PNG pictures through libpng.
#pragma once

#include "dib_image.h"
#include "outcome.h"

namespace pixkit {

// The picture as a lossless PNG: 8-bit palette when it has at most 256 colours, else 24-bit RGB.
Outcome WritePng(const char* path, const DibImage& image);

}  // namespace pixkit
