// Where the sun and the satellite stand as seen from one ground point at one instant: the sun's
// position from a self-contained low-precision solar ephemeris, the satellite's zenith and azimuth
// on the Earth ellipsoid, and the angle between the line of sight and the sun's mirror direction
// (sun glint). Pure functions without state.
//
// Degrees become radians as d / 180 * 3.14159; this five-digit pi (with 1.570795 and 6.28318 for
// its half and double) is part of the geometry's definition and is used throughout.
#pragma once

#include <array>
#include <cstdint>

#include "core/settings.h"

namespace nephrax {

inline constexpr double kGeometryPi = 3.14159;
inline constexpr double kGeometryHalfPi = 1.570795;
inline constexpr double kGeometryTwoPi = 6.28318;

// A UTC instant with the full year.
struct UtcTime {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
  int32_t millisecond = 0;

  friend bool operator==(const UtcTime&, const UtcTime&) = default;
};

// Earth-centred: x towards longitude 0 on the equator, y towards 90 degrees east, z to the north
// pole.
using Vector3 = std::array<double, 3>;

// The sun's unit direction in the local horizon frame.
struct SunDirection {
  double north = 0;
  double east = 0;
  double up = 0;
};

// All in radians; azimuths run 0..2 pi from north through east.
struct ViewAngles {
  double satellite_zenith = 0;
  double satellite_azimuth = 0;
  double sun_zenith = 0;
  double sun_azimuth = 0;
  double glint = 0;  // 0 unless SunGln is on
};

// The satellite settings SatLat, SatLon (degrees), SatAlt (km above the surface) and SunGln, with
// the sines and cosines of the position taken once.
struct SatelliteView {
  double altitude = 0;
  double sin_lat = 0;
  double cos_lat = 1;
  double sin_lon = 0;
  double cos_lon = 1;
  Vector3 north_reference{};  // the local north at the sub-satellite point
  bool sun_glint = false;
};

SatelliteView SatelliteViewOf(const Settings& settings);

// The sun's apparent place at one instant: everything SunPosition computes before it looks at the
// observer.
struct SunEphemeris {
  double sin_declination = 0;
  double cos_declination = 1;
  double right_ascension = 0;  // radians
  double sidereal_hours = 0;   // apparent sidereal time at Greenwich, not reduced to 0..24
};

// Modified Julian date of a calendar time (Gregorian from late 1582, Julian before).
double ModifiedJulianDate(const UtcTime& time);

// The calendar time of a modified Julian date, which must be finite and of a year an int32 holds.
// A whole-day date gives 00:00:00.000 of that day.
UtcTime CalendarOfMjd(double mjd);

SunEphemeris SunEphemerisAt(double mjd);

// The sun's direction from latitude `lat` and longitude `lon` (degrees, north and east positive).
SunDirection SunDirectionFrom(const SunEphemeris& sun, double lat, double lon);

// SunDirectionFrom(SunEphemerisAt(mjd), lat, lon).
SunDirection SunPosition(double mjd, double lat, double lon);

// The azimuth (0..2 pi, from north through east) of the unit line of sight `sight` at the ground
// point whose normal is `normal`. `reference`, the local north at the sub-satellite point, fixes
// which way north lies.
double AzimuthOfView(const Vector3& sight, const Vector3& normal, const Vector3& reference);

// The view angles at latitude `lat`, longitude `lon` (degrees) and `height` km above the
// ellipsoid.
ViewAngles ViewGeometry(const UtcTime& time, double lat, double lon, double height,
                        const SatelliteView& satellite);

// The same, for an instant whose ephemeris is already known: many ground points of one instant
// share it.
ViewAngles ViewGeometry(const SunEphemeris& sun, double lat, double lon, double height,
                        const SatelliteView& satellite);

// The solar zenith angle (radians) at a ground point, as ViewGeometry gives it.
double SunZenith(const SunEphemeris& sun, double lat, double lon);

// The parts of SunZenith for many ground points of one instant: what hangs on the latitude alone
// is taken once for a line of points, what hangs on the longitude alone once for a column. The
// arithmetic is SunZenith's own, so the angles agree to the last bit.
struct LatitudeTerms {
  double sin_lat = 0;
  double cos_lat = 1;
};
LatitudeTerms LatitudeTermsOf(double lat);
// The cosine of the sun's hour angle at longitude `lon` (degrees).
double CosHourAngle(const SunEphemeris& sun, double lon);
// SunZenith at the point of those terms.
double SunZenithAt(const SunEphemeris& sun, LatitudeTerms latitude, double cos_hour_angle);

// The parts of ViewGeometry that hang on the longitude alone, and on the longitude and the
// ephemeris: taken once for a column of points, and once per ephemeris.
struct LongitudeTerms {
  double sin_lon = 0;
  double cos_lon = 1;
};
LongitudeTerms LongitudeTermsOf(double lon);
struct HourTerms {
  double sin_hour = 0;
  double cos_hour = 1;
};
// The sine and cosine of the sun's hour angle at longitude `lon` (degrees).
HourTerms HourTermsOf(const SunEphemeris& sun, double lon);
// ViewGeometry at the point of those terms. ViewGeometry is this with the terms of its point, so
// the angles agree to the last bit.
ViewAngles ViewGeometryAt(const SunEphemeris& sun, LatitudeTerms latitude, LongitudeTerms longitude,
                          HourTerms hour, double height, const SatelliteView& satellite);

}  // namespace nephrax
