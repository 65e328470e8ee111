#include "overlay/grid_layout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/grid_block.h"

namespace nephrax {
namespace {

AreaCornerSet Corners(float top, float west, float bottom, float east) {
  return AreaCornerSet{GeoPoint{top, west}, GeoPoint{top, east}, GeoPoint{bottom, west},
                       GeoPoint{bottom, east}};
}

struct FrameCase {
  const char* name;
  AreaCornerSet corners;
  int32_t interval;
  AreaFrame frame;
};

class ComputeAreaFrameTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(ComputeAreaFrameTest, GivesTheIntegerFrame) {
  EXPECT_EQ(ComputeAreaFrame(GetParam().corners, PixelRect{0, 0, 601, 401}, GetParam().interval),
            GetParam().frame);
}

INSTANTIATE_TEST_SUITE_P(
    Areas, ComputeAreaFrameTest,
    ::testing::Values(FrameCase{"SixtyDegrees",
                                Corners(60, 100, 0, 160),
                                1000,
                                {6000, 0, 10000, 16000, 6000, 6000, 0, 0, 1000, 600, 400}},
                      FrameCase{"TopBetweenGridLines",
                                Corners(45.5F, 100, 0, 160),
                                1000,
                                {4550, 0, 10000, 16000, 4550, 6000, 550, 0, 1000, 600, 400}},
                      FrameCase{"AcrossTheDateLine",
                                Corners(10, 170.5F, -10, -170.25F),
                                1000,
                                {1000, -1000, 17050, 18975, 2000, 1925, 0, 975, 1000, 600, 400}},
                      FrameCase{"WithoutInterval",
                                Corners(45.5F, 100, 0, 160),
                                0,
                                {4550, 0, 10000, 16000, 4550, 6000, 4550, 10000, 0, 600, 400}},
                      // 0.285 is 28.4999996 hundredths in double precision, 28.5 in single.
                      FrameCase{"SinglePrecisionProduct",
                                Corners(0.285F, 100, 0, 160),
                                100,
                                {29, 0, 10000, 16000, 29, 6000, 29, 0, 100, 600, 400}},
                      FrameCase{"SouthOfTheGrid",
                                Corners(-95, 100, -99, 160),
                                1000,
                                {-9500, -9900, 10000, 16000, 400, 6000, 500, 0, 1000, 600, 400}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ComputeAreaFrameTest, CornersOffTheEarthHaveNoFrame) {
  const PixelRect area{0, 0, 601, 601};
  EXPECT_FALSE(ComputeAreaFrame(Corners(std::nanf(""), 100, 0, 160), area, 1000));
  EXPECT_FALSE(ComputeAreaFrame(Corners(60, 100, 0, 400), area, 1000));
  EXPECT_FALSE(ComputeAreaFrame(Corners(60, -1e30F, 0, 160), area, 1000));
  EXPECT_TRUE(ComputeAreaFrame(Corners(60, -360, 0, 360), area, 1000));
}

struct LabelCase {
  const char* name;
  double value;
  int decimals;
  Coordinate coordinate;
  std::string text;
};

class FormatLatLonTest : public ::testing::TestWithParam<LabelCase> {};

TEST_P(FormatLatLonTest, WritesTheLabel) {
  const LabelCase& c = GetParam();
  EXPECT_EQ(FormatLatLon(c.value, c.decimals, c.coordinate), c.text);
}

constexpr Coordinate kLat = Coordinate::kLatitude;
constexpr Coordinate kLon = Coordinate::kLongitude;

INSTANTIATE_TEST_SUITE_P(
    Labels, FormatLatLonTest,
    ::testing::Values(
        LabelCase{"North", 35, 0, kLat, "35N"}, LabelCase{"South", -5, 0, kLat, "5S"},
        LabelCase{"Equator", 0, 0, kLat, "0N"}, LabelCase{"Greenwich", 0, 0, kLon, "0E"},
        LabelCase{"Pole", 90, 0, kLat, "90N"}, LabelCase{"PastTheDateLine", 200, 0, kLon, "160W"},
        LabelCase{"DateLineWest", -180, 0, kLon, "180W"},
        LabelCase{"DateLineEast", 180, 0, kLon, "180E"}, LabelCase{"WholeTurn", 360, 0, kLon, "0E"},
        LabelCase{"WholeTurnBack", -200.5, 1, kLon, "159.5E"},
        LabelCase{"OneDecimalLatitude", 35.5, 1, kLat, "35.5N"},
        LabelCase{"OneDecimalLongitude", 140.5, 1, kLon, "140.5E"},
        LabelCase{"FiveDecimals", -12.345678, 5, kLat, "12.34568S"},
        LabelCase{"LatitudeBeyondThePole", 95, 1, kLat, "xx.xN"},
        LabelCase{"LatitudeBeyondTheSouthPole", -90.01, 2, kLat, "xx.xxS"},
        LabelCase{"LatitudePlaceholderWithoutDecimals", 95, 0, kLat, "xx.N"},
        LabelCase{"LongitudeBeyondATurn", 400, 1, kLon, "xxx.xE"},
        LabelCase{"NotANumber", std::nan(""), 1, kLat, "xx.xN"},
        LabelCase{"TooManyDecimals", 35, 6, kLat, ""},
        LabelCase{"NegativeDecimals", 35, -1, kLat, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The lines of a layout that run across (latitudes) and down (meridians), by their position.
struct LineSummary {
  std::vector<int32_t> rows, columns;
  std::vector<std::string> row_labels, column_labels;
  std::vector<int32_t> equator_rows;
};

LineSummary Summarise(const std::vector<GridLine>& lines) {
  LineSummary s;
  for (const GridLine& line : lines) {
    if (line.from.y == line.to.y) {
      s.rows.push_back(line.from.y);
      s.row_labels.push_back(line.label);
      if (line.equator) s.equator_rows.push_back(line.from.y);
    } else {
      s.columns.push_back(line.from.x);
      s.column_labels.push_back(line.label);
    }
  }
  return s;
}

std::vector<GridLine> Layout(const AreaCornerSet& corners, PixelRect area, int32_t interval,
                             LabelMetrics label_font) {
  const std::optional<AreaFrame> frame = ComputeAreaFrame(corners, area, interval);
  if (!frame) return {};
  return LayOutGrid(*frame, area, label_font);
}

TEST(LayOutGridTest, SixtyDegreesOn601Pixels) {
  const PixelRect area{0, 0, 601, 601};
  const std::vector<GridLine> lines = Layout(Corners(60, 100, 0, 160), area, 1000, {7, 14});
  const LineSummary s = Summarise(lines);
  EXPECT_EQ(s.rows, (std::vector<int32_t>{0, 100, 200, 300, 400, 500, 600}));
  // The top line has no room above it for its labels.
  EXPECT_EQ(s.row_labels, (std::vector<std::string>{"", "50N", "40N", "30N", "20N", "10N", "0N"}));
  EXPECT_EQ(s.equator_rows, (std::vector<int32_t>{600}));
  // The meridian of the left edge (100E) is not drawn; the right one has no room for labels.
  EXPECT_EQ(s.columns, (std::vector<int32_t>{600, 500, 400, 300, 200, 100}));
  EXPECT_EQ(s.column_labels,
            (std::vector<std::string>{"", "150E", "140E", "130E", "120E", "110E"}));

  ASSERT_EQ(lines.size(), 13U);
  EXPECT_EQ(lines[1], (GridLine{{0, 100}, {600, 100}, false, "50N", {{{0, 86}, {572, 86}}}}));
  EXPECT_EQ(lines[6], (GridLine{{0, 600}, {600, 600}, true, "0N", {{{0, 586}, {579, 586}}}}));
  EXPECT_EQ(lines[8], (GridLine{{500, 0}, {500, 600}, false, "150E", {{{500, 0}, {500, 586}}}}));
}

TEST(LayOutGridTest, FirstLatitudeBelowATopBetweenGridLines) {
  const LineSummary s =
      Summarise(Layout(Corners(45.5F, 100, 0, 160), PixelRect{0, 0, 601, 456}, 1000, {7, 14}));
  EXPECT_EQ(s.rows, (std::vector<int32_t>{55, 155, 255, 355, 455}));
  EXPECT_EQ(s.row_labels, (std::vector<std::string>{"40N", "30N", "20N", "10N", "0N"}));
  EXPECT_EQ(s.equator_rows, (std::vector<int32_t>{455}));
}

TEST(LayOutGridTest, AreaAcrossTheDateLine) {
  const LineSummary s =
      Summarise(Layout(Corners(10, 170, -10, -170), PixelRect{0, 0, 201, 201}, 500, {0, 0}));
  EXPECT_EQ(s.rows, (std::vector<int32_t>{0, 50, 100, 150, 200}));
  EXPECT_EQ(s.row_labels, (std::vector<std::string>{"10N", "5N", "0N", "5S", "10S"}));
  EXPECT_EQ(s.equator_rows, (std::vector<int32_t>{100}));
  EXPECT_EQ(s.columns, (std::vector<int32_t>{200, 150, 100, 50}));
  EXPECT_EQ(s.column_labels, (std::vector<std::string>{"170W", "175W", "180E", "175E"}));
}

TEST(LayOutGridTest, ZoomedArea) {
  // The zoom window 130E 40N to 140E 30N of 50N..20N, 120E..150E fills the 601 x 601 picture:
  // one-degree lines fall every 60 pixels.
  const ControlBlock control = testing::GridControlBlock(50, 120, 20, 150, 601, 601);
  const ZoomState zoom{true, ZoomWindow{200, 200, 400, 400}};
  const PixelRect area{0, 0, 601, 601};
  const LineSummary s =
      Summarise(Layout(AreaCorners(control, zoom, PictureSize{601, 601}), area, 100, {7, 14}));
  EXPECT_EQ(s.rows, (std::vector<int32_t>{0, 60, 120, 180, 240, 300, 360, 420, 480, 540, 600}));
  EXPECT_EQ(s.row_labels[1], "39N");
  EXPECT_EQ(s.row_labels[10], "30N");
  EXPECT_TRUE(s.equator_rows.empty());
  EXPECT_EQ(s.columns, (std::vector<int32_t>{600, 540, 480, 420, 360, 300, 240, 180, 120, 60}));
  EXPECT_EQ(s.column_labels[1], "139E");
  EXPECT_EQ(s.column_labels[9], "131E");
}

struct SpacingCase {
  const char* name;
  LabelMetrics label_font;
  bool latitude_labels, longitude_labels;
};

class LabelSpacingTest : public ::testing::TestWithParam<SpacingCase> {};

// 60 degrees over 601 pixels, lines every 10 degrees: 100 pixels apart both ways.
TEST_P(LabelSpacingTest, LabelsOnlyWhereTheyHaveRoom) {
  const SpacingCase& c = GetParam();
  const LineSummary s =
      Summarise(Layout(Corners(60, 100, 0, 160), PixelRect{0, 0, 601, 601}, 1000, c.label_font));
  ASSERT_EQ(s.rows.size(), 7U);
  ASSERT_EQ(s.columns.size(), 6U);
  EXPECT_EQ(s.row_labels.back().empty(), !c.latitude_labels);
  EXPECT_EQ(s.column_labels.back().empty(), !c.longitude_labels);
}

INSTANTIATE_TEST_SUITE_P(Fonts, LabelSpacingTest,
                         ::testing::Values(SpacingCase{"TwoLinesFit", {16, 50}, true, true},
                                           SpacingCase{"TwoLinesDoNotFit", {16, 51}, false, true},
                                           SpacingCase{"SixDigitsDoNotFit", {17, 50}, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LayOutGridTest, TooCloseForLabelsStillGetsLines) {
  // One-degree lines over 90 degrees in 200 pixels lie about 2 pixels apart.
  const LineSummary s =
      Summarise(Layout(Corners(90, 0, 0, 90), PixelRect{0, 0, 200, 200}, 100, {7, 14}));
  EXPECT_FALSE(s.rows.empty());
  EXPECT_FALSE(s.columns.empty());
  for (const std::string& label : s.row_labels) EXPECT_EQ(label, "");
  for (const std::string& label : s.column_labels) EXPECT_EQ(label, "");
}

TEST(LayOutGridTest, GridLatitudeJustBelowTheAreaIsLeftOut) {
  // 14.01N..10.01N: the first grid latitude, 10N, lies one hundredth below the bottom edge and
  // rounds to the row just past the picture.
  const LineSummary s =
      Summarise(Layout(Corners(14.01F, 100, 10.01F, 160), PixelRect{0, 0, 601, 401}, 1000, {}));
  EXPECT_TRUE(s.rows.empty());
  EXPECT_EQ(s.columns.size(), 6U);
}

TEST(LayOutGridTest, AreaWithoutExtentOrIntervalHasNoLines) {
  const PixelRect area{0, 0, 601, 601};
  const LineSummary flat = Summarise(Layout(Corners(30, 100, 30, 160), area, 1000, {7, 14}));
  EXPECT_TRUE(flat.rows.empty());
  EXPECT_EQ(flat.columns.size(), 6U);
  const LineSummary narrow = Summarise(Layout(Corners(60, 100, 0, 100), area, 1000, {7, 14}));
  EXPECT_EQ(narrow.rows.size(), 7U);
  EXPECT_TRUE(narrow.columns.empty());
  EXPECT_TRUE(Layout(Corners(60, 100, 0, 160), area, 0, {7, 14}).empty());
}

}  // namespace
}  // namespace nephrax
