#include "terrain/gtopo_tiles.h"

#include <cmath>

#include "platform/profile_file.h"
#include "platform/system_info.h"
#include "terrain/cell_file.h"
#include "terrain/text_lines.h"

namespace nephrax {

namespace {

template <typename Number>
void TakeIfRead(std::optional<Number>& field, std::optional<Number> value) {
  if (value) field = value;
}

void TakeHeaderLine(std::string_view line, GtopoHeader& header) {
  LineScanner scanner(line);
  const std::optional<std::string_view> key = scanner.Word();
  const std::optional<std::string_view> value = scanner.Word();
  if (!key || !value) return;
  LineScanner number(*value);
  if (EqualsIgnoringCase(*key, "NROWS")) {
    TakeIfRead(header.rows, number.Int());
  } else if (EqualsIgnoringCase(*key, "NCOLS")) {
    TakeIfRead(header.columns, number.Int());
  } else if (EqualsIgnoringCase(*key, "NODATA")) {
    if (const std::optional<int32_t> sea = number.Int()) {
      header.sea_value = static_cast<int16_t>(*sea);
    }
  } else if (EqualsIgnoringCase(*key, "ULXMAP")) {
    TakeIfRead(header.west_centre, number.Real());
  } else if (EqualsIgnoringCase(*key, "ULYMAP")) {
    TakeIfRead(header.north_centre, number.Real());
  } else if (EqualsIgnoringCase(*key, "XDIM")) {
    TakeIfRead(header.cell_width, number.Real());
  } else if (EqualsIgnoringCase(*key, "YDIM")) {
    TakeIfRead(header.cell_height, number.Real());
  }
}

// The tile that serves a point: the one that served the last point while it contains this one
// too, else the first tile in search order that contains it and whose data file has not failed to
// open.
std::optional<size_t> ServingTile(const std::vector<GtopoTile>& tiles,
                                  const std::vector<LazyCellFile>& data_files,
                                  std::optional<size_t> serving, double latitude,
                                  double longitude) {
  if (serving && TileContains(tiles[*serving], latitude, longitude)) return serving;
  for (size_t t = 0; t < tiles.size(); ++t) {
    if (!data_files[t].Failed() && TileContains(tiles[t], latitude, longitude)) return t;
  }
  return std::nullopt;
}

int16_t TileElevation(const GtopoTile& tile, LazyCellFile& data_file, double latitude,
                      double longitude) {
  CellFile* data = data_file.Get();
  if (data == nullptr) return kNoElevation;
  const std::optional<uint64_t> offset = GtopoCellOffset(tile, latitude, longitude);
  if (!offset) return kNoElevation;
  const std::optional<int16_t> value = data->ReadInt16(*offset, std::endian::big);
  if (!value) return kNoElevation;
  if (*value == tile.sea_value) return kSeaElevation;
  if (tile.in_feet) return static_cast<int16_t>(std::floor(*value / kFeetPerMetre + 0.5));
  return *value;
}

}  // namespace

GtopoHeader ReadGtopoHeader(const LzFile& file) {
  GtopoHeader header;
  TextLineReader lines(file);
  for (std::optional<std::string> line = lines.Next(); line; line = lines.Next()) {
    TakeHeaderLine(*line, header);
  }
  return header;
}

std::optional<GtopoTile> MakeGtopoTile(const GtopoHeader& header, std::string_view name,
                                       std::string data_path) {
  if (!header.rows || !header.columns || !header.sea_value || !header.west_centre ||
      !header.north_centre || !header.cell_width || !header.cell_height) {
    return std::nullopt;
  }
  if (*header.rows < 1 || *header.columns < 1 || *header.cell_width <= 0 ||
      *header.cell_height <= 0) {
    return std::nullopt;
  }
  return GtopoTile{*header.rows,         *header.columns,       *header.west_centre,
                   *header.north_centre, *header.cell_width,    *header.cell_height,
                   *header.sea_value,    name == kFeetTileName, std::move(data_path)};
}

std::vector<GtopoTile> FindGtopoTiles(const std::string& directory) {
  std::vector<GtopoTile> tiles;
  for (const std::string_view name : kGtopoTileNames) {
    const std::string tile_name(name);
    for (const std::string& location : {directory, JoinPath(directory, tile_name)}) {
      const std::unique_ptr<LzFile> header_file =
          OpenElevationFile(JoinPath(location, tile_name + ".HDR"));
      if (!header_file) continue;
      // A header that opens decides, usable or not.
      std::optional<GtopoTile> tile = MakeGtopoTile(ReadGtopoHeader(*header_file), name,
                                                    JoinPath(location, tile_name + ".DEM"));
      if (tile) tiles.push_back(std::move(*tile));
      break;
    }
  }
  return tiles;
}

bool TileContains(const GtopoTile& tile, double latitude, double longitude) {
  const double west = tile.west_centre - tile.cell_width / 2;
  const double north = tile.north_centre + tile.cell_height / 2;
  return west <= longitude && longitude < west + tile.columns * tile.cell_width &&
         north - tile.rows * tile.cell_height < latitude && latitude <= north;
}

std::optional<uint64_t> GtopoCellOffset(const GtopoTile& tile, double latitude, double longitude) {
  const double column =
      std::trunc((longitude - tile.west_centre + tile.cell_width / 2) / tile.cell_width);
  const double row =
      std::trunc((tile.north_centre - latitude + tile.cell_height / 2) / tile.cell_height);
  // Rounding at a tile's east or south edge can give the column or row just outside it.
  if (!(column >= 0 && column < tile.columns && row >= 0 && row < tile.rows)) return std::nullopt;
  const uint64_t cell = static_cast<uint64_t>(column) +
                        static_cast<uint64_t>(row) * static_cast<uint64_t>(tile.columns);
  return 2 * cell;
}

bool ReadGtopoTiles(const ElevationPoints& points, std::span<int16_t> elevations,
                    const std::string& directory) {
  if (!CheckPointCount(points, elevations)) return false;
  const std::vector<GtopoTile> tiles = FindGtopoTiles(directory);
  if (tiles.empty()) {
    FillNoElevation(elevations);
    return false;
  }
  std::vector<LazyCellFile> data_files;
  for (const GtopoTile& tile : tiles) data_files.emplace_back(tile.data_path);
  std::optional<size_t> serving;
  for (size_t i = 0; i < points.size(); ++i) {
    const double latitude = points.latitudes[i];
    const double longitude = points.longitudes[i];
    serving = ServingTile(tiles, data_files, serving, latitude, longitude);
    elevations[i] = serving
                        ? TileElevation(tiles[*serving], data_files[*serving], latitude, longitude)
                        : kNoElevation;
  }
  return true;
}

}  // namespace nephrax
