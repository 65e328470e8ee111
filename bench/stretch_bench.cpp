// Times the two steps every conversion of a 5500 x 5500 picture takes on its whole size: stretching
// the palette-index image onto the surface, and writing the surface as a BMP. Then reports the
// peak resident memory per picture pixel.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "output/picture_writer.h"
#include "render/surface.h"
#include "support/source_file_builder.h"

namespace {

using nephrax::ColourTable;
using nephrax::IndexImage;
using nephrax::PixelRect;
using nephrax::Surface;

constexpr int32_t kSide = 5500;
constexpr int kRuns = 5;

// Best and mean of kRuns runs, in milliseconds.
void Time(const char* what, const std::function<bool()>& step) {
  double best = 1e300;
  double total = 0;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    if (!step()) {
      std::printf("%s: failed\n", what);
      return;
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
    total += took.count();
  }
  std::printf("%-48s best %8.1f ms   mean %8.1f ms\n", what, best, total / kRuns);
}

// A bottom-up index image with a stride of the width rounded up to 4 and varied counts.
std::vector<uint8_t> IndexRows(int32_t side) {
  const size_t stride = static_cast<size_t>(side + 3) / 4 * 4;
  std::vector<uint8_t> rows(stride * static_cast<size_t>(side));
  uint32_t state = 1;
  for (uint8_t& count : rows) {
    state = state * 1664525 + 1013904223;
    count = static_cast<uint8_t>(state >> 24);
  }
  return rows;
}

ColourTable GreyRamp() {
  ColourTable colours;
  for (size_t i = 0; i < colours.size(); ++i) {
    const auto level = static_cast<uint8_t>(i);
    colours[i] = {level, level, level, 0};
  }
  return colours;
}

double PeakBytesPerPixel() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) * 1024.0 / (double{kSide} * kSide);
}

void TimeSameSize(Surface& surface, const ColourTable& colours) {
  const std::vector<uint8_t> rows = IndexRows(kSide);
  const IndexImage source{rows, kSide, kSide};
  Time("stretch 5500 x 5500 onto 5500 x 5500", [&] {
    return nephrax::StretchImage(surface, {0, 0, kSide, kSide}, source, {0, 0, kSide, kSide},
                                 colours) == kSide;
  });
}

void TimeEnlarged(Surface& surface, const ColourTable& colours) {
  constexpr int32_t kHalf = kSide / 2 + 1;
  const std::vector<uint8_t> rows = IndexRows(kHalf);
  const IndexImage source{rows, kHalf, kHalf};
  Time("stretch 2751 x 2751 onto 5500 x 5500 (-1, -1)", [&] {
    return nephrax::StretchImage(surface, {-1, -1, kSide + 2, kSide + 2}, source,
                                 {0, 0, kHalf, kHalf}, colours) == kSide;
  });
}

}  // namespace

int main() {
  std::optional<Surface> surface = nephrax::CreateSurface(kSide, kSide);
  if (!surface) return 1;
  const ColourTable colours = GreyRamp();

  TimeSameSize(*surface, colours);
  const nephrax::testing::TempDir dir;
  const std::string path = dir.File("picture.bmp");
  Time("write 5500 x 5500 as BMP",
       [&] {
         return nephrax::WritePicture(*surface, path, nephrax::OutputFormat::kBmp,
                                      nephrax::ImageLibrary{}, nephrax::Settings{},
                                      nephrax::GeoArea{});
       });
  std::printf("peak resident memory: %.2f bytes per picture pixel\n", PeakBytesPerPixel());

  TimeEnlarged(*surface, colours);
  return 0;
}
