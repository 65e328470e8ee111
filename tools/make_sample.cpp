// make_sample: writes the bundled sample, a synthetic 16-bit infrared grid image of the western
// North Pacific (10N..50N, 110E..160E) on 21 June 2014 at 03 UTC. With a size, the same scene is
// sampled at that many points, for benchmarks.
//
//   make_sample OUTPUT [--width W --height H]

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "infrared_calibration.h"
#include "sample_scene.h"
#include "support/source_file_builder.h"

namespace {

using nephrax::TimeRecord;
using nephrax::testing::SourceFileSpec;

// The area, corner points included.
constexpr double kNorth = 50;
constexpr double kSouth = 10;
constexpr double kWest = 110;
constexpr double kEast = 160;
// 0.05 degree steps over the area.
constexpr int32_t kDefaultWidth = 1001;
constexpr int32_t kDefaultHeight = 801;
// Keeps the file and the counts built in memory to a few hundred megabytes.
constexpr int32_t kMaxSide = 10000;

constexpr int32_t kLastCount = 4095;
constexpr double kWarmest = 330;
constexpr double kColdest = 180;

constexpr uint64_t kSceneSeed = 20140621;
constexpr TimeRecord kStart{20, 14, 6, 21, 3, 0, 0};
constexpr TimeRecord kEnd{20, 14, 6, 21, 3, 10, 0};

constexpr const char* kUsage = "usage: make_sample OUTPUT [--width W --height H]\n";

struct Options {
  std::string output;
  int32_t width = kDefaultWidth;
  int32_t height = kDefaultHeight;
};

// A side length of 2..kMaxSide points; nothing else in the text.
std::optional<int32_t> ParseSide(std::string_view text) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 2 || value > kMaxSide) {
    return std::nullopt;
  }
  return value;
}

std::optional<Options> ParseOptions(std::span<char* const> args) {
  Options options;
  std::optional<int32_t> width;
  std::optional<int32_t> height;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--width" || arg == "--height") {
      if (i + 1 == args.size()) return std::nullopt;
      std::optional<int32_t>& side = arg == "--width" ? width : height;
      side = ParseSide(args[++i]);
      if (!side) return std::nullopt;
    } else if (options.output.empty() && !arg.empty() && !arg.starts_with("--")) {
      options.output = arg;
    } else {
      return std::nullopt;
    }
  }
  // A size needs both sides: one alone would leave the other's step undecided.
  if (options.output.empty() || width.has_value() != height.has_value()) return std::nullopt;
  options.width = width.value_or(kDefaultWidth);
  options.height = height.value_or(kDefaultHeight);
  return options;
}

// The points sampled: the area's corners and the given number of points between.
struct SampleGrid {
  int32_t width;
  int32_t height;

  double LonStep() const { return (kEast - kWest) / (width - 1); }
  double LatStep() const { return (kNorth - kSouth) / (height - 1); }
};

// Counts of lines [first_line, end_line), each point the nearest count to its temperature, into
// `counts`, which holds the whole grid top line (north) first.
void RenderLines(const nephrax::sample::Scene& scene, std::span<const float> table,
                 const SampleGrid& grid, int32_t first_line, int32_t end_line,
                 std::span<uint16_t> counts) {
  for (int32_t y = first_line; y < end_line; ++y) {
    const double lat = kNorth - y * grid.LatStep();
    for (int32_t x = 0; x < grid.width; ++x) {
      const double lon = kWest + x * grid.LonStep();
      counts[static_cast<size_t>(y) * static_cast<size_t>(grid.width) + static_cast<size_t>(x)] =
          nephrax::sample::NearestCount(table,
                                        nephrax::sample::BrightnessTemperature(scene, lat, lon));
    }
  }
}

// The whole grid, its lines shared out among threads; every point depends only on its position,
// so the result is the same however many threads run.
std::vector<uint16_t> RenderCounts(const SampleGrid& grid, std::span<const float> table) {
  const nephrax::sample::Scene scene =
      nephrax::sample::MakeScene(kSceneSeed, kStart.hour + kStart.minute / 60.0);
  std::vector<uint16_t> counts(static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height));
  const auto workers =
      static_cast<int32_t>(std::clamp(std::thread::hardware_concurrency(), 1U, 8U));
  std::vector<std::jthread> threads;
  for (int32_t w = 0; w < workers; ++w) {
    const int32_t first_line = grid.height * w / workers;
    const int32_t end_line = grid.height * (w + 1) / workers;
    threads.emplace_back([&, first_line, end_line] {
      RenderLines(scene, table, grid, first_line, end_line, counts);
    });
  }
  threads.clear();  // joins them
  return counts;
}

// Every field of the sample file, its counts rendered.
SourceFileSpec DescribeSample(const Options& options) {
  SourceFileSpec sample;
  sample.channel = "GEO-IR1";
  sample.satellite = "CIRRUS-6";
  sample.start = kStart;
  sample.end = kEnd;
  sample.grid_flag = 1;
  const SampleGrid grid{options.width, options.height};
  sample.lon_step = static_cast<float>(grid.LonStep());
  sample.lat_step = static_cast<float>(grid.LatStep());
  sample.top_left_lat = sample.top_right_lat = static_cast<float>(kNorth);
  sample.bottom_left_lat = sample.bottom_right_lat = static_cast<float>(kSouth);
  sample.top_left_lon = sample.bottom_left_lon = static_cast<float>(kWest);
  sample.top_right_lon = sample.bottom_right_lon = static_cast<float>(kEast);
  sample.bytes_per_pixel = 2;
  sample.first_count = 0;
  sample.last_count = kLastCount;
  sample.flag_word = 0;
  sample.version = "1.1";
  sample.sub_satellite_lat = 0;
  sample.sub_satellite_lon = 140;
  sample.satellite_distance = 42164170.0F;
  sample.calibration = nephrax::sample::FallingKelvinTable(kLastCount, kWarmest, kColdest);
  sample.width = options.width;
  sample.height = options.height;
  sample.pixels = RenderCounts(grid, sample.calibration);
  return sample;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options =
      ParseOptions(std::span<char* const>(argv, static_cast<size_t>(argc)).subspan(1));
  if (!options) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  try {
    nephrax::testing::WriteBytes(options->output,
                                 nephrax::testing::BuildSourceFile(DescribeSample(*options)));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_sample: %s\n", error.what());
    return 1;
  }
  return 0;
}
