#include "render/surface.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/messages.h"

#if defined(__SANITIZE_ADDRESS__)
#define NEPHRAX_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NEPHRAX_ADDRESS_SANITIZER 1
#endif
#endif

namespace nephrax {
namespace {

// Entry i has blue i, so the index a pixel came from can be read back from its colour.
ColourTable DistinctColours() {
  ColourTable table;
  for (size_t i = 0; i < table.size(); ++i) {
    table[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i * 37 + 11),
                static_cast<uint8_t>(255 - i), 0};
  }
  return table;
}

Colour ColourOf(const DibColour& entry) {
  return {entry.red, entry.green, entry.blue};
}

// A colour no entry of DistinctColours() has (red 255 - blue fails), for untouched pixels.
constexpr Colour kBackground{1, 2, 3};

size_t IndexStride(int32_t width) {
  return static_cast<size_t>(width + 3) / 4 * 4;
}

// A bottom-up index image of varied counts; the row padding holds 0xEE, which a correct stretch
// never reads.
std::vector<uint8_t> VariedIndexRows(int32_t width, int32_t height) {
  const size_t stride = IndexStride(width);
  std::vector<uint8_t> rows(stride * static_cast<size_t>(height), 0xEE);
  uint32_t state = 12345;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      state = state * 1103515245 + 12345;
      rows[static_cast<size_t>(y) * stride + static_cast<size_t>(x)] =
          static_cast<uint8_t>(state >> 16);
    }
  }
  return rows;
}

Surface FilledSurface(int32_t width, int32_t height, Colour colour) {
  Surface surface = CreateSurface(width, height).value();
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) surface.SetPixel(x, y, colour);
  }
  return surface;
}

struct StretchCase {
  const char* name;
  int32_t source_width;
  int32_t source_height;
  PixelRect source_area;  // in DIB terms, y counted up from the bottom line
  int32_t surface_width;
  int32_t surface_height;
  PixelRect destination;
};

// The source pixel (column, DIB row) under the centre of surface pixel (x, y) by the
// nearest-neighbour rule; none outside the destination.
std::optional<std::pair<size_t, size_t>> SourcePixelUnder(const StretchCase& c, int32_t x,
                                                          int32_t y) {
  const int64_t dx = int64_t{x} - c.destination.x;
  const int64_t dy = int64_t{y} - c.destination.y;
  if (dx < 0 || dx >= c.destination.width || dy < 0 || dy >= c.destination.height) {
    return std::nullopt;
  }
  const int64_t sx =
      c.source_area.x + (2 * dx + 1) * c.source_area.width / (2 * int64_t{c.destination.width});
  const int64_t top_line = int64_t{c.source_area.y} + c.source_area.height - 1;
  const int64_t sy =
      top_line - (2 * dy + 1) * c.source_area.height / (2 * int64_t{c.destination.height});
  return std::pair{static_cast<size_t>(sx), static_cast<size_t>(sy)};
}

// The colour surface pixel (x, y) must have, worked out pixel by pixel.
Colour ExpectedColour(const StretchCase& c, const std::vector<uint8_t>& rows,
                      const ColourTable& colours, int32_t x, int32_t y) {
  const auto pixel = SourcePixelUnder(c, x, y);
  if (!pixel) return kBackground;
  return ColourOf(colours[rows[pixel->second * IndexStride(c.source_width) + pixel->first]]);
}

int32_t ExpectedLines(const StretchCase& c) {
  int32_t lines = 0;
  for (int64_t y = 0; y < c.surface_height; ++y) {
    if (y >= c.destination.y && y < int64_t{c.destination.y} + c.destination.height) ++lines;
  }
  return lines;
}

class StretchWholePictureTest : public ::testing::TestWithParam<StretchCase> {};

