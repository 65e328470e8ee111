#include "render/draw_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace nephrax {
namespace {

constexpr Colour kPaper{250, 250, 250};
constexpr Colour kInk{200, 0, 0};
constexpr Colour kGap{0, 0, 200};
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

using PixelSet = std::set<std::pair<int64_t, int64_t>>;

Surface PaperSurface(int32_t width, int32_t height) {
  std::optional<Surface> surface = CreateSurface(width, height);
  FillRect(*surface, {0, 0, width, height}, kPaper);
  surface->state().pen = Pen{LineStyle::kSolid, 1, kInk};
  return std::move(*surface);
}

PixelSet PixelsOfColour(const Surface& surface, Colour colour) {
  PixelSet pixels;
  for (int32_t y = 0; y < surface.height(); ++y) {
    for (int32_t x = 0; x < surface.width(); ++x) {
      if (surface.GetPixel(x, y) == colour) pixels.insert({x, y});
    }
  }
  return pixels;
}

// The classic error-accumulating Bresenham walk, end point left out, written independently of the
// code under test.
std::vector<std::pair<int64_t, int64_t>> ReferenceLine(PixelPoint from, PixelPoint to) {
  std::vector<std::pair<int64_t, int64_t>> pixels;
  int64_t x = from.x;
  int64_t y = from.y;
  const int64_t dx = std::abs(int64_t{to.x} - from.x);
  const int64_t dy = -std::abs(int64_t{to.y} - from.y);
  const int64_t sx = from.x < to.x ? 1 : -1;
  const int64_t sy = from.y < to.y ? 1 : -1;
  int64_t error = dx + dy;
  while (x != to.x || y != to.y) {
    pixels.emplace_back(x, y);
    const int64_t doubled = 2 * error;
    if (doubled >= dy) {
      error += dy;
      x += sx;
    }
    if (doubled <= dx) {
      error += dx;
      y += sy;
    }
  }
  return pixels;
}

PixelSet OnSurface(const std::vector<std::pair<int64_t, int64_t>>& pixels, const Surface& surface) {
  PixelSet inside;
  for (const auto& [x, y] : pixels) {
    if (surface.Contains(x, y)) inside.insert({x, y});
  }
  return inside;
}

// --- Width 1: the Bresenham pixels, clipped exactly -------------------------------------------

struct LineCase {
  PixelPoint from;
  PixelPoint to;
};

void PrintTo(const LineCase& line, std::ostream* out) {
  *out << "(" << line.from.x << "," << line.from.y << ")->(" << line.to.x << "," << line.to.y
       << ")";
}

std::vector<LineCase> LinesInEveryOctant() {
  std::vector<LineCase> lines;
  const std::vector<std::pair<int32_t, int32_t>> deltas{{7, 3},  {3, 7}, {4, 2}, {2, 4}, {6, 1},
                                                        {1, 6},  {5, 5}, {9, 0}, {0, 9}, {8, 4},
                                                        {25, 7}, {1, 1}, {2, 1}, {1, 2}};
  for (const auto& [dx, dy] : deltas) {
    for (const int32_t sx : {1, -1}) {
      for (const int32_t sy : {1, -1}) lines.push_back({{32, 32}, {32 + sx * dx, 32 + sy * dy}});
    }
  }
  return lines;
}

// Lines with ends anywhere from well off the 64 x 64 surface to well inside it.
std::vector<LineCase> RandomLines() {
  std::mt19937 random(20240715);
  std::uniform_int_distribution<int32_t> coordinate(-80, 140);
  std::vector<LineCase> lines;
  for (int i = 0; i < 300; ++i) {
    lines.push_back(
        {{coordinate(random), coordinate(random)}, {coordinate(random), coordinate(random)}});
  }
  return lines;
}

class WidthOneLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(WidthOneLineTest, PutsDownTheBresenhamPixelsWithoutTheEndPoint) {
  Surface surface = PaperSurface(64, 64);
  DrawLine(surface, GetParam().from, GetParam().to);
  EXPECT_EQ(PixelsOfColour(surface, kInk),
            OnSurface(ReferenceLine(GetParam().from, GetParam().to), surface));
}

INSTANTIATE_TEST_SUITE_P(Octants, WidthOneLineTest, ::testing::ValuesIn(LinesInEveryOctant()));
INSTANTIATE_TEST_SUITE_P(PartlyOffTheSurface, WidthOneLineTest, ::testing::ValuesIn(RandomLines()));

TEST(DrawLineTest, ALineToItsOwnStartDrawsNothing) {
  Surface surface = PaperSurface(8, 8);
  DrawLine(surface, {3, 3}, {3, 3});
  EXPECT_TRUE(PixelsOfColour(surface, kInk).empty());
}

TEST(DrawPolylineTest, DrawsEveryVertexOnceButNotTheLastPoint) {
  Surface surface = PaperSurface(16, 16);
  const std::vector<PixelPoint> points{{1, 1}, {5, 1}, {5, 4}};
  DrawPolyline(surface, points);
  EXPECT_EQ(PixelsOfColour(surface, kInk),
            (PixelSet{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {5, 2}, {5, 3}}));
}

// --- Lines between the farthest points --------------------------------------------------------

struct FarLineCase {
  std::string name;
  PixelPoint from;
  PixelPoint to;
  int32_t width;
  PixelSet expected;  // on a 64 x 64 surface
};

PixelSet Row(int64_t y) {
  PixelSet pixels;
  for (int64_t x = 0; x < 64; ++x) pixels.insert({x, y});
  return pixels;
}

PixelSet Diagonal(int64_t offset) {
  PixelSet pixels;
  for (int64_t x = 0; x < 64; ++x) {
    if (x - offset >= 0 && x - offset < 64) pixels.insert({x, x - offset});
  }
  return pixels;
}

void PrintTo(const FarLineCase& line, std::ostream* out) {
  *out << line.name;
}

std::vector<FarLineCase> FarLines() {
  return {
      {"RowAcrossTheWholeRange", {kMin, 10}, {kMax, 10}, 1, Row(10)},
      {"ExactDiagonal", {kMin, kMin}, {kMax, kMax}, 1, Diagonal(0)},
      // dx = 2^32 - 1, dy = 2^32 - 2: at the 2^31 steps it takes to reach x = 0 the ideal line lies
      // just over half a pixel above the diagonal, so every visible pixel sits one row up.
      {"NearDiagonalNeedsWideProducts", {kMin, kMin}, {kMax, kMax - 1}, 1, Diagonal(1)},
      {"RowJustAboveTheSurface", {kMin, -1}, {kMax, -1}, 1, {}},
      // Width 5 reaches 2.5 pixels from row -5: not on the surface. Width 12 reaches 6 pixels
      // (from row -5.5, an even width's centre): row 0 and nothing below it.
      {"WideRowStaysOff", {kMin, -5}, {kMax, -5}, 5, {}},
      {"WiderRowReachesRowZero", {kMin, -5}, {kMax, -5}, 12, Row(0)},
  };
}

class FarLineTest : public ::testing::TestWithParam<FarLineCase> {};

TEST_P(FarLineTest, DrawsOnlyWhatIsVisible) {
  Surface surface = PaperSurface(64, 64);
  surface.state().pen.width = GetParam().width;
  DrawLine(surface, GetParam().from, GetParam().to);
  EXPECT_EQ(PixelsOfColour(surface, kInk), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, FarLineTest, ::testing::ValuesIn(FarLines()),
                         [](const auto& info) { return info.param.name; });

// --- Line styles ------------------------------------------------------------------------------

struct StyleCase {
  std::string name;
  LineStyle style;
  std::vector<int64_t> on_off;  // empty: solid
};

void PrintTo(const StyleCase& style, std::ostream* out) {
  *out << style.name;
}

bool IsOn(const std::vector<int64_t>& on_off, int64_t position) {
  if (on_off.empty()) return true;
  int64_t period = 0;
  for (const int64_t length : on_off) period += length;
  int64_t offset = position % period;
  for (size_t i = 0; i < on_off.size(); ++i) {
    if (offset < on_off[i]) return i % 2 == 0;
    offset -= on_off[i];
  }
  return false;
}

class LineStyleTest : public ::testing::TestWithParam<StyleCase> {
 protected:
  // Checks every pixel of the path (the reference pixels of each line in turn) against the
  // pattern; `gap` is the colour expected where the pen is off.
  void ExpectPattern(const Surface& surface, const std::vector<PixelPoint>& points, Colour gap) {
    int64_t position = 0;
    int mismatches = 0;
    for (size_t k = 0; k + 1 < points.size(); ++k) {
      for (const auto& [x, y] : ReferenceLine(points[k], points[k + 1])) {
        const Colour expected = IsOn(GetParam().on_off, position++) ? kInk : gap;
        if (surface.Contains(x, y) &&
            surface.GetPixel(static_cast<int32_t>(x), static_cast<int32_t>(y)) != expected) {
          ADD_FAILURE() << "pixel " << x << "," << y << " at position " << position - 1;
          if (++mismatches > 5) return;
        }
      }
    }
  }

  Surface StyledSurface(int32_t width, int32_t height, BackgroundMode mode) {
    Surface surface = PaperSurface(width, height);
    surface.state().pen.style = GetParam().style;
    surface.state().background_mode = mode;
    surface.state().background_colour = kGap;
    return surface;
  }
};

TEST_P(LineStyleTest, RepeatsAlongALongLine) {
  Surface surface = StyledSurface(200, 5, BackgroundMode::kTransparent);
  const std::vector<PixelPoint> points{{0, 2}, {199, 2}};
  DrawLine(surface, points[0], points[1]);
  ExpectPattern(surface, points, kPaper);
  EXPECT_EQ(surface.GetPixel(199, 2), kPaper);
}

TEST_P(LineStyleTest, RunsOnAcrossPolylineVertices) {
  Surface surface = StyledSurface(80, 80, BackgroundMode::kTransparent);
  const std::vector<PixelPoint> points{{2, 2}, {70, 2}, {70, 20}, {10, 35}, {10, 75}, {60, 60}};
  DrawPolyline(surface, points);
  ExpectPattern(surface, points, kPaper);
}

TEST_P(LineStyleTest, OpaqueBackgroundPaintsTheGaps) {
  Surface surface = StyledSurface(200, 5, BackgroundMode::kOpaque);
  const std::vector<PixelPoint> points{{0, 2}, {199, 2}};
  DrawLine(surface, points[0], points[1]);
  ExpectPattern(surface, points, GetParam().on_off.empty() ? kPaper : kGap);
}

TEST_P(LineStyleTest, KeepsItsPlaceInThePatternWhenItStartsOffTheSurface) {
  Surface surface = StyledSurface(64, 64, BackgroundMode::kTransparent);
  const std::vector<PixelPoint> points{{-5003, -2301}, {150, 60}};
  DrawLine(surface, points[0], points[1]);
  ExpectPattern(surface, points, kPaper);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, LineStyleTest,
    ::testing::Values(StyleCase{"Solid", LineStyle::kSolid, {}},
                      StyleCase{"Dash", LineStyle::kDash, {18, 6}},
                      StyleCase{"Dot", LineStyle::kDot, {3, 3}},
                      StyleCase{"DashDot", LineStyle::kDashDot, {9, 6, 3, 6}},
                      StyleCase{"DashDotDot", LineStyle::kDashDotDot, {9, 3, 3, 3, 3, 3}},
                      StyleCase{"Alternate", LineStyle::kAlternate, {1, 1}}),
    [](const auto& info) { return info.param.name; });

TEST(WideLineStyleTest, DashesGrowWithThePenWidth) {
  Surface surface = PaperSurface(200, 9);
  surface.state().pen = Pen{LineStyle::kDash, 3, kInk};
  surface.state().background_mode = BackgroundMode::kTransparent;
  DrawLine(surface, {0, 4}, {199, 4});
  // Dash 54 steps (18 x 3) over steps 0..53, gap 18 over steps 54..71, next dash from step 72;
  // the round caps reach 1.5 pixels beyond a dash's end pixels, so one pixel into the gap.
  EXPECT_EQ(surface.GetPixel(54, 4), kInk);
  for (int32_t x = 55; x <= 70; ++x) EXPECT_EQ(surface.GetPixel(x, 4), kPaper) << x;
  EXPECT_EQ(surface.GetPixel(71, 4), kInk);
}

// --- Wide pens --------------------------------------------------------------------------------

class WideLineTest : public ::testing::TestWithParam<int32_t> {};

int64_t InkedRowsInColumn(const Surface& surface, int32_t x) {
  int64_t count = 0;
  for (int32_t y = 0; y < surface.height(); ++y) count += surface.GetPixel(x, y) == kInk;
  return count;
}

int64_t InkedColumnsInRow(const Surface& surface, int32_t y) {
  int64_t count = 0;
  for (int32_t x = 0; x < surface.width(); ++x) count += surface.GetPixel(x, y) == kInk;
  return count;
}

TEST_P(WideLineTest, CoversItsWidthAcrossLevelAndUprightLines) {
  const int32_t width = GetParam();
  Surface level = PaperSurface(80, 80);
  level.state().pen.width = width;
  DrawLine(level, {20, 40}, {60, 40});
  EXPECT_EQ(InkedRowsInColumn(level, 40), width);

  Surface upright = PaperSurface(80, 80);
  upright.state().pen.width = width;
  DrawLine(upright, {40, 60}, {40, 20});
  EXPECT_EQ(InkedColumnsInRow(upright, 40), width);
}

TEST_P(WideLineTest, CoversThePixelsNearASlantedLineAndNoneFarFromIt) {
  const int32_t width = GetParam();
  Surface surface = PaperSurface(100, 100);
  surface.state().pen.width = width;
  const PixelPoint from{20, 30};
  // Step 51 of 52, the last one drawn, is at (71, 55.5), the tie going toward the end: (71, 56).
  const PixelPoint last{71, 56};
  DrawLine(surface, from, {72, 56});
  const double dx = last.x - from.x;
  const double dy = last.y - from.y;
  const double half = width / 2.0;
  for (int32_t y = 0; y < 100; ++y) {
    for (int32_t x = 0; x < 100; ++x) {
      const double t =
          std::clamp(((x - from.x) * dx + (y - from.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
      const double distance = std::hypot(x - from.x - t * dx, y - from.y - t * dy);
      const bool inked = surface.GetPixel(x, y) == kInk;
      // An even width's stroke sits half a pixel off the pixel centres.
      if (distance <= half - 0.75) {
        EXPECT_TRUE(inked) << x << "," << y;
      } else if (distance > half + 0.75) {
        EXPECT_FALSE(inked) << x << "," << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, WideLineTest, ::testing::Values(2, 3, 4, 5, 7, 10));

class RoundCapTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(RoundCapTest, CutsTheCornersOfTheCap) {
  const int32_t width = GetParam();
  Surface surface = PaperSurface(80, 80);
  surface.state().pen.width = width;
  DrawLine(surface, {30, 40}, {60, 40});
  const int32_t edge = 30 - width / 2;  // the leftmost column the cap reaches
  EXPECT_EQ(surface.GetPixel(edge, 40), kInk);
  EXPECT_EQ(surface.GetPixel(edge - 1, 40), kPaper);
  EXPECT_EQ(surface.GetPixel(edge, 40 - width / 2), kPaper);
}

INSTANTIATE_TEST_SUITE_P(Widths, RoundCapTest, ::testing::Values(4, 5, 6, 8, 11));

TEST(WidePolylineTest, JoinsItsLinesWithoutANotch) {
  Surface surface = PaperSurface(80, 80);
  surface.state().pen.width = 4;
  const std::vector<PixelPoint> points{{10, 10}, {40, 30}, {70, 10}};
  DrawPolyline(surface, points);
  // Around the vertex every pixel within 1.2 pixels of the centre line is covered.
  for (int32_t y = 25; y <= 35; ++y) {
    for (int32_t x = 35; x <= 45; ++x) {
      const double run = x <= 40 ? x - 10.0 : 70.0 - x;
      const double distance = std::abs((y - 10.0) * 30.0 - run * 20.0) / std::hypot(30.0, 20.0);
      if (distance <= 1.2) {
        EXPECT_EQ(surface.GetPixel(x, y), kInk) << x << "," << y;
      }
    }
  }
}

// A storm's cross: strokes from (x - s, y - s) to (x + s + 1, y + s + 1) and mirrored, drawn
// without their end points, cover the square's corners but not the end points.
TEST(StormCrossTest, StrokesReachTheCornersOfTheSquareAndNoFurther) {
  Surface surface = PaperSurface(40, 40);
  surface.state().pen.width = 2;
  const int32_t x = 20;
  const int32_t y = 20;
  const int32_t s = 4;
  DrawLine(surface, {x - s, y - s}, {x + s + 1, y + s + 1});
  DrawLine(surface, {x + s, y - s}, {x - s - 1, y + s + 1});
  for (const PixelPoint corner : {PixelPoint{x - s, y - s}, PixelPoint{x + s, y + s},
                                  PixelPoint{x + s, y - s}, PixelPoint{x - s, y + s}}) {
    EXPECT_EQ(surface.GetPixel(corner.x, corner.y), kInk) << corner.x << "," << corner.y;
  }
  EXPECT_EQ(surface.GetPixel(x + s + 1, y + s + 1), kPaper);
  EXPECT_EQ(surface.GetPixel(x - s - 1, y + s + 1), kPaper);
}

TEST(StormCrossTest, AHalfSizeOfZeroLeavesTheCentrePixel) {
  Surface surface = PaperSurface(10, 10);
  DrawLine(surface, {5, 5}, {6, 6});
  DrawLine(surface, {5, 5}, {4, 6});
  EXPECT_EQ(PixelsOfColour(surface, kInk), (PixelSet{{5, 5}}));
}

}  // namespace
}  // namespace nephrax
