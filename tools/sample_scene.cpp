#include "sample_scene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nephrax::sample {

namespace {

// 0 below `from`, 1 beyond `to`, a smooth rise between; `from` may exceed `to` for a fall.
double Ramp(double from, double to, double x) {
  const double t = std::clamp((x - from) / (to - from), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

double Mix(double a, double b, double t) {
  return a + (b - a) * t;
}

// A cloud deck: the share of the view it covers and the temperature of its top.
struct CloudLayer {
  double cover = 0;
  double top = 0;
};

// What the satellite sees through a partly covering layer, counted linearly in temperature.
double SeenThrough(double below, const CloudLayer& layer) {
  return Mix(below, layer.top, layer.cover);
}

// A point relative to the cyclone's centre: distance in degrees, and direction counterclockwise
// from east.
struct StormOffset {
  double distance = 0;
  double direction = 0;
};

StormOffset OffsetFromStorm(const Cyclone& cyclone, double lat, double lon) {
  const double east = (lon - cyclone.lon) * cyclone.lon_scale;
  const double north = lat - cyclone.lat;
  return {std::hypot(east, north), std::atan2(north, east)};
}

// Sea surface: warm tropics, cooler towards the north, with slow eddies.
double SeaTemperature(const Scene& scene, double lat, double lon) {
  return 299.5 - 16 * Ramp(18, 50, lat) + 3 * (Sample(scene.sea, lon, lat) - 0.5);
}

// Land at the observation hour: warmer than the sea by day, cooler over high ground.
double LandTemperature(const Scene& scene, double lat, double lon) {
  const double local_hour = scene.utc_hour + lon / 15;
  const double daytime_warming =
      10 * std::max(0.0, std::cos((local_hour - 13) * std::numbers::pi / 12));
  const double highland_cooling = 14 * Ramp(0.5, 0.75, Sample(scene.relief, lon, lat));
  return 301 - 6 * Ramp(30, 50, lat) + daytime_warming - highland_cooling +
         6 * (Sample(scene.land_texture, lon, lat) - 0.5);
}

// Sea fog and stratus over the cool northern waters (the midday sun has cleared it from the
// land); fair-weather cumulus further south, more of it over land as the day warms it.
CloudLayer LowCloud(const Scene& scene, double lat, double lon, double land) {
  const double northern = Ramp(37, 41, lat);
  const double stratus =
      northern > 0 ? Ramp(0.5, 0.56, Sample(scene.stratus, lon, lat)) * northern * (1 - land) : 0;
  const double cumulus = northern < 1 ? Ramp(0.55, 0.75, Sample(scene.cumulus, lon, lat)) *
                                            (1 - northern) * Mix(0.25, 0.5, land)
                                      : 0;
  return {std::max(stratus, cumulus), Mix(290, 279, Ramp(30, 40, lat))};
}

// Thunderstorm clusters of the tropics: anvils with thin cirrus fringes and cold cores where the
// updraughts overshoot. Sinking air round the cyclone keeps its surroundings clear, and the
// subtropical high keeps the ocean north of about 22N quiet.
CloudLayer TropicalConvection(const Scene& scene, double lat, double lon,
                              const StormOffset& storm) {
  const double monsoon = Mix(0.1, 0.15, Ramp(140, 120, lon));
  const double suppression = Ramp(28, 21, lat) * Ramp(5, 9, storm.distance);
  if (suppression == 0) return {};
  const double cluster =
      Sample(scene.convection, lon, lat) + monsoon * suppression - 0.45 * (1 - suppression);
  const double fringe = 0.4 * Ramp(0.68, 0.74, cluster);
  const double anvil = Ramp(0.74, 0.77, cluster);
  const double core = Ramp(0.77, 0.95, cluster);
  const double depth = core > 0 ? core * Sample(scene.convection_cores, lon, lat) : 0;
  return {std::max(fringe, anvil), 228 - 34 * Ramp(0.25, 0.7, depth)};
}

// The early-summer rain front: a band from central China past southern Japan into the Pacific,
// ragged-edged with a cirrus fringe, thick over the East China Sea and thinning eastward, with
// embedded clusters of cold convective cloud.
CloudLayer FrontalBand(const Scene& scene, double lat, double lon) {
  constexpr double kMeander = 5;         // the centre line strays up to half this from its course
  constexpr double kWidest = 2.4 * 1.3;  // largest half width
  constexpr double kEdge = 2.2;          // in half widths: no cloud beyond
  const double course = 30.5 + 0.08 * (lon - 110);
  if (std::abs(lat - course) > kMeander / 2 + kEdge * kWidest) return {};
  const double centre = course + kMeander * (Sample(scene.front_course, lon, 0) - 0.5);
  const double half_width =
      2.4 * Mix(0.7, 1.3, Sample(scene.front_width, lon, 0)) * (1 - 0.4 * Ramp(138, 160, lon));
  const double offset = (lat - centre) / half_width;
  if (std::abs(offset) > kEdge) return {};
  const double raggedness = 1.2 * Ramp(kEdge, kEdge * 0.6, std::abs(offset));
  const double density =
      std::exp(-offset * offset) + raggedness * (Sample(scene.front_body, lon, lat) - 0.5);
  const double thick = Ramp(0.5, 0.9, density);
  const double clusters = thick > 0 ? Ramp(0.5, 0.72, Sample(scene.front_cells, lon, lat)) : 0;
  const double top = 240 - 12 * Ramp(0.6, 1.1, density) - 20 * clusters * thick;
  return {0.5 * Ramp(0.35, 0.5, density) + 0.5 * Ramp(0.5, 0.6, density), top};
}

// Cirrus streaks along the jet stream north of the front, drawn out from west to east.
CloudLayer JetCirrus(const Scene& scene, double lat, double lon) {
  const double belt = Ramp(36, 39, lat) * Ramp(48, 45, lat);
  if (belt == 0) return {};
  const double streaks = Sample(scene.jet_cirrus, lon * 0.35, lat);
  return {0.6 * Ramp(0.62, 0.75, streaks) * belt, 235 - 10 * Ramp(0.7, 0.85, streaks)};
}

// Rain bands winding into the cyclone: arms that turn clockwise going outward, as the
// counterclockwise inflow of a northern storm draws them, broken into segments.
CloudLayer CycloneBands(const Scene& scene, double lat, double lon, const StormOffset& storm) {
  const Cyclone& c = scene.cyclone;
  if (storm.distance > c.reach || storm.distance < c.eye_radius) return {};
  const double phase = storm.direction + c.band_winding * std::log(storm.distance / c.eye_radius) +
                       3 * Sample(scene.storm_bands, lon, lat);
  const double arms = 0.5 + 0.5 * std::cos(2 * phase);
  const double envelope = Ramp(c.reach, c.reach * 0.5, storm.distance);
  const double strength = arms * envelope * Mix(0.6, 1.3, Sample(scene.storm_texture, lon, lat));
  return {Ramp(0.25, 0.4, strength), 238 - 38 * Ramp(0.4, 1.0, strength)};
}

// The cirrus canopy the storm blows out at its top: a veil beyond the overcast, thinning and
// warming outward, ragged at its edge.
CloudLayer CycloneOutflow(const Scene& scene, double lat, double lon, const StormOffset& storm) {
  const Cyclone& c = scene.cyclone;
  if (storm.distance > c.reach) return {};
  const double ragged = storm.distance * Mix(0.7, 1.3, Sample(scene.storm_edge, lon, lat));
  const double veil = Ramp(c.core_radius * 2.2, c.core_radius * 1.4, ragged);
  const double thickness = Mix(0.3, 1.1, Sample(scene.storm_texture, lon, lat));
  return {std::min(1.0, veil * thickness), Mix(234, 214, veil)};
}

// The dense overcast round the eye, coldest in the eyewall, with a ragged outer edge; the eye
// itself shows low cloud well below the overcast.
CloudLayer CycloneCore(const Scene& scene, double lat, double lon, const StormOffset& storm) {
  const Cyclone& c = scene.cyclone;
  if (storm.distance > 2 * c.core_radius) return {};
  const double ragged = storm.distance * Mix(0.8, 1.2, Sample(scene.storm_edge, lon, lat));
  const double overcast = Ramp(c.core_radius * 1.05, c.core_radius * 0.85, ragged);
  const double eyewall = Ramp(c.eye_radius * 0.7, c.eye_radius * 1.3, storm.distance);
  const double texture = 8 * (Sample(scene.storm_texture, lon, lat) - 0.5);
  const double overcast_top =
      190 + texture + 16 * Ramp(c.eye_radius * 2.5, c.core_radius * 1.1, ragged);
  constexpr double kEyeFloor = 290;
  return {std::max(overcast, 1 - eyewall), Mix(kEyeFloor, overcast_top, eyewall)};
}

}  // namespace

Scene MakeScene(uint64_t seed, double utc_hour) {
  SplitMix64 seeds(seed);
  auto field = [&](double wavelength, int octaves) {
    return NoiseField{seeds.Next(), wavelength, octaves};
  };
  Scene scene;
  scene.utc_hour = utc_hour;
  scene.land = ReadLandMask(LandMaskFile());
  scene.cyclone.lat = 20.0;
  scene.cyclone.lon = 130.0;
  scene.cyclone.lon_scale = std::cos(scene.cyclone.lat * std::numbers::pi / 180);
  scene.cyclone.eye_radius = 0.22;
  scene.cyclone.core_radius = 1.8;
  scene.cyclone.reach = 7.0;
  scene.cyclone.band_winding = 3.0;
  scene.sea = field(6, 2);
  scene.land_texture = field(1.5, 3);
  scene.relief = field(2.5, 4);
  scene.stratus = field(4, 5);
  scene.cumulus = field(0.8, 3);
  scene.convection = field(4, 5);
  scene.convection_cores = field(1.0, 3);
  scene.front_course = field(14, 2);
  scene.front_width = field(8, 2);
  scene.front_body = field(3, 5);
  scene.front_cells = field(3.5, 4);
  scene.jet_cirrus = field(2.5, 4);
  scene.storm_edge = field(1.0, 4);
  scene.storm_bands = field(3.0, 3);
  scene.storm_texture = field(0.7, 3);
  return scene;
}

double BrightnessTemperature(const Scene& scene, double lat, double lon) {
  const double land = LandFraction(scene.land, lat, lon);
  double seen = SeaTemperature(scene, lat, lon);
  if (land > 0) seen = Mix(seen, LandTemperature(scene, lat, lon), land);
  const StormOffset storm = OffsetFromStorm(scene.cyclone, lat, lon);
  seen = SeenThrough(seen, LowCloud(scene, lat, lon, land));
  seen = SeenThrough(seen, TropicalConvection(scene, lat, lon, storm));
  seen = SeenThrough(seen, FrontalBand(scene, lat, lon));
  seen = SeenThrough(seen, JetCirrus(scene, lat, lon));
  seen = SeenThrough(seen, CycloneBands(scene, lat, lon, storm));
  seen = SeenThrough(seen, CycloneOutflow(scene, lat, lon, storm));
  return SeenThrough(seen, CycloneCore(scene, lat, lon, storm));
}

}  // namespace nephrax::sample
