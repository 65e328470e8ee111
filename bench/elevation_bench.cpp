// Looking up the elevations of a 3000 x 3000 picture in a GTOPO30 tile set of four full-size
// tiles, through the block cache of the elevation sources and, as the reference, cell by cell
// with a seek and a read for every point. Reports the time and peak memory of each and checks
// that both give the same elevations. Building the tiles and each lookup run in child processes of
// their own, so that each lookup's peak RSS is its own.
//
// Usage: elevation_bench [repeats]                 (default 3; best of the repeats for the cache)
//        elevation_bench --build DIR               (only write the tile set into DIR)
//        elevation_bench --lookup METHOD DIR OUT REPEATS
//                                                  (only time METHOD, "cache" or "cells", and
//                                                   write its elevations into OUT)
//        elevation_bench --shade METHOD DIR OUT REPEATS
//                                                  (only time the terrain shading of the
//                                                   picture with METHOD's lookup, and write the
//                                                   shaded picture's rows into OUT)
//
// The shading part shades a 3000 x 3000 picture of the same area as the terrain shading of the
// program does, once with the elevation sources' lookup and once with the cell-by-cell lookup,
// and checks that both pictures are identical.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "render/grid_block.h"
#include "render/surface.h"
#include "support/elevation_builder.h"
#include "support/run_program.h"
#include "support/source_file_builder.h"
#include "terrain/elevation_sources.h"
#include "terrain/gtopo_tiles.h"
#include "terrain/shade_terrain.h"

extern char** environ;

namespace nephrax {
namespace {

constexpr const char kBuildMode[] = "--build";
constexpr const char kLookupMode[] = "--lookup";
constexpr const char kShadeMode[] = "--shade";
constexpr const char kCacheMethod[] = "cache";
constexpr const char kCellMethod[] = "cells";

// Four full-size tiles meeting at 20 E, 40 N.
constexpr int32_t kTileRows = 6000;
constexpr int32_t kTileColumns = 4800;
struct TilePlace {
  const char* name;
  double west;
  double north;
};
constexpr TilePlace kTiles[] = {
    {"W020N90", -20, 90}, {"E020N90", 20, 90}, {"W020N40", -20, 40}, {"E020N40", 20, 40}};

// The picture: 3000 x 3000 points over the four tiles.
constexpr int32_t kPictureSide = 3000;
constexpr double kNorth = 60, kSouth = 20, kWest = 0, kEast = 40;

// Hills and valleys with sea where they dip below zero; separable, so that 115 million cells are
// made quickly.
std::vector<int16_t> TerrainCells(const TilePlace& place) {
  constexpr double kCell = 1.0 / 120;
  std::vector<double> along_rows(kTileColumns);
  for (int32_t column = 0; column < kTileColumns; ++column) {
    const double lon = place.west + (column + 0.5) * kCell;
    along_rows[static_cast<size_t>(column)] = 900 * std::sin(lon * 0.7) + 300 * std::cos(lon * 3.1);
  }
  std::vector<int16_t> cells;
  cells.reserve(static_cast<size_t>(kTileRows) * kTileColumns);
  for (int32_t row = 0; row < kTileRows; ++row) {
    const double lat = place.north - (row + 0.5) * kCell;
    const double across = 1200 * std::cos(lat * 0.5) + 200 * std::sin(lat * 4.3);
    for (const double part : along_rows) {
      const double height = across + part;
      cells.push_back(height < 0 ? int16_t{-9999} : static_cast<int16_t>(height));
    }
  }
  return cells;
}

int BuildTileSet(const std::string& dir) {
  for (const TilePlace& place : kTiles) {
    testing::GtopoTileSpec spec;
    spec.name = place.name;
    spec.rows = kTileRows;
    spec.columns = kTileColumns;
    spec.west = place.west;
    spec.north = place.north;
    spec.cells = TerrainCells(place);
    testing::WriteGtopoTile(dir, spec);
  }
  return 0;
}

// The points as the terrain shading makes them: row by row from the north-west corner.
struct PicturePoints {
  std::vector<double> latitudes;
  std::vector<double> longitudes;
};

PicturePoints MakePicturePoints() {
  PicturePoints points;
  const size_t count = static_cast<size_t>(kPictureSide) * kPictureSide;
  points.latitudes.reserve(count);
  points.longitudes.reserve(count);
  for (int32_t i = 0; i < kPictureSide; ++i) {
    for (int32_t j = 0; j < kPictureSide; ++j) {
      points.latitudes.push_back(kNorth - (kNorth - kSouth) * i / (kPictureSide - 1));
      points.longitudes.push_back(kWest + (kEast - kWest) * j / (kPictureSide - 1));
    }
  }
  return points;
}

// The reference: the serving tile's data file stays open while the points fall into it, and every
// point costs a seek and a two-byte read of that file. (Every data file of the benchmark's set
// opens, so tiles are never marked unusable here.)
class CellByCellReader {
 public:
  ~CellByCellReader() { Close(); }

