// GIF pictures and animated GIFs through giflib.
#pragma once

#include <cstdint>
#include <memory>

#include "dib_image.h"
#include "indexed_picture.h"
#include "outcome.h"

struct GifFileType;

namespace pixkit {

struct GifCloser {
  void operator()(GifFileType* gif) const;
};
using GifPointer = std::unique_ptr<GifFileType, GifCloser>;

// The picture as a GIF89a file, its palette the global colour table.
Outcome WriteGif(const char* path, const DibImage& image, Quantiser quantiser);

// An animated GIF being written: a looping extension, then one full-size frame with its own
// palette and delay at a time.
class GifAnimation {
 public:
  struct Opened;
  // Creates the file for frames of width x height pixels.
  static Opened Open(const char* path, int32_t width, int32_t height);

  // Only Open makes animations; the key keeps the constructor to it.
  class Key {
    friend class GifAnimation;
    Key() = default;
  };
  GifAnimation(Key, GifPointer gif, int32_t width, int32_t height);

  // Adds a frame shown for `delay` hundredths of a second (clamped to 0..65535). A frame of
  // another size is refused and leaves the file as it was.
  Outcome AddFrame(const DibImage& image, int32_t delay, Quantiser quantiser);
  // Completes the file: kWritten when every frame reached it whole.
  Outcome Close();

 private:
  GifPointer gif_;  // null once closed
  int32_t width_;
  int32_t height_;
  bool damaged_ = false;  // a write failed part-way: the file cannot be completed
};

struct GifAnimation::Opened {
  Outcome outcome;
  std::unique_ptr<GifAnimation> animation;  // set when outcome is kWritten
};

}  // namespace pixkit
