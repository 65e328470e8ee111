#include "calsun/sun_geometry.h"

#include <algorithm>
#include <cmath>

namespace nephrax {

namespace {

// The Earth ellipsoid.
constexpr double kEquatorialRadiusKm = 6378.136;
constexpr double kEccentricitySquared = 0.006694385;
constexpr double kOneMinusEccentricitySquared = 0.993305615;

// Vectors shorter than this, and cosine denominators below it, count as zero.
constexpr double kTiny = 1e-8;

constexpr double kJulianDateOfMjdZero = 2400000.5;
constexpr double kMillisecondsPerSecond = 1000;

double Radians(double degrees) {
  return degrees / 180 * kGeometryPi;
}

double Dot(const Vector3& x, const Vector3& y) {
  return x[0] * y[0] + x[1] * y[1] + x[2] * y[2];
}

Vector3 Cross(const Vector3& x, const Vector3& y) {
  return {x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2], x[0] * y[1] - x[1] * y[0]};
}

Vector3 Normalized(const Vector3& x) {
  const double length = std::sqrt(Dot(x, x));
  if (std::fabs(length) < kTiny) return {0, 0, 0};
  return {x[0] / length, x[1] / length, x[2] / length};
}

// The angle between two vectors from their dot product. A vanishing denominator, or a ratio
// above 1, gives 0; rounding that takes the ratio below -1 (opposite vectors) is held at -1.
double AngleBetween(const Vector3& x, const Vector3& y) {
  const double denominator = std::sqrt(Dot(x, x) * Dot(y, y));
  if (std::fabs(denominator) < kTiny) return 0;
  const double ratio = Dot(x, y) / denominator;
  if (ratio > 1) return 0;
  return std::acos(std::max(ratio, -1.0));
}

// A direction given by its zenith angle and azimuth (from north through east), in the frame
// (east, north, up).
Vector3 DirectionOf(double zenith, double azimuth) {
  return {std::sin(zenith) * std::sin(azimuth), std::sin(zenith) * std::cos(azimuth),
          std::cos(zenith)};
}

double HoursOfDay(const UtcTime& time) {
  const double seconds = time.second + time.millisecond / kMillisecondsPerSecond;
  return time.hour + (time.minute + seconds / 60) / 60;
}

// The up component is a cosine; rounding may take it past +-1 with the sun in the zenith or the
// nadir, where acos would give no angle at all.
double ZenithOf(const SunDirection& direction) {
  return std::acos(std::clamp(direction.up, -1.0, 1.0));
}

// One periodic term of the ephemeris, amplitude * cos(rate * T + phase), in degrees.
struct PeriodicTerm {
  double amplitude;
  double rate;
  double phase;
};

// The periodic terms of the sun's mean longitude, in the order they are summed.
constexpr PeriodicTerm kLongitudeTerms[] = {
    {0.02, 71998.1, 265.1}, {0.002, 32964, 158},  {0.0018, 19, 159},   {0.0018, 445267, 208},
    {0.0015, 45038, 254},   {0.0013, 22519, 352}, {0.0007, 65929, 45}, {0.0007, 3035, 110},
    {0.0007, 9038, 64},     {0.0006, 33718, 316}, {0.0005, 155, 118},  {0.0005, 2281, 221},
    {0.0004, 29930, 48},    {0.0004, 31557, 161},
};

double CosDegrees(double degrees) {
  return std::cos(Radians(degrees));
}

// The sun's mean longitude with its periodic terms, in degrees, at T Julian centuries.
double MeanLongitude(double t) {
  double longitude =
      280.4659 + 36000.7695 * t + (1.9147 - 0.0048 * t) * CosDegrees(35999.05 * t + 267.52);
  for (const PeriodicTerm& term : kLongitudeTerms)
    longitude += term.amplitude * CosDegrees(term.rate * t + term.phase);
  return longitude;
}

// The sun's distance in astronomical units at T Julian centuries.
double SunDistance(double t) {
  const double c3 = CosDegrees(35999.05 * t + 177.53);
  // The 0.000042 term multiplies c3 alone.
  return 1.00014 + 0.016706 * c3 - 0.000042 * c3 + 0.000139 * CosDegrees(71998 * t + 175) +
         0.000031 * CosDegrees(445267 * t + 298) + 0.000016 * CosDegrees(32964 * t + 68) +
         0.000016 * CosDegrees(45038 * t + 164) + 0.000005 * CosDegrees(22519 * t + 233) +
         0.000005 * CosDegrees(33718 * t + 226);
}

struct Nutation {
  double longitude;  // delta psi, degrees
  double obliquity;  // delta epsilon, degrees
};

Nutation NutationAt(double t) {
  const double node = Radians(125.04 - 1934.1361 * t);
  const double s2 = std::sin(Radians(72001.539 * t + 200.93));  // shared by both terms
  return {-0.00478 * std::sin(node) + 0.00037 * s2, 0.00256 * std::cos(node) + 0.00016 * s2};
}

// Julian centuries of dynamical time since J2000.0 for a modified Julian date of universal time.
double DynamicalCenturies(double mjd) {
  const double jd = mjd + kJulianDateOfMjdZero;
  const double t0 = (jd - 2415020) / 36525;
  const double jde = jd + (29.95 * t0 * t0 + 72.318 * t0 + 24.349) / 3600 / 24;
  return (jde - 2451545) / 36525;
}

double HourAngle(const SunEphemeris& sun, double lon) {
  return (sun.sidereal_hours * 360 / 24 + lon) / 180 * kGeometryPi - sun.right_ascension;
}

double UpComponent(const SunEphemeris& sun, LatitudeTerms latitude, double cos_hour) {
  return sun.cos_declination * latitude.cos_lat * cos_hour + latitude.sin_lat * sun.sin_declination;
}

SunDirection SunDirectionAt(const SunEphemeris& sun, LatitudeTerms latitude, HourTerms hour) {
  return {sun.sin_declination * latitude.cos_lat -
              sun.cos_declination * latitude.sin_lat * hour.cos_hour,
          -hour.sin_hour * sun.cos_declination, UpComponent(sun, latitude, hour.cos_hour)};
}

}  // namespace

