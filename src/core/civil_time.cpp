#include "core/civil_time.h"

namespace nephrax {

namespace {

// Days from 1 March of year 0 to 1 January 1970, and days in 400 Gregorian years.
constexpr int64_t kEpochShift = 719468;
constexpr int64_t kDaysPerEra = 146097;

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

}  // namespace

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t quotient = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? quotient - 1 : quotient;
}

int64_t SecondsOf(const BrokenDownTime& time) {
  const int64_t months = time.month - 1;
  const int64_t years = FloorDiv(months, 12);
  const int64_t days = DaysFromCivil(time.year + years, months - years * 12 + 1, 1) + time.day - 1;
  return days * kSecondsPerDay + time.hour * 3600 + time.minute * 60 + time.second;
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

}  // namespace nephrax
