// JPEG 2000 pictures through OpenJPEG.
#pragma once

#include "dib_image.h"
#include "outcome.h"

namespace pixkit {

// The picture as a lossless JPEG 2000 file in the JP2 container: one grey component when every
// pixel is grey, else three RGB components.
Outcome WriteJ2k(const char* path, const DibImage& image);

}  // namespace pixkit
