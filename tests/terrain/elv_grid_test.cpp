#include "terrain/elv_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "lookup_helpers.h"
#include "support/elevation_builder.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::ElvGridSpec;
using testing::LatLon;
using testing::LookupResult;

// The centre of cell (row, column) of the grid.
LatLon CellCentre(const ElvGridSpec& spec, int row, int column) {
  return {spec.north - (row + 0.5) * spec.row_height / 3600.0,
          spec.west + (column + 0.5) * spec.column_width / 3600.0};
}

std::vector<LatLon> AllCellCentres(const ElvGridSpec& spec) {
  std::vector<LatLon> points;
  for (int row = 0; row < spec.rows; ++row) {
    for (int column = 0; column < spec.columns; ++column) {
      points.push_back(CellCentre(spec, row, column));
    }
  }
  return points;
}

class ElvGridTest : public ::testing::Test {
 public:
  LookupResult LookUp(const ElvGridSpec& spec, const std::vector<LatLon>& points) {
    const std::string path = dir_.File("grid.elv");
    testing::WriteBytes(path, testing::BuildElvGrid(spec));
    return testing::RunLookup(points, [&](const ElevationPoints& p, std::span<int16_t> out) {
      return ReadElevationGrid(LzFile::Open(path), p, out);
    });
  }

 private:
  testing::TempDir dir_;
};

struct CodingCase {
  const char* name;
  int16_t coding;
  int16_t index_width;
  std::vector<int16_t> table;
  std::vector<int32_t> cells;  // 2 x 3
  std::vector<int16_t> expected;
};

class ElvCodingTest : public ElvGridTest, public ::testing::WithParamInterface<CodingCase> {};

// The default grid takes -500 as its sea value and -32768 as its no-data value; the table
// entries are compared with them too. An index beyond the table gives no data.
TEST_P(ElvCodingTest, CellsBecomeElevationsAndMarkers) {
  ElvGridSpec spec;
  spec.coding = GetParam().coding;
  spec.index_width = GetParam().index_width;
  spec.table = GetParam().table;
  spec.cells = GetParam().cells;
  const LookupResult result = LookUp(spec, AllCellCentres(spec));
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.elevations, GetParam().expected);
}

const std::vector<int16_t> kTable = {-500, 10, 20, -32768, 300};

INSTANTIATE_TEST_SUITE_P(
    Codings, ElvCodingTest,
    ::testing::Values(CodingCase{"Elevations",
                                 0,
                                 2,
                                 {},
                                 {0, 1234, -500, -32768, 4321, 8848},
                                 {0, 1234, kSeaElevation, kNoElevation, 4321, 8848}},
                      CodingCase{"OneByteIndices",
                                 1,
                                 1,
                                 kTable,
                                 {1, 2, 0, 3, 4, 5},
                                 {10, 20, kSeaElevation, kNoElevation, 300, kNoElevation}},
                      CodingCase{
                          "TwoByteIndices",
                          1,
                          2,
                          kTable,
                          {4, 1, 0, 3, -1, 5},
                          {300, 10, kSeaElevation, kNoElevation, kNoElevation, kNoElevation}},
                      // Any width but 1 means two-byte indices.
                      CodingCase{"WidthZeroIsTwoBytes",
                                 1,
                                 0,
                                 kTable,
                                 {4, 3, 2, 1, 0, 1000},
                                 {300, kNoElevation, 20, 10, kSeaElevation, kNoElevation}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ElvGridTest, WestEdgeDoesNotWrapButEastWrapsRoundTheGlobe) {
  ElvGridSpec spec;  // west edge 100, 30-second columns
  spec.cells = {11, 12, 13, 21, 22, 23};
  const double lat = CellCentre(spec, 0, 0).latitude;
  const LookupResult result = LookUp(spec, {{lat, 99.99},
                                            {lat, 100.0},
                                            {lat, 460.0},
                                            {lat, 460.0 + 2.5 / 120},
                                            {lat, 100.0 + 3.0 / 120},  // east of the last column
                                            {lat, 100.0 - 360},        // a whole turn west
                                            {lat, 99.99 - 360}});
  EXPECT_EQ(result.elevations,
            (std::vector<int16_t>{kNoElevation, 11, 11, 13, kNoElevation, 11, kNoElevation}));
}

TEST_F(ElvGridTest, RowsOutsideTheGridHaveNoData) {
  ElvGridSpec spec;
  spec.cells = {11, 12, 13, 21, 22, 23};
  const double lon = CellCentre(spec, 0, 1).longitude;
  const LookupResult result = LookUp(spec, {{10.001, lon},
                                            {10.0, lon},
                                            {10.0 - 1.5 / 120, lon},
                                            {10.0 - 2.0 / 120, lon},
                                            {std::nan(""), lon}});
  EXPECT_EQ(result.elevations,
            (std::vector<int16_t>{kNoElevation, 12, 22, kNoElevation, kNoElevation}));
}

TEST_F(ElvGridTest, CellsMissingFromTheEndOfTheFileHaveNoData) {
  ElvGridSpec spec;
  spec.cells = {11, 12, 13, 21, 22, 23};
  spec.truncate_to = 256 + 2 * 4 + 1;  // four cells and half of the fifth
  const LookupResult result = LookUp(spec, AllCellCentres(spec));
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.elevations, (std::vector<int16_t>{11, 12, 13, 21, kNoElevation, kNoElevation}));
}

struct RefusalCase {
  const char* name;
  std::function<void(ElvGridSpec&)> change;
};

class ElvRefusalTest : public ElvGridTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ElvRefusalTest, GridIsRefusedAndEveryPointHasNoData) {
  ElvGridSpec spec;
  spec.coding = 1;
  spec.table = kTable;
  GetParam().change(spec);
  const std::vector<LatLon> points = {CellCentre(ElvGridSpec{}, 0, 0),
                                      CellCentre(ElvGridSpec{}, 1, 2)};
  const LookupResult result = LookUp(spec, points);
  EXPECT_FALSE(result.found);
  EXPECT_EQ(result.elevations, testing::NoElevations(points.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Headers, ElvRefusalTest,
    ::testing::Values(
        RefusalCase{"RowHeightZero", [](ElvGridSpec& s) { s.row_height = 0; }},
        RefusalCase{"ColumnWidthZero", [](ElvGridSpec& s) { s.column_width = 0; }},
        RefusalCase{"ColumnWidthNegative", [](ElvGridSpec& s) { s.column_width = -30; }},
        RefusalCase{"NoRows", [](ElvGridSpec& s) { s.rows = 0; }},
        RefusalCase{"NoColumns", [](ElvGridSpec& s) { s.columns = -3; }},
        RefusalCase{"ShorterThanTheReadHeader", [](ElvGridSpec& s) { s.truncate_to = 150; }},
        RefusalCase{"ShorterThanTheHeader",
                    [](ElvGridSpec& s) {
                      s.coding = 0;
                      s.truncate_to = 200;
                    }},
        RefusalCase{"ShorterThanTheTable", [](ElvGridSpec& s) { s.truncate_to = 256 + 2 * 4; }},
        RefusalCase{"TableLongerThanTheFile", [](ElvGridSpec& s) { s.table_length = 30000; }},
        RefusalCase{"NegativeTableLength", [](ElvGridSpec& s) { s.table_length = -1; }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nephrax
