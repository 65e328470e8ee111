#include "calsun/display_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

namespace nephrax {
namespace {

constexpr PaletteEntry kUnset{0, 0, 0, 0};

Calibration TableOf(int32_t first, std::vector<float> values) {
  const auto last = first + static_cast<int32_t>(values.size()) - 1;
  return {first, last, std::move(values)};
}

// A falling kelvin table as an infrared file holds it, made ascending as the reader leaves it.
Calibration InfraredTable(int32_t first, int32_t last) {
  std::vector<float> values;
  for (int32_t c = first; c <= last; ++c) {
    const double t = static_cast<double>(c - first) / (last - first);
    values.push_back(static_cast<float>(330.0 - 150.0 * std::pow(t, 1.2)));
  }
  // A plateau, as coarse tables have.
  std::fill(values.begin() + 40, values.begin() + 46, values[40]);
  std::reverse(values.begin(), values.end());
  return TableOf(first, std::move(values));
}

Calibration AlbedoTable(int32_t first, int32_t last) {
  std::vector<float> values;
  for (int32_t c = first; c <= last; ++c)
    values.push_back(static_cast<float>(c - first) / static_cast<float>(last - first));
  return TableOf(first, std::move(values));
}

ChannelSettings InfraredChannel(int32_t col = -1, bool rev = false) {
  ChannelSettings channel;
  channel.min = -60;
  channel.max = 45;
  channel.tbb = true;
  channel.abs = true;
  channel.rev = rev;
  channel.col = col;
  return channel;
}

ChannelSettings VisibleChannel(int32_t col = -1, bool rev = false) {
  ChannelSettings channel;
  channel.min = 0.05F;
  channel.max = 0.7F;
  channel.rev = rev;
  channel.col = col;
  return channel;
}

ControlBlock BlockOf(int32_t bytes_per_pixel, uint32_t flags) {
  ControlBlock block;
  WriteI32Le(block.bytes, cb::kBytesPerPixel, bytes_per_pixel);
  block.flags = flags;
  return block;
}

PaletteEntry Grey(int32_t level) {
  const auto g = static_cast<uint8_t>(level);
  return {g, g, g, 4};
}

// ---- Reference definitions, written as plainly as the rules read ----

double ReferenceValue(const Calibration& table, bool abs, int32_t count) {
  const int32_t c = std::clamp(count, table.first, table.last);
  const double value = table.values[static_cast<size_t>(c - table.first)];
  return abs ? value - 273.15 : value;
}

// The linear scan: the first count below last whose successor's value exceeds v, then the nearer
// of the two, halfway going to the lower.
int32_t ReferenceCountOfValue(const Calibration& table, bool abs, double value) {
  const double v = abs ? value + 273.15 : value;
  if (table.first >= table.last) return table.first;
  auto at = [&](int32_t c) { return double{table.values[static_cast<size_t>(c - table.first)]}; };
  int32_t c = table.first;
  while (c < table.last && !(at(c + 1) > v)) ++c;
  if (c == table.last) return table.last;
  return v - at(c) > at(c + 1) - v ? c + 1 : c;
}

// Black, grey, navy, maroon, purple, dark green, teal, olive, silver, blue, red, magenta, green,
// cyan, yellow, white.
constexpr std::array<std::array<uint8_t, 3>, 16> kScaleByLevel{{{0, 0, 0},
                                                                {128, 128, 128},
                                                                {0, 0, 128},
                                                                {128, 0, 0},
                                                                {128, 0, 128},
                                                                {0, 128, 0},
                                                                {0, 128, 128},
                                                                {128, 128, 0},
                                                                {192, 192, 192},
                                                                {0, 0, 255},
                                                                {255, 0, 0},
                                                                {255, 0, 255},
                                                                {0, 255, 0},
                                                                {0, 255, 255},
                                                                {255, 255, 0},
                                                                {255, 255, 255}}};

struct ReferenceRamp {
  double lo, hi;
  int32_t col;
  bool invert;

