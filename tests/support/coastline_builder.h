// Builds coastline files for tests. Every field can be set, including to values the reader must
// stop at; the defaults make a valid typed file whose extents fit its points.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "overlay/coastline_file.h"

namespace nephrax::testing {

struct CoastlineRecordSpec {
  int16_t marker = 1;
  int16_t element_type = 1;
  std::vector<CoastlinePoint> points;  // hundredths of a degree; must fit int16
  // Extent fields; by default the smallest and largest longitude and latitude of the points.
  std::optional<int16_t> lon_a, lon_b, lowest_lat, highest_lat;
  std::optional<int16_t> point_count;  // default: the number of points, which are stored either way
};

struct CoastlineFileSpec {
  uint8_t element_type_flag = 1;
  std::vector<CoastlineRecordSpec> records;
  bool end_marker = true;  // a zero marker after the last record
};

std::vector<uint8_t> BuildCoastlineFile(const CoastlineFileSpec& spec);

}  // namespace nephrax::testing