TEST_P(StretchWholePictureTest, EveryPixelFollowsTheNearestNeighbourRule) {
  const StretchCase& c = GetParam();
  const std::vector<uint8_t> rows = VariedIndexRows(c.source_width, c.source_height);
  const ColourTable colours = DistinctColours();
  Surface surface = FilledSurface(c.surface_width, c.surface_height, kBackground);

  const int32_t lines = StretchImage(
      surface, c.destination, {rows, c.source_width, c.source_height}, c.source_area, colours);

  EXPECT_EQ(lines, ExpectedLines(c));
  int mismatches = 0;
  for (int32_t y = 0; y < c.surface_height; ++y) {
    for (int32_t x = 0; x < c.surface_width; ++x) {
      const Colour expected = ExpectedColour(c, rows, colours, x, y);
      if (surface.GetPixel(x, y) != expected && ++mismatches <= 3) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// 16-bit counts, each drawn through its own entry of a table of every count, from rows with a
// stride of their own.
TEST_P(StretchWholePictureTest, CountsFollowTheSameRuleThroughTheirColourTable) {
  const StretchCase& c = GetParam();
  const size_t stride = static_cast<size_t>(c.source_width) + 3;
  std::vector<uint16_t> counts(stride * static_cast<size_t>(c.source_height), 0xBEEF);
  uint32_t state = 54321;
  for (int32_t y = 0; y < c.source_height; ++y) {
    for (size_t x = 0; x < static_cast<size_t>(c.source_width); ++x) {
      state = state * 1103515245 + 12345;
      counts[static_cast<size_t>(y) * stride + x] = static_cast<uint16_t>(state >> 12);
    }
  }
  std::vector<DibColour> count_colours(kCountColours);
  for (size_t k = 0; k < count_colours.size(); ++k) {
    count_colours[k] = {static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8),
                        static_cast<uint8_t>(k * 7 + 1), 0};
  }
  Surface surface = FilledSurface(c.surface_width, c.surface_height, kBackground);

  const int32_t lines = StretchImage(surface, c.destination,
                                     CountImage{counts, c.source_width, c.source_height, stride},
                                     c.source_area, count_colours);

  EXPECT_EQ(lines, ExpectedLines(c));
  int mismatches = 0;
  for (int32_t y = 0; y < c.surface_height; ++y) {
    for (int32_t x = 0; x < c.surface_width; ++x) {
      const auto pixel = SourcePixelUnder(c, x, y);
      const Colour expected =
          pixel ? ColourOf(count_colours[counts[pixel->second * stride + pixel->first]])
                : kBackground;
      if (surface.GetPixel(x, y) != expected && ++mismatches <= 3) {
        ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST(StretchCountsTest, AColourTableShorterThanEveryCountDrawsNothing) {
  const std::vector<uint16_t> counts(16, 7);
  const std::vector<DibColour> short_table(kCountColours - 1);
  Surface surface = FilledSurface(4, 4, kBackground);
  EXPECT_EQ(
      StretchImage(surface, {0, 0, 4, 4}, CountImage{counts, 4, 4, 4}, {0, 0, 4, 4}, short_table),
      0);
  EXPECT_EQ(surface.GetPixel(2, 2), kBackground);
}

constexpr int32_t kFar = 2'000'000'000;

INSTANTIATE_TEST_SUITE_P(
    Pictures, StretchWholePictureTest,
    ::testing::Values(
        // 100 x 100 placed at 400 x 400: four picture pixels a source pixel, half a source
        // pixel beyond the picture on each side.
        StretchCase{"Placement100To400", 100, 100, {0, 0, 100, 100}, 400, 400, {-1, -1, 402, 402}},
        StretchCase{"OneToOne", 100, 100, {0, 0, 100, 100}, 100, 100, {0, 0, 100, 100}},
        StretchCase{"OddWidthsOneToOne", 101, 37, {0, 0, 101, 37}, 101, 37, {0, 0, 101, 37}},
        StretchCase{"OddWidthsEnlarged", 103, 41, {0, 0, 103, 41}, 257, 99, {-1, -1, 259, 101}},
        StretchCase{
            "EnlargedByNonIntegerRatio", 70, 50, {0, 0, 70, 50}, 173, 119, {0, 0, 173, 119}},
        StretchCase{"ReducedByNonIntegerRatio", 301, 203, {0, 0, 301, 203}, 97, 61, {0, 0, 97, 61}},
        StretchCase{"ReducedByHalf", 200, 100, {0, 0, 200, 100}, 100, 50, {0, 0, 100, 50}},
        StretchCase{"PartOfTheSource", 120, 90, {13, 7, 41, 29}, 150, 110, {-2, -1, 154, 112}},
        StretchCase{"ClippedLeft", 50, 40, {0, 0, 50, 40}, 80, 60, {-33, 5, 90, 50}},
        StretchCase{"ClippedTop", 50, 40, {0, 0, 50, 40}, 80, 60, {5, -27, 70, 70}},
        StretchCase{"ClippedRight", 50, 40, {0, 0, 50, 40}, 80, 60, {31, 5, 90, 50}},
        StretchCase{"ClippedBottom", 50, 40, {0, 0, 50, 40}, 80, 60, {5, 23, 70, 70}},
        StretchCase{"ClippedOnEverySide", 50, 40, {0, 0, 50, 40}, 80, 60, {-21, -17, 127, 101}},
        StretchCase{"InsideTheSurface", 31, 17, {0, 0, 31, 17}, 80, 60, {9, 11, 45, 30}},
        // Tall pictures are painted in bands of lines side by side; a band may start inside a
        // run of repeated source lines.
        StretchCase{"TallPictureInBands", 7, 3001, {0, 0, 7, 3001}, 5, 60001, {0, 0, 5, 60001}},
        StretchCase{"TallEnlargementInBands", 9, 997, {0, 0, 9, 997}, 4, 40009, {0, -7, 4, 40023}},
        StretchCase{"ReachingFarBeyondTheSurface",
                    7,
                    5,
                    {0, 0, 7, 5},
                    64,
                    8,
                    {-kFar, -kFar, kFar + 50, kFar + 6}}),
    [](const ::testing::TestParamInfo<StretchCase>& info) { return info.param.name; });

struct WorkedCase {
  const char* name;
  int32_t source_width;
  int32_t source_height;
  std::vector<uint8_t> rows;  // bottom-up, padded to 4 bytes
  int32_t destination_width;
  int32_t destination_height;
  std::vector<uint8_t> expected;  // indexes, top line first
};

class StretchWorkedExampleTest : public ::testing::TestWithParam<WorkedCase> {};

TEST_P(StretchWorkedExampleTest, MatchesTheIndexesWorkedOutByHand) {
  const WorkedCase& c = GetParam();
  Surface surface = FilledSurface(c.destination_width, c.destination_height, kBackground);
  const ColourTable colours = DistinctColours();

  const int32_t lines = StretchImage(surface, {0, 0, c.destination_width, c.destination_height},
                                     {c.rows, c.source_width, c.source_height},
                                     {0, 0, c.source_width, c.source_height}, colours);

  EXPECT_EQ(lines, c.destination_height);
  std::vector<uint8_t> drawn;
  for (int32_t y = 0; y < c.destination_height; ++y) {
    for (int32_t x = 0; x < c.destination_width; ++x) {
      const std::optional<Colour> colour = surface.GetPixel(x, y);
      ASSERT_TRUE(colour.has_value());
      drawn.push_back(colour->blue);
    }
  }
  EXPECT_EQ(drawn, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, StretchWorkedExampleTest,
    ::testing::Values(
        // The bottom line of the source becomes the bottom of the picture.
        WorkedCase{"DoubledBothWays",
                   2,
                   2,
                   {1, 2, 0, 0, 3, 4, 0, 0},
                   4,
                   4,
                   {3, 3, 4, 4, 3, 3, 4, 4, 1, 1, 2, 2, 1, 1, 2, 2}},
        // Across: (2 * d + 1) * 3 / 4 gives columns 0 and 2.
        WorkedCase{"ThreeColumnsToTwo", 3, 1, {5, 6, 7, 0}, 2, 1, {5, 7}},
        // Exact halves: (2 * d + 1) * 4 / 4 gives 1 and 3, counted from the left and from the
        // top of the source.
        WorkedCase{"FourColumnsToTwo", 4, 1, {5, 6, 7, 8}, 2, 1, {6, 8}},
        WorkedCase{"FourLinesToTwo",
                   1,
                   4,
                   {10, 0, 0, 0, 11, 0, 0, 0, 12, 0, 0, 0, 13, 0, 0, 0},
                   1,
                   2,
                   {12, 10}},
        // One pixel fills the picture.
        WorkedCase{"SinglePixel", 1, 1, {9, 0, 0, 0}, 3, 2, {9, 9, 9, 9, 9, 9}}),
    [](const ::testing::TestParamInfo<WorkedCase>& info) { return info.param.name; });

struct RefusedCase {
  const char* name;
  PixelRect destination;
  PixelRect source_area;
  size_t rows_size;  // of an 8 x 6 image, whose full size is 48
};

class StretchRefusedTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(StretchRefusedTest, DrawsNothing) {
  const RefusedCase& c = GetParam();
  std::vector<uint8_t> rows = VariedIndexRows(8, 6);
  rows.resize(c.rows_size);
  Surface surface = FilledSurface(20, 10, kBackground);
  const std::vector<uint8_t> before(surface.DibRows().begin(), surface.DibRows().end());

  EXPECT_EQ(StretchImage(surface, c.destination, {rows, 8, 6}, c.source_area, DistinctColours()),
            0);
  EXPECT_EQ(std::vector<uint8_t>(surface.DibRows().begin(), surface.DibRows().end()), before);
}

constexpr PixelRect kWholeSource{0, 0, 8, 6};
constexpr PixelRect kOnSurface{2, 2, 10, 5};

INSTANTIATE_TEST_SUITE_P(
    Cases, StretchRefusedTest,
    ::testing::Values(RefusedCase{"ZeroDestinationWidth", {2, 2, 0, 5}, kWholeSource, 48},
                      RefusedCase{"NegativeDestinationHeight", {2, 2, 10, -5}, kWholeSource, 48},
                      RefusedCase{"LeftOfTheSurface", {-10, 2, 10, 5}, kWholeSource, 48},
                      RefusedCase{"AboveTheSurface", {2, -5, 10, 5}, kWholeSource, 48},
                      RefusedCase{"RightOfTheSurface", {20, 2, 10, 5}, kWholeSource, 48},
                      RefusedCase{"BelowTheSurface", {2, 10, 10, 5}, kWholeSource, 48},
                      RefusedCase{"EmptySourceArea", kOnSurface, {0, 0, 0, 6}, 48},
                      RefusedCase{"SourceAreaLeftOfTheImage", kOnSurface, {-1, 0, 8, 6}, 48},
                      RefusedCase{"SourceAreaBelowTheImage", kOnSurface, {0, -1, 8, 6}, 48},
                      RefusedCase{"SourceAreaWiderThanTheImage", kOnSurface, {1, 0, 8, 6}, 48},
                      RefusedCase{"SourceAreaTallerThanTheImage", kOnSurface, {0, 1, 8, 6}, 48},
                      RefusedCase{"RowsShorterThanTheImage", kOnSurface, kWholeSource, 47}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

struct SizeCase {
  int32_t width;
  int32_t height;
};

class CreateSurfaceRefusedTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(CreateSurfaceRefusedTest, ReportsThatMemoryCannotBeAllocated) {
  ::testing::internal::CaptureStderr();
  const std::optional<Surface> surface = CreateSurface(GetParam().width, GetParam().height);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), std::string(msg::kMemoryAllocate) + "\r\n");
  EXPECT_FALSE(surface.has_value());
}

constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();

INSTANTIATE_TEST_SUITE_P(Sizes, CreateSurfaceRefusedTest,
                         ::testing::Values(SizeCase{0, 10}, SizeCase{10, 0}, SizeCase{-5, 10},
                                           SizeCase{10, -5}, SizeCase{40000, 40000},
                                           SizeCase{kMaxInt, kMaxInt}, SizeCase{kMaxInt, 1}));

#if !defined(NEPHRAX_ADDRESS_SANITIZER)
// Whether a surface could be made in a process that may map no more than `limit` bytes.
bool CanCreateSurfaceWithin(rlim_t limit, int32_t width, int32_t height) {
  const rlimit address_space{limit, limit};
  setrlimit(RLIMIT_AS, &address_space);
  return CreateSurface(width, height).has_value();
}

// 30000 x 30000 pixels take 2.7 GB, more than the child process may map. (The address sanitizer
// reserves more address space than such a limit leaves, so the test is left out under it.)
TEST(CreateSurfaceTest, ReportsMemoryThatRunsOut) {
  EXPECT_EXIT(std::exit(CanCreateSurfaceWithin(rlim_t{2} << 30, 30000, 30000) ? 1 : 0),
              ::testing::ExitedWithCode(0), "Memory allocate error\\.");
}
#endif

TEST(CreateSurfaceTest, StartsBlackWithPaddedRows) {
  const std::optional<Surface> surface = CreateSurface(5, 3);
  ASSERT_TRUE(surface.has_value());
  EXPECT_EQ(surface->width(), 5);
  EXPECT_EQ(surface->height(), 3);
  EXPECT_EQ(surface->stride(), 16u);  // 15 bytes of pixels, padded to 16
  EXPECT_EQ(surface->DibRows().size(), 48u);
  for (const uint8_t byte : surface->DibRows()) EXPECT_EQ(byte, 0);
}

TEST(SurfaceRowTest, IsEmptyOffTheSurface) {
  std::optional<Surface> surface = CreateSurface(7, 4);
  ASSERT_TRUE(surface.has_value());
  EXPECT_TRUE(surface->Row(-1).empty());
  EXPECT_TRUE(surface->Row(4).empty());
  EXPECT_EQ(surface->Row(3).size(), 21u);
}

class DibRowBytesTest : public ::testing::TestWithParam<std::pair<int64_t, int64_t>> {};

TEST_P(DibRowBytesTest, PadsThreeBytesAPixelToFour) {
  EXPECT_EQ(DibRowBytes(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Widths, DibRowBytesTest,
                         ::testing::Values(std::pair<int64_t, int64_t>{1, 4}, std::pair{2, 8},
                                           std::pair{3, 12}, std::pair{4, 12}, std::pair{5, 16},
                                           std::pair{6, 20}, std::pair{7, 24}, std::pair{8, 24},
                                           std::pair{101, 304}, std::pair{5500, 16500}));

struct PixelCase {
  int32_t x;
  int32_t y;
};

class PixelOnSurfaceTest : public ::testing::TestWithParam<PixelCase> {};

// A 7 x 4 surface: 21 bytes of pixels padded to 24, the top line stored last.
TEST_P(PixelOnSurfaceTest, SetPixelWritesBlueGreenRedInTheBottomUpRow) {
  const auto [x, y] = GetParam();
  std::optional<Surface> surface = CreateSurface(7, 4);
  ASSERT_TRUE(surface.has_value());
  const Colour colour{200, 100, 50};

  surface->SetPixel(x, y, colour);

  EXPECT_EQ(surface->GetPixel(x, y), colour);
  const std::span<const uint8_t> bits = surface->DibRows();
  const size_t at = static_cast<size_t>(3 - y) * 24 + static_cast<size_t>(x) * 3;
  for (size_t i = 0; i < bits.size(); ++i) {
    const uint8_t expected = i == at ? 50 : i == at + 1 ? 100 : i == at + 2 ? 200 : 0;
    EXPECT_EQ(bits[i], expected) << "byte " << i;
  }
  const std::span<const uint8_t> row = std::as_const(*surface).Row(y);
  ASSERT_EQ(row.size(), 21u);
  EXPECT_EQ(row.data(), bits.data() + static_cast<size_t>(3 - y) * 24);
}

INSTANTIATE_TEST_SUITE_P(Positions, PixelOnSurfaceTest,
                         ::testing::Values(PixelCase{0, 0}, PixelCase{6, 0}, PixelCase{0, 3},
                                           PixelCase{6, 3}, PixelCase{3, 1}));

class PixelOffSurfaceTest : public ::testing::TestWithParam<PixelCase> {};

TEST_P(PixelOffSurfaceTest, IsIgnoredAndReadsAsNone) {
  const auto [x, y] = GetParam();
  std::optional<Surface> surface = CreateSurface(7, 4);
  ASSERT_TRUE(surface.has_value());

  surface->SetPixel(x, y, Colour{200, 100, 50});

  EXPECT_EQ(surface->GetPixel(x, y), std::nullopt);
  for (const uint8_t byte : surface->DibRows()) EXPECT_EQ(byte, 0);
}

INSTANTIATE_TEST_SUITE_P(Positions, PixelOffSurfaceTest,
                         ::testing::Values(PixelCase{-1, 0}, PixelCase{7, 0}, PixelCase{0, -1},
                                           PixelCase{0, 4}, PixelCase{kMaxInt, kMaxInt},
                                           PixelCase{std::numeric_limits<int32_t>::min(), 2}));

}  // namespace
}  // namespace nephrax