SatelliteView SatelliteViewOf(const Settings& settings) {
  const double lat = Radians(settings.SatLat);
  const double lon = Radians(settings.SatLon);
  // The local north at the sub-satellite point is the point a quarter turn north of it along its
  // meridian, which for a northern satellite lies across the pole.
  const bool north_of_equator = lat >= 0;
  const double beta = north_of_equator ? kGeometryHalfPi - lat : lat + kGeometryHalfPi;
  const double gamma = north_of_equator ? lon - kGeometryPi : lon;
  SatelliteView satellite;
  satellite.altitude = settings.SatAlt;
  satellite.sin_lat = std::sin(lat);
  satellite.cos_lat = std::cos(lat);
  satellite.sin_lon = std::sin(lon);
  satellite.cos_lon = std::cos(lon);
  satellite.north_reference = {std::cos(beta) * std::cos(gamma), std::cos(beta) * std::sin(gamma),
                               std::sin(beta)};
  satellite.sun_glint = settings.SunGln;
  return satellite;
}

double ModifiedJulianDate(const UtcTime& time) {
  const double year = time.year;
  const double month = time.month;
  const double day = time.day;
  // January and February count as months 13 and 14 of the year before.
  const bool early = month <= 2;
  const double shifted_month = early ? month + 12 : month;
  const double shifted_year = early ? year - 1 : year;
  // Dates before the Gregorian reform are Julian-calendar dates.
  double gregorian = 0;
  if ((month - 1) / 12 + year + day / 365.25 >= 1582.78) {
    const double a = std::floor(shifted_year / 100);
    gregorian = 2 - a + std::floor(a * 0.25);
  }
  return std::floor(30.6001 * (shifted_month + 1)) + std::floor(365.25 * shifted_year) - 679006 +
         gregorian + day + HoursOfDay(time) / 24;
}

