#include "terrain/elevation_sources.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <string_view>

#include "platform/lz_file.h"
#include "platform/system_info.h"
#include "terrain/cell_file.h"
#include "terrain/elv_grid.h"
#include "terrain/gtopo_tiles.h"
#include "terrain/tiled_set.h"

namespace nephrax {

namespace {

// Tried in this order; the first that opens is the source.
constexpr std::array<std::string_view, 6> kElevationFileNames = {
    "ELEVAT.DAT", "elevGlobe30s", "elevGtopo30s", "elevGtopo2m", "elevGtopo6m", "elevGtopo30m"};
constexpr std::string_view kElvMagic = "ELV ";
// The start of the header that names a tiled set's kind.
constexpr size_t kKindTextSize = 28;

enum class ElevationFileKind { kOther, kTileDescription, kGrid };

ElevationFileKind KindOf(const LzFile& file) {
  std::array<uint8_t, kElvHeaderReadSize> head{};
  const size_t read = file.ReadAt(0, head);
  const std::string_view text(reinterpret_cast<const char*>(head.data()), read);
  if (!text.starts_with(kElvMagic)) return ElevationFileKind::kOther;
  const std::string_view kind_text = text.substr(0, kKindTextSize);
  if (kind_text.find("GTOPO30") != std::string_view::npos ||
      kind_text.find("GLOBE") != std::string_view::npos) {
    return ElevationFileKind::kTileDescription;
  }
  return ElevationFileKind::kGrid;
}

bool LookupInDirectory(const ElevationPoints& points, std::span<int16_t> elevations,
                       const std::string& directory) {
  for (const std::string_view name : kElevationFileNames) {
    const std::string path = JoinPath(directory, std::string(name));
    std::unique_ptr<LzFile> file = OpenElevationFile(path);
    if (!file) continue;
    switch (KindOf(*file)) {
      case ElevationFileKind::kOther:
        return ReadGtopoTiles(points, elevations, directory);
      case ElevationFileKind::kTileDescription:
        return ReadTiledSet(points, elevations, directory, path);
      case ElevationFileKind::kGrid:
        return ReadElevationGrid(std::move(file), points, elevations);
    }
  }
  return ReadGtopoTiles(points, elevations, directory);
}

}  // namespace

void FillNoElevation(std::span<int16_t> elevations) {
  std::fill(elevations.begin(), elevations.end(), kNoElevation);
}

bool CheckPointCount(const ElevationPoints& points, std::span<int16_t> elevations) {
  if (points.latitudes.size() == points.longitudes.size() &&
      points.latitudes.size() == elevations.size()) {
    return true;
  }
  FillNoElevation(elevations);
  return false;
}

bool LookupElevations(const ElevationPoints& points, std::span<int16_t> elevations,
                      const std::string& directory) {
  try {
    return LookupInDirectory(points, elevations, directory);
  } catch (const std::bad_alloc&) {
    FillNoElevation(elevations);
    return false;
  }
}

}  // namespace nephrax
