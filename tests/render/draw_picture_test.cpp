#include "render/draw_picture.h"

#include <gtest/gtest.h>

#include "render/grid_block.h"

namespace nephrax {
namespace {

struct PlacementCase {
  const char* name;
  int32_t width, height, output_width, output_height;
  PixelRect destination;
};

class PlaceWholeImageTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(PlaceWholeImageTest, DestinationReachesHalfASourcePixelBeyondThePicture) {
  const PlacementCase& c = GetParam();
  const Placement p = PlaceWholeImage(c.width, c.height, c.output_width, c.output_height);
  EXPECT_EQ(p.source.x, 0);
  EXPECT_EQ(p.source.y, 0);
  EXPECT_EQ(p.source.width, c.width);
  EXPECT_EQ(p.source.height, c.height);
  EXPECT_EQ(p.destination.x, c.destination.x);
  EXPECT_EQ(p.destination.y, c.destination.y);
  EXPECT_EQ(p.destination.width, c.destination.width);
  EXPECT_EQ(p.destination.height, c.destination.height);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PlaceWholeImageTest,
    ::testing::Values(
        // 4 picture pixels per source pixel: 1.5 of them lie outside on each side, rounded down.
        PlacementCase{"FourTimes", 100, 100, 400, 400, {-1, -1, 402, 402}},
        PlacementCase{"OneToOne", 100, 100, 100, 100, {0, 0, 100, 100}},
        PlacementCase{"Shrink", 400, 300, 100, 100, {0, 0, 100, 100}},
        PlacementCase{"NonIntegerRatio", 100, 50, 250, 333, {-1, -3, 252, 339}},
        PlacementCase{"EightTimesAcross", 10, 10, 80, 10, {-4, 0, 88, 10}},
        // A single pixel or line has no span between first and last: it fills the picture.
        PlacementCase{"SinglePixel", 1, 1, 50, 40, {0, 0, 50, 40}},
        PlacementCase{"SingleLine", 20, 1, 100, 30, {-2, 0, 104, 30}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlaceImageTest, SinglePixelSourceFillsThePicture) {
  SourceData source;
  source.control.channel_index = 3;
  source.image.width = 1;
  source.image.height = 1;
  source.image.stride = 4;
  source.image.counts8 = {7, 0, 0, 0};
  DisplayTables tables;
  tables.palette[7] = PaletteEntry{10, 20, 30, 4};
  std::optional<Surface> surface = CreateSurface(5, 3);
  ASSERT_TRUE(surface);
  ZoomState zoom;
  EXPECT_TRUE(PlaceImage(*surface, source, tables, Settings{}, LabelMetrics{}, zoom));
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(surface->GetPixel(x, y), (Colour{10, 20, 30}));
  }
  EXPECT_TRUE(source.image.counts8.empty()) << "the image buffer is released once placed";
}

TEST(PlaceZoomWindowTest, StretchesTheSourceAreaUnderTheWindowOverThePicture) {
  // A 301 x 301 source of 50N..20N, 120E..150E on 601 x 601: the window of 130E 40N to 140E 30N
  // covers source pixels and lines 100..200, six picture pixels each (two beyond each side).
  const ControlBlock control = testing::GridControlBlock(50, 120, 20, 150, 301, 301);
  const std::optional<Placement> p =
      PlaceZoomWindow(control, 301, PictureSize{601, 601}, ZoomWindow{200, 200, 400, 400});
  ASSERT_TRUE(p);
  EXPECT_EQ(p->source.x, 100);
  EXPECT_EQ(p->source.y, 100);
  EXPECT_EQ(p->source.width, 101);
  EXPECT_EQ(p->source.height, 101);
  EXPECT_EQ(p->destination.x, -2);
  EXPECT_EQ(p->destination.y, -2);
  EXPECT_EQ(p->destination.width, 605);
  EXPECT_EQ(p->destination.height, 605);
}

TEST(PlaceZoomWindowTest, AreaWithoutHeightHasNoPlacement) {
  const ControlBlock control = testing::GridControlBlock(30, 120, 30, 150, 301, 301);
  EXPECT_FALSE(
      PlaceZoomWindow(control, 301, PictureSize{601, 601}, ZoomWindow{200, 200, 400, 400}));
}

// A 4 x 4 grid image of one degree a pixel, 3N..0N and 0E..3E, drawn 1:1 on 4 x 4 pixels. The
// count of the pixel in column x of file line y is 10 * y + x + 1; its colour says so.
class ZoomedPlacementTest : public ::testing::Test {
 protected:
  static constexpr int32_t kSize = 4;

  void SetUp() override {
    for (int32_t y = 0; y < kSize; ++y) {
      for (int32_t x = 0; x < kSize; ++x) {
        const uint8_t count = CountAt(x, y);
        tables_.palette[count] = PaletteEntry{count, uint8_t(100 + y), uint8_t(200 + x), 0};
      }
    }
    settings_.Grid = settings_.Map = false;
  }

  static uint8_t CountAt(int32_t x, int32_t y) { return static_cast<uint8_t>(10 * y + x + 1); }

  SourceData GridSource() const {
    SourceData source;
    source.control = testing::GridControlBlock(3, 0, 0, 3, kSize, kSize);
    source.image.width = source.image.height = kSize;
    source.image.stride = kSize;
    for (int32_t row = 0; row < kSize; ++row) {  // bottom-up: the file's last line first
      for (int32_t x = 0; x < kSize; ++x)
        source.image.counts8.push_back(CountAt(x, kSize - 1 - row));
    }
    return source;
  }

