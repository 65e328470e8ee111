#include "support/coastline_builder.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace nephrax::testing {

namespace {

void AppendI16(std::vector<uint8_t>& bytes, int32_t value) {
  if (value < INT16_MIN || value > INT16_MAX) {
    throw std::invalid_argument("coastline value out of int16 range");
  }
  const auto bits = static_cast<uint16_t>(value);
  bytes.push_back(static_cast<uint8_t>(bits & 0xff));
  bytes.push_back(static_cast<uint8_t>(bits >> 8));
}

int32_t ValueOr(const std::optional<int16_t>& value, int32_t fallback) {
  return value ? *value : fallback;
}

void AppendRecord(std::vector<uint8_t>& bytes, const CoastlineRecordSpec& record) {
  // The points' extent; a record without points has an extent of zeros.
  int32_t west = 0, east = 0, south = 0, north = 0;
  if (!record.points.empty()) {
    const auto [w, e] = std::minmax_element(
        record.points.begin(), record.points.end(),
        [](const CoastlinePoint& a, const CoastlinePoint& b) { return a.lon < b.lon; });
    const auto [s, n] = std::minmax_element(
        record.points.begin(), record.points.end(),
        [](const CoastlinePoint& a, const CoastlinePoint& b) { return a.lat < b.lat; });
    west = w->lon, east = e->lon, south = s->lat, north = n->lat;
  }
  AppendI16(bytes, record.marker);
  AppendI16(bytes, record.element_type);
  AppendI16(bytes, ValueOr(record.lon_a, west));
  AppendI16(bytes, ValueOr(record.lon_b, east));
  AppendI16(bytes, ValueOr(record.lowest_lat, south));
  AppendI16(bytes, ValueOr(record.highest_lat, north));
  AppendI16(bytes, ValueOr(record.point_count, static_cast<int32_t>(record.points.size())));
  for (const CoastlinePoint& point : record.points) {
    AppendI16(bytes, point.lon);
    AppendI16(bytes, point.lat);
  }
}

}  // namespace

std::vector<uint8_t> BuildCoastlineFile(const CoastlineFileSpec& spec) {
  std::vector<uint8_t> bytes(kCoastlineHeaderSize, 0);
  bytes[0] = spec.element_type_flag;
  for (const CoastlineRecordSpec& record : spec.records) AppendRecord(bytes, record);
  if (spec.end_marker) AppendI16(bytes, 0);
  return bytes;
}

}  // namespace nephrax::testing
