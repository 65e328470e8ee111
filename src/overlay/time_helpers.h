// Calendar arithmetic on the times of a source file: minute steps, rounding up to a step, and the
// shift to local time. Gregorian calendar throughout, no leap seconds, no daylight saving. Any
// field may be out of its range (a minute of 75, a day of 0): it carries into the next field, as
// a calendar-time normalisation does.
#pragma once

#include <cstdint>

#include "core/time_record.h"

namespace nephrax {

// A time to the minute. A year of 1900 or less is taken as years since 1900; every result holds
// the full year.
struct ShortTime {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;
  int32_t minute = 0;

  friend bool operator==(const ShortTime&, const ShortTime&) = default;
};

// The record to the minute: the full year from hundreds and year in century, the seconds dropped.
ShortTime ToShortTime(const TimeRecord& time);

// The record of `time` with second 0, the year split into hundreds and year in century.
TimeRecord ToTimeRecord(const ShortTime& time);

// `time` plus `minutes` (which may be negative).
ShortTime AddMinutes(const ShortTime& time, int32_t minutes);

// The first time after `time` whose minute is a multiple of `step`, counted within the hour: a
// minute that already is a multiple advances by a whole step. A step of 0 or less changes nothing.
ShortTime RoundUpToStep(const ShortTime& time, int32_t step);

// The instant `utc` as local time, where `time_zone_offset` is the seconds of UTC minus local.
TimeRecord ToLocalTime(const TimeRecord& utc, int64_t time_zone_offset);

}  // namespace nephrax
