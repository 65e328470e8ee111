// The sun-angle correction of a 5500 x 5500 16-bit visible image, against the time it takes to
// read the same file: ReadSourceFile of the file with Vadj off and on (SunGln off and on), and what
// the correction adds to the read; CorrectVisibleImage of the counts as read (on every usable
// processor); the number of geometry evaluations; on request, the read of the file compressed by
// mscompress (which takes about a minute).
//
// Usage: visible_bench [repeats] [--compressed]     (default 5; the best of the repeats is
// reported)

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "calsun/display_tables.h"
#include "calsun/visible_correction.h"
#include "platform/parallel_bands.h"
#include "source/source_reader.h"
#include "support/source_file_builder.h"
#include "support/szdd_writer.h"

namespace nephrax {
namespace {

constexpr int32_t kSide = 5500;
constexpr int32_t kLastCount = 1023;

// Albedo 0..1 over 10-bit counts, as a visible channel's table runs.
std::vector<float> AlbedoCalibration() {
  std::vector<float> values;
  for (int32_t c = 0; c <= kLastCount; ++c) values.push_back(static_cast<float>(c) / kLastCount);
  return values;
}

// Cloud-like structure at several scales, so that the counts spread over the table as real
// imagery does.
std::vector<uint16_t> CloudPixels() {
  std::vector<uint16_t> pixels;
  pixels.reserve(static_cast<size_t>(kSide) * kSide);
  for (int32_t y = 0; y < kSide; ++y) {
    for (int32_t x = 0; x < kSide; ++x) {
      const double v = 300.0 + 200.0 * std::sin(x * 0.010) * std::cos(y * 0.013) +
                       120.0 * std::sin((x + 2 * y) * 0.004) + 60.0 * std::cos(x * 0.05 - y * 0.03);
      pixels.push_back(static_cast<uint16_t>(std::clamp(static_cast<int>(v), 0, kLastCount)));
    }
  }
  return pixels;
}

// A full-disk-sized grid image over 10..50 N, 110..160 E in the morning of the June solstice:
// the sun is up over every pixel, so every pixel is corrected.
testing::SourceFileSpec VisibleSpec() {
  testing::SourceFileSpec spec;
  spec.channel = "GEO-VS";
  spec.last_count = kLastCount;
  spec.calibration = AlbedoCalibration();
  spec.width = kSide;
  spec.height = kSide;
  spec.pixels = CloudPixels();
  return spec;
}

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Best elapsed and best processor seconds of `repeats` runs of `operation`; `prepare` runs before
// each and is not timed.
struct Times {
  double wall = INFINITY;
  double cpu = INFINITY;
};

template <typename Prepare, typename Operation>
Times BestTimes(int repeats, Prepare prepare, Operation operation) {
  Times best;
  for (int i = 0; i < repeats; ++i) {
    prepare();
    const double cpu_start = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    operation();
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    best.wall = std::min(best.wall, wall.count());
    best.cpu = std::min(best.cpu, CpuSeconds() - cpu_start);
  }
  return best;
}

// One row: the times, the processor time per pixel, and each time as a multiple of the plain
// read's.
void PrintRow(const char* label, Times times, Times plain_read) {
  const double pixels = static_cast<double>(kSide) * kSide;
  std::printf("%-34s %9.1f ms %9.1f ms %9.2f ns %7.2f %7.2f\n", label, times.wall * 1e3,
              times.cpu * 1e3, times.cpu * 1e9 / pixels, times.wall / plain_read.wall,
              times.cpu / plain_read.cpu);
}

// Reads `path` `repeats` times with each of `settings`, taking turns so that a change in the
// machine's load meets them alike. The last read is left in `source`.
std::vector<Times> MeasureReads(const std::string& path, int repeats,
                                std::vector<Settings>& settings, SourceData& source) {
  const ChannelTable channels = BuiltInChannelTable();
  DisplayTables tables;
  std::vector<Times> best(settings.size());
  bool ok = true;
  for (int i = 0; i < repeats; ++i) {
    for (size_t k = 0; k < settings.size(); ++k) {
      const Times once = BestTimes(
          1, [] {},
          [&] {
            source = SourceData{};
            ok = ok && ReadSourceFile(path, channels, settings[k], tables, source);
          });
      best[k] = {std::min(best[k].wall, once.wall), std::min(best[k].cpu, once.cpu)};
    }
  }
  if (!ok) {
    std::fprintf(stderr, "reading %s failed\n", path.c_str());
    std::exit(1);
  }
  return best;
}

Settings VisibleSettings(bool vadj, bool glint) {
  Settings settings;
  settings.Vadj = vadj;
  settings.SunGln = glint;
  return settings;
}

int RunBenchmark(int repeats, bool compressed) {
  testing::TempDir dir;
  const std::string plain = dir.File("visible.dat");
  testing::WriteBytes(plain, testing::BuildSourceFile(VisibleSpec()));
  std::vector<Settings> settings = {VisibleSettings(false, false), VisibleSettings(true, false),
                                    VisibleSettings(true, true)};
  SourceData corrected;
  const std::vector<Times> reads = MeasureReads(plain, repeats, settings, corrected);
  std::vector<Settings> plain_only = {settings[0]};
  SourceData source;
  MeasureReads(plain, 1, plain_only, source);
  const Times read = reads[0];

  const SamplePlan plan = PlanSamples(source.image.width);
  const auto evaluations = static_cast<long long>(plan.columns.size()) * source.image.height;
  std::printf(
      "%d x %d 16-bit visible grid image, counts 0..%d, all in daylight; geometry evaluated at %zu "
      "columns of each line, %lld evaluations per image; %d usable processors; best of %d\n\n",
      kSide, kSide, kLastCount, plan.columns.size(), evaluations, UsableProcessors(), repeats);
  std::printf("%-34s %12s %12s %12s %15s\n", "step", "wall", "cpu", "cpu/pixel", "of plain read");
  std::printf("%-34s %12s %12s %12s %7s %7s\n", "", "", "", "", "wall", "cpu");
  PrintRow("ReadSourceFile, plain", read, read);
  PrintRow("ReadSourceFile, Vadj", reads[1], read);
  PrintRow("ReadSourceFile, Vadj SunGln", reads[2], read);
  PrintRow("  added by Vadj", {reads[1].wall - read.wall, reads[1].cpu - read.cpu}, read);
  PrintRow("  added by Vadj SunGln", {reads[2].wall - read.wall, reads[2].cpu - read.cpu}, read);
  if (compressed) {
    const std::string packed = dir.File("visible.da_");
    testing::CompressWithMscompress(plain, packed);
    SourceData unused;
    PrintRow("ReadSourceFile, compressed", MeasureReads(packed, repeats, plain_only, unused)[0],
             read);
  }

  const std::vector<uint16_t> as_read = source.image.counts16;
  const ChannelSettings& channel =
      settings[0].channels[static_cast<size_t>(source.control.channel_index)];
  bool ok = true;
  for (const bool glint : {false, true}) {
    const SatelliteView satellite = SatelliteViewOf(VisibleSettings(true, glint));
    const Times correct = BestTimes(
        repeats, [&] { source.image.counts16 = as_read; },
        [&] {
          ok = ok && CorrectVisibleImage(source.control, source.calibration, channel, satellite,
                                         source.image);
        });
    PrintRow(glint ? "CorrectVisibleImage, SunGln" : "CorrectVisibleImage", correct, read);
    // The correction that follows the read gives the counts of the one in memory (the last read
    // had SunGln on).
    if (glint && source.image.counts16 != corrected.image.counts16) {
      std::fprintf(stderr, "the read with Vadj gave other counts\n");
      ok = false;
    }
  }
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace nephrax

int main(int argc, char** argv) {
  int repeats = 5;
  bool compressed = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--compressed") {
      compressed = true;
    } else {
      repeats = std::max(1, std::atoi(argv[i]));
    }
  }
  return nephrax::RunBenchmark(repeats, compressed);
}
