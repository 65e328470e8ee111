#include "render/draw_picture.h"

#include <gtest/gtest.h>

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
  EXPECT_TRUE(PlaceImage(*surface, source, tables, Settings{}));
  for (int32_t y = 0; y < 3; ++y) {
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(surface->GetPixel(x, y), (Colour{10, 20, 30}));
  }
  EXPECT_TRUE(source.image.counts8.empty()) << "the image buffer is released once placed";
}

struct NoDataCase {
  bool tbb;
  bool rev;
  uint8_t index;
};

class WidenCountsTest : public ::testing::TestWithParam<NoDataCase> {};

TEST_P(WidenCountsTest, MapsCountsThroughTheTableAndNoDataToItsIndex) {
  ChannelSettings channel;
  channel.tbb = GetParam().tbb;
  channel.rev = GetParam().rev;
  EXPECT_EQ(NoDataIndex(channel), GetParam().index);

  SourceImage image;
  image.width = 5;
  image.height = 2;
  image.stride = 8;
  image.counts16 = {1, 2, 65535, 16383, 3, 9, 9, 9,  //
                    0, 65535, 1, 2, 3, 9, 9, 9};
  CountToIndex table{};
  table[0] = 100;
  table[1] = 101;
  table[2] = 102;
  table[3] = 103;
  table[16383] = 77;
  const std::span<const uint8_t> rows = WidenCounts(image, table, NoDataIndex(channel));
  const uint8_t n = GetParam().index;
  const std::vector<uint8_t> expected{101, 102, n, 77, 103, 0, 0, 0,  //
                                      100, n, 101, 102, 103, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(rows.begin(), rows.end()), expected);
}

INSTANTIATE_TEST_SUITE_P(Channels, WidenCountsTest,
                         ::testing::Values(NoDataCase{true, false, 255}, NoDataCase{true, true, 0},
                                           NoDataCase{false, false, 0},
                                           NoDataCase{false, true, 0}));

}  // namespace
}  // namespace nephrax
