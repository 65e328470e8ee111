#include "overlay/time_helpers.h"

#include <algorithm>
#include <limits>

namespace nephrax {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Days from 1 March of year 0 to 1 January 1970, and days in 400 Gregorian years.
constexpr int64_t kEpochShift = 719468;
constexpr int64_t kDaysPerEra = 146097;

// Every field is widened to 64 bits, so that the arithmetic holds for any int32 fields of a file
// (a year of up to 2^31 hundreds included).
struct BrokenDownTime {
  int64_t year = 0;
  int64_t month = 0;
  int64_t day = 0;
  int64_t hour = 0;
  int64_t minute = 0;
  int64_t second = 0;
};

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t quotient = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? quotient - 1 : quotient;
}

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Days from 1 January 1970 to the date; month 1..12. Years are counted from 1 March, so that the
// leap day ends a year.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  const int64_t march_year = month <= 2 ? year - 1 : year;
  const int64_t era = FloorDiv(march_year, 400);
  const int64_t year_of_era = march_year - era * 400;
  const int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * kDaysPerEra + day_of_era - kEpochShift;
}

// Seconds since 1970 of a time whose fields may lie outside their ranges.
int64_t SecondsOf(const BrokenDownTime& t) {
  const int64_t months = t.month - 1;
  const int64_t years = FloorDiv(months, 12);
  const int64_t days = DaysFromCivil(t.year + years, months - years * 12 + 1, 1) + t.day - 1;
  return days * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
}

BrokenDownTime TimeOf(int64_t seconds) {
  const int64_t days = FloorDiv(seconds, kSecondsPerDay);
  const int64_t of_day = seconds - days * kSecondsPerDay;
  const int64_t shifted = days + kEpochShift;
  const int64_t era = FloorDiv(shifted, kDaysPerEra);
  const int64_t day_of_era = shifted - era * kDaysPerEra;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t march_month = (5 * day_of_year + 2) / 153;
  const int64_t month = march_month < 10 ? march_month + 3 : march_month - 9;
  return BrokenDownTime{year_of_era + era * 400 + (month <= 2 ? 1 : 0),
                        month,
                        day_of_year - (153 * march_month + 2) / 5 + 1,
                        of_day / 3600,
                        of_day / 60 % 60,
                        of_day % 60};
}

BrokenDownTime BreakDown(const ShortTime& t) {
  const int64_t year = t.year <= 1900 ? int64_t{t.year} + 1900 : t.year;
  return BrokenDownTime{year, t.month, t.day, t.hour, t.minute, 0};
}

ShortTime ShortTimeOf(const BrokenDownTime& t) {
  return ShortTime{ClampToInt32(t.year), ClampToInt32(t.month), ClampToInt32(t.day),
                   ClampToInt32(t.hour), ClampToInt32(t.minute)};
}

TimeRecord TimeRecordOf(const BrokenDownTime& t) {
  return TimeRecord{ClampToInt32(t.year / 100), ClampToInt32(t.year % 100), ClampToInt32(t.month),
                    ClampToInt32(t.day),        ClampToInt32(t.hour),       ClampToInt32(t.minute),
                    ClampToInt32(t.second)};
}

int64_t FullYear(const TimeRecord& t) {
  return int64_t{t.century} * 100 + t.year_in_century;
}

}  // namespace

ShortTime ToShortTime(const TimeRecord& time) {
  return ShortTime{ClampToInt32(FullYear(time)), time.month, time.day, time.hour, time.minute};
}

TimeRecord ToTimeRecord(const ShortTime& time) {
  return TimeRecordOf(BreakDown(time));
}

ShortTime AddMinutes(const ShortTime& time, int32_t minutes) {
  BrokenDownTime t = BreakDown(time);
  t.minute += minutes;
  return ShortTimeOf(TimeOf(SecondsOf(t)));
}

ShortTime RoundUpToStep(const ShortTime& time, int32_t step) {
  if (step <= 0) return time;
  const int64_t minute = time.minute;
  const int64_t next_multiple = step * FloorDiv(step + minute, step);
  return AddMinutes(time, static_cast<int32_t>(next_multiple - minute));
}

TimeRecord ToLocalTime(const TimeRecord& utc, int64_t time_zone_offset) {
  const BrokenDownTime t{FullYear(utc), utc.month, utc.day, utc.hour, utc.minute, utc.second};
  return TimeRecordOf(TimeOf(SecondsOf(t) - time_zone_offset));
}

}  // namespace nephrax