  PaletteEntry Low() const { return Grey(invert ? 255 : 0); }
  PaletteEntry High() const { return Grey(invert ? 0 : 255); }
  PaletteEntry At(double v) const {
    const double slope = hi - lo < 0.001 ? 0 : 255 / (hi - lo);
    const double offset = hi - lo < 0.001 ? 0 : -255 * lo / (hi - lo);
    const double g = std::clamp(offset + slope * v, 0.0, 255.0);
    const auto p = static_cast<int32_t>(g + 0.5);
    if (col == 6) {
      const int32_t level = invert ? 15 - p / 16 : p / 16;
      const auto& rgb = kScaleByLevel[static_cast<size_t>(level)];
      return {rgb[0], rgb[1], rgb[2], 4};
    }
    const int32_t step = col == 4 ? 4 : col == 5 ? 16 : 1;
    const int32_t level = p / step * step;
    return Grey(invert ? 255 - level : level);
  }
};

ReferenceRamp RampOf(const ChannelSettings& channel) {
  return {channel.min, channel.max, channel.col, channel.tbb != channel.rev};
}

Palette ReferencePalette8(const Calibration& table, const ChannelSettings& channel, bool no_data) {
  Palette palette{};
  if (channel.min >= channel.max) return palette;
  const ReferenceRamp ramp = RampOf(channel);
  const int32_t c_lo =
      std::max(ReferenceCountOfValue(table, channel.abs, channel.min), table.first);
  const int32_t c_hi = std::min(ReferenceCountOfValue(table, channel.abs, channel.max), table.last);
  for (int32_t j = 0; j < c_lo; ++j) palette[static_cast<size_t>(j)] = ramp.Low();
  for (int32_t j = c_lo; j < c_hi; ++j)
    palette[static_cast<size_t>(j)] = ramp.At(ReferenceValue(table, channel.abs, j));
  if (c_hi <= 255)
    for (int32_t j = c_hi; j <= 255; ++j) palette[static_cast<size_t>(j)] = ramp.High();
  if (no_data) palette[255] = {0, 0, 0, 4};
  return palette;
}

void ReferencePalette16(const Calibration& table, const ChannelSettings& channel,
                        DisplayTables& out) {
  if (channel.min > channel.max) return;
  const ReferenceRamp ramp = RampOf(channel);
  const int32_t first = table.first;
  const int32_t last = table.last;
  const int32_t c_lo = std::max(ReferenceCountOfValue(table, channel.abs, channel.min), first);
  const int32_t c_hi = std::min(ReferenceCountOfValue(table, channel.abs, channel.max), last);
  auto write = [&](int32_t c, PaletteEntry entry) {
    const auto index =
        static_cast<uint8_t>(((c - first) * 255 + (last - first) / 2) / (last - first));
    out.count_to_index[static_cast<size_t>(c)] = index;
    out.palette[index] = entry;
  };
  for (int32_t c = first; c < c_lo; ++c) write(c, ramp.Low());
  for (int32_t c = c_lo; c < c_hi; ++c) write(c, ramp.At(ReferenceValue(table, channel.abs, c)));
  for (int32_t c = c_hi; c <= last; ++c) write(c, ramp.High());
}

// ---- Grey and 16-colour palettes against the reference ----

// 16-bit data?, infrared channel?, col, rev, no-data flag.
using PaletteCase = std::tuple<bool, bool, int32_t, bool, bool>;

class RampPaletteTest : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(RampPaletteTest, MatchesTheRampRules) {
  const auto [sixteen_bit, infrared, col, rev, no_data] = GetParam();
  const Calibration table = sixteen_bit
                                ? (infrared ? InfraredTable(0, 1023) : AlbedoTable(24, 1000))
                                : (infrared ? InfraredTable(0, 255) : AlbedoTable(0, 200));
  const ChannelSettings channel = infrared ? InfraredChannel(col, rev) : VisibleChannel(col, rev);

  DisplayTables expected;
  expected.count_to_index.fill(0xab);
  DisplayTables actual = expected;
  actual.palette.fill({9, 9, 9, 9});  // the previous file's palette must not show through
  if (sixteen_bit) {
    ReferencePalette16(table, channel, expected);
  } else {
    expected.palette = ReferencePalette8(table, channel, no_data);
  }
  BuildDisplayTables(BlockOf(sixteen_bit ? 2 : 1, no_data ? kNoDataFlag : 0), table, channel,
                     actual);

