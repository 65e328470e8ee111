// Builds elevation data for tests, benchmarks and fuzz seeds: ELV grid files, tile description
// sets with their tile files, and GTOPO30 tiles. Every field can be set, including to values the
// readers must refuse.
#pragma once

#include <bit>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace nephrax::testing {

struct ElvGridSpec {
  std::string text = "test grid";  // stored in bytes 4..27
  int16_t coding = 0;              // 1: the cells are indices into the table
  int16_t index_width = 2;         // 1: one-byte indices
  std::vector<int16_t> table;
  std::optional<int16_t> table_length;  // default: the table's size
  int32_t sea_value = -500;
  int32_t no_data_value = -32768;
  int16_t rows = 2;
  int16_t columns = 3;
  int16_t north = 10;  // whole degrees
  int16_t west = 100;
  int16_t row_height = 30;  // arc-seconds
  int16_t column_width = 30;
  std::vector<int32_t> cells;  // row by row, each stored as one byte or one int16
  std::optional<size_t> truncate_to;
};

std::vector<uint8_t> BuildElvGrid(const ElvGridSpec& spec);

struct DescribedTileSpec {
  std::string name;
  int32_t west = 0;  // whole degrees
  int32_t north = 0;
  int32_t columns = 1;
  std::vector<int16_t> cells;       // row by row; a tile without cells gets no file
  std::optional<std::string> line;  // written instead of the fields
};

struct TileDescriptionSpec {
  bool gtopo30 = true;  // false: a GLOBE set
  std::string sub_directory = "tiles/";
  std::vector<DescribedTileSpec> tiles;
  std::optional<int32_t> count;  // default: the number of tiles
  // 18 lines of 36 characters; default: every cell tile 0.
  std::vector<std::string> index_map = std::vector<std::string>(18, std::string(36, '0'));
};

std::string BuildTileDescription(const TileDescriptionSpec& spec);
// Writes the description as `file_name` into `directory`, and the cells of every tile that has
// any into the sub-directory, in the set's byte order.
void WriteTiledSet(const std::string& directory, const std::string& file_name,
                   const TileDescriptionSpec& spec);
// Sets the index map character of the 10-degree cell holding the point.
void SetMapCell(std::vector<std::string>& index_map, double latitude, double longitude, char tile);

std::vector<uint8_t> BuildCells(std::span<const int16_t> cells, std::endian order);

struct GtopoTileSpec {
  std::string name = "W180N90";
  int32_t rows = 2;
  int32_t columns = 2;
  double west = -180;  // the north-west corner of the north-west cell
  double north = 90;
  double cell_degrees = 1.0 / 120;
  int32_t sea_value = -9999;
  std::vector<int16_t> cells;  // row by row; default: zeros
  bool in_sub_directory = false;
  std::set<std::string> omitted_keys;
  std::map<std::string, std::string> replaced_values;  // by key
  bool lower_case_keys = false;
};

std::string BuildGtopoHeader(const GtopoTileSpec& spec);
// Writes NAME.HDR and NAME.DEM into `directory`, or into its sub-directory NAME.
void WriteGtopoTile(const std::string& directory, const GtopoTileSpec& spec);

void WriteText(const std::string& path, const std::string& text);

}  // namespace nephrax::testing
