#include "overlay/draw_grid.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "render/draw_picture.h"
#include "render/grid_block.h"

namespace nephrax {
namespace {

constexpr Colour kGrey{128, 128, 128};
constexpr Colour kWhite{255, 255, 255};
constexpr Colour kBlack{0, 0, 0};

AreaCornerSet Corners(float top, float west, float bottom, float east) {
  return AreaCornerSet{GeoPoint{top, west}, GeoPoint{top, east}, GeoPoint{bottom, west},
                       GeoPoint{bottom, east}};
}

const LabelFonts& EnglishLabelFonts() {
  static const LabelFonts fonts = CreateLabelFonts(Settings{}, Language::kEnglish);
  return fonts;
}

const LabelFonts kNoFonts{};

// A grey picture of `width` x `height` with the grid drawn on it.
Surface GridPicture(int32_t width, int32_t height, const AreaCornerSet& corners, int32_t interval,
                    const Settings& settings, const LabelFonts& fonts) {
  std::optional<Surface> surface = CreateSurface(width, height);
  EXPECT_TRUE(surface);
  FillRect(*surface, PixelRect{0, 0, width, height}, kGrey);
  DrawGrid(*surface, PixelRect{0, 0, width, height}, corners, interval, settings, fonts);
  return std::move(*surface);
}

// The colours drawn over the grey down column x (by row) or along row y (by column).
std::map<int32_t, Colour> DrawnDownColumn(const Surface& surface, int32_t x) {
  std::map<int32_t, Colour> drawn;
  for (int32_t y = 0; y < surface.height(); ++y) {
    if (surface.GetPixel(x, y) != kGrey) drawn[y] = *surface.GetPixel(x, y);
  }
  return drawn;
}

std::map<int32_t, Colour> DrawnAlongRow(const Surface& surface, int32_t y) {
  std::map<int32_t, Colour> drawn;
  for (int32_t x = 0; x < surface.width(); ++x) {
    if (surface.GetPixel(x, y) != kGrey) drawn[x] = *surface.GetPixel(x, y);
  }
  return drawn;
}

std::map<int32_t, Colour> Lines(const std::vector<int32_t>& positions, const Colour& colour,
                                std::optional<int32_t> equator = std::nullopt,
                                const Colour& equator_colour = {}) {
  std::map<int32_t, Colour> lines;
  for (const int32_t p : positions) lines[p] = colour;
  if (equator) lines[*equator] = equator_colour;
  return lines;
}

struct LineCase {
  const char* name;
  AreaCornerSet corners;
  int32_t width, height, interval;
  int32_t probe_x, probe_y;  // a column and a row that no grid line takes
  std::vector<int32_t> rows;
  std::optional<int32_t> equator_row;
  std::vector<int32_t> columns;
};

class GridLineTest : public ::testing::TestWithParam<LineCase> {};

// Down a free column every latitude line shows once, along a free row every meridian.
TEST_P(GridLineTest, LinesLieOnTheRowsAndColumnsOfTheirDegrees) {
  const LineCase& c = GetParam();
  const Settings settings;
  const Surface picture = GridPicture(c.width, c.height, c.corners, c.interval, settings, kNoFonts);
  EXPECT_EQ(DrawnDownColumn(picture, c.probe_x),
            Lines(c.rows, settings.GrdCol, c.equator_row, settings.EqtCol));
  EXPECT_EQ(DrawnAlongRow(picture, c.probe_y), Lines(c.columns, settings.GrdCol));
}

AreaCornerSet ZoomedCorners() {
  // 50N..20N, 120E..150E on 601 x 601, zoomed to 130E 40N .. 140E 30N.
  const ControlBlock control = testing::GridControlBlock(50, 120, 20, 150, 301, 301);
  return AreaCorners(control, ZoomState{true, ZoomWindow{200, 200, 400, 400}},
                     PictureSize{601, 601});
}

INSTANTIATE_TEST_SUITE_P(
    Areas, GridLineTest,
    ::testing::Values(
        // Every 100 pixels from 60N at the top to the equator on the last row; the meridian of
        // 100E on the left edge is not drawn.
        LineCase{"SixtyDegrees",
                 Corners(60, 100, 0, 160),
                 601,
                 601,
                 1000,
                 50,
                 50,
                 {0, 100, 200, 300, 400, 500},
                 600,
                 {100, 200, 300, 400, 500, 600}},
        // 45.5N at the top: the first line is 40N, 5.5 degrees (55 pixels) down.
        LineCase{"TopBetweenGridLines",
                 Corners(45.5F, 100, -4.5F, 150),
                 501,
                 501,
                 1000,
                 50,
                 50,
                 {55, 155, 255, 355},
                 455,
                 {100, 200, 300, 400, 500}},
        // 170E..170W: meridians of 170W, 175W, 180 and 175E.
        LineCase{"AcrossTheDateLine",
                 Corners(30, 170, -10, -170),
                 401,
                 401,
                 500,
                 50,
                 25,
                 {0, 50, 100, 150, 200, 250, 350, 400},
                 300,
                 {100, 200, 300, 400}},
        // Two degrees over ten degrees on 601 pixels: 120 pixels apart, rounded.
        LineCase{"ZoomWindow",
                 ZoomedCorners(),
                 601,
                 601,
                 200,
                 60,
                 60,
                 {0, 120, 240, 360, 480, 600},
                 std::nullopt,
                 {120, 240, 360, 480, 600}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridLineTest, CornersOffTheEarthDrawNothing) {
  const Surface picture =
      GridPicture(101, 101, Corners(400, 100, 0, 160), 1000, Settings{}, kNoFonts);
  EXPECT_TRUE(DrawnDownColumn(picture, 50).empty());
  EXPECT_TRUE(DrawnAlongRow(picture, 50).empty());
}

struct PenCase {
  const char* name;
  int32_t GrdWid;
  std::vector<int32_t> rows;  // rows of the line of 50N (row 100) down a free column
};

class GridPenTest : public ::testing::TestWithParam<PenCase> {};

TEST_P(GridPenTest, WideLinesAreGrdWidPixelsThick) {
  Settings settings;
  settings.GrdWid = GetParam().GrdWid;
  const Surface picture = GridPicture(601, 601, Corners(60, 100, 0, 160), 1000, settings, kNoFonts);
  std::map<int32_t, Colour> near_line;
  for (const auto& [y, colour] : DrawnDownColumn(picture, 50)) {
    if (y >= 95 && y <= 105) near_line[y] = colour;
  }
  EXPECT_EQ(near_line, Lines(GetParam().rows, settings.GrdCol));
}

INSTANTIATE_TEST_SUITE_P(Widths, GridPenTest,
                         ::testing::Values(PenCase{"One", 1, {100}},
                                           PenCase{"Three", 3, {99, 100, 101}},
                                           PenCase{"ZeroIsOne", 0, {100}},
                                           PenCase{"NegativeIsOne", -5, {100}}),
                         [](const auto& info) { return std::string(info.param.name); });

// The grid's map style dashes the lines, 18 pixels on and 6 off; the gaps show the picture even
// when the labels stand on opaque boxes.
TEST(GridPenTest, GridMapStyleDashesTheLinesWithClearGaps) {
  Settings settings;
  settings.MapSty[5] = 1;
  settings.GrdStr = 2;
  const Surface picture =
      GridPicture(601, 601, Corners(60, 100, 0, 160), 1000, settings, EnglishLabelFonts());
  for (int32_t x = 0; x < 48; ++x) {
    const bool on = x % 24 < 18;
    EXPECT_EQ(picture.GetPixel(x, 200), on ? settings.GrdCol : kGrey) << "x " << x;
  }
}

// Pixels that the labels changed: those that differ from the same grid drawn without fonts.
std::vector<PixelPoint> LabelPixels(int32_t width, int32_t height, const AreaCornerSet& corners,
                                    int32_t interval, const Settings& settings) {
  const Surface labelled =
      GridPicture(width, height, corners, interval, settings, EnglishLabelFonts());
  const Surface bare = GridPicture(width, height, corners, interval, settings, kNoFonts);
  std::vector<PixelPoint> pixels;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      if (labelled.GetPixel(x, y) != bare.GetPixel(x, y)) pixels.push_back({x, y});
    }
  }
  return pixels;
}

struct SpacingCase {
  const char* name;
  AreaCornerSet corners;
  int32_t interval;
  // The picture size in line heights and digit widths of the small label font, plus pixels.
  int32_t height_lines, height_extra, width_digits, width_extra;
  bool labelled;
};

class GridLabelSpacingTest : public ::testing::TestWithParam<SpacingCase> {};

// Latitude labels need two line heights between lines, meridian labels six digit widths.
TEST_P(GridLabelSpacingTest, LabelsOnlyWhereTheLinesLeaveRoom) {
  const SpacingCase& c = GetParam();
  const LabelFont& small = EnglishLabelFonts().small_label;
  ASSERT_TRUE(small.font);
  const int32_t height = c.height_lines * small.line_height + c.height_extra;
  const int32_t width = c.width_digits * small.digit_width + c.width_extra;
  EXPECT_EQ(!LabelPixels(width, height, c.corners, c.interval, Settings{}).empty(), c.labelled);
}

INSTANTIATE_TEST_SUITE_P(
    Spacings, GridLabelSpacingTest,
    ::testing::Values(
        // 10N..0 on 2 line heights + 1 rows: the equator lies 2 line heights below 10N.
        SpacingCase{"LatitudesAtTwoLines", Corners(10, 100.5F, 0, 100.9F), 1000, 2, 1, 30, 0, true},
        SpacingCase{"LatitudesBelowTwoLines", Corners(10, 100.5F, 0, 100.9F), 1000, 2, 0, 30, 0,
                    false},
        // 100E..120E on 12 digit widths + 1 columns: 110E lies 6 digit widths left of 120E.
        SpacingCase{"MeridiansAtSixDigits", Corners(0.5F, 100, 0.1F, 120), 1000, 5, 0, 12, 1, true},
        SpacingCase{"MeridiansBelowSixDigits", Corners(0.5F, 100, 0.1F, 120), 1000, 5, 0, 12, -1,
                    false},
        // One degree over 90 degrees in 200 pixels.
        SpacingCase{"OneDegreeOverNinety", Corners(45, 0, -45, 90), 100, 0, 200, 0, 200, false}),
    [](const auto& info) { return std::string(info.param.name); });

bool InRect(PixelPoint p, const PixelRect& r) {
  return p.x >= r.x && p.x < r.x + r.width && p.y >= r.y && p.y < r.y + r.height;
}

// On 60N..0 / 100E..160E, 601 x 601: each latitude label stands on its line at both edges, the
// equator's in EqtCol, and each meridian label at the top and the bottom right of its line. Every
// label pixel lies in one of those places.
TEST(GridLabelTest, LabelsStandOnTheirLinesInTheLineColour) {
  const Settings settings;
  const LabelFont& small = EnglishLabelFonts().small_label;
  ASSERT_TRUE(small.font);
  const int32_t lh = small.line_height;
  const int32_t dw = small.digit_width;
  std::vector<PixelRect> places;
  for (const int32_t y : {100, 200, 300, 400, 500, 600}) {
    places.push_back({0, y - lh, 4 * dw, lh});
    places.push_back({600 - 5 * dw, y - lh, 5 * dw, lh});
  }
  for (const int32_t x : {100, 200, 300, 400, 500}) {
    places.push_back({x, 0, 5 * dw, lh});
    places.push_back({x, 600 - lh, 5 * dw, lh});
  }
  const std::vector<PixelPoint> pixels =
      LabelPixels(601, 601, Corners(60, 100, 0, 160), 1000, settings);
  ASSERT_FALSE(pixels.empty());
  std::vector<bool> place_used(places.size(), false);
  const Surface picture =
      GridPicture(601, 601, Corners(60, 100, 0, 160), 1000, settings, EnglishLabelFonts());
  for (const PixelPoint p : pixels) {
    size_t place = 0;
    while (place < places.size() && !InRect(p, places[place])) ++place;
    ASSERT_LT(place, places.size()) << "label pixel at " << p.x << "," << p.y;
    place_used[place] = true;
    // Antialiased glyphs blend the label's colour into the grey: the equator's labels (the last
    // latitude pair) lean to red, the others to blue.
    const Colour colour = *picture.GetPixel(p.x, p.y);
    const bool equator = place == 10 || place == 11;
    EXPECT_TRUE(equator ? colour.red >= colour.blue : colour.blue >= colour.red)
        << p.x << "," << p.y;
  }
  for (size_t place = 0; place < places.size(); ++place) {
    EXPECT_TRUE(place_used[place]) << "no label in place " << place;
  }
}

struct LabelBoxCase {
  const char* name;
  uint8_t GrdStr;
  Colour GrdCol;
  Colour box;
};

class GridLabelBoxTest : public ::testing::TestWithParam<LabelBoxCase> {};

// With GrdStr bit 1 the label of 50N stands on a box one line of the chosen font tall (the label
// font with bit 0, else the small one), white behind colours up to a sum of 500, else black.
TEST_P(GridLabelBoxTest, OpaqueLabelsStandOnABoxOfTheirFont) {
  const LabelBoxCase& c = GetParam();
  Settings settings;
  settings.GrdStr = c.GrdStr;
  settings.GrdCol = c.GrdCol;
  const LabelFonts& fonts = EnglishLabelFonts();
  const LabelFont& font = (c.GrdStr & 1) != 0 ? fonts.label : fonts.small_label;
  ASSERT_TRUE(font.font);
  const Surface picture = GridPicture(601, 601, Corners(60, 100, 0, 160), 1000, settings, fonts);
  const int32_t lh = font.line_height;
  EXPECT_EQ(picture.GetPixel(0, 100 - lh), c.box);
  EXPECT_EQ(picture.GetPixel(0, 99), c.box);
  EXPECT_EQ(picture.GetPixel(0, 100 - lh - 1), kGrey);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, GridLabelBoxTest,
    ::testing::Values(LabelBoxCase{"SmallFontDarkColour", 2, {0, 0, 192}, kWhite},
                      LabelBoxCase{"LabelFontLightColour", 3, {255, 255, 0}, kBlack},
                      LabelBoxCase{"SumOf500", 2, {250, 250, 0}, kWhite},
                      LabelBoxCase{"SumOf501", 3, {250, 251, 0}, kBlack}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridLabelBoxTest, TransparentLabelsLeaveThePictureAroundTheGlyphs) {
  const Surface picture =
      GridPicture(601, 601, Corners(60, 100, 0, 160), 1000, Settings{}, EnglishLabelFonts());
  EXPECT_EQ(picture.GetPixel(0, 99), kGrey);
}

TEST(DrawGridTest, LeavesTheSurfaceStateAsItWas) {
  std::optional<Surface> surface = CreateSurface(601, 601);
  ASSERT_TRUE(surface);
  const SurfaceState before{
      Pen{LineStyle::kDot, 1, {1, 2, 3}}, nullptr, {4, 5, 6}, {7, 8, 9}, BackgroundMode::kOpaque};
  surface->state() = before;
  Settings settings;
  settings.GrdStr = 3;
  settings.GrdWid = 2;
  DrawGrid(*surface, PixelRect{0, 0, 601, 601}, Corners(60, 100, 0, 160), 1000, settings,
           EnglishLabelFonts());
  EXPECT_EQ(surface->state(), before);
}

// A grey 7 x 7 image of 60N..0 / 100E..160E (or of the satellite's view) drawn on 601 x 601.
SourceData GreySource(bool grid_image) {
  testing::SourceFileSpec spec;
  spec.grid_flag = grid_image ? 1 : 0;
  spec.top_left_lat = spec.top_right_lat = 60;
  spec.bottom_left_lat = spec.bottom_right_lat = 0;
  spec.top_left_lon = spec.bottom_left_lon = 100;
  spec.top_right_lon = spec.bottom_right_lon = 160;
  spec.grid_pixels = spec.grid_lines = 7;
  SourceData source;
  source.control = testing::ControlBlockOf(spec);
  source.image.width = source.image.height = 7;
  source.image.stride = 8;
  source.image.counts8.assign(8 * 7, 0);
  return source;
}

struct PictureCase {
  const char* name;
  bool grid_image;
  bool Grid;
  int32_t Intv;
  std::vector<int32_t> rows;  // grid rows down column 75, which no meridian takes
};

class PictureGridTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(PictureGridTest, GridImagesGetTheGridOfIntv) {
  const PictureCase& c = GetParam();
  Settings settings;
  settings.Map = false;
  settings.Dtm = -1;
  settings.Grid = c.Grid;
  settings.Intv = c.Intv;
  DisplayTables tables;
  tables.palette[0] = PaletteEntry{kGrey.red, kGrey.green, kGrey.blue, 0};
  SourceData source = GreySource(c.grid_image);
  std::optional<Surface> surface = CreateSurface(601, 601);
  ASSERT_TRUE(surface);
  ZoomState zoom;
  ASSERT_TRUE(
      DrawPicture(*surface, source, tables, settings, LabelMetrics{}, zoom, OverlayInputs{}));
  const std::optional<int32_t> equator =
      c.rows.empty() ? std::nullopt : std::optional<int32_t>(600);
  EXPECT_EQ(DrawnDownColumn(*surface, 75),
            Lines(c.rows, settings.GrdCol, equator, settings.EqtCol));
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PictureGridTest,
    ::testing::Values(PictureCase{"TenDegrees", true, true, 3, {0, 100, 200, 300, 400, 500}},
                      PictureCase{"FifteenDegrees", true, true, 4, {0, 150, 300, 450}},
                      PictureCase{"GridOff", true, false, 3, {}},
                      PictureCase{"SatelliteView", false, true, 3, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The caption goes on every picture, satellite-view ones too, unless Dtm is below 0.
class PictureCaptionTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(PictureCaptionTest, CaptionBoxTakesTheTopLeftCornerWhenDtmIsZero) {
  Settings settings;
  settings.Dtm = GetParam();
  DisplayTables tables;
  tables.palette[0] = PaletteEntry{kGrey.red, kGrey.green, kGrey.blue, 0};
  SourceData source = GreySource(false);
  std::optional<Surface> surface = CreateSurface(601, 601);
  ASSERT_TRUE(surface);
  ZoomState zoom;
  ASSERT_TRUE(
      DrawPicture(*surface, source, tables, settings, LabelMetrics{}, zoom, OverlayInputs{}));
  // The default DtmCol is yellow, which stands on black.
  EXPECT_EQ(surface->GetPixel(0, 0), GetParam() == 0 ? kBlack : kGrey);
}

INSTANTIATE_TEST_SUITE_P(Dtm, PictureCaptionTest, ::testing::Values(0, -1));

}  // namespace
}  // namespace nephrax