UtcTime CalendarOfMjd(double mjd) {
  const double j = mjd + kJulianDateOfMjdZero + 0.5;
  const double z = std::floor(j);
  double a = z;
  if (z >= 2299161) {
    const double alpha = std::floor((z - 1867216.25) / 36524.25);
    a = z + 1 + alpha - std::floor(alpha * 0.25);
  }
  const double b = a + 1524;
  const double k = std::floor((b - 122.1) / 365.25);
  const double dk = std::floor(365.25 * k);
  const double e = std::floor((b - dk) / 30.6001);

  UtcTime time;
  time.day = static_cast<int32_t>(b - dk - std::floor(30.6001 * e));
  time.month = static_cast<int32_t>(e - 1);
  time.year = static_cast<int32_t>(k - 4716);
  if (time.month > 12) {
    time.month -= 12;
    time.year += 1;
  }
  // A ten-thousandth of a second keeps a whole-day date from rounding down to 23:59:59.999 of
  // the day before.
  double f = (j - z + 1.1574074074074076e-9) * 24;
  time.hour = static_cast<int32_t>(std::floor(f));
  f = (f - time.hour) * 60;
  time.minute = static_cast<int32_t>(std::floor(f));
  f = (f - time.minute) * 60;
  time.second = static_cast<int32_t>(std::floor(f));
  time.millisecond = static_cast<int32_t>(std::floor((f - time.second) * 1000));
  return time;
}

SunEphemeris SunEphemerisAt(double mjd) {
  const double t = DynamicalCenturies(mjd);
  const double longitude = MeanLongitude(t);
  const Nutation nutation = NutationAt(t);
  const double latitude = std::sin(Radians(longitude)) * nutation.obliquity;  // degrees
  const double apparent_longitude = longitude - (0.005693 / SunDistance(t) - nutation.longitude);
  const double obliquity = 23.43929 - 0.013004 * t + nutation.obliquity;

  const double sin_obliquity = std::sin(Radians(obliquity));
  const double cos_obliquity = std::cos(Radians(obliquity));
  const double sin_longitude = std::sin(Radians(apparent_longitude));
  const double cos_longitude = std::cos(Radians(apparent_longitude));
  const double sin_latitude = std::sin(Radians(latitude));
  const double cos_latitude = std::cos(Radians(latitude));

  SunEphemeris sun;
  sun.sin_declination = sin_obliquity * sin_longitude * cos_latitude + sin_latitude * cos_obliquity;
  sun.cos_declination = std::cos(std::asin(sun.sin_declination));
  sun.right_ascension =
      std::atan2(cos_obliquity * sin_longitude * cos_latitude - sin_latitude * sin_obliquity,
                 cos_longitude * cos_latitude);

  // The earth's turn since the epoch, whole days taken off. Below 2^56 hours every step of 24
  // towards zero is exact, so the exact fmod gives what such steps give, without a loop whose
  // length the date would decide.
  const double turn_hours = std::fmod(2400.0513369 * t, 24.0);
  const UtcTime now = CalendarOfMjd(mjd);
  sun.sidereal_hours = nutation.longitude * cos_obliquity * 24 / 360 +
                       (6.697375 + 0.0000259 * t * t) + turn_hours + HoursOfDay(now);
  return sun;
}

LatitudeTerms LatitudeTermsOf(double lat) {
  const double lat_r = Radians(lat);
  return {std::sin(lat_r), std::cos(lat_r)};
}

double CosHourAngle(const SunEphemeris& sun, double lon) {
  return std::cos(HourAngle(sun, lon));
}

LongitudeTerms LongitudeTermsOf(double lon) {
  const double lon_r = Radians(lon);
  return {std::sin(lon_r), std::cos(lon_r)};
}

HourTerms HourTermsOf(const SunEphemeris& sun, double lon) {
  const double hour_angle = HourAngle(sun, lon);
  return {std::sin(hour_angle), std::cos(hour_angle)};
}

