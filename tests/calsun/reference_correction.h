// What the sun-angle correction should make of an image of uniform albedo, worked out
// independently of the program: the sun from the NOAA algorithm (reference_sun.h) at every
// pixel's own latitude, longitude and scan time, without the program's sampling and
// interpolation.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "calsun/reference_sun.h"
#include "core/time_record.h"
#include "source/source_data.h"

namespace nephrax::testing {

// An image on a grid even in latitude and longitude, its lines scanned at even intervals.
struct ScanArea {
  double lat_top;
  double lat_bottom;
  double lon_left;
  double lon_right;  // may exceed 180 for an image across the date line
  TimeRecord start;
  TimeRecord end;
  bool bottom_first = false;  // lines scanned from the last to the first
};

inline double ReferenceJulianDay(const TimeRecord& t) {
  return ReferenceJulianDay(t.Year(), t.month, t.day, t.hour + t.minute / 60.0 + t.second / 3600.0);
}

// The cosine of the sun's zenith angle at one pixel of a `width` x `height` image.
inline double ReferenceSunCosine(const ScanArea& area, int width, int height, int line,
                                 int column) {
  const double down = height > 1 ? static_cast<double>(line) / (height - 1) : 0;
  const double across = width > 1 ? static_cast<double>(column) / (width - 1) : 0;
  const double scanned = area.bottom_first ? 1 - down : down;
  const double start = ReferenceJulianDay(area.start);
  const double jd = start + scanned * (ReferenceJulianDay(area.end) - start);
  const double lat = area.lat_top + (area.lat_bottom - area.lat_top) * down;
  const double lon = area.lon_left + (area.lon_right - area.lon_left) * across;
  return std::cos(ReferenceSunZenith(jd, lat, lon) * std::numbers::pi / 180);
}

// The count an albedo table value / last (counts 0..last) should become under a sun of
// `cosine`: the value divided by the cosine, held at 0.3 and above, to the nearest count.
// Counts under a sun below the horizon stay.
inline int ReferenceCorrectedCount(int count, int last, double cosine) {
  if (cosine <= 0) return count;
  const double value = static_cast<double>(count) / last / std::max(cosine, 0.3);
  return std::min(last, static_cast<int>(std::lround(value * last)));
}

// The count of a 16-bit image at picture line `line` (0 at the top) and `column`.
inline uint16_t PixelAt(const SourceImage& image, int32_t line, int32_t column) {
  return image.counts16[static_cast<size_t>(image.height - 1 - line) * image.stride +
                        static_cast<size_t>(column)];
}

// Within this cosine of the horizon or of the 0.3 floor, the interpolation between sample columns
// and the small differences between the two ephemerides decide on which side a pixel falls.
inline bool NearAnEdge(double cosine) {
  return std::fabs(cosine) < 0.02 || std::fabs(cosine - 0.3) < 0.02;
}

// Expects every pixel of a corrected 16-bit image of uniform `count` (table value = count / last)
// away from the edges within one count of the reference; returns how many were compared.
inline int ExpectMatchesReference(const SourceImage& image, const ScanArea& area, int count,
                                  int last) {
  int compared = 0;
  for (int32_t line = 0; line < image.height; ++line) {
    for (int32_t column = 0; column < image.width; ++column) {
      const double cosine = ReferenceSunCosine(area, image.width, image.height, line, column);
      if (NearAnEdge(cosine)) continue;
      const int expected = ReferenceCorrectedCount(count, last, cosine);
      EXPECT_LE(std::abs(PixelAt(image, line, column) - expected), 1)
          << "line " << line << " column " << column << " cosine " << cosine;
      ++compared;
    }
  }
  return compared;
}

}  // namespace nephrax::testing
