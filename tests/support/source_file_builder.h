// Builds source image files for tests, tools and benchmarks. Every control-block field can be set,
// including to values the reader must refuse; the defaults make a small valid 16-bit grid image.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/time_record.h"

namespace nephrax::testing {

struct SourceFileSpec {
  // Control block.
  int32_t block_length = 256;
  std::string channel = "GEO-IR1";  // up to 8 bytes are stored
  std::string satellite = "TESTSAT";
  TimeRecord start{20, 14, 6, 21, 3, 0, 0};
  TimeRecord end{20, 14, 6, 21, 3, 10, 0};
  int32_t grid_flag = 1;
  int32_t view_pixels = 0;  // satellite-view sizes (signed)
  int32_t view_lines = 0;
  float lon_step = 0.05F;
  float lat_step = 0.05F;
  int32_t grid_pixels = 0;  // 0: the width of `pixels`
  int32_t grid_lines = 0;   // 0: the height of `pixels`
  std::optional<int32_t> record_units;  // default: the fewest 256-byte units holding a line
  int32_t bytes_per_pixel = 2;
  float top_left_lat = 50, top_left_lon = 110, top_right_lat = 50, top_right_lon = 160;
  float bottom_left_lat = 10, bottom_left_lon = 110, bottom_right_lat = 10, bottom_right_lon = 160;
  std::optional<int32_t> calibration_n;  // default: one value per count
  int32_t first_count = 0;
  int32_t last_count = 1023;
  uint32_t flag_word = 0xffffffff;  // the reader must discard whatever the file holds
  std::string version = "1.0";
  float sub_satellite_lat = 0, sub_satellite_lon = 140, satellite_distance = 42164170.0F;

  // Calibration block: values for counts first..last (default: a falling kelvin ramp, as an
  // infrared table is). The length word defaults to the block size.
  std::vector<float> calibration;
  std::optional<int32_t> calibration_length;

  // Image: `width` x `height` counts, top line first (the file's order).
  int32_t width = 8;
  int32_t height = 4;
  std::vector<uint16_t> pixels;  // default: count = (x + y * width) % (last + 1)
  std::optional<int32_t> bad_record_length_line;  // this line's record gets a wrong length word
  std::optional<size_t> truncate_to;               // cut the finished file to this many bytes
};

// A falling kelvin table for counts first..last, as infrared channels carry.
std::vector<float> InfraredCalibration(int32_t first, int32_t last);

std::vector<uint8_t> BuildControlBlock(const SourceFileSpec& spec);
std::vector<uint8_t> BuildSourceFile(const SourceFileSpec& spec);

// The record length in bytes the spec gives its lines.
int32_t RecordLength(const SourceFileSpec& spec);
// The calibration block size for the spec's N.
int32_t CalibrationSize(const SourceFileSpec& spec);

void WriteBytes(const std::string& path, std::span<const uint8_t> bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// A fresh directory under the system's temporary directory, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace nephrax::testing
