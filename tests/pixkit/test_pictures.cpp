#include "pixkit/test_pictures.h"

#include <gtest/gtest.h>

namespace nephrax::testing {

Dib MakeDib(const Picture& picture, bool top_down) {
  Dib dib;
  const size_t stride = (static_cast<size_t>(picture.width) * 3 + 3) / 4 * 4;
  dib.header.size = sizeof(PixkitBitmapInfoHeader);
  dib.header.width = picture.width;
  dib.header.height = top_down ? -picture.height : picture.height;
  dib.header.planes = 1;
  dib.header.bit_count = 24;
  dib.header.image_size = static_cast<uint32_t>(stride * static_cast<size_t>(picture.height));
  // Padding bytes are set, not zero: the library must not take them for pixels.
  dib.bits.assign(stride * static_cast<size_t>(picture.height), 0xa5);
  for (int32_t y = 0; y < picture.height; ++y) {
    const int32_t stored = top_down ? y : picture.height - 1 - y;
    uint8_t* row = dib.bits.data() + static_cast<size_t>(stored) * stride;
    for (int32_t x = 0; x < picture.width; ++x) {
      const Rgb c = picture.At(x, y);
      row[3 * x] = c.blue;
      row[3 * x + 1] = c.green;
      row[3 * x + 2] = c.red;
    }
  }
  return dib;
}

Picture MakePicture(int32_t width, int32_t height,
                    const std::function<Rgb(int32_t, int32_t)>& colour) {
  Picture picture{width, height, {}};
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) picture.pixels.push_back(colour(x, y));
  }
  return picture;
}

Picture GreyPicture(int32_t width, int32_t height) {
  return MakePicture(width, height, [](int32_t x, int32_t y) {
    const auto level = static_cast<uint8_t>((x * 7 + y * 3 + (x * y) % 5) % 256);
    return Rgb{level, level, level};
  });
}

Picture FewColourPicture(int32_t width, int32_t height) {
  return MakePicture(width, height, [](int32_t x, int32_t y) {
    if ((x + y) % 9 == 0) return Rgb{0, 192, 0};  // coastline green
    if (y % 10 == 0) return Rgb{0, 0, 192};       // grid blue
    if (x == y) return Rgb{192, 0, 0};            // equator red
    const auto level = static_cast<uint8_t>((x + 2 * y) % 200 + 20);
    return Rgb{level, level, level};
  });
}

Picture ManyColourPicture(int32_t width, int32_t height) {
  return MakePicture(width, height, [width, height](int32_t x, int32_t y) {
    return Rgb{static_cast<uint8_t>(255 * x / std::max(width - 1, 1)),
               static_cast<uint8_t>(255 * y / std::max(height - 1, 1)),
               static_cast<uint8_t>((x * 3 + y * 5) % 256)};
  });
}

Picture PictureOfKind(PictureKind kind, int32_t width, int32_t height) {
  switch (kind) {
    case PictureKind::kGrey:
      return GreyPicture(width, height);
    case PictureKind::kFewColours:
      return FewColourPicture(width, height);
    case PictureKind::kManyColours:
      break;
  }
  return ManyColourPicture(width, height);
}

const ImageLibrary& Library() {
  static const ImageLibrary library = LoadImageLibrary(std::string(NEPHRAX_BIN_DIR) + "/");
  return library;
}

CallResult CaptureCall(const std::function<int32_t()>& call) {
  ::testing::internal::CaptureStderr();
  CallResult result;
  result.result = call();
  result.messages = ::testing::internal::GetCapturedStderr();
  return result;
}

}  // namespace nephrax::testing
