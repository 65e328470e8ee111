#include "support/elevation_builder.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "support/source_file_builder.h"

namespace nephrax::testing {

namespace {

constexpr size_t kElvHeaderSize = 256;
constexpr size_t kElvTextEnd = 28;

void PutI16Be(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
  bytes[offset] = static_cast<uint8_t>(value >> 8);
  bytes[offset + 1] = static_cast<uint8_t>(value);
}

void PutI32Be(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
  PutI16Be(bytes, offset, value >> 16);
  PutI16Be(bytes, offset + 2, value);
}

void AppendI16(std::vector<uint8_t>& bytes, int32_t value, std::endian order) {
  const uint8_t high = static_cast<uint8_t>(value >> 8);
  const uint8_t low = static_cast<uint8_t>(value);
  bytes.push_back(order == std::endian::big ? high : low);
  bytes.push_back(order == std::endian::big ? low : high);
}

// The shortest text that reads back as the same double.
std::string RealText(double value) {
  std::array<char, 32> text{};
  const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), result.ptr);
}

std::string WithLineEnd(const std::string& line) {
  return line + "\n";
}

}  // namespace

std::vector<uint8_t> BuildElvGrid(const ElvGridSpec& spec) {
  std::vector<uint8_t> bytes(kElvHeaderSize);
  const std::string magic_and_text = ("ELV " + spec.text).substr(0, kElvTextEnd);
  std::copy(magic_and_text.begin(), magic_and_text.end(), bytes.begin());
  PutI16Be(bytes, 130, spec.coding);
  PutI16Be(bytes, 132, spec.index_width);
  PutI16Be(bytes, 134, spec.table_length.value_or(static_cast<int16_t>(spec.table.size())));
  PutI32Be(bytes, 136, spec.sea_value);
  PutI32Be(bytes, 140, spec.no_data_value);
  PutI16Be(bytes, 148, spec.rows);
  PutI16Be(bytes, 150, spec.columns);
  PutI16Be(bytes, 152, spec.north);
  PutI16Be(bytes, 154, spec.west);
  PutI16Be(bytes, 156, spec.row_height);
  PutI16Be(bytes, 158, spec.column_width);

  const bool table_coding = spec.coding == 1;
  if (table_coding) {
    for (const int16_t entry : spec.table) AppendI16(bytes, entry, std::endian::big);
  }
  std::vector<int32_t> cells = spec.cells;
  if (cells.empty()) cells.resize(static_cast<size_t>(std::max(0, spec.rows * spec.columns)));
  for (const int32_t cell : cells) {
    if (table_coding && spec.index_width == 1) {
      bytes.push_back(static_cast<uint8_t>(cell));
    } else {
      AppendI16(bytes, cell, std::endian::big);
    }
  }
  if (spec.truncate_to) bytes.resize(std::min(bytes.size(), *spec.truncate_to));
  return bytes;
}

std::vector<uint8_t> BuildCells(std::span<const int16_t> cells, std::endian order) {
  std::vector<uint8_t> bytes;
  for (const int16_t cell : cells) AppendI16(bytes, cell, order);
  return bytes;
}

std::string BuildTileDescription(const TileDescriptionSpec& spec) {
  std::string text = spec.gtopo30 ? "ELV GTOPO30 30-second tiles\n" : "ELV GLOBE 30-second tiles\n";
  text += "# tile sub-directory\n" + WithLineEnd(spec.sub_directory);
  const int32_t count = spec.count.value_or(static_cast<int32_t>(spec.tiles.size()));
  text += "# number of tiles\n" + WithLineEnd(std::to_string(count));
  text += "# name west north (unused) columns\n";
  for (const DescribedTileSpec& tile : spec.tiles) {
    text += WithLineEnd(tile.line.value_or(tile.name + " " + std::to_string(tile.west) + " " +
                                           std::to_string(tile.north) + " 0 " +
                                           std::to_string(tile.columns)));
  }
  text += "# 10-degree index map\n";
  for (const std::string& line : spec.index_map) text += WithLineEnd(line);
  return text;
}

void WriteTiledSet(const std::string& directory, const std::string& file_name,
                   const TileDescriptionSpec& spec) {
  WriteText(directory + "/" + file_name, BuildTileDescription(spec));
  const std::string tile_directory = directory + "/" + spec.sub_directory;
  std::filesystem::create_directories(tile_directory);
  const std::endian order = spec.gtopo30 ? std::endian::big : std::endian::little;
  for (const DescribedTileSpec& tile : spec.tiles) {
    if (!tile.cells.empty())
      WriteBytes(tile_directory + "/" + tile.name, BuildCells(tile.cells, order));
  }
}

void SetMapCell(std::vector<std::string>& index_map, double latitude, double longitude, char tile) {
  const auto row = static_cast<size_t>(std::floor((90 - latitude) / 10));
  const auto column = static_cast<size_t>(std::floor((longitude + 180) / 10));
  index_map.at(row).at(column) = tile;
}

std::string BuildGtopoHeader(const GtopoTileSpec& spec) {
  const double half_cell = spec.cell_degrees / 2;
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"BYTEORDER", "M"},
      {"LAYOUT", "BIL"},
      {"NROWS", std::to_string(spec.rows)},
      {"NCOLS", std::to_string(spec.columns)},
      {"NBANDS", "1"},
      {"NBITS", "16"},
      {"NODATA", std::to_string(spec.sea_value)},
      {"ULXMAP", RealText(spec.west + half_cell)},
      {"ULYMAP", RealText(spec.north - half_cell)},
      {"XDIM", RealText(spec.cell_degrees)},
      {"YDIM", RealText(spec.cell_degrees)},
  };
  std::string text;
  for (const auto& [key, value] : keys) {
    if (spec.omitted_keys.contains(key)) continue;
    const auto replaced = spec.replaced_values.find(key);
    std::string shown_key = key;
    if (spec.lower_case_keys) {
      std::transform(key.begin(), key.end(), shown_key.begin(),
                     [](char c) { return static_cast<char>(std::tolower(c)); });
    }
    text += shown_key + "         " +
            (replaced != spec.replaced_values.end() ? replaced->second : value) + "\n";
  }
  return text;
}

void WriteGtopoTile(const std::string& directory, const GtopoTileSpec& spec) {
  const std::string location = spec.in_sub_directory ? directory + "/" + spec.name : directory;
  std::filesystem::create_directories(location);
  WriteText(location + "/" + spec.name + ".HDR", BuildGtopoHeader(spec));
  std::vector<int16_t> cells = spec.cells;
  if (cells.empty()) cells.resize(static_cast<size_t>(std::max(0, spec.rows * spec.columns)));
  WriteBytes(location + "/" + spec.name + ".DEM", BuildCells(cells, std::endian::big));
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace nephrax::testing
