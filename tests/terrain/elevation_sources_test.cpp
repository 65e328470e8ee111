#include "terrain/elevation_sources.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "lookup_helpers.h"
#include "support/elevation_builder.h"
#include "support/source_file_builder.h"
#include "support/szdd_writer.h"
#include "terrain/cell_file.h"

namespace nephrax {
namespace {

using testing::ElvGridSpec;
using testing::LatLon;
using testing::LookupResult;

constexpr std::array<const char*, 6> kFileOrder = {"ELEVAT.DAT",  "elevGlobe30s", "elevGtopo30s",
                                                   "elevGtopo2m", "elevGtopo6m",  "elevGtopo30m"};
// A point of the default grid's first cell, and one of its second row.
constexpr LatLon kFirstCell = {10 - 0.5 / 120, 100 + 0.5 / 120};
constexpr LatLon kSecondRow = {10 - 1.5 / 120, 100 + 2.5 / 120};

ElvGridSpec GridOf(int32_t value) {
  ElvGridSpec spec;
  spec.cells.assign(6, value);
  return spec;
}

class ElevationFileOrderTest : public ::testing::TestWithParam<size_t> {};

// With the files from the parameter's name on present, the parameter's file is the source.
TEST_P(ElevationFileOrderTest, FirstFileThatOpensIsTheSource) {
  const testing::TempDir dir;
  for (size_t k = GetParam(); k < kFileOrder.size(); ++k) {
    testing::WriteBytes(dir.File(kFileOrder[k]), testing::BuildElvGrid(GridOf(100 + int32_t(k))));
  }
  const LookupResult result = testing::LookUpIn(dir.path(), {kFirstCell});
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.elevations, (std::vector<int16_t>{int16_t(100 + GetParam())}));
}

INSTANTIATE_TEST_SUITE_P(Files, ElevationFileOrderTest, ::testing::Range<size_t>(0, 6),
                         [](const auto& info) {
                           std::string name = kFileOrder[info.param];
                           std::erase(name, '.');
                           return name;
                         });

TEST(LookupElevationsTest, FileWithoutTheElvMagicSendsTheLookupToTheGtopoTiles) {
  const testing::TempDir dir;
  std::vector<uint8_t> not_elv = testing::BuildElvGrid(GridOf(5));
  not_elv[3] = '_';
  testing::WriteBytes(dir.File("ELEVAT.DAT"), not_elv);
  testing::WriteBytes(dir.File("elevGlobe30s"), testing::BuildElvGrid(GridOf(6)));
  testing::GtopoTileSpec tile;  // W180N90
  tile.cells = {7, 7, 7, 7};
  testing::WriteGtopoTile(dir.path(), tile);
  EXPECT_EQ(testing::LookUpIn(dir.path(), {{89.999, -179.999}, kFirstCell}).elevations,
            (std::vector<int16_t>{7, kNoElevation}));
}

struct CompressionCase {
  const char* name;
  std::vector<int16_t> table;
  std::vector<int16_t> expected;
};

class CompressedGridTest : public ::testing::TestWithParam<CompressionCase> {};

TEST_P(CompressedGridTest, ReadsAsThePlainOne) {
  ElvGridSpec spec;
  spec.coding = 1;
  spec.index_width = 1;
  spec.table = GetParam().table;
  spec.cells = {0, 1, 2, 3, 2, 1};
  const std::vector<uint8_t> grid = testing::BuildElvGrid(spec);
  const testing::TempDir plain;
  const testing::TempDir compressed;
  testing::WriteBytes(plain.File("ELEVAT.DAT"), grid);
  testing::WriteBytes(compressed.File("ELEVAT.DAT"), testing::BuildLiteralSzdd(grid));
  const LookupResult from_plain = testing::LookUpIn(plain.path(), {kFirstCell, kSecondRow});
  const LookupResult from_compressed =
      testing::LookUpIn(compressed.path(), {kFirstCell, kSecondRow});
  EXPECT_EQ(from_plain.elevations, GetParam().expected);
  EXPECT_TRUE(from_compressed.found);
  EXPECT_EQ(from_compressed.elevations, from_plain.elevations);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CompressedGridTest,
    ::testing::Values(CompressionCase{"FourEntries", {0, 250, 500, 750}, {0, 250}},
                      CompressionCase{"Empty", {}, {kNoElevation, kNoElevation}}),
    [](const auto& info) { return std::string(info.param.name); });

class PathLimitTest : public ::testing::TestWithParam<size_t> {};

// The parameter is the number of bytes by which the grid's path passes the limit.
TEST_P(PathLimitTest, PathsLongerThan255BytesDoNotOpen) {
  const testing::TempDir dir;
  const std::string file_name = "/ELEVAT.DAT";  // the shortest of the names
  const size_t name_length =
      kElevationPathLimit + GetParam() - (dir.path().size() + 1) - file_name.size();
  const std::string directory = dir.File(std::string(name_length, 'd'));
  std::filesystem::create_directory(directory);
  testing::WriteBytes(directory + file_name, testing::BuildElvGrid(GridOf(42)));
  const LookupResult result = testing::LookUpIn(directory, {kFirstCell});
  EXPECT_EQ(result.found, GetParam() == 0);
  EXPECT_EQ(result.elevations,
            (std::vector<int16_t>{GetParam() == 0 ? int16_t{42} : kNoElevation}));
}

INSTANTIATE_TEST_SUITE_P(Lengths, PathLimitTest, ::testing::Values(0, 1), [](const auto& info) {
  return info.param == 0 ? "AtTheLimit" : "Beyond";
});

TEST(LookupElevationsTest, DirectoryWithoutElevationDataGivesNoData) {
  const testing::TempDir dir;
  const LookupResult result = testing::LookUpIn(dir.path(), {kFirstCell, kSecondRow});
  EXPECT_FALSE(result.found);
  EXPECT_EQ(result.elevations, testing::NoElevations(2));
}

TEST(LookupElevationsTest, SpansOfDifferentLengthsAreRefused) {
  const testing::TempDir dir;
  testing::WriteBytes(dir.File("ELEVAT.DAT"), testing::BuildElvGrid(GridOf(1)));
  const std::vector<double> latitudes = {kFirstCell.latitude, kFirstCell.latitude};
  const std::vector<double> longitudes = {kFirstCell.longitude};
  std::vector<int16_t> elevations(2, 0);
  EXPECT_FALSE(LookupElevations({latitudes, longitudes}, elevations, dir.path()));
  EXPECT_EQ(elevations, testing::NoElevations(2));
}

}  // namespace
}  // namespace nephrax
