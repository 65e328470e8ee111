#include "terrain/gtopo_tiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "lookup_helpers.h"
#include "support/elevation_builder.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::GtopoTileSpec;
using testing::LatLon;
using testing::LookupResult;

constexpr double kCell = 1.0 / 120;

GtopoTileSpec SmallTile(const std::string& name, double west, double north,
                        std::vector<int16_t> cells) {
  GtopoTileSpec spec;
  spec.name = name;
  spec.west = west;
  spec.north = north;
  spec.cells = std::move(cells);
  return spec;
}

LatLon CellCentre(const GtopoTileSpec& spec, int row, int column) {
  return {spec.north - (row + 0.5) * kCell, spec.west + (column + 0.5) * kCell};
}

class GtopoTilesTest : public ::testing::Test {
 public:
  void Write(const GtopoTileSpec& spec) { testing::WriteGtopoTile(dir_.path(), spec); }
  LookupResult LookUp(const std::vector<LatLon>& points) {
    return testing::LookUpIn(dir_.path(), points);
  }
  const testing::TempDir& dir() const { return dir_; }

 private:
  testing::TempDir dir_;
};

class GtopoLocationTest : public GtopoTilesTest, public ::testing::WithParamInterface<bool> {};

// The north and west edges belong to a tile, the south and east edges do not.
TEST_P(GtopoLocationTest, ReadsTheTileFromItsLocationUpToItsEdges) {
  GtopoTileSpec tile = SmallTile("W180N90", -180, 90, {1, 2, 3, 4});
  tile.in_sub_directory = GetParam();
  Write(tile);
  const LookupResult result = LookUp({{90, -180},
                                      CellCentre(tile, 0, 1),
                                      CellCentre(tile, 1, 1),
                                      {90 - 2 * kCell, -180},
                                      {90, -180 + 2 * kCell}});
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.elevations, (std::vector<int16_t>{1, 2, 4, kNoElevation, kNoElevation}));
}

INSTANTIATE_TEST_SUITE_P(Locations, GtopoLocationTest, ::testing::Bool(), [](const auto& info) {
  return info.param ? "SubDirectory" : "Directory";
});

TEST_F(GtopoTilesTest, JapanTileHoldsFeetButItsSeaValueIsNotConverted) {
  const GtopoTileSpec tile = SmallTile("JN_DEM", 140, 40, {3281, -9999, 0, -3281});
  Write(tile);
  const LookupResult result = LookUp({CellCentre(tile, 0, 0), CellCentre(tile, 0, 1),
                                      CellCentre(tile, 1, 0), CellCentre(tile, 1, 1)});
  EXPECT_EQ(result.elevations, (std::vector<int16_t>{1000, kSeaElevation, 0, -1000}));
}

TEST_F(GtopoTilesTest, LongitudesBeyond180FindNoTile) {
  GtopoTileSpec tile = SmallTile("W180N90", -180, 90, {});
  tile.columns = 1200;  // 180 W to 170 W
  for (int column = 0; column < tile.columns * tile.rows; ++column) {
    tile.cells.push_back(static_cast<int16_t>(column % 1200));
  }
  Write(tile);
  EXPECT_EQ(LookUp({{89.999, -175}, {89.999, 185}}).elevations,
            (std::vector<int16_t>{600, kNoElevation}));
}

// The Japan tile lies over the global tiles; it serves a point no earlier tile holds, and goes on
// serving while the points stay in it, until a point outside it starts a new search.
TEST_F(GtopoTilesTest, ServingTileIsKeptWhileItHoldsThePoints) {
  GtopoTileSpec global = SmallTile("E140N40", 140 + kCell, 40, {7, 7, 7, 7});
  GtopoTileSpec japan = SmallTile("JN_DEM", 140, 40, {3281, 3281, 3281, 3281});
  japan.columns = 3;
  japan.cells.resize(6, 3281);
  Write(global);
  Write(japan);
  const LookupResult result =
      LookUp({CellCentre(japan, 0, 0), CellCentre(japan, 0, 1), {0, 0}, CellCentre(japan, 0, 1)});
  EXPECT_EQ(result.elevations, (std::vector<int16_t>{1000, 1000, kNoElevation, 7}));
}

