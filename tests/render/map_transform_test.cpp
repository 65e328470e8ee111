#include "render/map_transform.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/grid_block.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::ControlBlockOf;
using testing::GridControlBlock;
using testing::SourceFileSpec;

// 50N..20N, 120E..150E on a 601 x 601 picture: 20 picture pixels to the degree.
const ControlBlock kPacific = GridControlBlock(50, 120, 20, 150, 601, 601);
constexpr PictureSize kSquare{601, 601};

struct LongitudeCase {
  const char* name;
  double west, east, lon;
  double continuous_east, centre, brought;
};

class LongitudeTest : public ::testing::TestWithParam<LongitudeCase> {};

TEST_P(LongitudeTest, BringsLongitudesNextToTheArea) {
  const LongitudeCase& c = GetParam();
  const LongitudeRange range = ContinuousLongitudes(c.west, c.east);
  EXPECT_DOUBLE_EQ(range.west, c.west);
  EXPECT_DOUBLE_EQ(range.east, c.continuous_east);
  EXPECT_DOUBLE_EQ(range.centre, c.centre);
  EXPECT_DOUBLE_EQ(BringLongitudeNextTo(range, c.lon), c.brought);
}

INSTANTIATE_TEST_SUITE_P(
    Areas, LongitudeTest,
    ::testing::Values(LongitudeCase{"WesternHemisphereKept", 120, 150, -170, 150, 135, 190},
                      LongitudeCase{"AcrossTheDateLine", 170, -170, -175, 190, 180, 185},
                      LongitudeCase{"EastOfTheDateLineKept", 170, -170, 175, 190, 180, 175},
                      LongitudeCase{"AroundGreenwich", -10, 10, 350, 10, 0, -10},
                      LongitudeCase{"WholeWestern", -170, -100, -120, -100, -135, -120}),
    [](const auto& info) { return std::string(info.param.name); });

struct ZoomCase {
  const char* name;
  ControlBlock control;
  ZoomArea area;
  LabelMetrics label_font;
  bool set;
  ZoomWindow window;
};

// Cases hold a whole control block; the name says enough.
void PrintTo(const ZoomCase& c, std::ostream* os) {
  *os << c.name;
}

class SetupZoomWindowTest : public ::testing::TestWithParam<ZoomCase> {};

