// Seeded noise for synthetic scenes. Everything here is integer hashing and plain arithmetic, so
// the same seed gives the same numbers with any compiler or standard library.
#pragma once

#include <cstdint>

namespace nephrax::sample {

// A small 64-bit generator (the SplitMix64 sequence); used to hand each noise field its own seed.
class SplitMix64 {
 public:
  explicit SplitMix64(uint64_t seed) : state_(seed) {}
  uint64_t Next();

 private:
  uint64_t state_;
};

// A fractal gradient-noise field over longitude and latitude in degrees.
struct NoiseField {
  uint64_t seed = 0;
  double wavelength = 1;  // degrees covered by one cell of the coarsest layer
  int octaves = 1;        // layers, each of half the wavelength and half the weight of the last
};

// Gradient noise of one layer at (x, y) in cell units, in about [-1, 1]; 0 at every lattice point.
double GradientNoise(uint64_t seed, double x, double y);

// The field at a point, in [0, 1]: centred on 0.5, about 0.3..0.7 for four points in five.
double Sample(const NoiseField& field, double lon, double lat);

}  // namespace nephrax::sample
