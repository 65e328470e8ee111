// The seven-field time record used by both times of the control block.
#pragma once

#include <cstdint>

namespace nephrax {

struct TimeRecord {
  int32_t century = 0;  // hundreds of the year: year = century * 100 + year_in_century
  int32_t year_in_century = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;

  int32_t Year() const { return century * 100 + year_in_century; }
  friend bool operator==(const TimeRecord&, const TimeRecord&) = default;
};

}  // namespace nephrax
