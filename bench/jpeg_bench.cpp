// Times the image-format library's JPEG converter (CnvBmpJpeg) on a 6874 x 5500 picture, the size
// the program draws from a 5500 x 5500 source: once all grey (one component) and once grey with
// coloured lines on it (YCbCr), as the program's pictures with overlays are. Reported per picture:
// the best wall time of the runs, the processor time (user + system, all threads) of that run and
// the file size.
//
//   build/bin/jpeg_bench [--library DIR] [--runs N]
//
// DIR is the directory of the libpixkit.so to time (default: the benchmark's own), so that two
// builds of the library can be compared on the same pictures.
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "output/image_library.h"
#include "platform/system_info.h"
#include "support/source_file_builder.h"

namespace {

constexpr int32_t kWidth = 6874;
constexpr int32_t kHeight = 5500;

struct Dib {
  PixkitBitmapInfoHeader header{};
  std::vector<uint8_t> bits;
};

// Waves across and down the picture with a little noise: smooth greys with detail to code.
std::vector<double> Waves(int32_t size, double period, double amplitude) {
  std::vector<double> waves(static_cast<size_t>(size));
  for (int32_t i = 0; i < size; ++i) {
    waves[static_cast<size_t>(i)] =
        amplitude * std::sin(i / period) + amplitude / 5 * std::sin(i / 17.0);
  }
  return waves;
}

// A bottom-up 24-bit picture of those greys; with `coloured`, yellow grid lines every 250 pixels
// and a green diagonal, one pixel wide, as the program's overlays draw them.
Dib MakePicture(bool coloured) {
  Dib dib;
  const size_t stride = (static_cast<size_t>(kWidth) * 3 + 3) / 4 * 4;
  dib.header.size = sizeof(PixkitBitmapInfoHeader);
  dib.header.width = kWidth;
  dib.header.height = kHeight;
  dib.header.planes = 1;
  dib.header.bit_count = 24;
  dib.header.image_size = static_cast<uint32_t>(stride * kHeight);
  dib.bits.assign(stride * kHeight, 0);
  const std::vector<double> across = Waves(kWidth, 97, 50);
  const std::vector<double> down = Waves(kHeight, 61, 40);
  uint32_t noise = 1;
  for (int32_t y = 0; y < kHeight; ++y) {
    uint8_t* row = dib.bits.data() + static_cast<size_t>(kHeight - 1 - y) * stride;
    for (int32_t x = 0; x < kWidth; ++x) {
      noise = noise * 1664525 + 1013904223;
      const auto grey = static_cast<uint8_t>(128 + across[static_cast<size_t>(x)] +
                                             down[static_cast<size_t>(y)] + (noise >> 31));
      uint8_t* bgr = row + 3 * static_cast<size_t>(x);
      bgr[0] = bgr[1] = bgr[2] = grey;
      if (coloured && (x % 250 == 0 || y % 250 == 0)) {
        bgr[0] = 0;
        bgr[1] = bgr[2] = 255;
      } else if (coloured && x == y) {
        bgr[0] = bgr[2] = 0;
        bgr[1] = 192;
      }
    }
  }
  return dib;
}

double ProcessorSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double FileMegabytes(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? static_cast<double>(status.st_size) / 1e6 : 0;
}

// Converts the picture `runs` times and prints the best run; false when a conversion fails.
bool TimeConversion(const char* name, const nephrax::ImageLibrary& library, const Dib& dib,
                    int runs, const std::string& path) {
  double best_wall = 1e300;
  double best_cpu = 0;
  for (int run = 0; run < runs; ++run) {
    const double cpu_start = ProcessorSeconds();
    const auto start = std::chrono::steady_clock::now();
    if (library.CnvBmpJpeg(0, path.c_str(), &dib.header, dib.bits.data()) == 0) return false;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (wall < best_wall) {
      best_wall = wall;
      best_cpu = ProcessorSeconds() - cpu_start;
    }
  }
  std::printf("%-8s %10.1f %10.1f %10.3f\n", name, best_wall * 1e3, best_cpu * 1e3,
              FileMegabytes(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string directory = nephrax::ProgramDirectory(argv[0]);
  int runs = 9;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--library") {
      directory = std::string(argv[i + 1]) + "/";
    } else if (option == "--runs") {
      runs = std::max(1, std::atoi(argv[i + 1]));
    } else {
      std::fprintf(stderr, "usage: jpeg_bench [--library DIR] [--runs N]\n");
      return 2;
    }
  }
  const nephrax::ImageLibrary library = nephrax::LoadImageLibrary(directory);
  if (library.CnvBmpJpeg == nullptr) {
    std::fprintf(stderr, "no libpixkit.so in %s\n", directory.c_str());
    return 1;
  }
  const nephrax::testing::TempDir dir;
  std::printf("%s %d x %d, best of %d\n", (directory + "libpixkit.so").c_str(), kWidth, kHeight,
              runs);
  std::printf("%-8s %10s %10s %10s\n", "picture", "wall ms", "cpu ms", "file MB");
  for (const bool coloured : {false, true}) {
    if (!TimeConversion(coloured ? "colour" : "grey", library, MakePicture(coloured), runs,
                        dir.File("picture.jpg"))) {
      std::fprintf(stderr, "the conversion failed\n");
      return 1;
    }
  }
  return 0;
}
