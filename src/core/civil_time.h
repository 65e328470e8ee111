// Calendar arithmetic on whole seconds: the proleptic Gregorian calendar, no leap seconds, UTC.
#pragma once

#include <cstdint>

namespace nephrax {

inline constexpr int64_t kSecondsPerDay = 86400;

// A calendar time with every field widened to 64 bits, so that the arithmetic holds for any int32
// fields of a file (a year of up to 2^31 hundreds included). Month 1..12 in a result.
struct BrokenDownTime {
  int64_t year = 0;
  int64_t month = 0;
  int64_t day = 0;
  int64_t hour = 0;
  int64_t minute = 0;
  int64_t second = 0;
};

// a / b rounded toward minus infinity; b must not be 0.
int64_t FloorDiv(int64_t a, int64_t b);

// Seconds since 1970-01-01 00:00:00 of a time whose fields may lie outside their ranges: they
// carry into the next field, as a calendar-time normalisation does (month 13 is January of the
// next year, day 0 the last day of the month before).
int64_t SecondsOf(const BrokenDownTime& time);

// The calendar time of seconds since 1970-01-01 00:00:00.
BrokenDownTime TimeOf(int64_t seconds);

}  // namespace nephrax
