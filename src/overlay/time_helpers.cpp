#include "overlay/time_helpers.h"

#include <algorithm>
#include <limits>

#include "core/civil_time.h"

namespace nephrax {

namespace {

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
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
