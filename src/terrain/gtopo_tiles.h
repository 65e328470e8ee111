// The GTOPO30 tile set: up to 33 global tiles and one tile of Japan, each a text header (".HDR")
// and a file of big-endian int16 cells (".DEM") beside it, in the elevation directory or in a
// sub-directory named after the tile.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/lz_file.h"
#include "terrain/elevation_sources.h"

namespace nephrax {

// In the order they are searched; the last one holds feet.
inline constexpr std::array<std::string_view, 34> kGtopoTileNames = {
    "W180N90", "W140N90", "W100N90", "W060N90", "W020N90", "E020N90", "E060N90",
    "E100N90", "E140N90", "W180N40", "W140N40", "W100N40", "W060N40", "W020N40",
    "E020N40", "E060N40", "E100N40", "E140N40", "W180S10", "W140S10", "W100S10",
    "W060S10", "W020S10", "E020S10", "E060S10", "E100S10", "E140S10", "W180S60",
    "W120S60", "W060S60", "W000S60", "E060S60", "E120S60", "JN_DEM"};
inline constexpr std::string_view kFeetTileName = "JN_DEM";
inline constexpr double kFeetPerMetre = 3.281;

// The keys of a tile header, each present when it was read.
struct GtopoHeader {
  std::optional<int32_t> rows;         // "NROWS"
  std::optional<int32_t> columns;      // "NCOLS"
  std::optional<int16_t> sea_value;    // "NODATA", kept to its low 16 bits
  std::optional<double> west_centre;   // "ULXMAP": longitude of the north-west cell's centre
  std::optional<double> north_centre;  // "ULYMAP": latitude of the north-west cell's centre
  std::optional<double> cell_width;    // "XDIM", degrees
  std::optional<double> cell_height;   // "YDIM", degrees
};

// Reads the keys of a header file: lines of a key and a value, keys in any case; other lines are
// ignored, as are values that are not numbers.
GtopoHeader ReadGtopoHeader(const LzFile& file);

struct GtopoTile {
  int32_t rows = 0;
  int32_t columns = 0;
  double west_centre = 0;
  double north_centre = 0;
  double cell_width = 0;
  double cell_height = 0;
  int16_t sea_value = 0;
  bool in_feet = false;
  std::string data_path;  // the ".DEM" file
};

// The tile a header describes. Nothing when a key is missing, or when the tile has no rows, no
// columns, or a cell width or height of 0 or below.
std::optional<GtopoTile> MakeGtopoTile(const GtopoHeader& header, std::string_view name,
                                       std::string data_path);

// The usable tiles of `directory` in search order, each found from its header in the directory
// or, when that does not open, in the sub-directory named after it.
std::vector<GtopoTile> FindGtopoTiles(const std::string& directory);

bool TileContains(const GtopoTile& tile, double latitude, double longitude);
// Bytes into the tile's data file of the cell holding a point the tile contains; nothing for any
// other point.
std::optional<uint64_t> GtopoCellOffset(const GtopoTile& tile, double latitude, double longitude);

// Looks the points up in the GTOPO30 tile set of `directory`. No longitude is wrapped. False,
// with every elevation kNoElevation, when no tile is usable or the spans differ in length.
bool ReadGtopoTiles(const ElevationPoints& points, std::span<int16_t> elevations,
                    const std::string& directory);

}  // namespace nephrax
