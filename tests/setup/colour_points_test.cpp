#include "setup/colour_points.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace nephrax {
namespace {

struct SortCase {
  const char* name;
  ColourPointList points;
  ColourPointList expected;
};

void PrintTo(const SortCase& c, std::ostream* os) {
  *os << c.name;
}

class SortColourPointsTest : public ::testing::TestWithParam<SortCase> {};

TEST_P(SortColourPointsTest, SortsByValueAndKeepsTheLastOfEqualValues) {
  ColourPointList points = GetParam().points;
  SortColourPoints(points);
  EXPECT_EQ(points, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, SortColourPointsTest,
    ::testing::Values(
        SortCase{"Empty", {}, {}},
        SortCase{"TwoPointsAtTwenty", {{20, 255}, {-60, 0}, {20, 128}}, {{-60, 0}, {20, 128}}},
        SortCase{"AlreadySorted", {{1, 1}, {2, 2}, {3, 3}}, {{1, 1}, {2, 2}, {3, 3}}},
        SortCase{"AllEqual", {{5, 1}, {5, 2}, {5, 3}}, {{5, 3}}},
        // Swapping moves (3,10) behind (3,30), so (3,10) survives where a stable sort would
        // keep (3,30).
        SortCase{
            "SwapsDecideTheSurvivor", {{3, 10}, {1, 20}, {3, 30}, {1, 40}}, {{1, 40}, {3, 10}}}),
    [](const ::testing::TestParamInfo<SortCase>& info) { return info.param.name; });

struct ReadCase {
  const char* name;
  std::string text;
  ColourPointList expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
  *os << c.name;
}

class ReadColourPointsTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadColourPointsTest, ReadsThePointsInFileOrder) {
  EXPECT_EQ(ReadColourPoints(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadColourPointsTest,
    ::testing::Values(ReadCase{"TwoPoints", "(-60, 0)(20, 255)", {{-60, 0}, {20, 255}}},
                      ReadCase{
                          "BlanksBetweenPoints", "(0.5,10)  (1.5, 20)", {{0.5F, 10}, {1.5F, 20}}},
                      ReadCase{"UnreadablePointSkipped", "(1,5)(x,3)(2,7)", {{1, 5}, {2, 7}}},
                      ReadCase{"BlankBeforeCommaIsUnreadable", "(1 ,5)(2,7)", {{2, 7}}},
                      ReadCase{"CutPointSkipped", "(1,5)(2", {{1, 5}}},
                      ReadCase{"ShortFieldEndsTheList", "(1,5)()(2,7)", {{1, 5}}},
                      ReadCase{"NoPoints", "garbage", {}}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(ReadColourPointsLimitTest, KeepsAtMostEightyPoints) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "(" + std::to_string(i) + ",1)";
  const ColourPointList points = ReadColourPoints(text);
  ASSERT_EQ(points.size(), kMaxColourPoints);
  EXPECT_EQ(points.back().value, 79.0F);
}

struct TextCase {
  const char* name;
  int channel;
  ColourPointList points;
  std::string expected;
};

void PrintTo(const TextCase& c, std::ostream* os) {
  *os << c.name;
}

class ColourPointTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ColourPointTextTest, WritesValuesWithTheChannelsDecimals) {
  const ChannelSettings channel =
      Settings::BuiltInChannels()[static_cast<size_t>(GetParam().channel)];
  EXPECT_EQ(ColourPointText(GetParam().points, channel), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Channels, ColourPointTextTest,
    ::testing::Values(
        TextCase{"CelsiusOneDecimal", 0, {{-60, 0}, {20.5F, 255}}, "(-60.0, 0)(20.5, 255)"},
        TextCase{"TemperatureTwoDecimals", 16, {{-1, 3}, {12.5F, 4}}, "(-1.00, 3)(12.50, 4)"},
        TextCase{"AlbedoBelowTenThreeDecimals", 3, {{0, 1}, {0.5F, 2}}, "(0.000, 1)(0.500, 2)"},
        TextCase{"AlbedoOtherwiseTwoDecimals", 3, {{-0.5F, 1}, {10, 2}}, "(-0.50, 1)(10.00, 2)"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return info.param.name; });

TEST(ColourPointKeyTest, JoinsNameSetAndComponent) {
  EXPECT_EQ(ColourPointKey("IR", 0, 0), "IRext0r");
  EXPECT_EQ(ColourPointKey("S2", 3, 2), "S2ext3b");
  EXPECT_EQ(ColourPointKey("WV", 1, 1), "WVext1g");
}

}  // namespace
}  // namespace nephrax