  int16_t Elevation(const GtopoTile& tile, double latitude, double longitude) {
    if (fd_ < 0) fd_ = ::open(tile.data_path.c_str(), O_RDONLY | O_CLOEXEC);
    const std::optional<uint64_t> offset = GtopoCellOffset(tile, latitude, longitude);
    uint8_t cell[2] = {};
    if (fd_ < 0 || !offset || ::lseek(fd_, static_cast<off_t>(*offset), SEEK_SET) < 0 ||
        ::read(fd_, cell, sizeof cell) != static_cast<ssize_t>(sizeof cell)) {
      return kNoElevation;
    }
    const int16_t value = static_cast<int16_t>(cell[0] << 8 | cell[1]);
    if (value == tile.sea_value) return kSeaElevation;
    if (tile.in_feet) return static_cast<int16_t>(std::floor(value / kFeetPerMetre + 0.5));
    return value;
  }

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

bool LookUpCellByCell(const ElevationPoints& points, std::span<int16_t> elevations,
                      const std::string& directory) {
  const std::vector<GtopoTile> tiles = FindGtopoTiles(directory);
  if (tiles.empty()) return false;
  CellByCellReader reader;
  std::optional<size_t> serving;
  for (size_t i = 0; i < points.size(); ++i) {
    const double lat = points.latitudes[i];
    const double lon = points.longitudes[i];
    if (!serving || !TileContains(tiles[*serving], lat, lon)) {
      reader.Close();
      const auto found = std::find_if(tiles.begin(), tiles.end(), [&](const GtopoTile& tile) {
        return TileContains(tile, lat, lon);
      });
      serving = found == tiles.end()
                    ? std::nullopt
                    : std::optional<size_t>(static_cast<size_t>(found - tiles.begin()));
    }
    elevations[i] = serving ? reader.Elevation(tiles[*serving], lat, lon) : kNoElevation;
  }
  return true;
}

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

// The resident memory now. A spawned child starts with its parent's peak as its own, so what a
// child adds is measured from this rather than from PeakRssMb.
double CurrentRssMb() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  long pages = 0;
  const bool read = statm != nullptr && std::fscanf(statm, "%*d %ld", &pages) == 1;
  if (statm != nullptr) std::fclose(statm);
  return read ? static_cast<double>(pages) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0
              : 0.0;
}

// The child's part: times one method and prints one row of the table.
int MeasureLookup(const std::string& method, const std::string& dir, const std::string& out_path,
                  int repeats) {
  const PicturePoints picture = MakePicturePoints();
  const ElevationPoints points{picture.latitudes, picture.longitudes};
  std::vector<int16_t> elevations(points.size());
  const double rss_before = PeakRssMb();
  double best_wall = INFINITY;
  double best_cpu = INFINITY;
  bool found = true;
  for (int r = 0; r < repeats; ++r) {
    const double cpu_start = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    found = found && (method == kCacheMethod ? LookupElevations(points, elevations, dir)
                                             : LookUpCellByCell(points, elevations, dir));
    best_wall = std::min(
        best_wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    best_cpu = std::min(best_cpu, CpuSeconds() - cpu_start);
  }
  if (!found) {
    std::fprintf(stderr, "%s lookup failed\n", method.c_str());
    return 1;
  }
  testing::WriteBytes(out_path, std::span(reinterpret_cast<const uint8_t*>(elevations.data()),
                                          elevations.size() * sizeof(int16_t)));
  const double rss_peak = PeakRssMb();
  std::printf("%-14s %9.3f %9.3f %12.0f %12.1f\n",
              method == kCacheMethod ? "block cache" : "cell by cell", best_wall, best_cpu,
              rss_peak, rss_peak - rss_before);
  return 0;
}

// Compares the two outputs and prints what the points found.
bool ReportAgreement(const std::string& cache_out, const std::string& cells_out) {
  const std::vector<uint8_t> cache = testing::ReadBytes(cache_out);
  const std::vector<uint8_t> cells = testing::ReadBytes(cells_out);
  size_t land = 0, sea = 0, none = 0;
  for (size_t at = 0; at + 1 < cache.size(); at += 2) {
    int16_t value = 0;
    std::memcpy(&value, cache.data() + at, sizeof value);
    if (value == kSeaElevation)
      ++sea;
    else if (value == kNoElevation)
      ++none;
    else
      ++land;
  }
  const bool identical = cache == cells;
  std::printf("\noutputs %s: %zu points, %zu land, %zu sea, %zu without data\n",
              identical ? "identical" : "DIFFER", cache.size() / 2, land, sea, none);
  return identical;
}

// A picture to shade: levels rising to the east in red and to the south in green.
void PaintGradient(Surface& surface) {
  for (int32_t y = 0; y < surface.height(); ++y) {
    const std::span<uint8_t> row = surface.Row(y);
    for (int32_t x = 0; x < surface.width(); ++x) {
      uint8_t* pixel = row.data() + static_cast<size_t>(x) * 3;  // blue, green, red
      pixel[0] = 96;
      pixel[1] = static_cast<uint8_t>(y * 255 / (surface.height() - 1));
      pixel[2] = static_cast<uint8_t>(x * 255 / (surface.width() - 1));
    }
  }
}

// The child's part for shading: times the shading of the picture with one method's lookup (the
// picture repainted before each repeat) and prints one row of the table.
int MeasureShading(const std::string& method, const std::string& dir, const std::string& out_path,
                   int repeats) {
  std::optional<Surface> surface = CreateSurface(kPictureSide, kPictureSide);
  if (!surface) return 1;
  const ControlBlock control =
      testing::GridControlBlock(kNorth, kWest, kSouth, kEast, kPictureSide, kPictureSide);
  const ZoomState zoom;
  const TerrainPicture picture{{0, 0, kPictureSide, kPictureSide}, control, zoom, -10};
  PaintGradient(*surface);
  const double rss_before = CurrentRssMb();
  double best_wall = INFINITY;
  double best_cpu = INFINITY;
  bool shaded = true;
  for (int r = 0; r < repeats; ++r) {
    if (r > 0) PaintGradient(*surface);
    const double cpu_start = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    shaded = shaded && (method == kCacheMethod
                            ? ShadeTerrain(*surface, picture, dir)
                            : ShadeTerrainWith(*surface, picture,
                                               [&dir](const ElevationPoints& points,
                                                      std::span<int16_t> elevations) {
                                                 return LookUpCellByCell(points, elevations, dir);
                                               }));
    best_wall = std::min(
        best_wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    best_cpu = std::min(best_cpu, CpuSeconds() - cpu_start);
  }
  if (!shaded) {
    std::fprintf(stderr, "%s shading failed\n", method.c_str());
    return 1;
  }
  testing::WriteBytes(out_path, surface->DibRows());
  const double rss_peak = PeakRssMb();
  std::printf("%-14s %9.3f %9.3f %12.0f %12.1f\n",
              method == kCacheMethod ? "block cache" : "cell by cell", best_wall, best_cpu,
              rss_peak, rss_peak - rss_before);
  return 0;
}

// Shades the picture with both lookups and compares the pictures.
bool RunShadingBenchmark(const testing::TempDir& dir, int repeats) {
  std::printf("\nterrain shading of a %d x %d picture (ElvAdj -10)\n\n", kPictureSide,
              kPictureSide);
  std::printf("%-14s %9s %9s %12s %12s\n", "lookup", "wall s", "cpu s", "peak RSS MB",
              "shading MB");
  const std::string cache_out = dir.File("cache.bmp.rows");
  const std::string cells_out = dir.File("cells.bmp.rows");
  if (!nephrax::testing::RunSelf({kShadeMode, kCacheMethod, dir.path(), cache_out, std::to_string(repeats)}) ||
      !nephrax::testing::RunSelf({kShadeMode, kCellMethod, dir.path(), cells_out, "1"})) {
    return false;
  }
  const bool identical = testing::ReadBytes(cache_out) == testing::ReadBytes(cells_out);
  std::printf("\npictures %s\n", identical ? "identical" : "DIFFER");
  return identical;
}

int RunBenchmark(int repeats) {
  testing::TempDir dir;
  std::printf("GTOPO30 tile set: 4 tiles of %d x %d cells (%.1f MB), in the page cache\n",
              kTileColumns, kTileRows, 4.0 * 2 * kTileRows * kTileColumns / 1e6);
  std::printf("%d x %d points, %gN..%gN, %gE..%gE, row by row from the north-west\n\n",
              kPictureSide, kPictureSide, kNorth, kSouth, kWest, kEast);
  if (!nephrax::testing::RunSelf({kBuildMode, dir.path()})) return 1;
  std::printf("%-14s %9s %9s %12s %12s\n", "method", "wall s", "cpu s", "peak RSS MB", "lookup MB");
  const std::string cache_out = dir.File("cache.out");
  const std::string cells_out = dir.File("cells.out");
  if (!nephrax::testing::RunSelf({kLookupMode, kCacheMethod, dir.path(), cache_out, std::to_string(repeats)}) ||
      !nephrax::testing::RunSelf({kLookupMode, kCellMethod, dir.path(), cells_out, "1"})) {
    return 1;
  }
  const bool agree = ReportAgreement(cache_out, cells_out);
  return agree && RunShadingBenchmark(dir, repeats) ? 0 : 1;
}

}  // namespace
}  // namespace nephrax

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (argc == 3 && mode == nephrax::kBuildMode) return nephrax::BuildTileSet(argv[2]);
  if (argc == 6 && mode == nephrax::kLookupMode) {
    return nephrax::MeasureLookup(argv[2], argv[3], argv[4], std::max(1, std::atoi(argv[5])));
  }
  if (argc == 6 && mode == nephrax::kShadeMode) {
    return nephrax::MeasureShading(argv[2], argv[3], argv[4], std::max(1, std::atoi(argv[5])));
  }
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  return nephrax::RunBenchmark(repeats);
}
