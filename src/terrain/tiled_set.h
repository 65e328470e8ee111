// Tile description sets: a text file that describes a tiled 30-arc-second data set of the GTOPO30
// or GLOBE kind (a tile list and a 10-degree index map), and the tile files it names.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/lz_file.h"
#include "terrain/elevation_sources.h"

namespace nephrax {

inline constexpr size_t kIndexMapRows = 18;     // 10 degrees each, from 90 north
inline constexpr size_t kIndexMapColumns = 36;  // 10 degrees each, from 180 west
inline constexpr int16_t kGlobeSeaValue = -500;

struct DescribedTile {
  std::string name;  // beginning with "?": a tile without data
  int32_t west = 0;  // whole degrees
  int32_t north = 0;
  int32_t columns = 0;  // cells per row, 120 per degree
};

struct TileDescription {
  std::endian byte_order = std::endian::big;  // GTOPO30 sets; GLOBE sets are little-endian
  int16_t sea_value = kSeaElevation;          // GLOBE sets: kGlobeSeaValue
  std::string sub_directory;                  // of the elevation directory, holding the tiles
  std::vector<DescribedTile> tiles;
  // The tile number of each 10-degree cell; every number names a tile of the list.
  std::array<std::array<uint8_t, kIndexMapColumns>, kIndexMapRows> index_map{};
};

// Reads a description. Nothing when a part is missing or malformed: no sub-directory line, a
// tile count below 1, fewer tile lines than the count, a tile line without its name and four
// numbers, fewer than 18 map lines of 36 characters, or a map character naming no listed tile.
std::optional<TileDescription> ReadTileDescription(const LzFile& file);

// The cell of a tile holding a point.
struct TileCell {
  size_t tile = 0;
  uint64_t offset = 0;  // bytes into the tile file
};

// Finds the tile cell of a point, longitudes of 180 and beyond taken back by whole turns. Nothing
// outside the map, and nothing when the point lies outside the cells of the tile its map cell
// names.
std::optional<TileCell> LocateTileCell(const TileDescription& description, double latitude,
                                       double longitude);

// Looks the points up in the tile set that the description file at `description_path` describes,
// its tiles in the sub-directory it names of `directory`. False, with every elevation
// kNoElevation, when the description cannot be opened or is refused, or the spans differ in
// length.
bool ReadTiledSet(const ElevationPoints& points, std::span<int16_t> elevations,
                  const std::string& directory, const std::string& description_path);

}  // namespace nephrax
