#include "calsun/visible_correction.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <new>
#include <optional>
#include <span>

#include "calsun/display_tables.h"
#include "calsun/line_correction.h"
#include "core/civil_time.h"
#include "platform/parallel_bands.h"

namespace nephrax {

namespace {

constexpr int32_t kMinStep = 10;
constexpr int32_t kStepsPerLine = 50;
// Fewer lines are not worth a thread of their own.
constexpr int64_t kMinBandLines = 64;

constexpr int64_t kFirstYear = 1;
constexpr int64_t kLastYear = 9999;

// Seconds since 1970-01-01 of a control-block time taken as UTC. Fields out of their ranges
// carry over as a calendar does (month 13 is January of the next year); the result is held within
// the years 1..9999, so that any field values give a time the geometry can use.
int64_t SecondsOfTime(const TimeRecord& time) {
  const int64_t seconds = SecondsOf({int64_t{time.century} * 100 + time.year_in_century, time.month,
                                     time.day, time.hour, time.minute, time.second});
  return std::clamp(seconds, SecondsOf({kFirstYear, 1, 1, 0, 0, 0}),
                    SecondsOf({kLastYear + 1, 1, 1, 0, 0, 0}) - 1);
}

// The calendar time of seconds since 1970, to the second.
UtcTime UtcTimeOfSeconds(int64_t seconds) {
  const BrokenDownTime t = TimeOf(seconds);
  // Held within the years 1..9999, every field fits.
  return UtcTime{static_cast<int32_t>(t.year),
                 static_cast<int32_t>(t.month),
                 static_cast<int32_t>(t.day),
                 static_cast<int32_t>(t.hour),
                 static_cast<int32_t>(t.minute),
                 static_cast<int32_t>(t.second),
                 0};
}

// The longitudes of the sample columns, the same on every line. Across the 180th meridian (left
// 170, right -170) they run on from 170 to 190 instead of back through 0, and each is moved a
// whole turn when that brings it nearer the image's centre.
std::vector<double> SampleLongitudes(const ControlBlock& block, int32_t width,
                                     const std::vector<int32_t>& columns) {
  const double left = block.Real(cb::kTopLeftLon);
  const double right = block.Real(cb::kTopRightLon);
  const double end = right < 0 && left > right ? right + 360 : right;
  const double centre = (left + end) * 0.5;
  std::vector<double> longitudes;
  longitudes.reserve(columns.size());
  for (const int32_t column : columns) {
    double lon = width > 1 ? left + (end - left) * column / (width - 1) : left;
    if (lon < 0) {
      if (std::fabs(centre - lon) > std::fabs(lon + 360 - centre)) lon += 360;
    } else if (std::fabs(lon - centre) > std::fabs(centre - (lon - 360))) {
      lon -= 360;
    }
    longitudes.push_back(lon);
  }
  return longitudes;
}

// The sun's cosine at the sample points of one line without glint, from the cosines of the sun's
// hour angle at the sample longitudes. That is the part of ViewGeometry this needs: the sun's
// zenith, which hangs on the sun's position alone.
void SampleSun(const SunEphemeris& sun, double lat, std::span<const double> cos_hour_angles,
               std::span<double> sun_cosines) {
  const LatitudeTerms latitude = LatitudeTermsOf(lat);
  for (size_t k = 0; k < cos_hour_angles.size(); ++k)
    sun_cosines[k] = std::cos(SunZenithAt(sun, latitude, cos_hour_angles[k]));
}

// The sun's and the glint cosines at the sample points of one line, from the terms of its
// latitude, of the sample longitudes and of the sun's hour angle there.
void SampleSunAndGlint(const SunEphemeris& sun, double lat,
                       std::span<const LongitudeTerms> longitudes, std::span<const HourTerms> hours,
                       const SatelliteView& satellite, std::span<double> sun_cosines,
                       std::span<double> glint_cosines) {
  const LatitudeTerms latitude = LatitudeTermsOf(lat);
  for (size_t k = 0; k < longitudes.size(); ++k) {
    const ViewAngles angles = ViewGeometryAt(sun, latitude, longitudes[k], hours[k], 0, satellite);
    sun_cosines[k] = std::cos(angles.sun_zenith);
    glint_cosines[k] = std::cos(angles.glint);
  }
}

// The hour-angle terms of one line's samples: worked out for a new ephemeris, else the same as
// the line before's.
template <typename Term, typename TermOf>
void FillHourTerms(std::span<Term> terms, std::span<const Term> line_before, bool new_ephemeris,
                   std::span<const double> longitudes, TermOf term_of) {
  if (!new_ephemeris) {
    std::ranges::copy(line_before, terms.begin());
    return;
  }
  for (size_t k = 0; k < terms.size(); ++k) terms[k] = term_of(longitudes[k]);
}

// The sample cosines of every line, each line's at `per_line` places from line * per_line on:
// sun and glint with SunGln on; and the terms of the sun's hour angle, which stay the same while
// the ephemeris does: its sine and cosine with SunGln on, its cosine without.
struct ImageSamples {
  size_t per_line;
  std::vector<double> sun;
  std::vector<double> glint;
  std::vector<double> hour;
  std::vector<HourTerms> hour_terms;

  std::span<double> SunOf(int64_t line) { return LineOf(sun, line); }
  std::span<double> GlintOf(int64_t line) { return LineOf(glint, line); }
  std::span<double> HourOf(int64_t line) { return LineOf(hour, line); }
  std::span<HourTerms> HourTermsOfLine(int64_t line) { return LineOf(hour_terms, line); }

