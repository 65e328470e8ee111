#include "terrain/tiled_set.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "lookup_helpers.h"
#include "support/elevation_builder.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::DescribedTileSpec;
using testing::LatLon;
using testing::LookupResult;
using testing::TileDescriptionSpec;

constexpr int kTileColumns = 1200;  // 10 degrees of 30-second cells
constexpr int kStoredRows = 2;      // only the northmost rows of each tile are stored
constexpr int kTiles = 16;
constexpr char kDescriptionName[] = "elevGtopo30s";

int16_t TileCellValue(int tile, int row, int column) {
  return static_cast<int16_t>(1000 * tile + 100 * row + column / 12);
}

// Tile k lies from 180 W + 10k east, from 90 N south.
DescribedTileSpec Tile(int k) {
  DescribedTileSpec tile;
  tile.name = "tile" + std::to_string(k) + ".bin";
  tile.west = -180 + 10 * k;
  tile.north = 90;
  tile.columns = kTileColumns;
  for (int row = 0; row < kStoredRows; ++row) {
    for (int column = 0; column < kTileColumns; ++column) {
      tile.cells.push_back(TileCellValue(k, row, column));
    }
  }
  return tile;
}

// Sixteen tiles along the northmost map row, each named by its own map cell.
TileDescriptionSpec SixteenTiles(bool gtopo30) {
  TileDescriptionSpec spec;
  spec.gtopo30 = gtopo30;
  for (int k = 0; k < kTiles; ++k) {
    spec.tiles.push_back(Tile(k));
    spec.index_map[0][static_cast<size_t>(k)] = "0123456789abcdef"[k];
  }
  return spec;
}

LatLon CellOf(int tile, int row, int column) {
  return {90 - (row + 0.5) / 120, -180 + 10 * tile + (column + 0.5) / 120};
}

class TiledSetTest : public ::testing::Test {
 public:
  LookupResult LookUp(const TileDescriptionSpec& spec, const std::vector<LatLon>& points) {
    testing::WriteTiledSet(dir_.path(), kDescriptionName, spec);
    return testing::LookUpIn(dir_.path(), points);
  }
  const testing::TempDir& dir() const { return dir_; }

 private:
  testing::TempDir dir_;
};

class TiledSetKindTest : public TiledSetTest, public ::testing::WithParamInterface<bool> {};

// GTOPO30 sets hold big-endian cells with -9999 for the sea; GLOBE sets little-endian ones with
// -500 for the sea.
TEST_P(TiledSetKindTest, ReadsCellsInTheSetsByteOrderAndSeaValue) {
  const bool gtopo30 = GetParam();
  TileDescriptionSpec spec = SixteenTiles(gtopo30);
  spec.tiles[1].cells[0] = -500;
  spec.tiles[1].cells[1] = -9999;
  const LookupResult result = LookUp(spec, {CellOf(3, 0, 5),
                                            CellOf(3, 1, 1199),
                                            CellOf(15, 1, 600),
                                            CellOf(1, 0, 0),
                                            CellOf(1, 0, 1),
                                            CellOf(3, kStoredRows, 0),  // beyond the tile file
                                            {75, -175}});               // map row 1: tile 0
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.elevations,
            (std::vector<int16_t>{3000, 3199, 15150, gtopo30 ? int16_t{-500} : kSeaElevation,
                                  kSeaElevation, kNoElevation, kNoElevation}));
}

