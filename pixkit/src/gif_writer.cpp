#include "gif_writer.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <vector>

namespace pixkit {

namespace {

constexpr int32_t kMaxSide = 65535;  // GIF sizes are 16-bit
constexpr int kColourResolution = 8;

struct ColourMapDeleter {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using ColourMap = std::unique_ptr<ColorMapObject, ColourMapDeleter>;

bool FitsGif(int32_t width, int32_t height) {
  return width <= kMaxSide && height <= kMaxSide;
}

// A GIF colour table holds a power of two entries, 2 at least: the palette padded with black.
ColourMap MakeColourMap(const std::vector<Rgb>& colours) {
  int size = 2;
  while (static_cast<size_t>(size) < colours.size()) size *= 2;
  std::vector<GifColorType> entries(static_cast<size_t>(size), GifColorType{0, 0, 0});
  for (size_t i = 0; i < colours.size(); ++i) {
    entries[i] = GifColorType{colours[i].red, colours[i].green, colours[i].blue};
  }
  return ColourMap(GifMakeMapObject(size, entries.data()));
}

// Opens the file for GIF89a, the version that has extensions; null when it cannot be created.
GifPointer CreateGif(const char* path) {
  int error = 0;
  GifPointer gif(EGifOpenFileName(path, false, &error));
  if (gif != nullptr) EGifSetGifVersion(gif.get(), true);
  return gif;
}

// Completes the file; true when all of it was written.
bool CloseGif(GifPointer gif) {
  int error = 0;
  return EGifCloseFile(gif.release(), &error) == GIF_OK;
}

// The image descriptor, with the colour map as local colour table unless it is null, then the
// indexes of every line.
bool PutImage(GifFileType* gif, IndexedPicture& picture, int32_t width, int32_t height,
              const ColorMapObject* local_map) {
  if (EGifPutImageDesc(gif, 0, 0, width, height, false, local_map) != GIF_OK) return false;
  std::vector<GifPixelType> line(static_cast<size_t>(width));
  for (int32_t y = 0; y < height; ++y) {
    picture.IndexLine(y, line);
    if (EGifPutLine(gif, line.data(), width) != GIF_OK) return false;
  }
  return true;
}

// The application extension that makes viewers repeat the animation for ever.
bool PutLoopExtension(GifFileType* gif) {
  static constexpr char kApplication[] = "NETSCAPE2.0";
  static constexpr std::array<uint8_t, 3> kRepeatForEver{1, 0, 0};  // sub-block 1, count 0
  return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, kApplication) == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, kRepeatForEver.data()) == GIF_OK &&
         EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool PutFrameDelay(GifFileType* gif, int32_t delay) {
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.UserInputFlag = false;
  control.DelayTime = std::clamp(delay, 0, 65535);
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  std::array<GifByteType, 4> extension{};
  EGifGCBToExtension(&control, extension.data());
  return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension.data()) == GIF_OK;
}

}  // namespace

Outcome WriteGif(const char* path, const DibImage& image, Quantiser quantiser) {
  if (!FitsGif(image.width(), image.height())) return Outcome::kUnsupported;
  const std::unique_ptr<IndexedPicture> picture = IndexPicture(image, quantiser);
  const ColourMap map = MakeColourMap(picture->colours());
  if (map == nullptr) return Outcome::kMemoryAllocate;
  GifPointer gif = CreateGif(path);
  if (gif == nullptr) return Outcome::kFileCreate;
  const bool written = EGifPutScreenDesc(gif.get(), image.width(), image.height(),
                                         kColourResolution, 0, map.get()) == GIF_OK &&
                       PutImage(gif.get(), *picture, image.width(), image.height(), nullptr);
  const bool closed = CloseGif(std::move(gif));
  return written && closed ? Outcome::kWritten : Outcome::kDataWrite;
}

GifAnimation::Opened GifAnimation::Open(const char* path, int32_t width, int32_t height) {
  if (width < 1 || height < 1 || !FitsGif(width, height)) return {Outcome::kUnsupported, nullptr};
  GifPointer gif = CreateGif(path);
  if (gif == nullptr) return {Outcome::kFileCreate, nullptr};
  // Every frame brings its own colour table, so the screen has none.
  if (EGifPutScreenDesc(gif.get(), width, height, kColourResolution, 0, nullptr) != GIF_OK ||
      !PutLoopExtension(gif.get())) {
    return {Outcome::kDataWrite, nullptr};
  }
  return {Outcome::kWritten, std::make_unique<GifAnimation>(Key(), std::move(gif), width, height)};
}

void GifCloser::operator()(GifFileType* gif) const {
  EGifCloseFile(gif, nullptr);
}

GifAnimation::GifAnimation(Key, GifPointer gif, int32_t width, int32_t height)
    : gif_(std::move(gif)), width_(width), height_(height) {}

Outcome GifAnimation::AddFrame(const DibImage& image, int32_t delay, Quantiser quantiser) {
  if (gif_ == nullptr || damaged_) return Outcome::kDataWrite;
  if (image.width() != width_ || image.height() != height_) return Outcome::kUnsupported;
  const std::unique_ptr<IndexedPicture> picture = IndexPicture(image, quantiser);
  const ColourMap map = MakeColourMap(picture->colours());
  if (map == nullptr) return Outcome::kMemoryAllocate;
  if (!PutFrameDelay(gif_.get(), delay) ||
      !PutImage(gif_.get(), *picture, width_, height_, map.get())) {
    damaged_ = true;
    return Outcome::kDataWrite;
  }
  return Outcome::kWritten;
}

Outcome GifAnimation::Close() {
  if (gif_ == nullptr) return Outcome::kDataWrite;
  const bool closed = CloseGif(std::move(gif_));
  return closed && !damaged_ ? Outcome::kWritten : Outcome::kDataWrite;
}

}  // namespace pixkit
