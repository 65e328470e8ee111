#include "noise.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace nephrax::sample {

namespace {

// The SplitMix64 output function: a bijective scramble of 64 bits.
uint64_t Scramble(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

struct Gradient {
  double x;
  double y;
};

// Eight unit directions, chosen by hash; enough for clouds without visible lattice alignment.
constexpr double kDiagonal = 0.70710678118654752;
constexpr std::array<Gradient, 8> kGradients{{{1, 0},
                                              {kDiagonal, kDiagonal},
                                              {0, 1},
                                              {-kDiagonal, kDiagonal},
                                              {-1, 0},
                                              {-kDiagonal, -kDiagonal},
                                              {0, -1},
                                              {kDiagonal, -kDiagonal}}};

// A light hash of a lattice point: the coordinates folded together and multiplied, so that the top
// bits, which pick one of the eight gradients, depend on every bit of both.
const Gradient& LatticeGradient(uint64_t seed, int64_t ix, int64_t iy) {
  uint64_t h = seed ^ (static_cast<uint64_t>(ix) * 0x9e3779b97f4a7c15ULL) ^
               (static_cast<uint64_t>(iy) * 0xc2b2ae3d27d4eb4fULL);
  h ^= h >> 32;
  h *= 0xd6e8feb86659fd93ULL;
  return kGradients[h >> 61];
}

// Quintic fade: flat first and second derivatives at the cell edges, so no creases show.
double Fade(double t) {
  return t * t * t * (t * (t * 6 - 15) + 10);
}

double Lerp(double a, double b, double t) {
  return a + (b - a) * t;
}

// The largest value 2-D gradient noise with unit gradients reaches is 1/sqrt(2).
constexpr double kNoiseScale = 1.4142135623730951;

}  // namespace

uint64_t SplitMix64::Next() {
  state_ += 0x9e3779b97f4a7c15ULL;
  return Scramble(state_);
}

double GradientNoise(uint64_t seed, double x, double y) {
  const double fx = std::floor(x);
  const double fy = std::floor(y);
  const auto ix = static_cast<int64_t>(fx);
  const auto iy = static_cast<int64_t>(fy);
  const double dx = x - fx;
  const double dy = y - fy;
  auto corner = [&](int64_t cx, int64_t cy) {
    const Gradient& g = LatticeGradient(seed, ix + cx, iy + cy);
    return g.x * (dx - static_cast<double>(cx)) + g.y * (dy - static_cast<double>(cy));
  };
  const double u = Fade(dx);
  const double v = Fade(dy);
  const double bottom = Lerp(corner(0, 0), corner(1, 0), u);
  const double top = Lerp(corner(0, 1), corner(1, 1), u);
  return kNoiseScale * Lerp(bottom, top, v);
}

double Sample(const NoiseField& field, double lon, double lat) {
  double sum = 0;
  double weight = 1;
  double squared_weights = 0;
  double frequency = 1 / field.wavelength;
  for (int octave = 0; octave < field.octaves; ++octave) {
    // Each layer gets its own lattice, so the layers' zero points do not line up.
    const uint64_t layer_seed = Scramble(field.seed + static_cast<uint64_t>(octave));
    sum += weight * GradientNoise(layer_seed, lon * frequency, lat * frequency);
    squared_weights += weight * weight;
    weight *= 0.5;
    frequency *= 2;
  }
  // Scaled by the spread of a sum of independent layers, so that thresholds on a field keep their
  // meaning whatever its octave count.
  return std::clamp(0.5 + 0.5 * sum / std::sqrt(squared_weights), 0.0, 1.0);
}

}  // namespace nephrax::sample