TEST_P(SetupZoomWindowTest, SetsTheWindowOnlyWhenItIsLargeEnough) {
  const ZoomCase& c = GetParam();
  const ZoomWindow earlier{1, 2, 3, 4};
  ZoomState zoom{false, earlier};
  EXPECT_EQ(SetupZoomWindow(c.control, c.area, kSquare, c.label_font, zoom), c.set);
  EXPECT_EQ(zoom.active, c.set);
  EXPECT_EQ(zoom.window, c.set ? c.window : earlier);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, SetupZoomWindowTest,
    ::testing::Values(
        ZoomCase{"CentreOfThePacificArea",
                 kPacific,
                 {13000, 4000, 14000, 3000},
                 {7, 14},
                 true,
                 {200, 200, 400, 400}},
        // Both points clamp to the picture's left column.
        ZoomCase{"ZoomUnset", kPacific, {0, 0, 0, 0}, {0, 0}, false, {}},
        ZoomCase{"BeyondTheAreaClamped",
                 kPacific,
                 {10000, 6000, 14000, 3000},
                 {7, 14},
                 true,
                 {0, 0, 400, 400}},
        // 0.5 degrees is 10 pixels: half of 11 is 5, which must exceed the digit width.
        ZoomCase{"JustWiderThanTwoDigits",
                 kPacific,
                 {13000, 4000, 13050, 3000},
                 {4, 14},
                 true,
                 {200, 200, 210, 400}},
        ZoomCase{"NarrowerThanTwoDigits", kPacific, {13000, 4000, 13050, 3000}, {5, 14}, false, {}},
        ZoomCase{"LowerThanTwoLines", kPacific, {13000, 4000, 14000, 3950}, {7, 5}, false, {}},
        ZoomCase{"JustHigherThanTwoLines",
                 kPacific,
                 {13000, 4000, 14000, 3950},
                 {7, 4},
                 true,
                 {200, 200, 400, 210}},
        ZoomCase{"PointsSwapped", kPacific, {14000, 3000, 13000, 4000}, {0, 0}, false, {}},
        ZoomCase{"AcrossTheDateLine",
                 GridControlBlock(10, 170, -10, -170, 201, 201),
                 {17500, 500, -17500, -500},
                 {7, 14},
                 true,
                 {150, 150, 450, 450}},
        ZoomCase{"EqualTopAndBottom",
                 GridControlBlock(30, 120, 30, 150, 601, 1),
                 {13000, 4000, 14000, 3000},
                 {0, 0},
                 false,
                 {}},
        ZoomCase{"ZeroLongitudeSpan",
                 GridControlBlock(50, 120, 20, 120, 1, 601),
                 {13000, 4000, 14000, 3000},
                 {0, 0},
                 false,
                 {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SetupZoomWindowTest, OneColumnPictureNeverZooms) {
  ZoomState zoom;
  EXPECT_FALSE(SetupZoomWindow(kPacific, {13000, 4000, 14000, 3000}, PictureSize{1, 601},
                               LabelMetrics{}, zoom));
  EXPECT_FALSE(zoom.active);
}

TEST(SetupZoomWindowTest, RefusedWindowKeepsAnEarlierOne) {
  ZoomState zoom;
  ASSERT_TRUE(SetupZoomWindow(kPacific, {13000, 4000, 14000, 3000}, kSquare, {7, 14}, zoom));
  EXPECT_FALSE(SetupZoomWindow(kPacific, {0, 0, 0, 0}, kSquare, {7, 14}, zoom));
  EXPECT_TRUE(zoom.active);
  EXPECT_EQ(zoom.window, (ZoomWindow{200, 200, 400, 400}));
}

TEST(AreaCornersTest, UnzoomedCornersAreTheControlBlocks) {
  SourceFileSpec spec;
  spec.top_left_lat = 1, spec.top_left_lon = 2, spec.top_right_lat = 3, spec.top_right_lon = 4;
  spec.bottom_left_lat = 5, spec.bottom_left_lon = 6;
  spec.bottom_right_lat = 7, spec.bottom_right_lon = 8;
  const ControlBlock control = ControlBlockOf(spec);
  const ZoomState zoom{false, ZoomWindow{200, 200, 400, 400}};
  EXPECT_EQ(AreaCorners(control, zoom, kSquare),
            (AreaCornerSet{GeoPoint{1, 2}, GeoPoint{3, 4}, GeoPoint{5, 6}, GeoPoint{7, 8}}));
}

TEST(AreaCornersTest, ZoomedCornersAreThoseOfTheWindow) {
  const ZoomState zoom{true, ZoomWindow{200, 100, 400, 500}};
  EXPECT_EQ(
      AreaCorners(kPacific, zoom, kSquare),
      (AreaCornerSet{GeoPoint{45, 130}, GeoPoint{45, 140}, GeoPoint{25, 130}, GeoPoint{25, 140}}));
}

TEST(AreaCornersTest, ZoomedLongitudesStayContinuousAcrossTheDateLine) {
  const ControlBlock control = GridControlBlock(10, 170, -10, -170, 201, 201);
  const ZoomState zoom{true, ZoomWindow{0, 0, 450, 600}};
  const AreaCornerSet corners = AreaCorners(control, zoom, kSquare);
  EXPECT_FLOAT_EQ(corners[kTopLeft].lon, 170);
  EXPECT_FLOAT_EQ(corners[kBottomRight].lon, 185);
  EXPECT_FLOAT_EQ(corners[kBottomRight].lat, -10);
}

struct ToPictureCase {
  const char* name;
  ControlBlock control;
  PictureSize picture;
  double lat, lon;
  std::optional<PicturePoint> point;
};

void PrintTo(const ToPictureCase& c, std::ostream* os) {
  *os << c.name;
}

class LatLonToPictureTest : public ::testing::TestWithParam<ToPictureCase> {};

TEST_P(LatLonToPictureTest, MapsOntoTheUnzoomedPicture) {
  const ToPictureCase& c = GetParam();
  EXPECT_EQ(LatLonToPicture(c.control, ZoomState{}, c.picture, c.lat, c.lon), c.point);
}

INSTANTIATE_TEST_SUITE_P(
    Points, LatLonToPictureTest,
    ::testing::Values(
        ToPictureCase{"TopLeft", kPacific, kSquare, 50, 120, PicturePoint{0, 0}},
        ToPictureCase{"BottomRight", kPacific, kSquare, 20, 150, PicturePoint{600, 600}},
        ToPictureCase{"RoundedToNearest", kPacific, kSquare, 39.974, 130.026,
                      PicturePoint{201, 201}},
        ToPictureCase{"OutsideTheArea", kPacific, kSquare, 60, 100, PicturePoint{-400, -200}},
        // 15 degrees east of the western edge of a 20-degree area.
        ToPictureCase{"AcrossTheDateLine", GridControlBlock(10, 170, -10, -170, 201, 201),
                      PictureSize{201, 201}, 0, -175, PicturePoint{150, 100}},
        ToPictureCase{"EqualTopAndBottom", GridControlBlock(30, 120, 30, 150, 601, 1), kSquare, 30,
                      130, std::nullopt},
        ToPictureCase{"ZeroLongitudeSpan", GridControlBlock(50, 120, 20, 120, 1, 601), kSquare, 30,
                      120, std::nullopt},
        // A single row shows every latitude on it, even of an area without height.
        ToPictureCase{"OneRowPicture", GridControlBlock(30, 120, 30, 150, 601, 1),
                      PictureSize{601, 1}, 10, 135, PicturePoint{300, 0}},
        ToPictureCase{"BeyondInt32", kPacific, kSquare, -1e9, 130, std::nullopt},
        ToPictureCase{"NotANumber", kPacific, kSquare, std::nan(""), 130, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LatLonToPictureTest, ZoomedPictureStartsAtTheWindowsNorthWestCorner) {
  ZoomState zoom;
  ASSERT_TRUE(SetupZoomWindow(kPacific, {13000, 4000, 14000, 3000}, kSquare, {7, 14}, zoom));
  const AreaCornerSet corners = AreaCorners(kPacific, zoom, kSquare);
  EXPECT_EQ(LatLonToPicture(kPacific, zoom, kSquare, corners[kTopLeft].lat, corners[kTopLeft].lon),
            (PicturePoint{0, 0}));
  EXPECT_EQ(LatLonToPicture(kPacific, zoom, kSquare, 30, 140), (PicturePoint{600, 600}));
  EXPECT_EQ(LatLonToPicture(kPacific, zoom, kSquare, 35, 135), (PicturePoint{300, 300}));
}

struct ToSourceCase {
  const char* name;
  ControlBlock control;
  int32_t x, y;
  std::optional<SourcePoint> point;
};

void PrintTo(const ToSourceCase& c, std::ostream* os) {
  *os << c.name;
}

class PictureToSourceTest : public ::testing::TestWithParam<ToSourceCase> {};

TEST_P(PictureToSourceTest, FindsTheSourcePositionUnderThePicture) {
  const ToSourceCase& c = GetParam();
  EXPECT_EQ(PictureToSource(c.control, kSquare, c.x, c.y), c.point);
}

ControlBlock SatelliteView(int32_t pixels, int32_t lines) {
  SourceFileSpec spec;
  spec.grid_flag = 0;
  spec.view_pixels = pixels;
  spec.view_lines = lines;
  return ControlBlockOf(spec);
}

INSTANTIATE_TEST_SUITE_P(
    Points, PictureToSourceTest,
    ::testing::Values(
        ToSourceCase{"SameSize", kPacific, 200, 400, SourcePoint{200, 400}},
        ToSourceCase{"HalfSize", GridControlBlock(50, 120, 20, 150, 301, 301), 200, 400,
                     SourcePoint{100, 200}},
        // A third of a pixel per picture pixel: 2/3 rounds to 1.
        ToSourceCase{"ThirdSize", GridControlBlock(50, 120, 20, 150, 201, 201), 2, 4,
                     SourcePoint{1, 1}},
        ToSourceCase{"LastPixel", GridControlBlock(50, 120, 20, 150, 301, 151), 600, 600,
                     SourcePoint{300, 150}},
        ToSourceCase{"AcrossTheDateLine", GridControlBlock(10, 170, -10, -170, 201, 201), 450, 150,
                     SourcePoint{150, 50}},
        // A single source line takes every latitude, even in an area without height.
        ToSourceCase{"OneLineOfNoHeight", GridControlBlock(30, 120, 30, 150, 301, 1), 200, 300,
                     SourcePoint{100, 0}},
        ToSourceCase{"EqualTopAndBottom", GridControlBlock(30, 120, 30, 150, 301, 2), 200, 300,
                     std::nullopt},
        // Satellite view scales linearly, whatever the sign of the sizes.
        ToSourceCase{"SatelliteView", SatelliteView(1201, -301), 300, 200, SourcePoint{600, 100}},
        ToSourceCase{"SatelliteViewRounded", SatelliteView(1001, 501), 1, 1, SourcePoint{2, 1}},
        ToSourceCase{"SatelliteViewBeyondInt32", SatelliteView(1001, 501), 2000000000, 0,
                     std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nephrax
