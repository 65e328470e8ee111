#include "cyclone/cyclone_report.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "overlay/grid_layout.h"

namespace nephrax {

namespace {

constexpr const char* kLineEnd = "\r\n";

template <typename... Args>
std::string Format(const char* format, Args... args) {
  std::array<char, 64> buffer{};
  const int length = std::snprintf(buffer.data(), buffer.size(), format, args...);
  if (length < 0) return {};
  return std::string(buffer.data(), std::min(static_cast<size_t>(length), buffer.size() - 1));
}

// The digit '0' + index of the first threshold the value does not exceed.
char ClassDigit(size_t index) {
  return static_cast<char>('0' + index);
}

// "1".."5" for the first of 20, 50, 100, 200, 300 at least the value; "/" below 0 or above 300.
char AcClass(float ac) {
  constexpr std::array<float, 5> kThresholds{20, 50, 100, 200, 300};
  if (ac < 0) return '/';
  for (size_t i = 0; i < kThresholds.size(); ++i) {
    if (ac <= kThresholds[i]) return ClassDigit(i + 1);
  }
  return '/';
}

// The largest digit d (at most 9) with Wf / 110 at least d; "/" below 0.
char WfClass(float wf) {
  if (!(wf >= 0)) return '/';
  for (int digit = 9; digit > 0; --digit) {
    if (static_cast<double>(wf) / 110.0 >= digit) return ClassDigit(static_cast<size_t>(digit));
  }
  return '0';
}

// "0".."4" for the first of -1.5, -0.5, 0.0, 0.5, 1.5 at least the value; "/" below -90 (a
// missing At is -99) or above 1.5.
char AtClass(float at) {
  constexpr std::array<float, 5> kThresholds{-1.5F, -0.5F, 0.0F, 0.5F, 1.5F};
  if (at < -90) return '/';
  for (size_t i = 0; i < kThresholds.size(); ++i) {
    if (at <= kThresholds[i]) return ClassDigit(i);
  }
  return '/';
}

constexpr int32_t kSlowestMoving = 3;

std::string DirectionText(const TrackRecord& record) {
  if (record.direction < 0) return "///";
  if (record.speed < kSlowestMoving) return "000";
  return Format("%03d", record.direction == 0 ? 360 : record.direction);
}

std::string SpeedText(const TrackRecord& record) {
  if (record.speed < 0) return "//";
  return Format("%02d", record.speed < kSlowestMoving ? 0 : record.speed);
}

}  // namespace

std::string ReportHeaderLine(const TargetTime& target) {
  return Format("%02d%02d%02dUTC", target.month, target.day, target.hour) +
         ",Name,Lat,Lon,Ac,Wf,At,T-no,CI-no,DDD,FF" + kLineEnd;
}

std::string ReportRow(const SelectedStorm& storm) {
  const TrackRecord& record = storm.record;
  std::string row = storm.label;
  row += ',';
  row += storm.name.empty() ? "NAMELESS" : storm.name;
  row += ',';
  row += FormatLatLon(record.lat, 1, Coordinate::kLatitude);
  row += ',';
  row += FormatLatLon(record.lon, 1, Coordinate::kLongitude);
  row += ',';
  row += AcClass(record.ac);
  row += ',';
  row += WfClass(record.wf);
  row += ',';
  row += AtClass(record.at);
  row += ',';
  row += Format("%3.1f", static_cast<double>(record.t_number));
  row += ',';
  row += Format("%3.1f", static_cast<double>(record.ci_number));
  row += ',';
  row += DirectionText(record);
  row += ',';
  row += SpeedText(record);
  return row + kLineEnd;
}

CycloneReport::CycloneReport(const std::string& path, const TargetTime& target) : file_(path) {
  WriteLine(ReportHeaderLine(target));
}

void CycloneReport::AddRow(const SelectedStorm& storm) {
  WriteLine(ReportRow(storm));
}

void CycloneReport::Close() {
  file_.Commit();
}

void CycloneReport::WriteLine(const std::string& line) {
  file_.Write(line.data(), line.size());
}

}  // namespace nephrax