 private:
  template <typename Term>
  std::span<Term> LineOf(std::vector<Term>& samples, int64_t line) const {
    if (samples.empty()) return {};
    return std::span(samples).subspan(static_cast<size_t>(line) * per_line, per_line);
  }
};

// The lines are split into bands, each on a processor of its own: a band samples the geometry of
// its lines and corrects their rows, and only those.
template <typename Count>
void CorrectImage(const ControlBlock& block, const SatelliteView& satellite,
                  const CountCorrection& correction, const SamplePlan& plan,
                  std::span<Count> counts, int32_t width, int32_t height, size_t stride) {
  const std::vector<double> longitudes = SampleLongitudes(block, width, plan.columns);
  const bool glint = satellite.sun_glint;
  std::vector<LongitudeTerms> longitude_terms;
  if (glint)
    std::ranges::transform(longitudes, std::back_inserter(longitude_terms), LongitudeTermsOf);
  const size_t per_line = plan.columns.size();
  const size_t samples = per_line * static_cast<size_t>(height);
  ImageSamples image{
      per_line, std::vector<double>(samples), std::vector<double>(glint ? samples : 0),
      std::vector<double>(glint ? 0 : samples), std::vector<HourTerms>(glint ? samples : 0)};
  const double lat_top = block.Real(cb::kTopLeftLat);
  const double lat_bottom = block.Real(cb::kBottomLeftLat);
  const LineKernel kernel = FastestLineKernel();
  ForEachBand(height, kMinBandLines, [&](int64_t first_line, int64_t end_line) {
    // Lines scanned within the same second share the sun's ephemeris.
    std::optional<UtcTime> ephemeris_time;
    SunEphemeris ephemeris;
    for (auto line = static_cast<int32_t>(first_line); line < end_line; ++line) {
      const UtcTime time = LineTime(block, height, line);
      const bool new_ephemeris = time != ephemeris_time;
      if (new_ephemeris) {
        ephemeris = SunEphemerisAt(ModifiedJulianDate(time));
        ephemeris_time = time;
      }
      // A single line lies at the top latitude, as a single column lies at the left longitude.
      const double lat =
          height > 1 ? lat_top - (lat_top - lat_bottom) * line / (height - 1) : lat_top;
      // The first line of a band always has a new ephemeris.
      if (glint) {
        FillHourTerms<HourTerms>(
            image.HourTermsOfLine(line),
            new_ephemeris ? std::span<HourTerms>() : image.HourTermsOfLine(line - 1), new_ephemeris,
            longitudes, [&](double lon) { return HourTermsOf(ephemeris, lon); });
        SampleSunAndGlint(ephemeris, lat, longitude_terms, image.HourTermsOfLine(line), satellite,
                          image.SunOf(line), image.GlintOf(line));
      } else {
        FillHourTerms<double>(
            image.HourOf(line), new_ephemeris ? std::span<double>() : image.HourOf(line - 1),
            new_ephemeris, longitudes, [&](double lon) { return CosHourAngle(ephemeris, lon); });
        SampleSun(ephemeris, lat, image.HourOf(line), image.SunOf(line));
      }
      // Picture line 0 is the last row of the bottom-up buffer.
      const size_t row = static_cast<size_t>(height - 1 - line) * stride;
      CorrectLine(counts.subspan(row, static_cast<size_t>(width)),
                  {plan.step, image.SunOf(line), image.GlintOf(line)}, correction, kernel);
    }
  });
}

// The buffer holds `height` rows of `stride` counts, each at least `width` long.
template <typename Count>
bool HoldsImage(const std::vector<Count>& counts, const SourceImage& image) {
  return image.width > 0 && image.height > 0 && image.stride >= static_cast<size_t>(image.width) &&
         counts.size() >= image.stride * static_cast<size_t>(image.height);
}

}  // namespace

SamplePlan PlanSamples(int32_t width) {
  SamplePlan plan;
  plan.step = std::max(kMinStep, width / kStepsPerLine);
  const int32_t samples = width / plan.step + 2;
  plan.columns.reserve(static_cast<size_t>(samples));
  int32_t column = 0;
  for (int32_t k = 0; k < samples; ++k) {
    plan.columns.push_back(column);
    column = column + plan.step >= width ? width - 1 : column + plan.step;
  }
  return plan;
}

UtcTime LineTime(const ControlBlock& block, int32_t lines, int32_t line) {
  const int64_t start = SecondsOfTime(block.ObservationStart());
  const int64_t end = SecondsOfTime(block.ObservationEnd());
  const int32_t last_line = lines - 1;
  const int32_t scanned = block.Int(cb::kViewLines) < 0 ? last_line - line : line;
  // In single precision, as the scan times have always been spread over the lines.
  const float fraction =
      last_line > 0 ? static_cast<float>(scanned) / static_cast<float>(last_line) : 0.0F;
  const float offset = fraction * static_cast<float>(end - start);
  return UtcTimeOfSeconds(start + static_cast<int64_t>(std::trunc(double{offset} + 0.5)));
}

bool CorrectVisibleImage(const ControlBlock& block, const Calibration& calibration,
                         const ChannelSettings& channel, const SatelliteView& satellite,
                         SourceImage& image) {
  if (channel.tbb || calibration.first < 0 || calibration.first > calibration.last) return false;
  try {
    const SamplePlan plan = PlanSamples(image.width);
    if (!image.counts16.empty()) {
      if (!HoldsImage(image.counts16, image)) return false;
      const CountCorrection correction(calibration, channel, kNoDataCount16);
      CorrectImage<uint16_t>(block, satellite, correction, plan, image.counts16, image.width,
                             image.height, image.stride);
    } else {
      if (!HoldsImage(image.counts8, image)) return false;
      const CountCorrection correction(calibration, channel, block.HasFlag(kNoDataFlag) ? 255 : -1);
      CorrectImage<uint8_t>(block, satellite, correction, plan, image.counts8, image.width,
                            image.height, image.stride);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace nephrax
