// Feeds arbitrary bytes, plain or SZDD-compressed, to the GTOPO30 tile header reader, as the
// header of a global tile and of the tile of Japan (in feet) in a fresh directory, each with a
// small data file; then looks up points at the corners, the middle and just outside of the tile
// the header describes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_file.h"
#include "support/elevation_builder.h"
#include "support/source_file_builder.h"
#include "terrain/gtopo_tiles.h"

namespace {

using nephrax::GtopoTile;

constexpr int16_t kDataCells[] = {0, 1, 3281, -9999, 8848, -500, 32767, -32768};

void WriteTile(const std::string& directory, std::string_view name,
               std::span<const uint8_t> header) {
  const std::string base = directory + "/" + std::string(name);
  nephrax::testing::WriteBytes(base + ".HDR", header);
  nephrax::testing::WriteBytes(base + ".DEM",
                               nephrax::testing::BuildCells(kDataCells, std::endian::big));
}

void AddPointsAround(const GtopoTile& tile, std::vector<double>& latitudes,
                     std::vector<double>& longitudes) {
  const double rows[] = {-0.5, 0, tile.rows / 2.0, tile.rows - 0.5, tile.rows + 0.5};
  const double columns[] = {-0.5, 0, tile.columns / 2.0, tile.columns - 0.5, tile.columns + 0.5};
  for (const double row : rows) {
    for (const double column : columns) {
      latitudes.push_back(tile.north_centre - row * tile.cell_height);
      longitudes.push_back(tile.west_centre + column * tile.cell_width);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> header(data, size);
  std::vector<double> latitudes = {std::nan(""), 89.99, -89.99};
  std::vector<double> longitudes = {0, -179.99, 185};
  {
    const nephrax::fuzz::FuzzFile file(data, size);
    const std::unique_ptr<nephrax::LzFile> opened = nephrax::LzFile::Open(file.path());
    if (!opened) return 0;
    if (const auto tile =
            nephrax::MakeGtopoTile(nephrax::ReadGtopoHeader(*opened), "W180N90", "")) {
      AddPointsAround(*tile, latitudes, longitudes);
    }
  }
  const nephrax::testing::TempDir directory;
  WriteTile(directory.path(), "W180N90", header);
  WriteTile(directory.path(), nephrax::kFeetTileName, header);
  std::vector<int16_t> elevations(latitudes.size());
  nephrax::ReadGtopoTiles({latitudes, longitudes}, elevations, directory.path());
  return 0;
}
