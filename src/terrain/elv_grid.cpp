#include "terrain/elv_grid.h"

#include <array>
#include <cmath>

#include "core/bytes.h"
#include "terrain/cell_file.h"

namespace nephrax {

namespace {

// Header fields (big-endian int16 unless noted).
constexpr size_t kCodingAt = 130;
constexpr size_t kIndexWidthAt = 132;
constexpr size_t kTableLengthAt = 134;
constexpr size_t kSeaValueAt = 136;     // int32; its low 16 bits count
constexpr size_t kNoDataValueAt = 140;  // int32; its low 16 bits count
constexpr size_t kRowsAt = 148;
constexpr size_t kColumnsAt = 150;
constexpr size_t kNorthAt = 152;
constexpr size_t kWestAt = 154;
constexpr size_t kRowHeightAt = 156;
constexpr size_t kColumnWidthAt = 158;

constexpr int16_t kTableCoding = 1;
constexpr int16_t kOneByteIndices = 1;
constexpr double kArcSecondsPerDegree = 3600;
constexpr int64_t kArcSecondsRoundTheGlobe = 1296000;

int16_t ReadI16Be(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<int16_t>(ReadU16Be(bytes, offset));
}

int16_t LowHalfOfI32Be(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<int16_t>(ReadU32Be(bytes, offset));
}

ElvCells CellsOf(int16_t coding, int16_t index_width) {
  if (coding != kTableCoding) return ElvCells::kElevations;
  return index_width == kOneByteIndices ? ElvCells::kTableBytes : ElvCells::kTableWords;
}

bool HasCellsAndExtent(const ElvGrid& grid) {
  return grid.rows > 0 && grid.columns > 0 && grid.row_height > 0 && grid.column_width > 0;
}

// Reads `length` big-endian table entries from the end of the header; nothing when the file
// does not hold them all.
std::optional<std::vector<int16_t>> ReadValueTable(const LzFile& file, int16_t length) {
  std::vector<uint8_t> bytes(2 * static_cast<size_t>(length));
  // An empty read is not asked for: the empty buffer has no address to copy to.
  if (!bytes.empty() && file.ReadAt(kElvHeaderSize, bytes) != bytes.size()) return std::nullopt;
  std::vector<int16_t> table(static_cast<size_t>(length));
  for (size_t i = 0; i < table.size(); ++i) table[i] = ReadI16Be(bytes, 2 * i);
  return table;
}

std::optional<int16_t> TableValue(const ElvGrid& grid, int64_t index) {
  if (index < 0 || index >= static_cast<int64_t>(grid.table.size())) return std::nullopt;
  return grid.table[static_cast<size_t>(index)];
}

std::optional<int16_t> CellValue(const ElvGrid& grid, CellFile& cells, uint64_t cell) {
  switch (grid.cells) {
    case ElvCells::kTableBytes:
      if (const std::optional<uint8_t> index = cells.ReadByte(grid.cells_start + cell)) {
        return TableValue(grid, *index);
      }
      return std::nullopt;
    case ElvCells::kTableWords:
      if (const std::optional<int16_t> index =
              cells.ReadInt16(grid.cells_start + 2 * cell, std::endian::big)) {
        return TableValue(grid, *index);
      }
      return std::nullopt;
    case ElvCells::kElevations:
      return cells.ReadInt16(grid.cells_start + 2 * cell, std::endian::big);
  }
  return std::nullopt;
}

int16_t GridElevation(const ElvGrid& grid, CellFile& cells, double latitude, double longitude) {
  const std::optional<uint64_t> cell = GridCellNumber(grid, latitude, longitude);
  if (!cell) return kNoElevation;
  const std::optional<int16_t> value = CellValue(grid, cells, *cell);
  if (!value) return kNoElevation;
  if (*value == grid.sea_value) return kSeaElevation;
  if (*value == grid.no_data_value) return kNoElevation;
  return *value;
}

}  // namespace

std::optional<ElvGrid> ReadElvGridHeader(const LzFile& file) {
  std::array<uint8_t, kElvHeaderReadSize> header{};
  if (file.ReadAt(0, header) != header.size()) return std::nullopt;
  ElvGrid grid;
  grid.cells = CellsOf(ReadI16Be(header, kCodingAt), ReadI16Be(header, kIndexWidthAt));
  grid.sea_value = LowHalfOfI32Be(header, kSeaValueAt);
  grid.no_data_value = LowHalfOfI32Be(header, kNoDataValueAt);
  grid.rows = ReadI16Be(header, kRowsAt);
  grid.columns = ReadI16Be(header, kColumnsAt);
  grid.north = ReadI16Be(header, kNorthAt);
  grid.west = ReadI16Be(header, kWestAt);
  grid.row_height = ReadI16Be(header, kRowHeightAt);
  grid.column_width = ReadI16Be(header, kColumnWidthAt);
  if (!HasCellsAndExtent(grid)) return std::nullopt;

  if (grid.cells != ElvCells::kElevations) {
    const int16_t table_length = ReadI16Be(header, kTableLengthAt);
    if (table_length < 0) return std::nullopt;
    std::optional<std::vector<int16_t>> table = ReadValueTable(file, table_length);
    if (!table) return std::nullopt;
    grid.table = std::move(*table);
    grid.cells_start = kElvHeaderSize + 2 * grid.table.size();
  }
  // The header (with its table) must be whole, even where nothing of it is read.
  if (file.Size() < grid.cells_start) return std::nullopt;
  return grid;
}

std::optional<uint64_t> GridCellNumber(const ElvGrid& grid, double latitude, double longitude) {
  // Columns count round the globe from the west edge, so a longitude a whole turn east of a
  // column reads that column; the remainder keeps the sign of the column, so none west of the
  // edge wraps.
  const double column_steps =
      std::floor((longitude - grid.west) * kArcSecondsPerDegree / grid.column_width);
  const double columns_round_the_globe =
      static_cast<double>(kArcSecondsRoundTheGlobe / grid.column_width);
  const double column = std::fmod(column_steps, columns_round_the_globe);
  const double row = std::floor((grid.north - latitude) * kArcSecondsPerDegree / grid.row_height);
  // Written so that NaN fails too.
  if (!(column >= 0 && column < grid.columns && row >= 0 && row < grid.rows)) return std::nullopt;
  return static_cast<uint64_t>(row) * static_cast<uint64_t>(grid.columns) +
         static_cast<uint64_t>(column);
}

bool ReadElevationGrid(std::unique_ptr<LzFile> file, const ElevationPoints& points,
                       std::span<int16_t> elevations) {
  if (!CheckPointCount(points, elevations)) return false;
  const std::optional<ElvGrid> grid = file ? ReadElvGridHeader(*file) : std::nullopt;
  if (!grid) {
    FillNoElevation(elevations);
    return false;
  }
  CellFile cells(std::move(file));
  for (size_t i = 0; i < points.size(); ++i) {
    elevations[i] = GridElevation(*grid, cells, points.latitudes[i], points.longitudes[i]);
  }
  return true;
}

}  // namespace nephrax
