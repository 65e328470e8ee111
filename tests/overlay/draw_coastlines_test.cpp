// Drawing coastline files of the tests' own onto small pictures: where points land, which records
// the element mask draws, their pens, the breaks at jumps and the 180th meridian, the long records,
// and which file is loaded for a picture's scale.

#include "overlay/draw_coastlines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "render/draw_line.h"
#include "render/draw_picture.h"
#include "render/grid_block.h"
#include "support/coastline_builder.h"
#include "support/source_file_builder.h"

namespace nephrax {
namespace {

using testing::BuildCoastlineFile;
using testing::CoastlineFileSpec;
using testing::CoastlineRecordSpec;

const Colour kMapColour = Settings{}.MapCol;

AreaCornerSet Area(float top, float west, float bottom, float east) {
  return {GeoPoint{top, west}, GeoPoint{top, east}, GeoPoint{bottom, west}, GeoPoint{bottom, east}};
}

PixelRect WholeOf(const Surface& surface) {
  return PixelRect{0, 0, surface.width(), surface.height()};
}

CoastlineRecordSpec Line(std::vector<CoastlinePoint> points, int16_t element_type = 1) {
  CoastlineRecordSpec record;
  record.element_type = element_type;
  record.points = std::move(points);
  return record;
}

CoastlineData DataOf(std::vector<CoastlineRecordSpec> records, uint8_t element_type_flag = 1) {
  CoastlineFileSpec spec;
  spec.element_type_flag = element_type_flag;
  spec.records = std::move(records);
  return BuildCoastlineFile(spec);
}

bool IsDrawn(const Surface& surface, int32_t x, int32_t y) {
  return surface.GetPixel(x, y) == kMapColour;
}

// Draws `data` over the area on a fresh black picture of `width` x `height`.
Surface DrawnPicture(int32_t width, int32_t height, const AreaCornerSet& corners,
                     CoastlineData data, const Settings& settings = {}) {
  std::optional<Surface> surface = CreateSurface(width, height);
  EXPECT_TRUE(surface);
  EXPECT_TRUE(DrawCoastlines(*surface, WholeOf(*surface), corners, settings, "", data));
  return std::move(*surface);
}

// 40N..10N, 120E..150E on 400 x 300 pixels: 3000 hundredths of a degree on 399 and 299 steps.
const AreaCornerSet kAsia = Area(40, 120, 10, 150);

struct MappingCase {
  const char* name;
  CoastlinePoint point;
  PixelPoint pixel;
};

class CoastlineMappingTest : public ::testing::TestWithParam<MappingCase> {};

// The point starts a short vertical line, so its own pixel is the first one drawn.
TEST_P(CoastlineMappingTest, PointLandsOnItsRoundedPixel) {
  const MappingCase& c = GetParam();
  CoastlineRecordSpec record = Line({c.point, {c.point.lon, c.point.lat - 100}});
  record.lon_b = 12100;  // an extent inside the area, wherever the point lies
  const Surface surface = DrawnPicture(400, 300, kAsia, DataOf({record}));
  const PixelPoint p = c.pixel;
  EXPECT_TRUE(IsDrawn(surface, p.x, p.y));
  EXPECT_FALSE(IsDrawn(surface, p.x - 1, p.y));
  EXPECT_FALSE(IsDrawn(surface, p.x + 1, p.y));
  EXPECT_FALSE(IsDrawn(surface, p.x, p.y - 1));
}

INSTANTIATE_TEST_SUITE_P(
    Points, CoastlineMappingTest,
    ::testing::Values(
        MappingCase{"TopLeftCorner", {12000, 4000}, {0, 0}},
        // (20 * 399 + 1500) / 3000 = 3, where the unrounded quotient would give 2; likewise
        // (10 * 299 + 1500) / 3000 = 1 down.
        MappingCase{"RoundedToNearest", {12020, 3990}, {3, 1}},
        // (1000 * 399 + 1500) / 3000 = 133.5, truncated; (1000 * 299 + 1500) / 3000 = 100.2.
        MappingCase{"HalfwayTruncated", {13000, 3000}, {133, 100}},
        // (-10 * 399 + 1500) / 3000 = -0.83 truncates toward zero, onto the first column.
        MappingCase{"JustWestOfTheAreaTruncatesTowardZero", {11990, 3000}, {0, 100}},
        MappingCase{"EastEdge", {15000, 2000}, {399, 199}}),
    [](const auto& info) { return std::string(info.param.name); });

// Element types and the rows their records are drawn on (one horizontal line each).
const std::vector<int16_t> kElementTypes{-1, 0, 1, 2, 3, 4, 5, 6, 7, 9};

int32_t RowOfType(size_t index) {
  return static_cast<int32_t>(10 + 10 * index);
}

CoastlineData OneLinePerType(uint8_t element_type_flag) {
  // 40N..10N on 301 rows: one row every 0.1 degree.
  std::vector<CoastlineRecordSpec> records;
  for (size_t i = 0; i < kElementTypes.size(); ++i) {
    const auto lat = static_cast<int32_t>(4000 - RowOfType(i) * 10);
    records.push_back(Line({{12100, lat}, {12800, lat}}, kElementTypes[i]));
  }
  return DataOf(records, element_type_flag);
}

struct MaskCase {
  const char* name;
  int32_t elem;
  uint8_t element_type_flag;
  std::set<int16_t> drawn_types;
};

class ElementMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(ElementMaskTest, DrawsTheRecordsOfTheSelectedTypes) {
  const MaskCase& c = GetParam();
  Settings settings;
  settings.Elem = c.elem;
  settings.MapSty = {0, 0, 0, 0, 0, 0};  // solid, so every line is drawn where it is looked at
  const Surface surface =
      DrawnPicture(301, 301, kAsia, OneLinePerType(c.element_type_flag), settings);
  for (size_t i = 0; i < kElementTypes.size(); ++i) {
    SCOPED_TRACE(kElementTypes[i]);
    EXPECT_EQ(IsDrawn(surface, 50, RowOfType(i)), c.drawn_types.count(kElementTypes[i]) == 1);
  }
}

const std::set<int16_t> kEveryType(kElementTypes.begin(), kElementTypes.end());

INSTANTIATE_TEST_SUITE_P(
    Masks, ElementMaskTest,
    ::testing::Values(MaskCase{"Default", 5, 1, {-1, 0, 1, 2, 3}},
                      MaskCase{"ShoresOnly", 1, 1, {-1, 0, 1, 2}}, MaskCase{"None", 0, 1, {-1, 0}},
                      MaskCase{"NegativeMeansDefault", -1, 1, {-1, 0, 1, 2, 3}},
                      MaskCase{"UnusedBit1", 2, 1, {-1, 0}},
                      MaskCase{"Types3To6", 0x3C, 1, {-1, 0, 3, 4, 5, 6}},
                      MaskCase{"Bit15SelectsEvery", 0x8000, 1, kEveryType},
                      MaskCase{"BitsAbove15DoNotCount", 0x10001, 1, {-1, 0, 1, 2}},
                      MaskCase{"UntypedFileDrawsEvery", 0, 0, kEveryType}),
    [](const auto& info) { return std::string(info.param.name); });

struct PenCase {
  const char* name;
  int16_t element_type;
  int32_t map_wid;
  Pen pen;  // what the record's line must look like
};

class CoastlinePenTest : public ::testing::TestWithParam<PenCase> {};

TEST_P(CoastlinePenTest, RecordIsDrawnWithTheStyleOfItsTypeAndMapWid) {
  const PenCase& c = GetParam();
  Settings settings;
  settings.Elem = 0x8000;
  settings.MapSty = {1, 2, 3, 4, 0, 2};
  settings.MapWid = c.map_wid;
  const std::vector<CoastlinePoint> points{{12100, 3000}, {12700, 3000}, {12700, 2400}};
  const Surface surface =
      DrawnPicture(301, 301, kAsia, DataOf({Line(points, c.element_type)}), settings);

  std::optional<Surface> expected = CreateSurface(301, 301);
  ASSERT_TRUE(expected);
  expected->state().pen = c.pen;
  expected->state().background_mode = BackgroundMode::kTransparent;
  const std::vector<PixelPoint> pixels{{10, 100}, {70, 100}, {70, 160}};
  DrawPolyline(*expected, pixels);
  EXPECT_TRUE(std::ranges::equal(surface.DibRows(), expected->DibRows()));
}

Pen MapPen(LineStyle style, int32_t width = 1) {
  return Pen{style, width, kMapColour};
}

INSTANTIATE_TEST_SUITE_P(
    Types, CoastlinePenTest,
    ::testing::Values(PenCase{"Shore", 1, 1, MapPen(LineStyle::kDash)},
                      PenCase{"LakeShore", 2, 1, MapPen(LineStyle::kDash)},
                      PenCase{"Untyped", 0, 1, MapPen(LineStyle::kDash)},
                      PenCase{"Border", 3, 1, MapPen(LineStyle::kDot)},
                      PenCase{"River", 4, 1, MapPen(LineStyle::kDashDot)},
                      PenCase{"Type5", 5, 1, MapPen(LineStyle::kDashDotDot)},
                      PenCase{"Type6", 6, 1, MapPen(LineStyle::kSolid)},
                      PenCase{"Type7TakesTheGridStyle", 7, 1, MapPen(LineStyle::kDot)},
                      PenCase{"BeyondTheStylesAsShore", 9, 1, MapPen(LineStyle::kDash)},
                      PenCase{"Wide", 3, 3, MapPen(LineStyle::kDot, 3)},
                      PenCase{"WidthBelowOneIsOne", 1, -2, MapPen(LineStyle::kDash)}),
    [](const auto& info) { return std::string(info.param.name); });

// 40N..10N, 120E..160E on 401 x 301 pixels: one pixel every 0.1 degree, W1 / 4 = 100.
const AreaCornerSet kWide = Area(40, 120, 10, 160);

struct JumpCase {
  const char* name;
  int32_t step;  // pixels across between the second and third point
  bool joined;
};

class CoastlineJumpTest : public ::testing::TestWithParam<JumpCase> {};

TEST_P(CoastlineJumpTest, LineIsBrokenWhereItJumpsMoreThanAQuarterAcross) {
  const JumpCase& c = GetParam();
  // Row 50 from x = 10 to 20, then across to 20 + step and on 10 pixels further.
  const int32_t lat = 4000 - 500;
  const int32_t far = 12200 + c.step * 10;
  const Surface surface = DrawnPicture(
      401, 301, kWide, DataOf({Line({{12100, lat}, {12200, lat}, {far, lat}, {far + 100, lat}})}));
  for (int32_t x = 10; x < 20; ++x) EXPECT_TRUE(IsDrawn(surface, x, 50)) << x;
  for (int32_t x = 20 + c.step; x < 30 + c.step; ++x) EXPECT_TRUE(IsDrawn(surface, x, 50)) << x;
  for (int32_t x = 20; x < 20 + c.step; ++x) {
    ASSERT_EQ(IsDrawn(surface, x, 50), c.joined) << x;
  }
}

INSTANTIATE_TEST_SUITE_P(Steps, CoastlineJumpTest,
                         ::testing::Values(JumpCase{"QuarterAcross", 100, true},
                                           JumpCase{"BeyondAQuarter", 101, false},
                                           JumpCase{"AcrossThePicture", 365, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DrawCoastlinesTest, AreaAcrossThe180thMeridianTakesWesternLongitudesPastIt) {
  // 100E..220E (140W) on 1201 x 201 pixels: one pixel every 0.1 degree.
  const AreaCornerSet pacific = Area(40, 100, 20, -140);
  const Surface surface =
      DrawnPicture(1201, 201, pacific,
                   DataOf({
                       Line({{-17000, 3500}, {-16900, 3500}}),  // 190E..191E
                       Line({{17900, 3000}, {-17900, 3000}}),   // 179E across to 181E
                   }));
  // (19000 - 10000) * 1200 / 12000 = 900; its extent, unwrapped too, lies inside the area.
  for (int32_t x = 900; x < 910; ++x) EXPECT_TRUE(IsDrawn(surface, x, 50)) << x;
  // The crossing is one line from x = 790 to 810, not a jump back to the western edge.
  for (int32_t x = 790; x < 810; ++x) EXPECT_TRUE(IsDrawn(surface, x, 100)) << x;
  for (int32_t x = 0; x < 100; ++x) {
    EXPECT_FALSE(IsDrawn(surface, x, 50)) << x;
    EXPECT_FALSE(IsDrawn(surface, x, 100)) << x;
  }
}

TEST(DrawCoastlinesTest, LongRecordRunsOnAcrossItsBatchesWithoutAGap) {
  // 2500 points one pixel apart, 100E..125E on 2501 pixels: drawn as polylines of 1024, 1024 and
  // 454 points, each starting where the one before ended. Only the record's last point, the end of
  // its line, is left out.
  std::vector<CoastlinePoint> points;
  for (int32_t j = 0; j < 2500; ++j) points.push_back({10000 + j, 2000});
  const Surface surface = DrawnPicture(2501, 21, Area(30, 100, 10, 125), DataOf({Line(points)}));
  for (int32_t x = 0; x < 2499; ++x) ASSERT_TRUE(IsDrawn(surface, x, 10)) << x;
  EXPECT_FALSE(IsDrawn(surface, 2499, 10));
}

struct ExtentCase {
  const char* name;
  int16_t lon_a, lon_b, lowest_lat, highest_lat;
  bool drawn;
};

class CoastlineExtentTest : public ::testing::TestWithParam<ExtentCase> {};

// The record's points lie inside the area; only its extent decides whether it is drawn.
TEST_P(CoastlineExtentTest, RecordIsSkippedWhenItsExtentMissesTheArea) {
  const ExtentCase& c = GetParam();
  CoastlineRecordSpec record = Line({{13000, 2500}, {13700, 2500}});
  record.lon_a = c.lon_a;
  record.lon_b = c.lon_b;
  record.lowest_lat = c.lowest_lat;
  record.highest_lat = c.highest_lat;
  const Surface surface = DrawnPicture(301, 301, kAsia, DataOf({record}));
  EXPECT_EQ(IsDrawn(surface, 100, 150), c.drawn);
}

INSTANTIATE_TEST_SUITE_P(
    Extents, CoastlineExtentTest,
    ::testing::Values(ExtentCase{"Inside", 13000, 14000, 2500, 2500, true},
                      ExtentCase{"EastToWest", 14000, 13000, 2500, 2500, true},
                      ExtentCase{"TouchingTheWestEdge", 11000, 12000, 2500, 2500, true},
                      ExtentCase{"WestOfTheArea", 11000, 11999, 2500, 2500, false},
                      ExtentCase{"TouchingTheEastEdge", 16000, 15000, 2500, 2500, true},
                      ExtentCase{"EastOfTheArea", 15001, 16000, 2500, 2500, false},
                      ExtentCase{"NorthOfTheArea", 13000, 14000, 4001, 4500, false},
                      ExtentCase{"SouthOfTheArea", 13000, 14000, 500, 999, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DrawCoastlinesTest, DataEndingInsideARecordDrawsTheWholeRecordsBeforeIt) {
  CoastlineData data = DataOf(
      {Line({{12100, 3500}, {12700, 3500}}), Line({{12100, 3000}, {12700, 3000}, {12700, 2500}})});
  data->resize(data->size() - 6);  // the second record's last point and the end marker
  const Surface surface = DrawnPicture(301, 301, kAsia, data);
  EXPECT_TRUE(IsDrawn(surface, 50, 50));
  EXPECT_FALSE(IsDrawn(surface, 50, 100));
}

TEST(DrawCoastlinesTest, RestoresTheSurfaceState) {
  std::optional<Surface> surface = CreateSurface(301, 301);
  ASSERT_TRUE(surface);
  surface->state().pen = Pen{LineStyle::kDot, 4, Colour{1, 2, 3}};
  surface->state().background_mode = BackgroundMode::kOpaque;
  const SurfaceState before = surface->state();
  Settings settings;
  settings.MapWid = 2;
  CoastlineData data = DataOf({Line({{12100, 3500}, {12700, 3500}})});
  ASSERT_TRUE(DrawCoastlines(*surface, WholeOf(*surface), kAsia, settings, "", data));
  EXPECT_TRUE(IsDrawn(*surface, 50, 50));
  EXPECT_EQ(surface->state(), before);
}

TEST(DrawCoastlinesTest, AreaWithoutExtentDrawsNothingAndLoadsNothing) {
  const testing::TempDir dir;
  testing::WriteBytes(dir.File("msMap9.dat"), *DataOf({}));
  std::optional<Surface> surface = CreateSurface(301, 301);
  ASSERT_TRUE(surface);
  CoastlineData data;
  EXPECT_FALSE(
      DrawCoastlines(*surface, WholeOf(*surface), Area(40, 130, 40, 150), {}, dir.path(), data));
  EXPECT_FALSE(data.has_value());
}

// Coastline files in a directory of their own, told apart by the element type of their record.
class CoastlineFileChoiceTest : public ::testing::Test {
 protected:
  static std::vector<uint8_t> FileContents(const std::string& name) {
    return *DataOf({Line({{12000, 3000}, {12100, 3100}}, static_cast<int16_t>(name[5]))});
  }
  // The file as the program holds it, zero-filled to 1024 bytes.
  static CoastlineData Held(const std::string& name) {
    std::vector<uint8_t> bytes = FileContents(name);
    bytes.resize(1024, 0);
    return bytes;
  }
  void Add(const std::string& name) { testing::WriteBytes(dir_.File(name), FileContents(name)); }
  // Draws a 60 x 60 degree area on `size` x `size` pixels and returns the data it loaded.
  CoastlineData Load(int32_t size, CoastlineData data = std::nullopt) {
    std::optional<Surface> surface = CreateSurface(size, size);
    EXPECT_TRUE(surface);
    DrawCoastlines(*surface, WholeOf(*surface), Area(60, 100, 0, 160), {}, dir_.path(), data);
    return data;
  }

  testing::TempDir dir_;
};

TEST_F(CoastlineFileChoiceTest, PictureScaleChoosesTheFile) {
  for (const char* name : {"msMap2.dat", "msMap9.dat", "msMap30.dat"}) Add(name);
  // (6000 / 999 + 6000 / 999) / 2 = 6 hundredths of a degree per pixel; at 3000 pixels 2; at 200
  // pixels 30.
  EXPECT_EQ(Load(1000), Held("msMap9.dat"));
  EXPECT_EQ(Load(3000), Held("msMap2.dat"));
  EXPECT_EQ(Load(200), Held("msMap30.dat"));
}

TEST_F(CoastlineFileChoiceTest, TheOnlyFilePresentServesEveryScale) {
  Add("msMap30.dat");
  for (const int32_t size : {1000, 3000, 200}) {
    EXPECT_EQ(Load(size), Held("msMap30.dat")) << size;
  }
}

TEST_F(CoastlineFileChoiceTest, MissingFileFallsBackToTheFinestPresent) {
  Add("msMap9.dat");
  Add("msMap30.dat");
  EXPECT_EQ(Load(3000), Held("msMap9.dat"));
}

TEST_F(CoastlineFileChoiceTest, DataAlreadyHeldStayForEveryScale) {
  for (const char* name : {"msMap2.dat", "msMap9.dat", "msMap30.dat"}) Add(name);
  const CoastlineData map_file = DataOf({Line({{12000, 3000}, {12100, 3100}})});
  EXPECT_EQ(Load(1000, map_file), map_file);
  EXPECT_EQ(Load(200, Load(1000)), Held("msMap9.dat"));
}

TEST_F(CoastlineFileChoiceTest, NoFileGivesNoData) {
  std::optional<Surface> surface = CreateSurface(200, 200);
  ASSERT_TRUE(surface);
  CoastlineData data;
  EXPECT_FALSE(
      DrawCoastlines(*surface, WholeOf(*surface), Area(60, 100, 0, 160), {}, dir_.path(), data));
  EXPECT_FALSE(data.has_value());
}

// The sample's land/sea mask: 1001 x 801 points of 10N..50N, 110E..160E every 0.05 degrees, top
// row north, from the finer shorelines; a binary PBM with 1 for land.
class SampleLandMask {
 public:
  SampleLandMask() {
    std::ifstream in(NEPHRAX_SOURCE_DIR "/data/land/land_mask.pbm", std::ios::binary);
    std::string magic;
    in >> magic >> width_ >> height_;
    in.get();  // the one whitespace byte before the bits
    EXPECT_EQ(magic, "P4");
    bits_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    EXPECT_EQ(bits_.size(), RowBytes() * static_cast<size_t>(height_));
  }

  int32_t width() const { return width_; }
  int32_t height() const { return height_; }

  // Whether the 3 x 3 points around (x, y) hold both land and sea.
  bool IsShoreAt(int32_t x, int32_t y) const {
    std::set<bool> kinds;
    for (int32_t dy = -1; dy <= 1; ++dy) {
      for (int32_t dx = -1; dx <= 1; ++dx) {
        if (const std::optional<bool> land = IsLand(x + dx, y + dy)) kinds.insert(*land);
      }
    }
    return kinds.size() == 2;
  }

 private:
  size_t RowBytes() const { return (static_cast<size_t>(width_) + 7) / 8; }
  std::optional<bool> IsLand(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return std::nullopt;
    const size_t byte = static_cast<size_t>(y) * RowBytes() + static_cast<size_t>(x) / 8;
    if (byte >= bits_.size()) return std::nullopt;
    return ((static_cast<uint8_t>(bits_[byte]) >> (7 - x % 8)) & 1) != 0;
  }

  int32_t width_ = 0;
  int32_t height_ = 0;
  std::string bits_;
};

TEST(DrawCoastlinesTest, BundledShoresOfTheSampleAreaLieOnItsLandEdges) {
  const SampleLandMask mask;
  ASSERT_EQ(mask.width(), 1001);
  ASSERT_EQ(mask.height(), 801);
  std::optional<Surface> surface = CreateSurface(1001, 801);
  ASSERT_TRUE(surface);
  Settings settings;
  settings.Elem = 1;  // the shores of the sea and of lakes, which the mask has as water too
  CoastlineData data;
  ASSERT_TRUE(DrawCoastlines(*surface, WholeOf(*surface), Area(50, 110, 10, 160), settings,
                             NEPHRAX_SOURCE_DIR "/data/coast/", data));
  // The coarser shorelines of the picture's scale stray from the mask's by a pixel here and
  // there; shifted by two pixels, only about 60 per cent of them would lie on a land edge.
  size_t drawn = 0, on_shore = 0;
  for (int32_t y = 0; y < 801; ++y) {
    for (int32_t x = 0; x < 1001; ++x) {
      if (!IsDrawn(*surface, x, y)) continue;
      ++drawn;
      if (mask.IsShoreAt(x, y)) ++on_shore;
    }
  }
  EXPECT_GT(drawn, 5000U);
  EXPECT_GE(static_cast<double>(on_shore), 0.9 * static_cast<double>(drawn));
}

struct PictureCase {
  const char* name;
  bool grid_image;
  bool Map;
  bool coastline_drawn;
};

class PictureCoastlineTest : public ::testing::TestWithParam<PictureCase> {};

// A black 7 x 7 image of 60N..0 / 100E..160E drawn on 601 x 601 with the grid every 10 degrees
// and a coastline down 130.5E from 55N to 25N.
TEST_P(PictureCoastlineTest, GridImagesGetTheCoastlinesUnderTheGrid) {
  const PictureCase& c = GetParam();
  Settings settings;
  settings.Dtm = -1;
  settings.Map = c.Map;
  testing::SourceFileSpec spec;
  spec.grid_flag = c.grid_image ? 1 : 0;
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
  CoastlineData data = DataOf({Line({{13050, 5500}, {13050, 2500}})});
  std::optional<Surface> surface = CreateSurface(601, 601);
  ASSERT_TRUE(surface);
  ZoomState zoom;
  OverlayInputs overlays;
  overlays.coastline_data = &data;
  ASSERT_TRUE(
      DrawPicture(*surface, source, DisplayTables{}, settings, LabelMetrics{}, zoom, overlays));
  EXPECT_EQ(IsDrawn(*surface, 305, 150), c.coastline_drawn);
  // 50N: the grid line crosses the coastline and lies on top of it.
  EXPECT_EQ(surface->GetPixel(305, 100), c.grid_image ? settings.GrdCol : Colour{});
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureCoastlineTest,
                         ::testing::Values(PictureCase{"MapOn", true, true, true},
                                           PictureCase{"MapOff", true, false, false},
                                           PictureCase{"SatelliteView", false, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nephrax
