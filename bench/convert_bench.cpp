// Times whole conversions by the program: a square 16-bit infrared source of each size given on
// the command line (default 5500), made by make_sample, converted to a BMP several times. Prints
// the picture's size (wider than the source: the sample area spans more longitude than
// latitude), the best and mean wall time, and the peak resident memory of the program per
// picture pixel.
//
//   build/bin/convert_bench [SIZE...]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "platform/system_info.h"
#include "support/source_file_builder.h"

extern char** environ;

namespace {

struct ChildRun {
  int status = -1;
  double seconds = 0;
  long peak_kilobytes = 0;
};

ChildRun Run(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  ChildRun run;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return run;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.peak_kilobytes = usage.ru_maxrss;
  return run;
}

// Width and height from the header of a BMP file.
std::array<int32_t, 2> PictureSize(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::array<uint8_t, 26> header{};
  const bool read =
      file != nullptr && std::fread(header.data(), 1, header.size(), file) == header.size();
  if (file != nullptr) std::fclose(file);
  if (!read) return {0, 0};
  return {nephrax::ReadI32Le(header, 18), nephrax::ReadI32Le(header, 22)};
}

}  // namespace

int main(int argc, char** argv) {
  const std::string bin = nephrax::ProgramDirectory(argv[0]);
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes.push_back(5500);
  constexpr int kRuns = 5;

  const nephrax::testing::TempDir dir;
  std::printf("%-12s %-12s %10s %10s %12s %14s\n", "source", "picture", "best s", "mean s",
              "peak MB", "bytes/pixel");
  for (const int size : sizes) {
    const std::string source = dir.File("source.ir");
    const std::string picture = dir.File("picture.bmp");
    const std::string side = std::to_string(size);
    if (Run({bin + "make_sample", source, "--width", side, "--height", side}).status != 0) {
      std::fprintf(stderr, "make_sample failed\n");
      return 1;
    }
    std::vector<ChildRun> runs;
    for (int i = 0; i < kRuns; ++i) runs.push_back(Run({bin + "nephrax", source, picture}));
    if (std::any_of(runs.begin(), runs.end(), [](const ChildRun& r) { return r.status != 0; })) {
      std::fprintf(stderr, "nephrax failed\n");
      return 1;
    }
    double best = runs[0].seconds, total = 0;
    long peak = 0;
    for (const ChildRun& r : runs) {
      best = std::min(best, r.seconds);
      total += r.seconds;
      peak = std::max(peak, r.peak_kilobytes);
    }
    const std::array<int32_t, 2> picture_size = PictureSize(picture);
    const double pixels = static_cast<double>(picture_size[0]) * picture_size[1];
    const std::string picture_text =
        std::to_string(picture_size[0]) + "x" + std::to_string(picture_size[1]);
    std::printf("%-12s %-12s %10.3f %10.3f %12.1f %14.2f\n", (side + "x" + side).c_str(),
                picture_text.c_str(), best, total / kRuns, static_cast<double>(peak) / 1024.0,
                static_cast<double>(peak) * 1024.0 / pixels);
  }
  return 0;
}
