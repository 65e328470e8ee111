#include "calsun/count_lookup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "calsun/display_tables.h"

namespace nephrax {
namespace {

struct TableCase {
  std::string name;
  int32_t first;
  std::vector<float> values;
  bool abs = false;
};

std::vector<float> Ramp(int32_t counts, float low, float high, double power = 1) {
  std::vector<float> values;
  for (int32_t c = 0; c < counts; ++c) {
    const double t = static_cast<double>(c) / std::max(1, counts - 1);
    values.push_back(static_cast<float>(low + (high - low) * std::pow(t, power)));
  }
  return values;
}

// Values whose halfway points are exact, so that probes land on the ties themselves.
std::vector<float> Halves(int32_t counts) {
  std::vector<float> values;
  for (int32_t c = 0; c < counts; ++c) values.push_back(0.5F * static_cast<float>(c));
  return values;
}

std::vector<float> WithPlateaus() {
  std::vector<float> values = Ramp(300, 0, 1);
  std::fill(values.begin() + 40, values.begin() + 46, values[40]);
  std::fill(values.begin() + 100, values.begin() + 103, values[100]);
  std::fill(values.begin() + 200, values.begin() + 202, values[200]);
  return values;
}

std::vector<float> Noisy() {
  std::vector<float> values = Ramp(200, 0, 1);
  std::swap(values[50], values[60]);
  return values;
}

// Every value whose count could go wrong: the table values and the halfway points with their
// neighbours, values beyond both ends, infinities and NaN, and random values across the range.
std::vector<double> ProbesFor(const TableCase& table) {
  const double offset = table.abs ? kKelvinOffset : 0;
  std::vector<double> probes;
  auto add_with_neighbours = [&](double v) {
    probes.push_back(v);
    probes.push_back(std::nextafter(v, -INFINITY));
    probes.push_back(std::nextafter(v, INFINITY));
  };
  for (size_t k = 0; k < table.values.size(); ++k) {
    add_with_neighbours(table.values[k] - offset);
    if (k + 1 < table.values.size()) {
      const double lower = table.values[k];
      const double upper = table.values[k + 1];
      add_with_neighbours((lower + upper) / 2 - offset);
      add_with_neighbours((lower - offset + upper - offset) / 2);
    }
  }
  const auto [low, high] = std::minmax_element(table.values.begin(), table.values.end());
  const double range = std::max(1.0, static_cast<double>(*high - *low));
  std::mt19937 random(3);
  std::uniform_real_distribution<double> uniform(*low - offset - range, *high - offset + range);
  for (int i = 0; i < 20000; ++i) probes.push_back(uniform(random));
  for (const double v :
       {-HUGE_VAL, HUGE_VAL, std::numeric_limits<double>::quiet_NaN(), -1e300, 1e300, 0.0, -0.0})
    probes.push_back(v);
  return probes;
}

class CountLookupTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(CountLookupTest, GivesTheCountsOfCountOfValue) {
  const TableCase& table = GetParam();
  const Calibration calibration{
      table.first, table.first + static_cast<int32_t>(table.values.size()) - 1, table.values};
  ChannelSettings channel;
  channel.abs = table.abs;
  const CountLookup lookup(calibration, channel);
  for (const double value : ProbesFor(table)) {
    ASSERT_EQ(lookup.CountOf(value), CountOfValue(calibration, channel, value))
        << "value " << value;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CountLookupTest,
    ::testing::Values(TableCase{"Albedo10Bit", 0, Ramp(1024, 0, 1)},
                      TableCase{"Albedo8BitFrom16", 16, Ramp(240, 0, 1.2F)},
                      TableCase{"KelvinInCelsius", 0, Ramp(1024, 180, 330), true},
                      TableCase{"DenseAtTheLowEnd", 0, Ramp(1024, 0, 1, 3)},
                      TableCase{"DenseAtTheHighEnd", 0, Ramp(1024, 0, 1, 0.2)},
                      TableCase{"ExactHalves", 0, Halves(64)},
                      TableCase{"Plateaus", 0, WithPlateaus()},
                      TableCase{"Negative", 0, Ramp(500, -40, -2)},
                      TableCase{"FlatTable", 0, std::vector<float>(8, 0.25F)},
                      TableCase{"TwoCounts", 7, {0.1F, 0.9F}}, TableCase{"OneCount", 12, {0.5F}},
                      TableCase{"NotAscending", 0, Noisy()},
                      TableCase{
                          "WithNaN", 0, {0, 0.1F, std::numeric_limits<float>::quiet_NaN(), 0.3F}},
                      TableCase{"Wide16Bit", 0, Ramp(16384, 0, 1)}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace nephrax
