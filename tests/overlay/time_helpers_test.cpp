#include "overlay/time_helpers.h"

#include <gtest/gtest.h>

namespace nephrax {
namespace {

struct AddCase {
  const char* name;
  ShortTime time;
  int32_t minutes;
  ShortTime sum;
};

class AddMinutesTest : public ::testing::TestWithParam<AddCase> {};

TEST_P(AddMinutesTest, CarriesThroughTheCalendar) {
  EXPECT_EQ(AddMinutes(GetParam().time, GetParam().minutes), GetParam().sum);
}

INSTANTIATE_TEST_SUITE_P(
    Sums, AddMinutesTest,
    ::testing::Values(
        AddCase{"IntoTheNextHour", {2024, 7, 15, 2, 20}, 50, {2024, 7, 15, 3, 10}},
        AddCase{"EndOfFebruary2023", {2023, 2, 28, 23, 40}, 50, {2023, 3, 1, 0, 30}},
        AddCase{"LeapDay2024", {2024, 2, 28, 23, 40}, 50, {2024, 2, 29, 0, 30}},
        AddCase{"CenturyWithoutLeapDay", {2100, 2, 28, 23, 59}, 1, {2100, 3, 1, 0, 0}},
        AddCase{"FourHundredYearLeapDay", {2000, 2, 28, 23, 59}, 1, {2000, 2, 29, 0, 0}},
        AddCase{"IntoTheNextYear", {2024, 12, 31, 23, 50}, 10, {2025, 1, 1, 0, 0}},
        AddCase{"BackIntoTheLeapDay", {2024, 3, 1, 0, 10}, -20, {2024, 2, 29, 23, 50}},
        AddCase{"BackIntoThePreviousYear", {2025, 1, 1, 0, 0}, -1, {2024, 12, 31, 23, 59}},
        AddCase{"WholeLeapYear", {2024, 1, 1, 0, 0}, 366 * 1440, {2025, 1, 1, 0, 0}},
        AddCase{"YearsSince1900", {124, 7, 15, 2, 20}, 0, {2024, 7, 15, 2, 20}},
        AddCase{"MinuteOutOfRange", {2024, 7, 15, 2, 75}, 0, {2024, 7, 15, 3, 15}},
        AddCase{"MonthOutOfRange", {2024, 13, 1, 0, 0}, 0, {2025, 1, 1, 0, 0}},
        AddCase{"DayZero", {2024, 3, 0, 12, 0}, 0, {2024, 2, 29, 12, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct RoundCase {
  const char* name;
  int32_t step;
  ShortTime time;
  ShortTime rounded;
};

class RoundUpToStepTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundUpToStepTest, GoesToTheNextMultipleWithinTheHour) {
  EXPECT_EQ(RoundUpToStep(GetParam().time, GetParam().step), GetParam().rounded);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RoundUpToStepTest,
    ::testing::Values(
        RoundCase{"UpToTheHour", 10, {2024, 7, 15, 2, 51}, {2024, 7, 15, 3, 0}},
        RoundCase{"MultipleAdvancesAWholeStep", 10, {2024, 7, 15, 3, 0}, {2024, 7, 15, 3, 10}},
        RoundCase{"MinuteFiftyNine", 10, {2024, 7, 15, 3, 59}, {2024, 7, 15, 4, 0}},
        RoundCase{"NewYear", 10, {2024, 12, 31, 23, 50}, {2025, 1, 1, 0, 0}},
        // Steps count within the hour's minutes, not from midnight: 56 is 8 x 7.
        RoundCase{"SevenMinuteStep", 7, {2024, 7, 15, 3, 55}, {2024, 7, 15, 3, 56}},
        RoundCase{"SevenMinuteStepFromZero", 7, {2024, 7, 15, 3, 0}, {2024, 7, 15, 3, 7}},
        RoundCase{"HourStep", 60, {2024, 7, 15, 3, 0}, {2024, 7, 15, 4, 0}},
        RoundCase{"NoStep", 0, {2024, 7, 15, 3, 55}, {2024, 7, 15, 3, 55}}),
    [](const auto& info) { return std::string(info.param.name); });

struct LocalCase {
  const char* name;
  TimeRecord utc;
  int64_t offset;
  TimeRecord local;
};

class ToLocalTimeTest : public ::testing::TestWithParam<LocalCase> {};

TEST_P(ToLocalTimeTest, SubtractsTheOffsetWithFullCarry) {
  EXPECT_EQ(ToLocalTime(GetParam().utc, GetParam().offset), GetParam().local);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, ToLocalTimeTest,
    ::testing::Values(
        LocalCase{"JapanNextDay", {20, 24, 7, 15, 15, 5, 30}, -32400, {20, 24, 7, 16, 0, 5, 30}},
        LocalCase{
            "EasternPreviousYear", {20, 24, 1, 1, 3, 0, 0}, 18000, {20, 23, 12, 31, 22, 0, 0}},
        LocalCase{"IntoANewCentury", {19, 99, 12, 31, 20, 0, 0}, -32400, {20, 0, 1, 1, 5, 0, 0}},
        LocalCase{"HalfHourZone", {20, 24, 2, 29, 23, 45, 0}, -1800, {20, 24, 3, 1, 0, 15, 0}},
        LocalCase{"Utc", {20, 24, 7, 15, 15, 5, 30}, 0, {20, 24, 7, 15, 15, 5, 30}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimeRecordTest, ShortTimeDropsSecondsAndComesBackWithSecondZero) {
  const ShortTime time = ToShortTime(TimeRecord{20, 24, 7, 15, 2, 51, 30});
  EXPECT_EQ(time, (ShortTime{2024, 7, 15, 2, 51}));
  EXPECT_EQ(ToTimeRecord(time), (TimeRecord{20, 24, 7, 15, 2, 51, 0}));
}

}  // namespace
}  // namespace nephrax
