#include "terrain/tiled_set.h"

#include <cmath>
#include <limits>

#include "platform/system_info.h"
#include "terrain/cell_file.h"
#include "terrain/text_lines.h"

namespace nephrax {

namespace {

constexpr double kCellsPerDegree = 120;  // 30 arc-seconds
constexpr double kMapCellDegrees = 10;
// No tile file holds a row beyond this; the bound keeps cell offsets within 64 bits.
constexpr double kRowLimit = std::numeric_limits<int32_t>::max();

// The first word of the line, without one trailing "/"; empty for a blank line.
std::string SubDirectoryOf(std::string_view line) {
  std::string_view word = LineScanner(line).Word().value_or("");
  if (word.ends_with('/')) word.remove_suffix(1);
  return std::string(word);
}

// Comments may come before a block of lines (the tile list, the map), not inside it.
std::optional<std::string> NextBlockLine(TextLineReader& lines, size_t index_in_block) {
  return index_in_block == 0 ? lines.NextContent() : lines.Next();
}

std::optional<int32_t> ReadTileCount(TextLineReader& lines) {
  const std::optional<std::string> line = lines.NextContent();
  if (!line) return std::nullopt;
  const std::optional<int32_t> count = LineScanner(*line).Int();
  if (!count || *count < 1) return std::nullopt;
  return count;
}

// "name west north (unused) columns".
std::optional<DescribedTile> ParseTileLine(std::string_view line) {
  LineScanner scanner(line);
  const std::optional<std::string_view> name = scanner.Word();
  const std::optional<int32_t> west = scanner.Int();
  const std::optional<int32_t> north = scanner.Int();
  const std::optional<int32_t> unused = scanner.Int();
  const std::optional<int32_t> columns = scanner.Int();
  if (!name || !west || !north || !unused || !columns) return std::nullopt;
  return DescribedTile{std::string(*name), *west, *north, *columns};
}

bool ReadTileList(TextLineReader& lines, int32_t count, std::vector<DescribedTile>& tiles) {
  for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
    const std::optional<std::string> line = NextBlockLine(lines, i);
    if (!line) return false;
    std::optional<DescribedTile> tile = ParseTileLine(*line);
    if (!tile) return false;
    tiles.push_back(std::move(*tile));
  }
  return true;
}

// A map character is a tile number in base 36: any character below "a" counts from "0", so that
// "?" is 15; "a".."z" are 10..35.
std::optional<size_t> TileNumberOf(char c) {
  const unsigned char code = static_cast<unsigned char>(c);
  if (code < '0' || code > 'z') return std::nullopt;
  return code < 'a' ? code - '0' : code - 'a' + 10;
}

bool ReadIndexMap(TextLineReader& lines, TileDescription& description) {
  for (size_t row = 0; row < kIndexMapRows; ++row) {
    const std::optional<std::string> line = NextBlockLine(lines, row);
    if (!line || line->size() < kIndexMapColumns) return false;
    for (size_t column = 0; column < kIndexMapColumns; ++column) {
      const std::optional<size_t> tile = TileNumberOf((*line)[column]);
      if (!tile || *tile >= description.tiles.size()) return false;
      description.index_map[row][column] = static_cast<uint8_t>(*tile);
    }
  }
  return true;
}

// The longitude taken west by whole turns until it lies below 180. The remainder of a division
// by 360 is exact, so this is the value repeated subtraction gives, and it ends for any value.
double TakenBelow180(double longitude) {
  if (longitude < 180) return longitude;
  const double turn_part = std::fmod(longitude, 360.0);
  return turn_part < 180 ? turn_part : turn_part - 360;
}

int16_t TiledElevation(const TileDescription& description, std::vector<LazyCellFile>& tile_files,
                       double latitude, double longitude) {
  const std::optional<TileCell> cell = LocateTileCell(description, latitude, longitude);
  if (!cell || description.tiles[cell->tile].name.starts_with('?')) return kNoElevation;
  CellFile* data = tile_files[cell->tile].Get();
  if (data == nullptr) return kNoElevation;
  const std::optional<int16_t> value = data->ReadInt16(cell->offset, description.byte_order);
  if (!value) return kNoElevation;
  return *value == description.sea_value ? kSeaElevation : *value;
}

}  // namespace

std::optional<TileDescription> ReadTileDescription(const LzFile& file) {
  TextLineReader lines(file);
  const std::optional<std::string> first = lines.Next();
  if (!first) return std::nullopt;
  TileDescription description;
  if (first->find("GTOPO30") == std::string::npos) {
    description.byte_order = std::endian::little;
    description.sea_value = kGlobeSeaValue;
  }
  const std::optional<std::string> sub_directory = lines.NextContent();
  if (!sub_directory) return std::nullopt;
  description.sub_directory = SubDirectoryOf(*sub_directory);
  const std::optional<int32_t> count = ReadTileCount(lines);
  if (!count || !ReadTileList(lines, *count, description.tiles) ||
      !ReadIndexMap(lines, description)) {
    return std::nullopt;
  }
  return description;
}

std::optional<TileCell> LocateTileCell(const TileDescription& description, double latitude,
                                       double longitude) {
  const double lon = TakenBelow180(longitude);
  const double map_column = std::floor((lon + 180) / kMapCellDegrees);
  const double map_row = std::floor((90 - latitude) / kMapCellDegrees);
  // Written so that NaN fails too.
  if (!(map_column >= 0 && map_column < kIndexMapColumns && map_row >= 0 &&
        map_row < kIndexMapRows)) {
    return std::nullopt;
  }
  const size_t tile_number =
      description.index_map[static_cast<size_t>(map_row)][static_cast<size_t>(map_column)];
  const DescribedTile& tile = description.tiles[tile_number];
  const double x = std::floor((lon - tile.west) * kCellsPerDegree);
  const double y = std::floor((tile.north - latitude) * kCellsPerDegree);
  if (!(x >= 0 && x < tile.columns && y >= 0 && y < kRowLimit)) return std::nullopt;
  const uint64_t cell =
      static_cast<uint64_t>(x) + static_cast<uint64_t>(y) * static_cast<uint64_t>(tile.columns);
  return TileCell{tile_number, 2 * cell};
}

bool ReadTiledSet(const ElevationPoints& points, std::span<int16_t> elevations,
                  const std::string& directory, const std::string& description_path) {
  if (!CheckPointCount(points, elevations)) return false;
  const std::unique_ptr<LzFile> file = OpenElevationFile(description_path);
  const std::optional<TileDescription> description =
      file ? ReadTileDescription(*file) : std::nullopt;
  if (!description) {
    FillNoElevation(elevations);
    return false;
  }
  const std::string tile_directory = JoinPath(directory, description->sub_directory);
  std::vector<LazyCellFile> tile_files;
  for (const DescribedTile& tile : description->tiles) {
    tile_files.emplace_back(JoinPath(tile_directory, tile.name));
  }
  for (size_t i = 0; i < points.size(); ++i) {
    elevations[i] =
        TiledElevation(*description, tile_files, points.latitudes[i], points.longitudes[i]);
  }
  return true;
}

}  // namespace nephrax