INSTANTIATE_TEST_SUITE_P(Kinds, TiledSetKindTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Gtopo30" : "Globe"; });

TEST_F(TiledSetTest, QuestionMarkInTheMapIsTile15) {
  TileDescriptionSpec spec = SixteenTiles(true);
  spec.index_map[0][15] = '?';
  EXPECT_EQ(LookUp(spec, {CellOf(15, 0, 24)}).elevations, (std::vector<int16_t>{15002}));
}

TEST_F(TiledSetTest, Longitude185ReadsTheCellAtMinus175) {
  const LookupResult result =
      LookUp(SixteenTiles(true), {{89.999, 185.0}, {89.999, -175.0}, {89.999, 185.0 + 720}});
  EXPECT_EQ(result.elevations, (std::vector<int16_t>(3, TileCellValue(0, 0, 600))));
}

TEST_F(TiledSetTest, TilesNamedWithQuestionMarkOrMissingHaveNoData) {
  TileDescriptionSpec spec = SixteenTiles(true);
  spec.tiles[2].name = "?tile2.bin";  // its file exists but must not be read
  testing::WriteTiledSet(dir().path(), kDescriptionName, spec);
  std::filesystem::remove(dir().File("tiles/tile4.bin"));
  const LookupResult result = testing::LookUpIn(
      dir().path(), {CellOf(2, 0, 0), CellOf(4, 0, 0), CellOf(4, 1, 0), CellOf(5, 0, 0)});
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.elevations,
            (std::vector<int16_t>{kNoElevation, kNoElevation, kNoElevation, 5000}));
}

TEST(ReadTileDescriptionTest, ReadsEveryPartPastTheComments) {
  TileDescriptionSpec spec = SixteenTiles(false);
  spec.index_map[17][35] = 'b';
  const testing::TempDir dir;
  testing::WriteText(dir.File("set"), testing::BuildTileDescription(spec));
  const std::optional<TileDescription> description =
      ReadTileDescription(*LzFile::Open(dir.File("set")));
  ASSERT_TRUE(description);
  EXPECT_EQ(description->byte_order, std::endian::little);
  EXPECT_EQ(description->sea_value, kGlobeSeaValue);
  EXPECT_EQ(description->sub_directory, "tiles");
  ASSERT_EQ(description->tiles.size(), size_t{kTiles});
  EXPECT_EQ(description->tiles[7].name, "tile7.bin");
  EXPECT_EQ(description->tiles[7].west, -110);
  EXPECT_EQ(description->tiles[7].north, 90);
  EXPECT_EQ(description->tiles[7].columns, kTileColumns);
  EXPECT_EQ(description->index_map[0][12], 12);
  EXPECT_EQ(description->index_map[17][35], 11);
}

struct RefusalCase {
  const char* name;
  std::function<void(TileDescriptionSpec&)> change;
};

class TileDescriptionRefusalTest : public TiledSetTest,
                                   public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(TileDescriptionRefusalTest, SetIsRefusedAndEveryPointHasNoData) {
  TileDescriptionSpec spec = SixteenTiles(true);
  GetParam().change(spec);
  const LookupResult result = LookUp(spec, {CellOf(0, 0, 0), CellOf(9, 1, 9)});
  EXPECT_FALSE(result.found);
  EXPECT_EQ(result.elevations, testing::NoElevations(2));
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, TileDescriptionRefusalTest,
    ::testing::Values(
        RefusalCase{"NoTiles", [](TileDescriptionSpec& s) { s.count = 0; }},
        RefusalCase{"CountBeyondTheTileList", [](TileDescriptionSpec& s) { s.count = kTiles + 1; }},
        RefusalCase{"TileLineWithoutColumns",
                    [](TileDescriptionSpec& s) { s.tiles[3].line = "tile3.bin -150 90 0"; }},
        RefusalCase{"MapNamesAMissingTile",
                    [](TileDescriptionSpec& s) { s.index_map[9][30] = 'g'; }},
        RefusalCase{"MapCharacterBelowZero",
                    [](TileDescriptionSpec& s) { s.index_map[4][4] = '/'; }},
        RefusalCase{"MapCharacterAboveZ", [](TileDescriptionSpec& s) { s.index_map[4][4] = '{'; }},
        RefusalCase{"MapLineTooShort", [](TileDescriptionSpec& s) { s.index_map[5].pop_back(); }},
        RefusalCase{"MapRowMissing", [](TileDescriptionSpec& s) { s.index_map.pop_back(); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nephrax
