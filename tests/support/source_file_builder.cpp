#include "support/source_file_builder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/bytes.h"
#include "core/control_block.h"

namespace nephrax::testing {

namespace {

void PutText(std::vector<uint8_t>& bytes, size_t offset, const std::string& text, size_t length) {
  std::copy_n(text.begin(), std::min(text.size(), length), bytes.begin() + static_cast<long>(offset));
}

void PutTime(std::vector<uint8_t>& bytes, size_t offset, const TimeRecord& t) {
  const int32_t fields[] = {t.century, t.year_in_century, t.month, t.day, t.hour, t.minute, t.second};
  for (size_t i = 0; i < 7; ++i) WriteI32Le(bytes, offset + 4 * i, fields[i]);
}

int32_t CountOf(const SourceFileSpec& spec, int32_t x, int32_t y) {
  if (!spec.pixels.empty()) return spec.pixels[static_cast<size_t>(y * spec.width + x)];
  return (x + y * spec.width) % (spec.last_count + 1);
}

int32_t BytesPerPixel(const SourceFileSpec& spec) { return spec.bytes_per_pixel >= 2 ? 2 : 1; }

}  // namespace

std::vector<float> InfraredCalibration(int32_t first, int32_t last) {
  std::vector<float> values;
  for (int32_t c = first; c <= last; ++c) {
    values.push_back(330.0F - 150.0F * static_cast<float>(c - first) /
                                  static_cast<float>(std::max(1, last - first)));
  }
  return values;
}

int32_t RecordLength(const SourceFileSpec& spec) {
  const int32_t units =
      spec.record_units.value_or((4 + spec.width * BytesPerPixel(spec) + 255) / 256);
  return 256 * units;
}

int32_t CalibrationSize(const SourceFileSpec& spec) {
  const int32_t n = spec.calibration_n.value_or(spec.last_count - spec.first_count + 1);
  return (4 * n + 263) / 256 * 256;
}

std::vector<uint8_t> BuildControlBlock(const SourceFileSpec& spec) {
  std::vector<uint8_t> b(kControlBlockSize, 0);
  WriteI32Le(b, cb::kBlockLength, spec.block_length);
  PutText(b, cb::kChannel, spec.channel, cb::kChannelLength);
  PutText(b, cb::kSatellite, spec.satellite, cb::kSatelliteLength);
  PutTime(b, cb::kObservationStart, spec.start);
  PutTime(b, cb::kObservationEnd, spec.end);
  WriteI32Le(b, cb::kGridFlag, spec.grid_flag);
  WriteI32Le(b, cb::kViewPixels, spec.view_pixels);
  WriteI32Le(b, cb::kViewLines, spec.view_lines);
  WriteF32Le(b, cb::kLonStep, spec.lon_step);
  WriteF32Le(b, cb::kLatStep, spec.lat_step);
  WriteI32Le(b, cb::kGridPixels, spec.grid_pixels != 0 ? spec.grid_pixels : spec.width);
  WriteI32Le(b, cb::kGridLines, spec.grid_lines != 0 ? spec.grid_lines : spec.height);
  WriteI32Le(b, cb::kRecordUnits, RecordLength(spec) / 256);
  WriteI32Le(b, cb::kBytesPerPixel, spec.bytes_per_pixel);
  WriteF32Le(b, cb::kTopLeftLat, spec.top_left_lat);
  WriteF32Le(b, cb::kTopLeftLon, spec.top_left_lon);
  WriteF32Le(b, cb::kTopRightLat, spec.top_right_lat);
  WriteF32Le(b, cb::kTopRightLon, spec.top_right_lon);
  WriteF32Le(b, cb::kBottomLeftLat, spec.bottom_left_lat);
  WriteF32Le(b, cb::kBottomLeftLon, spec.bottom_left_lon);
  WriteF32Le(b, cb::kBottomRightLat, spec.bottom_right_lat);
  WriteF32Le(b, cb::kBottomRightLon, spec.bottom_right_lon);
  WriteI32Le(b, cb::kCalibrationSize,
             spec.calibration_n.value_or(spec.last_count - spec.first_count + 1));
  WriteI32Le(b, cb::kFirstCount, spec.first_count);
  WriteI32Le(b, cb::kLastCount, spec.last_count);
  WriteU32Le(b, cb::kFlagWord, spec.flag_word);
  WriteF32Le(b, cb::kSubSatelliteLat, spec.sub_satellite_lat);
  WriteF32Le(b, cb::kSubSatelliteLon, spec.sub_satellite_lon);
  WriteF32Le(b, cb::kSatelliteDistance, spec.satellite_distance);
  PutText(b, cb::kVersion, spec.version, cb::kVersionLength);
  return b;
}

std::vector<uint8_t> BuildSourceFile(const SourceFileSpec& spec) {
  std::vector<uint8_t> file = BuildControlBlock(spec);

  const int32_t calibration_size = CalibrationSize(spec);
  std::vector<uint8_t> calibration(static_cast<size_t>(std::max(calibration_size, 4)), 0);
  WriteI32Le(calibration, 0, spec.calibration_length.value_or(calibration_size));
  const std::vector<float> values = spec.calibration.empty()
                                        ? InfraredCalibration(spec.first_count, spec.last_count)
                                        : spec.calibration;
  for (size_t k = 0; k < values.size() && 4 + 4 * k + 4 <= calibration.size(); ++k) {
    WriteF32Le(calibration, 4 + 4 * k, values[k]);
  }
  file.insert(file.end(), calibration.begin(), calibration.end());

  const int32_t record_length = RecordLength(spec);
  const int32_t pixel_bytes = BytesPerPixel(spec);
  std::vector<uint8_t> record(static_cast<size_t>(std::max(record_length, 4 + spec.width * pixel_bytes)));
  for (int32_t y = 0; y < spec.height; ++y) {
    std::fill(record.begin(), record.end(), 0);
    const bool bad = spec.bad_record_length_line == y;
    WriteI32Le(record, 0, bad ? record_length + 1 : record_length);
    for (int32_t x = 0; x < spec.width; ++x) {
      const int32_t count = CountOf(spec, x, y);
      const size_t at = 4 + static_cast<size_t>(x * pixel_bytes);
      record[at] = static_cast<uint8_t>(count);
      if (pixel_bytes == 2) record[at + 1] = static_cast<uint8_t>(count >> 8);
    }
    file.insert(file.end(), record.begin(), record.begin() + record_length);
  }
  if (spec.truncate_to) file.resize(std::min(file.size(), *spec.truncate_to));
  return file;
}

void WriteBytes(const std::string& path, std::span<const uint8_t> bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "nephrax-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace nephrax::testing
