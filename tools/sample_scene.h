// A synthetic infrared scene of the western North Pacific in early summer: warm sea, land heated by
// the midday sun, low cloud, scattered tropical thunderstorms, the early-summer rain front and one
// tropical cyclone. Brightness temperatures in kelvin, fully fixed by a seed.
#pragma once

#include <cstdint>

#include "land_outline.h"
#include "noise.h"

namespace nephrax::sample {

struct Cyclone {
  double lat = 0;
  double lon = 0;
  double lon_scale = 1;     // cosine of the centre's latitude: degrees of longitude to distance
  double eye_radius = 0;    // degrees
  double core_radius = 0;   // radius of the dense overcast, degrees
  double reach = 0;         // outer end of the rain bands, degrees
  double band_winding = 0;  // radians of turn per e-fold of distance along a rain band
};

struct Scene {
  double utc_hour = 0;  // time of the observation, for the land's daytime warming
  LandMask land;
  Cyclone cyclone;
  NoiseField sea;
  NoiseField land_texture;
  NoiseField relief;
  NoiseField stratus;
  NoiseField cumulus;
  NoiseField convection;
  NoiseField convection_cores;
  NoiseField front_course;
  NoiseField front_width;
  NoiseField front_body;
  NoiseField front_cells;
  NoiseField jet_cirrus;
  NoiseField storm_edge;
  NoiseField storm_bands;
  NoiseField storm_texture;
};

Scene MakeScene(uint64_t seed, double utc_hour);

// Brightness temperature seen from space at a point, in kelvin.
double BrightnessTemperature(const Scene& scene, double lat, double lon);

}  // namespace nephrax::sample
