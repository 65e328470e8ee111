// ELV grid files: a big-endian header and a regular latitude/longitude grid of cells that hold
// elevations, or one- or two-byte indices into a value table of elevations.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/lz_file.h"
#include "terrain/elevation_sources.h"

namespace nephrax {

// The part of the header that holds anything read; the header itself takes 256 bytes.
inline constexpr size_t kElvHeaderReadSize = 160;
inline constexpr uint64_t kElvHeaderSize = 256;

enum class ElvCells {
  kTableBytes,  // one-byte indices into the value table
  kTableWords,  // two-byte indices into the value table
  kElevations,  // two-byte elevations
};

struct ElvGrid {
  ElvCells cells = ElvCells::kElevations;
  std::vector<int16_t> table;  // the value table of the index codings
  uint64_t cells_start = kElvHeaderSize;
  int16_t sea_value = 0;
  int16_t no_data_value = 0;
  int32_t rows = 0;
  int32_t columns = 0;
  int32_t north = 0;  // whole degrees
  int32_t west = 0;
  int32_t row_height = 0;  // arc-seconds
  int32_t column_width = 0;
};

// Reads the header and the value table. Nothing when the file is shorter than its header and
// table, or when its grid has no rows, no columns, no extent (a row height or column width of 0
// or below) or a negative table length.
std::optional<ElvGrid> ReadElvGridHeader(const LzFile& file);

// Number of the cell holding the point, counted row by row from the north-west corner; nothing
// outside the grid. Longitudes east of the grid wrap round the globe; west of it they do not.
std::optional<uint64_t> GridCellNumber(const ElvGrid& grid, double latitude, double longitude);

// Looks the points up in an ELV grid file. False, with every elevation kNoElevation, when there
// is no file, its header is refused, or the spans differ in length.
bool ReadElevationGrid(std::unique_ptr<LzFile> file, const ElevationPoints& points,
                       std::span<int16_t> elevations);

}  // namespace nephrax
