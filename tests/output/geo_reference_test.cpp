#include "output/geo_reference.h"

#include <gtest/gtest.h>

#include "render/grid_block.h"

namespace nephrax {
namespace {

struct ParametersCase {
  const char* name;
  GeoArea area;
  int32_t width;
  int32_t height;
  std::array<double, 4> parameters;
};

class GeoTiffParametersTest : public ::testing::TestWithParam<ParametersCase> {};

TEST_P(GeoTiffParametersTest, StepFromCornerPixelToCornerPixel) {
  const ParametersCase& c = GetParam();
  const std::array<double, 4> parameters = GeoTiffParameters(c.area, c.width, c.height);
  for (size_t i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(parameters[i], c.parameters[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Areas, GeoTiffParametersTest,
    ::testing::Values(
        // The sample's grid of 0.05 degrees, drawn at its own size and at double width.
        ParametersCase{"GridAtItsOwnSize", {50, 110, 10, 160}, 1001, 801, {50, 110, 0.05, 0.05}},
        ParametersCase{"Resized", {50, 110, 10, 160}, 2001, 401, {50, 110, 0.1, 0.025}},
        ParametersCase{"AcrossTheDateLine", {10, 170, -10, -170}, 21, 11, {10, 170, 2, 1}},
        ParametersCase{"WholeWestOfGreenwich", {0, -80, -20, -40}, 5, 3, {0, -80, 10, 10}},
        // A single column or line spans the whole area in one step.
        ParametersCase{"OneColumnOneLine", {30, 120, 20, 150}, 1, 1, {30, 120, 10, 30}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DisplayedAreaTest, IsTheControlBlocksAreaWithoutZoom) {
  const ControlBlock control = testing::GridControlBlock(50, 120, 20, 150, 601, 601);
  const GeoArea area = DisplayedArea(control, ZoomState{}, PictureSize{601, 601});
  EXPECT_DOUBLE_EQ(area.top_latitude, 50);
  EXPECT_DOUBLE_EQ(area.left_longitude, 120);
  EXPECT_DOUBLE_EQ(area.bottom_latitude, 20);
  EXPECT_DOUBLE_EQ(area.right_longitude, 150);
}

// 50N..20N, 120E..150E on 601 x 601 pixels is 20 pixels to the degree: the window from (200, 200)
// to (400, 400) shows 40N..30N, 130E..140E.
TEST(DisplayedAreaTest, IsTheZoomWindowsAreaWithTheZoom) {
  const ControlBlock control = testing::GridControlBlock(50, 120, 20, 150, 601, 601);
  const ZoomState zoom{true, ZoomWindow{200, 200, 400, 400}};
  const GeoArea area = DisplayedArea(control, zoom, PictureSize{601, 601});
  EXPECT_NEAR(area.top_latitude, 40, 1e-5);
  EXPECT_NEAR(area.left_longitude, 130, 1e-5);
  EXPECT_NEAR(area.bottom_latitude, 30, 1e-5);
  EXPECT_NEAR(area.right_longitude, 140, 1e-5);
}

}  // namespace
}  // namespace nephrax
