// Reading a 5500 x 5500 16-bit source file plain and SZDD-compressed (by mscompress): the time of
// ReadSourceFile for each, the expansion speed of LzFile::Open, and the peak memory of each read.
// Building the files and each read run in child processes of their own, so that each read's peak
// RSS is its own.
//
// Usage: lz_read_bench [repeats]                       (default 5; the best time is reported)
//        lz_read_bench --build DIR REPEATS             (only write the files into DIR)
//        lz_read_bench --read LABEL FILE REPEATS       (only measure reading FILE)

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "calsun/display_tables.h"
#include "platform/lz_file.h"
#include "source/source_reader.h"
#include "support/run_program.h"
#include "support/source_file_builder.h"
#include "support/szdd_writer.h"

extern char** environ;

namespace nephrax {
namespace {

constexpr int32_t kSide = 5500;
constexpr const char kBuildMode[] = "--build";
constexpr const char kReadMode[] = "--read";

// Cloud-like structure (overlapping waves at several scales) in 10-bit counts, with one count of
// sensor noise on about a third of the pixels, so that it compresses as real imagery does rather
// than as a blank field.
std::vector<uint16_t> ImageryLikePixels(int32_t width, int32_t height) {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> noise(-1, 1);
  std::vector<uint16_t> pixels;
  pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const double v = 500.0 + 200.0 * std::sin(x * 0.010) * std::cos(y * 0.013) +
                       120.0 * std::sin((x + 2 * y) * 0.004) + 60.0 * std::cos(x * 0.05 - y * 0.03);
      const int count = static_cast<int>(v) + noise(random);
      pixels.push_back(static_cast<uint16_t>(std::clamp(count, 0, 1023)));
    }
  }
  return pixels;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// The best elapsed time and the best processor time over the repeats. On a shared machine the
// processor time shows what the code costs when other programs hold the cores.
struct Times {
  double wall = INFINITY;
  double cpu = INFINITY;
};

template <typename Operation>
Times BestTimes(int repeats, Operation operation) {
  Times best;
  for (int i = 0; i < repeats; ++i) {
    const double cpu_start = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    operation();
    best.wall = std::min(best.wall, SecondsSince(start));
    best.cpu = std::min(best.cpu, CpuSeconds() - cpu_start);
  }
  return best;
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void PrintTableHeader() {
  std::printf("%-11s %15s %15s %21s %9s\n", "file", "ReadSourceFile", "LzFile::Open",
              "expansion wall/cpu", "peak RSS");
}

// The child's part: reads `path` and prints one row of the table.
int MeasureRead(const std::string& label, const std::string& path, int repeats) {
  const ChannelTable channels = BuiltInChannelTable();
  bool ok = true;
  const Times read = BestTimes(repeats, [&] {
    Settings settings;
    DisplayTables tables;
    SourceData source;
    ok = ok && ReadSourceFile(path, channels, settings, tables, source);
  });
  std::unique_ptr<LzFile> file;
  const Times open = BestTimes(repeats, [&] {
    file.reset();  // one expansion held at a time
    file = LzFile::Open(path);
  });
  if (!ok || !file) {
    std::fprintf(stderr, "reading %s failed\n", path.c_str());
    return 1;
  }
  char expansion[64] = "-";
  if (file->IsCompressed()) {
    const double mb = static_cast<double>(file->Size()) / 1e6;
    std::snprintf(expansion, sizeof expansion, "%.0f / %.0f MB/s", mb / open.wall, mb / open.cpu);
  }
  std::printf("%-11s %12.1f ms %12.1f ms %21s %6.0f MB\n", label.c_str(), read.wall * 1e3,
              open.wall * 1e3, expansion, PeakRssMb());
  return 0;
}

constexpr const char kPlainName[] = "source.dat";
constexpr const char kCompressedName[] = "source.da_";

// Writes the plain and the compressed file into `dir` and prints what they are.
int BuildFiles(const std::string& dir, int repeats) {
  const std::string plain = dir + "/" + kPlainName;
  const std::string compressed = dir + "/" + kCompressedName;
  testing::SourceFileSpec spec;
  spec.width = kSide;
  spec.height = kSide;
  spec.pixels = ImageryLikePixels(kSide, kSide);
  testing::WriteBytes(plain, testing::BuildSourceFile(spec));
  const auto compress_start = std::chrono::steady_clock::now();
  testing::CompressWithMscompress(plain, compressed);
  const double compress_s = SecondsSince(compress_start);

  const double plain_mb = static_cast<double>(std::filesystem::file_size(plain)) / 1e6;
  const double compressed_mb = static_cast<double>(std::filesystem::file_size(compressed)) / 1e6;
  std::printf(
      "%d x %d 16-bit source file: %.1f MB plain, %.1f MB compressed (%.0f%%, mscompress "
      "took %.1f s); best of %d\n\n",
      kSide, kSide, plain_mb, compressed_mb, 100.0 * compressed_mb / plain_mb, compress_s, repeats);
  PrintTableHeader();
  return 0;
}

// Every step runs in a child process, so that this process never grows: a child's peak RSS,
// which starts from its parent's when it is spawned, is then its own.
int RunBenchmark(int repeats) {
  testing::TempDir dir;
  const std::string count = std::to_string(repeats);
  const bool ok = nephrax::testing::RunSelf({kBuildMode, dir.path(), count}) &&
                  nephrax::testing::RunSelf({kReadMode, "plain", dir.File(kPlainName), count}) &&
                  nephrax::testing::RunSelf({kReadMode, "compressed", dir.File(kCompressedName), count});
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace nephrax

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc == 4 && mode == nephrax::kBuildMode) {
    return nephrax::BuildFiles(argv[2], std::max(1, std::atoi(argv[3])));
  }
  if (argc == 5 && mode == nephrax::kReadMode) {
    return nephrax::MeasureRead(argv[2], argv[3], std::max(1, std::atoi(argv[4])));
  }
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  return nephrax::RunBenchmark(repeats);
}