SunDirection SunDirectionFrom(const SunEphemeris& sun, double lat, double lon) {
  return SunDirectionAt(sun, LatitudeTermsOf(lat), HourTermsOf(sun, lon));
}

SunDirection SunPosition(double mjd, double lat, double lon) {
  return SunDirectionFrom(SunEphemerisAt(mjd), lat, lon);
}

double AzimuthOfView(const Vector3& sight, const Vector3& normal, const Vector3& reference) {
  const Vector3 a = Normalized(Cross(reference, normal));
  const Vector3 b = Normalized(Cross(sight, normal));
  const Vector3 w = Normalized(Cross(a, b));
  const double angle = AngleBetween(a, b);
  return Dot(normal, w) > 0 ? kGeometryTwoPi - angle : angle;
}

double SunZenith(const SunEphemeris& sun, double lat, double lon) {
  return ZenithOf(SunDirectionFrom(sun, lat, lon));
}

double SunZenithAt(const SunEphemeris& sun, LatitudeTerms latitude, double cos_hour_angle) {
  return ZenithOf(SunDirection{0, 0, UpComponent(sun, latitude, cos_hour_angle)});
}

ViewAngles ViewGeometry(const SunEphemeris& sun, double lat, double lon, double height,
                        const SatelliteView& satellite) {
  return ViewGeometryAt(sun, LatitudeTermsOf(lat), LongitudeTermsOf(lon), HourTermsOf(sun, lon),
                        height, satellite);
}

ViewAngles ViewGeometryAt(const SunEphemeris& sun, LatitudeTerms latitude, LongitudeTerms longitude,
                          HourTerms hour, double height, const SatelliteView& satellite) {
  const double sin_lat = latitude.sin_lat;
  const double cos_lat = latitude.cos_lat;
  const double sin_lon = longitude.sin_lon;
  const double cos_lon = longitude.cos_lon;
  // The radius of curvature in the prime vertical at the ground point; the satellite's position
  // is taken with the same radius.
  const double radius =
      kEquatorialRadiusKm / std::sqrt(1 - kEccentricitySquared * sin_lat * sin_lat);
  const Vector3 ground{(radius + height) * cos_lat * cos_lon, (radius + height) * cos_lat * sin_lon,
                       (radius * kOneMinusEccentricitySquared + height) * sin_lat};
  const Vector3 normal{cos_lat * cos_lon, cos_lat * sin_lon, sin_lat};
  const double orbit = satellite.altitude + radius;
  const Vector3 position{
      orbit * satellite.cos_lat * satellite.cos_lon, orbit * satellite.cos_lat * satellite.sin_lon,
      (satellite.altitude + radius * kOneMinusEccentricitySquared) * satellite.sin_lat};
  const Vector3 sight =
      Normalized({position[0] - ground[0], position[1] - ground[1], position[2] - ground[2]});

  ViewAngles angles;
  angles.satellite_zenith = AngleBetween(sight, normal);
  const SunDirection direction = SunDirectionAt(sun, latitude, hour);
  angles.sun_zenith = ZenithOf(direction);
  angles.sun_azimuth = std::atan2(direction.east, direction.north);
  if (angles.sun_azimuth < 0) angles.sun_azimuth += kGeometryTwoPi;
  angles.satellite_azimuth = AzimuthOfView(sight, normal, satellite.north_reference);
  if (satellite.sun_glint) {
    const Vector3 view = DirectionOf(angles.satellite_zenith, angles.satellite_azimuth);
    // The sun's direction mirrored in the horizontal plane.
    Vector3 mirror = DirectionOf(angles.sun_zenith, angles.sun_azimuth);
    mirror[0] = -mirror[0];
    mirror[1] = -mirror[1];
    angles.glint = AngleBetween(view, mirror);
  }
  return angles;
}

ViewAngles ViewGeometry(const UtcTime& time, double lat, double lon, double height,
                        const SatelliteView& satellite) {
  return ViewGeometry(SunEphemerisAt(ModifiedJulianDate(time)), lat, lon, height, satellite);
}

}  // namespace nephrax