TEST_F(GtopoTilesTest, TileWithoutYdimIsNeverUsed) {
  GtopoTileSpec broken = SmallTile("W180N90", -180, 90, {1, 2, 3, 4});
  broken.omitted_keys = {"YDIM"};
  const GtopoTileSpec sound = SmallTile("E020N40", 20, 40, {5, 6, 7, 8});
  Write(broken);
  Write(sound);
  EXPECT_EQ(LookUp({CellCentre(broken, 0, 0), CellCentre(sound, 1, 0)}).elevations,
            (std::vector<int16_t>{kNoElevation, 7}));

  std::filesystem::remove(dir().File("E020N40.HDR"));
  const LookupResult only_broken = LookUp({CellCentre(broken, 0, 0)});
  EXPECT_FALSE(only_broken.found);
  EXPECT_EQ(only_broken.elevations, testing::NoElevations(1));
}

TEST_F(GtopoTilesTest, HeaderInTheDirectoryLackingAKeyHidesTheSubDirectory) {
  GtopoTileSpec broken = SmallTile("W180N90", -180, 90, {1, 2, 3, 4});
  broken.omitted_keys = {"NODATA"};
  GtopoTileSpec sound = broken;
  sound.omitted_keys.clear();
  sound.in_sub_directory = true;
  Write(broken);
  Write(sound);
  EXPECT_FALSE(LookUp({CellCentre(sound, 0, 0)}).found);
}

TEST_F(GtopoTilesTest, KeysAreReadInAnyCase) {
  GtopoTileSpec tile = SmallTile("W180N90", -180, 90, {1, 2, 3, 4});
  tile.lower_case_keys = true;
  Write(tile);
  EXPECT_EQ(LookUp({CellCentre(tile, 1, 0)}).elevations, (std::vector<int16_t>{3}));
}

TEST_F(GtopoTilesTest, MissingDataFileGivesNoDataForItsPointsOnly) {
  const GtopoTileSpec missing = SmallTile("W180N90", -180, 90, {1, 2, 3, 4});
  const GtopoTileSpec present = SmallTile("W140N90", -140, 90, {5, 6, 7, 8});
  Write(missing);
  Write(present);
  std::filesystem::remove(dir().File("W180N90.DEM"));
  const LookupResult result =
      LookUp({CellCentre(missing, 0, 0), CellCentre(present, 0, 1), CellCentre(missing, 1, 1)});
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.elevations, (std::vector<int16_t>{kNoElevation, 6, kNoElevation}));
}

struct RefusalCase {
  const char* name;
  std::string key;
  std::string value;
};

class GtopoRefusalTest : public GtopoTilesTest,
                         public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(GtopoRefusalTest, TileIsNotUsable) {
  GtopoTileSpec tile = SmallTile("W180N90", -180, 90, {1, 2, 3, 4});
  tile.replaced_values[GetParam().key] = GetParam().value;
  Write(tile);
  const LookupResult result = LookUp({CellCentre(tile, 0, 0)});
  EXPECT_FALSE(result.found);
  EXPECT_EQ(result.elevations, testing::NoElevations(1));
}

INSTANTIATE_TEST_SUITE_P(Headers, GtopoRefusalTest,
                         ::testing::Values(RefusalCase{"XdimZero", "XDIM", "0"},
                                           RefusalCase{"YdimZero", "YDIM", "0.0"},
                                           RefusalCase{"XdimNegative", "XDIM", "-0.5"},
                                           RefusalCase{"NoRows", "NROWS", "0"},
                                           RefusalCase{"NoColumns", "NCOLS", "-4"},
                                           RefusalCase{"RowsNotANumber", "NROWS", "many"},
                                           RefusalCase{"RowsBeyondInt32", "NROWS", "4294967298"},
                                           RefusalCase{"UlxmapNotFinite", "ULXMAP", "inf"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadGtopoHeaderTest, ReadsTheSevenKeysAndKeepsTheLowHalfOfNodata) {
  const testing::TempDir dir;
  testing::WriteText(dir.File("t.HDR"),
                     "NROWS 6000\r\nncols 4800\nNODATA 65535\nULXMAP -179.99583333333334\n"
                     "ULYMAP 89.99583333333334\nXDIM 0.00833333333333\nYDIM 0.00833333333333\n"
                     "YDIM\nNROWS twelve\n");
  const GtopoHeader header = ReadGtopoHeader(*LzFile::Open(dir.File("t.HDR")));
  EXPECT_EQ(header.rows, 6000);
  EXPECT_EQ(header.columns, 4800);
  EXPECT_EQ(header.sea_value, -1);
  EXPECT_EQ(header.west_centre, -179.99583333333334);
  EXPECT_EQ(header.north_centre, 89.99583333333334);
  EXPECT_EQ(header.cell_width, 0.00833333333333);
  EXPECT_EQ(header.cell_height, 0.00833333333333);
}

}  // namespace
}  // namespace nephrax
