// Pictures to hand the library as device-independent bitmaps, and the library itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "output/image_library.h"
#include "pixkit.h"
#include "pixkit/decoders.h"

namespace nephrax::testing {

// A 24-bit BI_RGB bitmap as the library takes it: the header and the padded rows, bottom line
// first unless `top_down`.
struct Dib {
  PixkitBitmapInfoHeader header{};
  std::vector<uint8_t> bits;
};

Dib MakeDib(const Picture& picture, bool top_down = false);

// A picture whose pixel (x, y) has colour(x, y).
Picture MakePicture(int32_t width, int32_t height,
                    const std::function<Rgb(int32_t, int32_t)>& colour);

// Test pictures: greys only (at most 256 colours); a few colours on grey (at most 256); smooth
// colour ramps (thousands of colours).
Picture GreyPicture(int32_t width, int32_t height);
Picture FewColourPicture(int32_t width, int32_t height);
Picture ManyColourPicture(int32_t width, int32_t height);

enum class PictureKind { kGrey, kFewColours, kManyColours };
// The test picture of that kind.
Picture PictureOfKind(PictureKind kind, int32_t width, int32_t height);

// The library of this build, loaded once for all tests.
const ImageLibrary& Library();

// Stderr of the calls in `call`, which returns the entry point's result.
struct CallResult {
  int32_t result = 0;
  std::string messages;
};
CallResult CaptureCall(const std::function<int32_t()>& call);

}  // namespace nephrax::testing
