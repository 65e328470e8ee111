// An outside reference for the sun's position: the NOAA solar position algorithm, the equations
// of the NOAA Solar Calculator (after Meeus, "Astronomical Algorithms"), written out here from
// their published form and independent of the program's ephemeris. Stated accuracy: about one
// arc minute for dates between 1800 and 2100, without refraction.
#pragma once

#include <cmath>
#include <numbers>

namespace nephrax::testing {

// Julian day of a Gregorian calendar date at `hours` UTC (Meeus, chapter 7).
inline double ReferenceJulianDay(int year, int month, int day, double hours) {
  if (month <= 2) {
    year -= 1;
    month += 12;
  }
  const int a = year / 100;
  const int b = 2 - a + a / 4;
  return std::floor(365.25 * (year + 4716)) + std::floor(30.6001 * (month + 1)) + day + b - 1524.5 +
         hours / 24;
}

// The sun's unit direction in the local horizon frame.
struct ReferenceDirection {
  double north;
  double east;
  double up;
};

inline ReferenceDirection ReferenceSunDirection(double julian_day, double lat, double lon) {
  constexpr double kDegree = std::numbers::pi / 180;
  const double t = (julian_day - 2451545) / 36525;
  const double mean_longitude = std::fmod(280.46646 + t * (36000.76983 + t * 0.0003032), 360);
  const double mean_anomaly = 357.52911 + t * (35999.05029 - 0.0001537 * t);
  const double eccentricity = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
  const double m = mean_anomaly * kDegree;
  const double centre = std::sin(m) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                        std::sin(2 * m) * (0.019993 - 0.000101 * t) + std::sin(3 * m) * 0.000289;
  const double node = (125.04 - 1934.136 * t) * kDegree;
  const double apparent_longitude =
      (mean_longitude + centre - 0.00569 - 0.00478 * std::sin(node)) * kDegree;
  const double mean_obliquity =
      23 + (26 + (21.448 - t * (46.815 + t * (0.00059 - t * 0.001813))) / 60) / 60;
  const double obliquity = (mean_obliquity + 0.00256 * std::cos(node)) * kDegree;
  const double declination = std::asin(std::sin(obliquity) * std::sin(apparent_longitude));

  // Equation of time, in minutes.
  const double y = std::pow(std::tan(obliquity / 2), 2);
  const double l0 = mean_longitude * kDegree;
  const double equation_of_time =
      4 / kDegree *
      (y * std::sin(2 * l0) - 2 * eccentricity * std::sin(m) +
       4 * eccentricity * y * std::sin(m) * std::cos(2 * l0) - 0.5 * y * y * std::sin(4 * l0) -
       1.25 * eccentricity * eccentricity * std::sin(2 * m));
  // Julian days begin at noon: the fraction + 0.5 is the time of day.
  const double minutes = std::fmod(julian_day + 0.5, 1.0) * 1440;
  const double true_solar_minutes = std::fmod(minutes + equation_of_time + 4 * lon, 1440);
  const double hour_angle = (true_solar_minutes / 4 - 180) * kDegree;

  const double phi = lat * kDegree;
  return {std::sin(declination) * std::cos(phi) -
              std::cos(declination) * std::sin(phi) * std::cos(hour_angle),
          -std::sin(hour_angle) * std::cos(declination),
          std::cos(declination) * std::cos(phi) * std::cos(hour_angle) +
              std::sin(phi) * std::sin(declination)};
}

// The solar zenith angle in degrees.
inline double ReferenceSunZenith(double julian_day, double lat, double lon) {
  const double up = ReferenceSunDirection(julian_day, lat, lon).up;
  return std::acos(std::fmax(-1.0, std::fmin(1.0, up))) * 180 / std::numbers::pi;
}

}  // namespace nephrax::testing