  // The file position whose colour the picture shows at (x, y).
  SourcePoint Shown(const Surface& surface, int32_t x, int32_t y) const {
    const std::optional<Colour> colour = surface.GetPixel(x, y);
    if (!colour) return SourcePoint{-1, -1};
    return SourcePoint{colour->blue - 200, colour->green - 100};
  }

  DisplayTables tables_;
  Settings settings_;
};

TEST_F(ZoomedPlacementTest, WindowOfTheZoomSettingFillsThePicture) {
  settings_.Zoom = ZoomArea{100, 200, 200, 100};  // 1E 2N to 2E 1N: the middle 2 x 2 pixels
  std::optional<Surface> surface = CreateSurface(kSize, kSize);
  ASSERT_TRUE(surface);
  SourceData source = GridSource();
  ZoomState zoom;
  ASSERT_TRUE(PlaceImage(*surface, source, tables_, settings_, LabelMetrics{}, zoom));
  EXPECT_TRUE(zoom.active);
  EXPECT_EQ(zoom.window, (ZoomWindow{1, 1, 2, 2}));
  for (int32_t y = 0; y < kSize; ++y) {
    for (int32_t x = 0; x < kSize; ++x) {
      EXPECT_EQ(Shown(*surface, x, y), (SourcePoint{1 + x / 2, 1 + y / 2})) << x << "," << y;
    }
  }
}

TEST_F(ZoomedPlacementTest, TooSmallWindowIsIgnored) {
  settings_.Zoom = ZoomArea{100, 200, 200, 100};
  std::optional<Surface> surface = CreateSurface(kSize, kSize);
  ASSERT_TRUE(surface);
  SourceData source = GridSource();
  ZoomState zoom;
  ASSERT_TRUE(PlaceImage(*surface, source, tables_, settings_, LabelMetrics{1, 0}, zoom));
  EXPECT_FALSE(zoom.active);
  for (int32_t y = 0; y < kSize; ++y) {
    for (int32_t x = 0; x < kSize; ++x) EXPECT_EQ(Shown(*surface, x, y), (SourcePoint{x, y}));
  }
}

TEST_F(ZoomedPlacementTest, EarlierWindowStaysForASatelliteViewImage) {
  std::optional<Surface> surface = CreateSurface(kSize, kSize);
  ASSERT_TRUE(surface);
  SourceData source = GridSource();
  testing::SourceFileSpec spec;
  spec.grid_flag = 0;
  spec.view_pixels = spec.view_lines = kSize;
  source.control = testing::ControlBlockOf(spec);
  ZoomState zoom{true, ZoomWindow{2, 2, 3, 3}};
  ASSERT_TRUE(PlaceImage(*surface, source, tables_, settings_, LabelMetrics{}, zoom));
  EXPECT_EQ(zoom.window, (ZoomWindow{2, 2, 3, 3}));
  EXPECT_EQ(Shown(*surface, 0, 0), (SourcePoint{2, 2}));
  EXPECT_EQ(Shown(*surface, 3, 3), (SourcePoint{3, 3}));
}

TEST_F(ZoomedPlacementTest, ActiveZoomOnAnUnmappableAreaDrawsNothing) {
  std::optional<Surface> surface = CreateSurface(kSize, kSize);
  ASSERT_TRUE(surface);
  SourceData source = GridSource();
  source.control = testing::GridControlBlock(2, 0, 2, 3, kSize, kSize);
  ZoomState zoom{true, ZoomWindow{1, 1, 2, 2}};
  EXPECT_FALSE(PlaceImage(*surface, source, tables_, settings_, LabelMetrics{}, zoom));
  EXPECT_TRUE(source.image.counts8.empty()) << "the image buffer is released all the same";
  EXPECT_EQ(surface->GetPixel(0, 0), (Colour{0, 0, 0}));
}

struct NoDataCase {
  bool tbb;
  bool rev;
  uint8_t index;
};

class CountColoursTest : public ::testing::TestWithParam<NoDataCase> {};

TEST_P(CountColoursTest, MapsCountsThroughTheTableAndNoDataToItsIndex) {
  ChannelSettings channel;
  channel.tbb = GetParam().tbb;
  channel.rev = GetParam().rev;
  EXPECT_EQ(NoDataIndex(channel), GetParam().index);

  ColourTable colours{};
  for (size_t i = 0; i < colours.size(); ++i) {
    colours[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 9, 0};
  }
  CountToIndex table{};
  table[0] = 100;
  table[1] = 101;
  table[2] = 102;
  table[3] = 103;
  table[16383] = 77;
  const std::vector<DibColour> count_colours =
      BuildCountColours(colours, table, NoDataIndex(channel));
  ASSERT_EQ(count_colours.size(), kCountColours);
  const auto index_of = [&](size_t count) { return count_colours[count].blue; };
  EXPECT_EQ(index_of(0), 100);
  EXPECT_EQ(index_of(3), 103);
  EXPECT_EQ(index_of(4), 0);
  EXPECT_EQ(index_of(16383), 77);
  EXPECT_EQ(index_of(16384), 77) << "counts beyond the table take its last entry";
  EXPECT_EQ(index_of(65534), 77);
  EXPECT_EQ(index_of(65535), GetParam().index) << "no data";
  EXPECT_EQ(count_colours[65535].green, 255 - GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Channels, CountColoursTest,
                         ::testing::Values(NoDataCase{true, false, 255}, NoDataCase{true, true, 0},
                                           NoDataCase{false, false, 0},
                                           NoDataCase{false, true, 0}));

}  // namespace
}  // namespace nephrax
