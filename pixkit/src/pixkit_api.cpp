// The library's C entry points: each checks its arguments, runs one writer and reports how it
// ended. The handles of animations and the two settings live here, in the one record the entry
// points share: the C interface hands out integer handles and takes settings by separate calls,
// so the library has to keep them between calls.
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "core/messages.h"
#include "dib_image.h"
#include "gif_writer.h"
#include "j2k_writer.h"
#include "jpeg_writer.h"
#include "pixkit.h"
#include "png_writer.h"
#include "tiff_writer.h"

namespace pixkit {
namespace {

struct LibraryState {
  std::mutex lock;
  bool messages = true;
  Quantiser quantiser = Quantiser::kHighQuality;
  std::map<int32_t, std::unique_ptr<GifAnimation>> animations;
  int32_t next_handle = 0;
};

LibraryState& State() {
  static LibraryState state;
  return state;
}

// Prints the outcome's message unless messages are off; 1 for a written file, else 0.
int32_t Report(Outcome outcome, bool messages) {
  const char* message = nullptr;
  switch (outcome) {
    case Outcome::kWritten:
      return 1;
    case Outcome::kFileCreate:
      message = nephrax::msg::kFileCreate;
      break;
    case Outcome::kFileOpen:
      message = nephrax::msg::kFileOpen;
      break;
    case Outcome::kDataWrite:
      message = nephrax::msg::kDataWrite;
      break;
    case Outcome::kMemoryAllocate:
      message = nephrax::msg::kMemoryAllocate;
      break;
    case Outcome::kUnsupported:
      message = nephrax::msg::kSupport;
      break;
  }
  if (messages) nephrax::PrintMessage(message);
  return 0;
}

// Runs a writer under the lock. Running out of memory anywhere in it (a container that cannot
// grow included) is its outcome.
template <typename Write>
int32_t Run(Write write) {
  LibraryState& state = State();
  const std::lock_guard<std::mutex> guard(state.lock);
  Outcome outcome = Outcome::kMemoryAllocate;
  try {
    outcome = write(state);
  } catch (const std::exception&) {
  }
  return Report(outcome, state.messages);
}

// Runs write(path, picture, state) on the picture of a header and its bits.
template <typename Write>
int32_t Convert(const char* path, const PixkitBitmapInfoHeader* header, const uint8_t* bits,
                Write write) {
  return Run([&](const LibraryState& state) {
    const std::optional<DibImage> image = ViewDib(header, bits);
    if (path == nullptr || !image) return Outcome::kUnsupported;
    return write(path, *image, state);
  });
}

// A writer that needs no setting, in the form Convert takes.
auto WithoutSettings(Outcome (*writer)(const char*, const DibImage&)) {
  return [writer](const char* path, const DibImage& image, const LibraryState&) {
    return writer(path, image);
  };
}

}  // namespace
}  // namespace pixkit

using pixkit::LibraryState;
using pixkit::Outcome;

extern "C" {

PIXKIT_API void SetMsgLng(int32_t language) {
  LibraryState& state = pixkit::State();
  const std::lock_guard<std::mutex> guard(state.lock);
  state.messages = language == 0;
}

PIXKIT_API void SetQntHiQt(int32_t high_quality) {
  LibraryState& state = pixkit::State();
  const std::lock_guard<std::mutex> guard(state.lock);
  state.quantiser = high_quality != 0 ? pixkit::Quantiser::kHighQuality : pixkit::Quantiser::kFast;
}

PIXKIT_API int32_t CnvBmpJpeg(int32_t, const char* path, const PixkitBitmapInfoHeader* header,
                              const uint8_t* bits) {
  return pixkit::Convert(path, header, bits, pixkit::WithoutSettings(pixkit::WriteJpeg));
}

PIXKIT_API int32_t CnvBmpPng(int32_t, const char* path, const PixkitBitmapInfoHeader* header,
                             const uint8_t* bits) {
  return pixkit::Convert(path, header, bits, pixkit::WithoutSettings(pixkit::WritePng));
}

PIXKIT_API int32_t CnvBmpGif(int32_t, const char* path, const PixkitBitmapInfoHeader* header,
                             const uint8_t* bits) {
  return pixkit::Convert(
      path, header, bits,
      [](const char* gif_path, const pixkit::DibImage& image, const LibraryState& state) {
        return pixkit::WriteGif(gif_path, image, state.quantiser);
      });
}

PIXKIT_API int32_t CnvBmpJ2k(int32_t, const char* path, const PixkitBitmapInfoHeader* header,
                             const uint8_t* bits) {
  return pixkit::Convert(path, header, bits, pixkit::WithoutSettings(pixkit::WriteJ2k));
}

PIXKIT_API int32_t CnvBmpTif(int32_t, const char* path, const PixkitBitmapInfoHeader* header,
                             const uint8_t* bits) {
  return pixkit::Convert(path, header, bits, pixkit::WithoutSettings(pixkit::WriteTiff));
}

PIXKIT_API int32_t SetGeoTiff(int32_t, const char* path, const double* parameters) {
  return pixkit::Run([&](LibraryState&) {
    if (path == nullptr || parameters == nullptr) return Outcome::kUnsupported;
    return pixkit::AddGeoReference(
        path, pixkit::GeoReference{parameters[0], parameters[1], parameters[2], parameters[3]});
  });
}

PIXKIT_API int32_t OpenAgif(int32_t, const char* path, int32_t height, int32_t width) {
  int32_t handle = -1;
  pixkit::Run([&](LibraryState& state) {
    if (path == nullptr) return Outcome::kUnsupported;
    pixkit::GifAnimation::Opened opened = pixkit::GifAnimation::Open(path, width, height);
    if (opened.outcome != Outcome::kWritten) return opened.outcome;
    // Handles count up and start again at 0 after the largest; one still open is not reused.
    const int32_t next = state.next_handle;
    state.next_handle = next == INT32_MAX ? 0 : next + 1;
    if (!state.animations.emplace(next, std::move(opened.animation)).second) {
      return Outcome::kUnsupported;
    }
    handle = next;
    return Outcome::kWritten;
  });
  return handle;
}

PIXKIT_API int32_t PutAgif(int32_t, const PixkitBitmapInfoHeader* header, const uint8_t* bits,
                           int32_t handle, int32_t delay) {
  return pixkit::Run([&](LibraryState& state) {
    const auto open = state.animations.find(handle);
    const std::optional<pixkit::DibImage> image = pixkit::ViewDib(header, bits);
    if (open == state.animations.end() || !image) return Outcome::kUnsupported;
    return open->second->AddFrame(*image, delay, state.quantiser);
  });
}

PIXKIT_API int32_t CloseAgif(int32_t, int32_t handle) {
  LibraryState& state = pixkit::State();
  const std::lock_guard<std::mutex> guard(state.lock);
  const auto open = state.animations.find(handle);
  // A handle that never opened (the caller closes even a failed open) is no error to report.
  if (open == state.animations.end()) return 0;
  const Outcome outcome = open->second->Close();
  state.animations.erase(open);
  return pixkit::Report(outcome, state.messages);
}

}  // extern "C"