  EXPECT_EQ(actual.palette, expected.palette);
  EXPECT_EQ(actual.count_to_index, expected.count_to_index);
}

INSTANTIATE_TEST_SUITE_P(AllGreyAndScaleModes, RampPaletteTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool(),
                                            ::testing::Values(-1, 4, 5, 6), ::testing::Bool(),
                                            ::testing::Bool()));

// ---- What the palettes look like ----

class InfraredPaletteTest : public ::testing::TestWithParam<bool> {};

TEST_P(InfraredPaletteTest, ColdIsLightUnlessReversed) {
  const bool rev = GetParam();
  const Calibration table = InfraredTable(0, 255);
  const ChannelSettings channel = InfraredChannel(-1, rev);
  Palette palette{};
  ASSERT_TRUE(BuildPalette8(table, channel, false, channel.min, channel.max, palette));

  const uint8_t cold_grey = rev ? 0 : 255;
  std::vector<uint8_t> ramp;
  for (int32_t c = 0; c < 256; ++c) {
    const double celsius = ValueOfCount(table, channel, c);
    const uint8_t grey = palette[static_cast<size_t>(c)].red;
    if (celsius < -60 - 0.5) {
      EXPECT_EQ(grey, cold_grey) << c;
    }
    if (celsius >= 45) {
      EXPECT_EQ(grey, 255 - cold_grey) << c;
    }
    if (celsius > -60 + 0.5 && celsius < 45 - 0.5) ramp.push_back(grey);
  }
  ASSERT_GT(ramp.size(), 100u);
  if (rev) {
    EXPECT_TRUE(std::is_sorted(ramp.begin(), ramp.end()));
  } else {
    EXPECT_TRUE(std::is_sorted(ramp.rbegin(), ramp.rend()));
  }
}

INSTANTIATE_TEST_SUITE_P(RevOffAndOn, InfraredPaletteTest, ::testing::Bool());

TEST(DisplayTables, VisibleLowAlbedoIsBlackAndHighIsWhite) {
  const Calibration table = AlbedoTable(0, 255);
  const ChannelSettings channel = VisibleChannel();
  Palette palette{};
  ASSERT_TRUE(BuildPalette8(table, channel, false, channel.min, channel.max, palette));
  EXPECT_EQ(palette[5], Grey(0));      // albedo 0.02
  EXPECT_EQ(palette[200], Grey(255));  // albedo 0.78
  EXPECT_EQ(palette[96], Grey(128));   // albedo 0.3765: (0.3765 - 0.05) / 0.65 * 255 = 128.08
}

class SixteenGreysTest : public ::testing::TestWithParam<bool> {};

TEST_P(SixteenGreysTest, RampTakesOnlySixteenGreys) {
  const bool rev = GetParam();
  const Calibration table = AlbedoTable(0, 255);
  const ChannelSettings channel = VisibleChannel(5, rev);
  Palette palette{};
  ASSERT_TRUE(BuildPalette8(table, channel, false, channel.min, channel.max, palette));
  const int32_t c_lo = CountOfValue(table, channel, channel.min);
  const int32_t c_hi = CountOfValue(table, channel, channel.max);
  for (int32_t c = c_lo; c < c_hi; ++c) {
    const int32_t level =
        rev ? 255 - palette[static_cast<size_t>(c)].red : palette[static_cast<size_t>(c)].red;
    EXPECT_EQ(level % 16, 0) << c;
  }
  EXPECT_EQ(palette[0], Grey(rev ? 255 : 0));
  EXPECT_EQ(palette[255], Grey(rev ? 0 : 255));
}

INSTANTIATE_TEST_SUITE_P(RevOffAndOn, SixteenGreysTest, ::testing::Bool());

TEST(DisplayTables, ScaleRunsFromBlackToWhite) {
  const Calibration table = AlbedoTable(0, 255);
  const ChannelSettings channel = VisibleChannel(6);
  Palette palette{};
  ASSERT_TRUE(BuildPalette8(table, channel, false, channel.min, channel.max, palette));
  const int32_t c_lo = CountOfValue(table, channel, channel.min);
  EXPECT_EQ(palette[static_cast<size_t>(c_lo)], Grey(0));
  EXPECT_EQ(palette[178], Grey(255));  // albedo 0.698, just below max: scale level 15
  EXPECT_EQ(palette[78], (PaletteEntry{0, 128, 128, 4}));     // position 100: level 6, teal
  EXPECT_EQ(palette[100], (PaletteEntry{192, 192, 192, 4}));  // position 134: level 8, silver
}

TEST(DisplayTables, NoDataCountIsBlackEvenWhereTheRampIsWhite) {
  const Calibration table = AlbedoTable(0, 255);
  const ChannelSettings channel = VisibleChannel();
  DisplayTables eight;
  BuildDisplayTables(BlockOf(1, kNoDataFlag), table, channel, eight);
  EXPECT_EQ(eight.palette[255], (PaletteEntry{0, 0, 0, 4}));
  EXPECT_EQ(eight.palette[254], Grey(255));
}

TEST(DisplayTables, RefusedRangeLeavesAllBlack) {
  const Calibration table = AlbedoTable(0, 255);
  ChannelSettings equal = VisibleChannel();
  equal.max = equal.min;
  ChannelSettings crossed = VisibleChannel();
  std::swap(crossed.min, crossed.max);
  const std::vector<std::pair<int32_t, ChannelSettings>> refused{
      {1, equal}, {1, crossed}, {2, crossed}};
  for (const auto& [bytes_per_pixel, channel] : refused) {
    DisplayTables tables;
    tables.palette.fill({1, 2, 3, 4});
    tables.count_to_index.fill(5);
    BuildDisplayTables(BlockOf(bytes_per_pixel, 0), table, channel, tables);
    EXPECT_EQ(tables.palette, Palette{}) << bytes_per_pixel;
    EXPECT_EQ(std::count(tables.count_to_index.begin(), tables.count_to_index.end(), 5),
              kCountTableSize);
  }
}

TEST(DisplayTables, RangeNarrowerThanAThousandthDrawsItsRampAtTheLowEnd) {
  std::vector<float> values;
  for (int k = 0; k < 256; ++k) values.push_back(static_cast<float>(k) * 0.0001F);
  const Calibration table = TableOf(0, values);
  ChannelSettings channel = VisibleChannel();
  channel.min = 0.01F;
  channel.max = 0.0105F;
  Palette palette{};
  ASSERT_TRUE(BuildPalette8(table, channel, false, channel.min, channel.max, palette));
  EXPECT_EQ(palette[99], Grey(0));
  for (size_t c = 100; c < 105; ++c) EXPECT_EQ(palette[c], Grey(0)) << c;
  EXPECT_EQ(palette[105], Grey(255));
}

TEST(DisplayTables, SixteenBitEqualRangeSplitsAtTheNearestCount) {
  const Calibration table = AlbedoTable(0, 1020);
  ChannelSettings channel = VisibleChannel();
  channel.max = channel.min = 0.5F;
  DisplayTables tables;
  BuildDisplayTables(BlockOf(2, 0), table, channel, tables);
  EXPECT_EQ(tables.palette[0], Grey(0));
  EXPECT_EQ(tables.palette[127], Grey(0));  // counts 506..509, below count 510 (0.5)
  EXPECT_EQ(tables.palette[128], Grey(255));
  EXPECT_EQ(tables.palette[255], Grey(255));
}

TEST(DisplayTables, ShortSixteenBitTableLeavesEntriesUnset) {
  const Calibration table = AlbedoTable(100, 200);  // 101 counts spread over 256 indexes
  const ChannelSettings channel = VisibleChannel();
  DisplayTables tables;
  tables.count_to_index.fill(7);
  BuildDisplayTables(BlockOf(2, 0), table, channel, tables);
  EXPECT_EQ(tables.count_to_index[99], 7);  // outside first..last: untouched
  EXPECT_EQ(tables.count_to_index[201], 7);
  EXPECT_EQ(tables.count_to_index[100], 0);
  EXPECT_EQ(tables.count_to_index[200], 255);
  EXPECT_EQ(tables.count_to_index[101], 3);  // (255 + 50) / 100
  EXPECT_EQ(tables.palette[1], kUnset);
  EXPECT_EQ(std::count(tables.palette.begin(), tables.palette.end(), kUnset), 256 - 101);
}

// ---- Choices for what the rules leave open ----

TEST(DisplayTables, SingleCountSixteenBitTableTakesIndexZero) {
  const Calibration table = TableOf(500, {0.4F});
  const ChannelSettings channel = VisibleChannel();
  DisplayTables tables;
  tables.count_to_index.fill(9);
  BuildDisplayTables(BlockOf(2, 0), table, channel, tables);
  EXPECT_EQ(tables.count_to_index[500], 0);
  EXPECT_EQ(tables.count_to_index[499], 9);
  EXPECT_EQ(tables.count_to_index[501], 9);
  // The only count is both ends of the range: it takes the high colour.
  EXPECT_EQ(tables.palette[0], Grey(255));
  EXPECT_EQ(std::count(tables.palette.begin(), tables.palette.end(), kUnset), 255);
}

TEST(DisplayTables, CountsBeyondTheIndexTableTakeNoPart) {
  const Calibration table = AlbedoTable(16380, 16390);
  const ChannelSettings channel = VisibleChannel();
  DisplayTables tables;
  BuildDisplayTables(BlockOf(2, 0), table, channel, tables);
  EXPECT_EQ(tables.count_to_index[16383], 77);  // (3 * 255 + 5) / 10
  EXPECT_EQ(tables.palette[77], Grey(98));      // albedo 0.3: (0.3 - 0.05) / 0.65 * 255 = 98.08
  EXPECT_EQ(tables.palette[102], kUnset);       // index of count 16384
  EXPECT_EQ(tables.palette[255], kUnset);
}

class UnknownModeTest : public ::testing::TestWithParam<int32_t> {};

TEST_P(UnknownModeTest, DrawsAsFullGrey) {
  const Calibration table = InfraredTable(0, 255);
  Palette expected{};
  Palette actual{};
  BuildPalette8(table, InfraredChannel(-1), false, -60, 45, expected);
  BuildPalette8(table, InfraredChannel(GetParam()), false, -60, 45, actual);
  EXPECT_EQ(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(ColOutOfRange, UnknownModeTest, ::testing::Values(7, 100, -2, -1000));

// ---- Count and value conversions ----

TEST(DisplayTables, ValueOfCountClampsAndConvertsKelvin) {
  const Calibration table = TableOf(10, {200.0F, 250.0F, 300.0F});
  ChannelSettings channel;
  EXPECT_DOUBLE_EQ(ValueOfCount(table, channel, 11), 250.0);
  EXPECT_DOUBLE_EQ(ValueOfCount(table, channel, 0), 200.0);
  EXPECT_DOUBLE_EQ(ValueOfCount(table, channel, 99), 300.0);
  channel.abs = true;
  EXPECT_DOUBLE_EQ(ValueOfCount(table, channel, 12), 300.0 - 273.15);
}

TEST(DisplayTables, CountOfValuePicksTheNearestAndHalfwayGoesLow) {
  const Calibration table = TableOf(3, {0.0F, 10.0F, 10.0F, 20.0F});
  const ChannelSettings channel;
  EXPECT_EQ(CountOfValue(table, channel, 5.0), 3);
  EXPECT_EQ(CountOfValue(table, channel, 5.5), 4);
  EXPECT_EQ(CountOfValue(table, channel, 10.0), 5);  // a plateau gives its last count
  EXPECT_EQ(CountOfValue(table, channel, 15.0), 5);
  EXPECT_EQ(CountOfValue(table, channel, 15.1), 6);
  EXPECT_EQ(CountOfValue(table, channel, -100.0), 3);
  EXPECT_EQ(CountOfValue(table, channel, 100.0), 6);
  EXPECT_EQ(CountOfValue(TableOf(8, {1.0F}), channel, 50.0), 8);
}

// Random ascending tables with plateaus and repeated values, searched for their own values, the
// midpoints between them, their float neighbours and values beyond both ends.
class CountOfValueSearchTest : public ::testing::TestWithParam<uint32_t> {};

TEST_P(CountOfValueSearchTest, MatchesTheLinearScan) {
  std::mt19937 random(GetParam());
  for (int round = 0; round < 200; ++round) {
    const auto size = std::uniform_int_distribution<int32_t>(1, 40)(random);
    const auto first = std::uniform_int_distribution<int32_t>(0, 300)(random);
    std::vector<float> values;
    float value = std::uniform_real_distribution<float>(-50, 300)(random);
    for (int32_t k = 0; k < size; ++k) {
      if (std::uniform_int_distribution<int>(0, 2)(random) > 0)
        value += static_cast<float>(std::uniform_int_distribution<int>(1, 8)(random)) * 0.25F;
      values.push_back(value);
    }
    const Calibration table = TableOf(first, values);
    std::vector<double> probes{values.front() - 1000.0, values.back() + 1000.0};
    for (size_t k = 0; k < values.size(); ++k) {
      probes.push_back(values[k]);
      probes.push_back(std::nextafter(values[k], -1e30F));
      probes.push_back(std::nextafter(values[k], 1e30F));
      if (k + 1 < values.size()) probes.push_back((double{values[k]} + values[k + 1]) / 2);
    }
    for (const bool abs : {false, true}) {
      ChannelSettings channel;
      channel.abs = abs;
      for (double probe : probes) {
        const double display = abs ? probe - 273.15 : probe;
        ASSERT_EQ(CountOfValue(table, channel, display), ReferenceCountOfValue(table, abs, display))
            << "round " << round << " value " << display;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, CountOfValueSearchTest, ::testing::Range(1u, 9u));

class RoundTripTest : public ::testing::TestWithParam<bool> {};

TEST_P(RoundTripTest, ValueOfItsCountFindsTheCount) {
  ChannelSettings channel;
  channel.abs = GetParam();
  const Calibration table = InfraredTable(40, 1063);
  auto shares_value = [&](int32_t c, int32_t other) {
    return other >= table.first && other <= table.last &&
           ValueOfCount(table, channel, other) == ValueOfCount(table, channel, c);
  };
  for (int32_t c = table.first; c <= table.last; ++c) {
    const double value = ValueOfCount(table, channel, c);
    const int32_t found = CountOfValue(table, channel, value);
    // Counts on a plateau share a value and are all as near; elsewhere the count comes back.
    EXPECT_EQ(ValueOfCount(table, channel, found), value) << c;
    if (!shares_value(c, c - 1) && !shares_value(c, c + 1)) {
      EXPECT_EQ(found, c);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(KelvinAndCelsius, RoundTripTest, ::testing::Bool());

// ---- 16-colour scale ----

TEST(DisplayTables, ScaleColoursByNumber) {
  const std::array<Colour, 16> expected{{{0, 0, 0},
                                         {0, 0, 255},
                                         {255, 0, 0},
                                         {255, 0, 255},
                                         {0, 255, 0},
                                         {0, 255, 255},
                                         {255, 255, 0},
                                         {255, 255, 255},
                                         {128, 128, 128},
                                         {0, 0, 128},
                                         {128, 0, 0},
                                         {128, 0, 128},
                                         {0, 128, 0},
                                         {0, 128, 128},
                                         {128, 128, 0},
                                         {192, 192, 192}}};
  for (int32_t n = 0; n < 16; ++n) EXPECT_EQ(Colour16(n), expected[static_cast<size_t>(n)]) << n;
  EXPECT_EQ(Colour16(16), (Colour{0, 0, 0}));
  EXPECT_EQ(Colour16(-1), (Colour{0, 0, 0}));
}

// ---- Colour sets ----

// Counts 0..10 hold 0, 10, ..., 100. Set 1: red through (20, 100) and (60, 200), no green points,
// blue through (50, 300), a level the palette keeps only the low 8 bits of.
ChannelSettings ColourSetChannel(bool tbb) {
  ChannelSettings channel;
  channel.col = 1;
  channel.tbb = tbb;
  channel.colour_points[1][0] = {{20, 100}, {60, 200}};
  channel.colour_points[1][2] = {{50, 300}};
  channel.colour_points[0][1] = {{10, 77}};  // another set: never used
  return channel;
}

Calibration TensTable() {
  return TableOf(0, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100});
}

struct ColourCase {
  bool tbb;
  double value;
  ColourLevels levels;
};

class ColourOfValueTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ColourOfValueTest, FollowsThePointsBetweenTheTableEnds) {
  const ColourCase& c = GetParam();
  EXPECT_EQ(ColourOfValue(TensTable(), ColourSetChannel(c.tbb), c.value), c.levels);
}

INSTANTIATE_TEST_SUITE_P(
    HandMadeLists, ColourOfValueTest,
    ::testing::Values(ColourCase{false, 40, {150, 102, 240}},   // between points
                      ColourCase{false, 80, {228, 204, 273}},   // past the last point
                      ColourCase{false, 20, {100, 51, 120}},    // on a point
                      ColourCase{false, -5, {0, 0, 0}},         // below the table
                      ColourCase{false, 0, {0, 0, 0}},          // at the first count
                      ColourCase{false, 100, {255, 255, 255}},  // at the last count
                      ColourCase{true, 40, {150, 153, 291}},    // tbb flips the default ends
                      ColourCase{true, 0, {255, 255, 255}}, ColourCase{true, 100, {0, 0, 0}}));

TEST(DisplayTables, ColourSetPaletteKeepsLowEightBits) {
  const Calibration table = TensTable();
  const ChannelSettings channel = ColourSetChannel(false);
  Palette palette{};
  // Colour sets ignore min and max and the invert flag.
  ASSERT_TRUE(BuildPalette8(table, channel, false, 0, 1, palette));
  EXPECT_EQ(palette[4], (PaletteEntry{150, 102, 240, 4}));
  EXPECT_EQ(palette[8], (PaletteEntry{228, 204, 17, 4}));  // 273 & 0xff
  EXPECT_EQ(palette[200],
            (PaletteEntry{255, 255, 255, 4}));  // beyond last: the last count's colour
}

class EmptyColourSetTest : public ::testing::TestWithParam<bool> {};

TEST_P(EmptyColourSetTest, RampsOverTheWholeTable) {
  const bool tbb = GetParam();
  ChannelSettings channel;
  channel.col = 2;
  channel.tbb = tbb;
  const Calibration table = AlbedoTable(0, 1020);
  DisplayTables tables;
  BuildDisplayTables(BlockOf(2, 0), table, channel, tables);
  EXPECT_EQ(tables.palette[0], Grey(tbb ? 255 : 0));
  EXPECT_EQ(tables.palette[255], Grey(tbb ? 0 : 255));
  EXPECT_EQ(tables.palette[128], Grey(tbb ? 127 : 128));  // count 513: 0.50294 * 255 = 128.25
}

INSTANTIATE_TEST_SUITE_P(TbbOffAndOn, EmptyColourSetTest, ::testing::Bool());

// ---- Tables with NaN values ----

TEST(DisplayTables, NaNTableValuesGiveDefinedColours) {
  std::vector<float> values(256);
  for (size_t k = 0; k < values.size(); ++k) values[k] = static_cast<float>(k) / 255.0F;
  values[100] = std::numeric_limits<float>::quiet_NaN();
  const Calibration table = TableOf(0, values);
  for (const bool rev : {false, true}) {
    Palette grey{};
    ASSERT_TRUE(BuildPalette8(table, VisibleChannel(-1, rev), false, 0.05, 0.7, grey));
    EXPECT_EQ(grey[100], Grey(rev ? 255 : 0));
  }
  Palette colours{};
  ASSERT_TRUE(BuildPalette8(table, ColourSetChannel(false), false, 0, 1, colours));
  EXPECT_EQ(colours[100], (PaletteEntry{0, 0, 0, 4}));
}

}  // namespace
}  // namespace nephrax
