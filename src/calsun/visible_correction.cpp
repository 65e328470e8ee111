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

// The buffer holds `height` rows of `stride` counts, each at least `width` long.
template <typename Count>
bool HoldsImage(const std::vector<Count>& counts, const SourceImage& image) {
  return image.width > 0 && image.height > 0 && image.stride >= static_cast<size_t>(image.width) &&
         counts.size() >= image.stride * static_cast<size_t>(image.height);
}

// The image holds its counts in the buffer of the block's pixel width.
bool HoldsImage(const ControlBlock& block, const SourceImage& image) {
  return block.Is16Bit() ? HoldsImage(image.counts16, image) : HoldsImage(image.counts8, image);
}

int32_t NoDataCountOf(const ControlBlock& block) {
  if (block.Is16Bit()) return kNoDataCount16;
  return block.HasFlag(kNoDataFlag) ? 255 : -1;
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

VisibleCorrection::VisibleCorrection(const ControlBlock& block, const Calibration& calibration,
                                     const ChannelSettings& channel,
                                     const SatelliteView& satellite, const SourceImage& image)
    : block_(block),
      satellite_(satellite),
      correction_(calibration, channel, NoDataCountOf(block)),
      plan_(PlanSamples(image.width)),
      width_(image.width),
      height_(image.height),
      longitudes_(SampleLongitudes(block, image.width, plan_.columns)),
      samples_{plan_.columns.size(), {}, {}, {}, {}},
      kernel_(FastestLineKernel()) {
  const size_t samples = plan_.columns.size() * static_cast<size_t>(height_);
  samples_.sun.resize(samples);
  if (satellite_.sun_glint) {
    std::ranges::transform(longitudes_, std::back_inserter(longitude_terms_), LongitudeTermsOf);
    samples_.glint.resize(samples);
    samples_.hour_terms.resize(samples);
  } else {
    samples_.hour.resize(samples);
  }
}

void VisibleCorrection::SampleLine(int32_t line, const SunEphemeris& ephemeris,
                                   bool new_ephemeris) {
  const double lat_top = block_.Real(cb::kTopLeftLat);
  const double lat_bottom = block_.Real(cb::kBottomLeftLat);
  // A single line lies at the top latitude, as a single column lies at the left longitude.
  const double lat =
      height_ > 1 ? lat_top - (lat_top - lat_bottom) * line / (height_ - 1) : lat_top;
  // The first line a SampleLines call samples always has a new ephemeris, so the line before is
  // only looked at when the same call sampled it.
  if (satellite_.sun_glint) {
    FillHourTerms<HourTerms>(
        samples_.HourTermsOfLine(line),
        new_ephemeris ? std::span<HourTerms>() : samples_.HourTermsOfLine(line - 1), new_ephemeris,
        longitudes_, [&](double lon) { return HourTermsOf(ephemeris, lon); });
    SampleSunAndGlint(ephemeris, lat, longitude_terms_, samples_.HourTermsOfLine(line), satellite_,
                      samples_.SunOf(line), samples_.GlintOf(line));
  } else {
    FillHourTerms<double>(
        samples_.HourOf(line), new_ephemeris ? std::span<double>() : samples_.HourOf(line - 1),
        new_ephemeris, longitudes_, [&](double lon) { return CosHourAngle(ephemeris, lon); });
    SampleSun(ephemeris, lat, samples_.HourOf(line), samples_.SunOf(line));
  }
}

void VisibleCorrection::SampleAhead(const std::atomic<bool>& stop) {
  // A line at a time, so that it stops soon after `stop` is set.
  while (sampled_ahead_ < height_ && !stop.load(std::memory_order_relaxed)) {
    SampleLines(sampled_ahead_, sampled_ahead_ + 1);
    ++sampled_ahead_;
  }
}

void VisibleCorrection::SampleLines(int64_t first_line, int64_t end_line) {
  // Lines scanned within the same second share the sun's ephemeris.
  std::optional<UtcTime> ephemeris_time;
  SunEphemeris ephemeris;
  for (auto line = static_cast<int32_t>(first_line); line < end_line; ++line) {
    const UtcTime time = LineTime(block_, height_, line);
    const bool new_ephemeris = time != ephemeris_time;
    if (new_ephemeris) {
      ephemeris = SunEphemerisAt(ModifiedJulianDate(time));
      ephemeris_time = time;
    }
    SampleLine(line, ephemeris, new_ephemeris);
  }
}

template <typename Count>
void VisibleCorrection::CorrectRows(std::span<Count> counts, size_t stride, int64_t first_line,
                                    int64_t end_line) const {
  for (int64_t line = first_line; line < end_line; ++line) {
    // Picture line 0 is the last row of the bottom-up buffer.
    const size_t row = static_cast<size_t>(height_ - 1 - line) * stride;
    CorrectLine(counts.subspan(row, static_cast<size_t>(width_)),
                {plan_.step, samples_.SunOf(line), samples_.GlintOf(line)}, correction_, kernel_);
  }
}

void VisibleCorrection::CorrectLines(SourceImage& image, int64_t first_line, int64_t end_line) {
  SampleLines(std::max(first_line, sampled_ahead_), end_line);
  if (image.counts16.empty()) {
    CorrectRows<uint8_t>(image.counts8, image.stride, first_line, end_line);
  } else {
    CorrectRows<uint16_t>(image.counts16, image.stride, first_line, end_line);
  }
}

std::optional<VisibleCorrection> PrepareVisibleCorrection(const ControlBlock& block,
                                                          const Calibration& calibration,
                                                          const ChannelSettings& channel,
                                                          const SatelliteView& satellite,
                                                          const SourceImage& image) {
  if (channel.tbb || calibration.first < 0 || calibration.first > calibration.last ||
      image.width < 1 || image.height < 1)
    return std::nullopt;
  try {
    return std::optional<VisibleCorrection>(std::in_place, block, calibration, channel, satellite,
                                            image);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

bool CorrectVisibleImage(const ControlBlock& block, const Calibration& calibration,
                         const ChannelSettings& channel, const SatelliteView& satellite,
                         SourceImage& image) {
  if (!HoldsImage(block, image)) return false;
  std::optional<VisibleCorrection> correction =
      PrepareVisibleCorrection(block, calibration, channel, satellite, image);
  if (!correction) return false;
  ForEachBand(image.height, kMinBandLines, [&](int64_t first_line, int64_t end_line) {
    correction->CorrectLines(image, first_line, end_line);
  });
  return true;
}

}  // namespace nephrax
