// Terrain shading through the program: the bundled sample shaded from an elevation grid, and the
// runs that cannot be shaded.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/bmp_file.h"
#include "support/elevation_builder.h"
#include "support/run_program.h"
#include "support/setup_file_builder.h"
#include "support/source_file_builder.h"
#include "terrain/terrain_colours.h"

namespace nephrax {
namespace {

using testing::RunProgram;

const std::string kSample = std::string(NEPHRAX_SOURCE_DIR) + "/data/sample/sample.ir";

// The sample's 1001 x 801 picture shows 50N..10N, 110E..160E, 0.05 degrees a pixel. The grid
// has one-degree cells over 51N..9N, 109E..161E: 1000 m north of 30N, sea south of it, and no
// data from 150E on.
testing::ElvGridSpec SampleAreaGrid() {
  testing::ElvGridSpec spec;
  spec.rows = 42;
  spec.columns = 52;
  spec.north = 51;
  spec.west = 109;
  spec.row_height = 3600;
  spec.column_width = 3600;
  for (int row = 0; row < spec.rows; ++row) {
    for (int column = 0; column < spec.columns; ++column) {
      const bool no_data = column >= 41;  // 150E and east
      const bool land = row <= 20;        // north of 30N
      spec.cells.push_back(no_data ? spec.no_data_value : land ? 1000 : spec.sea_value);
    }
  }
  return spec;
}

// Picture regions of the grid, two pixels clear of its edges.
struct Region {
  int x0, y0, x1, y1;  // [x0, x1) x [y0, y1)
};
constexpr Region kLand{0, 0, 798, 398};
constexpr Region kSea{0, 403, 798, 801};
constexpr Region kNoData{803, 0, 1001, 801};

Colour Blend(Colour tint, Colour pixel) {
  return Colour{ScreenBlend(tint.red, pixel.red), ScreenBlend(tint.green, pixel.green),
                ScreenBlend(tint.blue, pixel.blue)};
}

// Pixels of the region in `shaded` that are not the tint screened over the same pixel of `plain`.
int CountUnlikeBlends(const testing::BmpFile& plain, const testing::BmpFile& shaded,
                      const Region& region, Colour tint) {
  int unlike = 0;
  for (int y = region.y0; y < region.y1; ++y) {
    for (int x = region.x0; x < region.x1; ++x) {
      unlike += shaded.Pixel(x, y) == Blend(tint, plain.Pixel(x, y)) ? 0 : 1;
    }
  }
  return unlike;
}

class TerrainRunTest : public ::testing::Test {
 protected:
  TerrainRunTest() {
    std::filesystem::create_directory(elevations_);
    testing::WriteBytes(elevations_ + "/ELEVAT.DAT", testing::BuildElvGrid(SampleAreaGrid()));
  }

  // Runs the program on `source` with the setup file (overlays off, and the entries given).
  testing::ProgramResult Run(const std::vector<std::string>& options, const std::string& source,
                             const std::string& picture,
                             const std::vector<std::pair<std::string, std::string>>& entries) {
    testing::SetupFileBuilder setup;
    setup.Entry("Map", "OFF").Entry("Grid", "OFF").Entry("Dtm", "-1");
    for (const auto& [key, value] : entries) setup.Entry(key, value);
    setup.Write(setup_);
    std::vector<std::string> arguments = options;
    arguments.push_back("-s=" + setup_);
    arguments.push_back(source);
    arguments.push_back(picture);
    return RunProgram(testing::NephraxPath(), arguments);
  }

  testing::TempDir dir_;
  const std::string elevations_ = dir_.File("elv");
  const std::string setup_ = dir_.File("setup.ini");
  const std::string plain_ = dir_.File("plain.bmp");
  const std::string shaded_ = dir_.File("shaded.bmp");
};

struct ShadingCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> entries;
  Colour land;  // the tint of 1000 m
  Colour sea;
};

class SampleShadingTest : public TerrainRunTest,
                          public ::testing::WithParamInterface<ShadingCase> {};

TEST_P(SampleShadingTest, LandAndSeaTakeTheirTintsAndNoDataKeepsItsColour) {
  const ShadingCase& c = GetParam();
  ASSERT_EQ(Run({}, kSample, plain_, c.entries).exit_status, 0);
  const testing::ProgramResult result = Run({"-e=" + elevations_}, kSample, shaded_, c.entries);
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const testing::BmpFile plain = testing::ReadBmpFile(plain_);
  const testing::BmpFile shaded = testing::ReadBmpFile(shaded_);
  ASSERT_EQ(shaded.width, 1001);
  ASSERT_EQ(shaded.height, 801);
  EXPECT_EQ(CountUnlikeBlends(plain, shaded, kLand, c.land), 0);
  EXPECT_EQ(CountUnlikeBlends(plain, shaded, kSea, c.sea), 0);
  EXPECT_EQ(CountUnlikeBlends(plain, shaded, kNoData, Colour{0, 0, 0}), 0);
  // The shading shows: the sample is not white where it is shaded.
  EXPECT_GT(CountUnlikeBlends(plain, shaded, kLand, Colour{0, 0, 0}), 0);
}

INSTANTIATE_TEST_SUITE_P(
    ElvAdj, SampleShadingTest,
    ::testing::Values(ShadingCase{"DefaultHalfDark", {}, {50, 50, 0}, {0, 0, 64}},
                      ShadingCase{"Unadjusted", {{"ElvAdj", "0"}}, {99, 99, 0}, {0, 0, 128}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TerrainRunTest, ASatelliteViewImageCannotBeShaded) {
  testing::SourceFileSpec spec;
  spec.grid_flag = 0;
  spec.view_pixels = spec.width;
  spec.view_lines = spec.height;
  const std::string source = dir_.File("view.dat");
  testing::WriteBytes(source, testing::BuildSourceFile(spec));
  ASSERT_EQ(Run({}, source, plain_, {}).exit_status, 0);
  const testing::ProgramResult result = Run({"-e=" + elevations_}, source, shaded_, {});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, "Image draw error.\r\n");
  EXPECT_FALSE(std::filesystem::exists(shaded_));
}

TEST_F(TerrainRunTest, ADirectoryWithoutElevationDataFailsTheDrawing) {
  const std::string empty = dir_.File("empty");
  std::filesystem::create_directory(empty);
  const testing::ProgramResult result = Run({"-e=" + empty}, kSample, shaded_, {});
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_EQ(result.err, "Image draw error.\r\n");
  EXPECT_FALSE(std::filesystem::exists(shaded_));
}

}  // namespace
}  // namespace nephrax
