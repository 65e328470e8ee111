#include "calsun/line_correction.h"

// GCC 12 takes the undefined sources of some AVX-512 intrinsics for uninitialised variables.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "calsun/display_tables.h"

namespace nephrax {

namespace {

// The gain never exceeds 1 / kSunFloor, so that pixels under a low sun are not blown out.
constexpr double kSunFloor = 0.3;
// Glint cosines above kGlintThreshold divide the sun cosine by kGlintBase - cosine.
constexpr double kGlintThreshold = 0.6;
constexpr double kGlintBase = 1.6;

// One stretch of a line: columns start..start + span - 1, interpolated from sample k to k + 1.
// The last stretch runs to the end of the line, one column past its last sample.
struct Stretch {
  size_t k;
  int32_t start;
  int32_t span;
};

template <typename Apply>
void ForEachStretch(int32_t width, int32_t step, Apply apply) {
  size_t k = 0;
  for (int32_t start = 0; start < width; start += step, ++k)
    apply(Stretch{k, start, start + step >= width ? width - start : step});
}

// The stretch that holds `column`.
Stretch StretchAt(int32_t width, int32_t step, int32_t column) {
  const int32_t k = column / step;
  const int32_t start = k * step;
  return {static_cast<size_t>(k), start, start + step >= width ? width - start : step};
}

// Linear interpolation between samples k and k + 1, `offset` columns into the stretch.
double Interpolate(std::span<const double> samples, const Stretch& stretch, int32_t offset) {
  return (samples[stretch.k + 1] * offset + samples[stretch.k] * (stretch.span - offset)) /
         stretch.span;
}

// The factor a value is divided by: the sun's cosine raised to kSunFloor, and divided by
// kGlintBase - glint cosine near the glint direction. 0 when the sun is below the horizon.
double FactorAt(const LineSamples& samples, const Stretch& stretch, int32_t offset) {
  const double f = Interpolate(samples.sun, stretch, offset);
  double factor = f > 0 ? std::max(f, kSunFloor) : 0;
  if (!samples.glint.empty()) {
    const double g = Interpolate(samples.glint, stretch, offset);
    if (g > kGlintThreshold) factor /= kGlintBase - g;
  }
  return factor;
}

template <typename Count>
Count CorrectedCount(Count count, double factor, const CountCorrection& correction) {
  if (count == correction.no_data || factor == 0) return count;
  const double value =
      correction.values[static_cast<size_t>(std::min<int32_t>(count, correction.last))];
  return static_cast<Count>(correction.lookup.CountOf(value / factor));
}

// Pixels worked on at a time: their factors first, then their counts, which keeps the divisions
// of the factors out of the chain of each count.
constexpr int32_t kChunk = 256;

template <typename Count>
void CorrectStretchPortable(std::span<Count> row, const LineSamples& samples,
                            const Stretch& stretch, const CountCorrection& correction) {
  std::array<double, kChunk> factors;
  for (int32_t offset = 0; offset < stretch.span; offset += kChunk) {
    Count* pixels = row.data() + stretch.start + offset;
    const auto size = static_cast<size_t>(std::min(kChunk, stretch.span - offset));
    for (size_t k = 0; k < size; ++k)
      factors[k] = FactorAt(samples, stretch, offset + static_cast<int32_t>(k));
    for (size_t k = 0; k < size; ++k) pixels[k] = CorrectedCount(pixels[k], factors[k], correction);
  }
}

template <typename Count>
void CorrectLinePortable(std::span<Count> row, const LineSamples& samples,
                         const CountCorrection& correction) {
  ForEachStretch(static_cast<int32_t>(row.size()), samples.step, [&](const Stretch& stretch) {
    CorrectStretchPortable(row, samples, stretch, correction);
  });
}

// ---- Sixteen pixels at a time ----
//
// Each quotient value / factor is first estimated in single precision, sixteen pixels at a time:
// the interpolations as the start sample plus the column times the rise per column (with the
// cosines within -1..1, within 2^-49 of the exact interpolations), the value rounded to float
// (or a straight table's value, within 2^-22), the factor rounded to float, its reciprocal from
// the processor's estimate refined by one Newton step, and the products rounded to float. These
// roundings keep the estimate within 10 * 2^-24 of the quotient the portable kernel computes. In
// clear stretches without glint the factor itself may be worked out in single precision, within
// 3 * 2^-24 instead of 2^-24 (SingleFactorsHold), which keeps the estimate within 12 * 2^-24. The
// estimate widened by kWidening on both sides holds that quotient. When the whole interval
// lies between the same two thresholds, the count of the exact quotient is known (CountLookup,
// GatheredCounts and EvenCounts explain how that is told). Pixels the estimate cannot decide are
// worked out by the portable kernel's own code: an interval that may hold a threshold (or, with
// gathered buckets, a bucket's edge), and factors too near the horizon, the floor or the glint
// threshold to tell which side they lie on.

#define NEPHRAX_AVX512 gnu::target("avx512f,avx512vl,avx512dq,avx512bw")

constexpr int32_t kLanes = 16;
constexpr int32_t kHalfLanes = kLanes / 2;
// Interpolated cosines this close to a threshold they are compared with, far beyond their error,
// are left to the portable code.
constexpr double kUndecidedNear = 0x1p-40;
// The relative widening of a quotient's estimate: 16 * 2^-24, beyond its error bound by more than
// the rounding of the widening itself.
constexpr float kWidening = 0x1p-20F;
// Table values within this range of magnitudes (and zero) keep their relative rounding errors,
// and their quotients keep theirs, in single precision.
constexpr double kSmallestSingleValue = 0x1p-100;
constexpr double kLargestSingleValue = 0x1p100;

// The kernel's choices: glint dimming, a straight table's values and thresholds computed instead
// of gathered, a stretch whose factors may come near the horizon, the floor or the glint
// threshold, which must be checked pixel by pixel (elsewhere every pixel is in daylight), and a
// stretch whose factors are estimated in single precision (see SingleFactorsHold).
template <bool kGlintOn, bool kEven, bool kNear, bool kSingle = false>
struct Variant {
  static constexpr bool kGlint = kGlintOn;
  static constexpr bool kEvenTable = kEven;
  static constexpr bool kNearThresholds = kNear;
  static constexpr bool kSingleFactors = kSingle;
  static_assert(!kSingle || (!kGlintOn && !kNear));
};

// The tables of CountCorrection and its lookup, in every lane: the gathered tables, or for a
// straight table the even values and thresholds.
struct VectorTables {
  const float* values;
  const CountBucket* buckets;
  __m512 value_start;
  __m512 value_step;
  __m512i first;
  __m512 threshold_step;
  __m512 low_start;
  __m512 high_start;
  __m512 next_low_start;
  __m512i last;
  __m512i no_data;
  __m512i last_count;
  __m512 origin;
  __m512 per_unit;
  __m512 last_bucket;
  __m512 per_mark;
  __m512 last_threshold;
};

// Whether the values and the thresholds of `correction` are even.
bool IsEven(const CountCorrection& correction) {
  return correction.even_values.has_value() && correction.lookup.Even().has_value();
}

[[NEPHRAX_AVX512]] VectorTables VectorTablesOf(const CountCorrection& correction) {
  const CountLookup& lookup = correction.lookup;
  const bool even = IsEven(correction);
  const EvenValues values = even ? *correction.even_values : EvenValues{0, 0};
  const EvenThresholds thresholds =
      even ? *lookup.Even() : EvenThresholds{lookup.Grid(), 0, 0, 0, 0};
  const BucketGrid& grid = thresholds.grid;
  return {correction.single_values.data(),
          lookup.Buckets().data(),
          _mm512_set1_ps(values.start),
          _mm512_set1_ps(values.step),
          _mm512_set1_epi32(lookup.FirstCount()),
          _mm512_set1_ps(thresholds.step),
          _mm512_set1_ps(thresholds.low_start),
          _mm512_set1_ps(thresholds.high_start),
          _mm512_set1_ps(thresholds.next_low_start),
          _mm512_set1_epi32(correction.last),
          _mm512_set1_epi32(correction.no_data),
          _mm512_set1_epi32(lookup.LastCount()),
          _mm512_set1_ps(grid.origin),
          _mm512_set1_ps(grid.per_unit),
          _mm512_set1_ps(grid.last),
          _mm512_set1_ps(grid.per_mark),
          _mm512_set1_ps(NearestFloat(lookup.LastThreshold()))};
}

// The counts of the lanes in `mask`, 0 in the others.
template <typename Count>
[[NEPHRAX_AVX512]] __m512i LoadSixteen(const Count* pixels, __mmask16 mask) {
  if constexpr (sizeof(Count) == 1) {
    return _mm512_cvtepu8_epi32(_mm_maskz_loadu_epi8(mask, pixels));
  } else {
    return _mm512_cvtepu16_epi32(_mm256_maskz_loadu_epi16(mask, pixels));
  }
}

// Stores the low 8 or 16 bits of the lanes in `mask`, as the cast to Count keeps them.
template <typename Count>
[[NEPHRAX_AVX512]] void StoreSixteen(Count* pixels, __mmask16 mask, __m512i counts) {
  if constexpr (sizeof(Count) == 1) {
    _mm512_mask_cvtepi32_storeu_epi8(pixels, mask, counts);
  } else {
    _mm512_mask_cvtepi32_storeu_epi16(pixels, mask, counts);
  }
}

// One stretch's samples at its start and their rise per column, in every lane; the sun's also
// rounded to float.
struct StretchVectors {
  __m512d sun_start;
  __m512d sun_slope;
  __m512d glint_start;
  __m512d glint_slope;
  __m512 single_sun_start;
  __m512 single_sun_slope;
};

// A factor estimated in single precision, max(fma(slope, column, start), floor) with the slope,
// the start and the floor rounded to float, lies within (|s0| + |s1 - s0| + max(|s0|, |s1|)) *
// 2^-24 of the exact interpolation between samples s0 and s1 held at the floor, plus a term far
// below 2^-40 (the roundings of the slope in double): one rounding each for the start, the slope
// times the column (at most |s1 - s0|) and the multiply-add, and holding at the floor, as a
// maximum, never adds to an error. Relative to the factor, which is at least max(min(s0, s1),
// floor), that stays within kSingleFactorError * 2^-24 where this allows.
constexpr double kSingleFactorError = 3;

bool SingleFactorsHold(const LineSamples& samples, const Stretch& stretch) {
  const double s0 = samples.sun[stretch.k];
  const double s1 = samples.sun[stretch.k + 1];
  const double spread = std::fabs(s0) + std::fabs(s1 - s0) + std::max(std::fabs(s0), std::fabs(s1));
  return spread < kSingleFactorError * std::max(std::min(s0, s1), kSunFloor);
}

// The estimate holds for cosines within -1..1, which every cosine of the geometry is.
bool WithinCosineRange(std::span<const double> samples, const Stretch& stretch) {
  return samples.empty() ||
         (std::fabs(samples[stretch.k]) <= 1 && std::fabs(samples[stretch.k + 1]) <= 1);
}

double SlopeOf(std::span<const double> samples, const Stretch& stretch) {
  return samples.empty() ? 0 : (samples[stretch.k + 1] - samples[stretch.k]) / stretch.span;
}

[[NEPHRAX_AVX512]] StretchVectors StretchVectorsOf(const LineSamples& samples,
                                                   const Stretch& stretch) {
  const bool glint = !samples.glint.empty();
  const double sun_slope = SlopeOf(samples.sun, stretch);
  return {_mm512_set1_pd(samples.sun[stretch.k]),
          _mm512_set1_pd(sun_slope),
          _mm512_set1_pd(glint ? samples.glint[stretch.k] : 0),
          _mm512_set1_pd(SlopeOf(samples.glint, stretch)),
          _mm512_set1_ps(static_cast<float>(samples.sun[stretch.k])),
          _mm512_set1_ps(static_cast<float>(sun_slope))};
}

// The lanes of `cosines` too near `threshold` to tell on which side the exact ones lie.
[[NEPHRAX_AVX512]] __mmask8 NearThreshold(__m512d cosines, double threshold) {
  const __m512d distance = _mm512_abs_pd(_mm512_sub_pd(cosines, _mm512_set1_pd(threshold)));
  return _mm512_cmp_pd_mask(distance, _mm512_set1_pd(kUndecidedNear), _CMP_LT_OQ);
}

// FactorAt for eight columns: the sun's factor, and the glint's divisor kGlintBase - cosine
// (1 without dimming), with the lanes at night and those left undecided.
struct EightFactors {
  __m512d sun;
  __m512d divisor;
  __mmask8 night;
  __mmask8 undecided;
};

template <typename Variant>
[[NEPHRAX_AVX512]] EightFactors FactorsOfEight(const StretchVectors& stretch, __m512d offsets) {
  const __m512d f = _mm512_fmadd_pd(stretch.sun_slope, offsets, stretch.sun_start);
  EightFactors factors{_mm512_max_pd(f, _mm512_set1_pd(kSunFloor)), _mm512_set1_pd(1), 0, 0};
  if constexpr (Variant::kNearThresholds) {
    factors.night = _mm512_cmp_pd_mask(f, _mm512_setzero_pd(), _CMP_LT_OQ);
    factors.undecided = NearThreshold(f, 0) | NearThreshold(f, kSunFloor);
  }
  if constexpr (Variant::kGlint) {
    const __m512d g = _mm512_fmadd_pd(stretch.glint_slope, offsets, stretch.glint_start);
    const __mmask8 near = _mm512_cmp_pd_mask(g, _mm512_set1_pd(kGlintThreshold), _CMP_GT_OQ);
    factors.divisor = _mm512_mask_sub_pd(factors.divisor, near, _mm512_set1_pd(kGlintBase), g);
    if constexpr (Variant::kNearThresholds) factors.undecided |= NearThreshold(g, kGlintThreshold);
  }
  return factors;
}

[[NEPHRAX_AVX512]] __m512 Joined(__m512d low, __m512d high) {
  return _mm512_insertf32x8(_mm512_castps256_ps512(_mm512_cvtpd_ps(low)), _mm512_cvtpd_ps(high),
                            1);
}

[[NEPHRAX_AVX512]] __mmask16 Joined(__mmask8 low, __mmask8 high) {
  return _mm512_kunpackb(high, low);
}

// The factors of sixteen columns in float: the sun's factor and the glint's divisor, with the
// lanes at night and those left undecided.
struct SixteenFactors {
  __m512 sun;
  __m512 divisor;
  __mmask16 night;
  __mmask16 undecided;
};

// `offsets` holds the first eight columns, in double; `single_offsets` all sixteen, in float.
template <typename Variant>
[[NEPHRAX_AVX512]] SixteenFactors FactorsOfSixteen(const StretchVectors& stretch, __m512d offsets,
                                                   __m512 single_offsets) {
  if constexpr (Variant::kSingleFactors) {
    const __m512 f =
        _mm512_fmadd_ps(stretch.single_sun_slope, single_offsets, stretch.single_sun_start);
    return {_mm512_max_ps(f, _mm512_set1_ps(static_cast<float>(kSunFloor))), _mm512_set1_ps(1), 0,
            0};
  } else {
    const EightFactors low = FactorsOfEight<Variant>(stretch, offsets);
    const EightFactors high =
        FactorsOfEight<Variant>(stretch, _mm512_add_pd(offsets, _mm512_set1_pd(kHalfLanes)));
    return {Joined(low.sun, high.sun),
            Variant::kGlint ? Joined(low.divisor, high.divisor) : _mm512_set1_ps(1),
            Joined(low.night, high.night), Joined(low.undecided, high.undecided)};
  }
}

// BucketOf for sixteen values, with the same operations.
[[NEPHRAX_AVX512]] __m512i BucketsOf(__m512 values, const VectorTables& tables) {
  __m512 position = _mm512_mul_ps(_mm512_sub_ps(values, tables.origin), tables.per_unit);
  position = _mm512_max_ps(position, _mm512_setzero_ps());
  position = _mm512_min_ps(position, tables.last_bucket);
  return _mm512_cvttps_epi32(position);
}

// The estimates of value / factor for sixteen values.
template <typename Variant>
[[NEPHRAX_AVX512]] __m512 EstimatedQuotients(__m512 values, const SixteenFactors& factors) {
  const __m512 one = _mm512_set1_ps(1);
  __m512 reciprocals = _mm512_rcp14_ps(factors.sun);
  reciprocals =
      _mm512_fmadd_ps(reciprocals, _mm512_fnmadd_ps(factors.sun, reciprocals, one), reciprocals);
  __m512 quotients = _mm512_mul_ps(values, reciprocals);
  if constexpr (Variant::kGlint) quotients = _mm512_mul_ps(quotients, factors.divisor);
  return quotients;
}

// BucketGrid::Mark for sixteen buckets and marks.
[[NEPHRAX_AVX512]] __m512 MarksOf(__m512i buckets, __m512i marks, const VectorTables& tables) {
  const __m512i index = _mm512_add_epi32(_mm512_slli_epi32(buckets, BucketGrid::kMarkBits), marks);
  return _mm512_add_ps(tables.origin, _mm512_mul_ps(_mm512_cvtepi32_ps(index), tables.per_mark));
}

// The counts of sixteen quotient estimates, in the lanes returned in `decided`, from the
// gathered bucket words: the estimate's interval must lie in one bucket, on one side of its
// threshold's marks.
[[NEPHRAX_AVX512]] __m512i GatheredCounts(__m512 lowest, __m512 highest,
                                          const VectorTables& tables, __mmask16& decided) {
  const __m512i bucket = BucketsOf(lowest, tables);
  const __m512i word = _mm512_i32gather_epi32(bucket, tables.buckets, sizeof(CountBucket));
  const __m512i below = _mm512_srli_epi32(word, BucketGrid::kMarkBits);
  const __m512i mark = _mm512_and_si512(word, _mm512_set1_epi32(kMarkMask));
  const __mmask16 none = _mm512_cmpeq_epi32_mask(mark, _mm512_set1_epi32(kNoThreshold));
  const __mmask16 usable = _mm512_cmplt_epu32_mask(mark, _mm512_set1_epi32(kUndecided));
  const __mmask16 above = _mm512_mask_cmp_ps_mask(
      usable, lowest, MarksOf(bucket, _mm512_add_epi32(mark, _mm512_set1_epi32(1)), tables),
      _CMP_GT_OQ);
  const __mmask16 under =
      _mm512_mask_cmp_ps_mask(usable, highest, MarksOf(bucket, mark, tables), _CMP_LT_OQ);
  const __mmask16 one_bucket = _mm512_cmpeq_epi32_mask(bucket, BucketsOf(highest, tables));
  decided = static_cast<__mmask16>(one_bucket & (none | above | under));
  return _mm512_mask_add_epi32(below, above, below, _mm512_set1_epi32(1));
}

// The same from an even grid. The interval's low end lies in bucket b, above every threshold
// before b; below Low(b) its high end lies below threshold b and all after it, and between
// High(b) and NextLow(b) the interval lies between thresholds b and b + 1.
[[NEPHRAX_AVX512]] __m512i EvenCounts(__m512 lowest, __m512 highest, const VectorTables& tables,
                                      __mmask16& decided) {
  const __m512i bucket = BucketsOf(lowest, tables);
  const __m512 line = _mm512_cvtepi32_ps(bucket);
  const __m512 low = _mm512_fmadd_ps(line, tables.threshold_step, tables.low_start);
  const __m512 high = _mm512_fmadd_ps(line, tables.threshold_step, tables.high_start);
  const __m512 next_low = _mm512_fmadd_ps(line, tables.threshold_step, tables.next_low_start);
  const __mmask16 under = _mm512_cmp_ps_mask(highest, low, _CMP_LT_OQ);
  const __mmask16 above = _mm512_mask_cmp_ps_mask(
      _mm512_cmp_ps_mask(lowest, high, _CMP_GT_OQ), highest, next_low, _CMP_LT_OQ);
  decided = static_cast<__mmask16>(under | above);
  const __m512i below = _mm512_add_epi32(tables.first, bucket);
  return _mm512_mask_add_epi32(below, above, below, _mm512_set1_epi32(1));
}

// The counts of sixteen quotient estimates, in the lanes returned in `decided`.
template <typename Variant>
[[NEPHRAX_AVX512]] __m512i CountsOfEstimates(__m512 quotients, const VectorTables& tables,
                                             __mmask16& decided) {
  const __m512 down = _mm512_mul_ps(quotients, _mm512_set1_ps(1 - kWidening));
  const __m512 up = _mm512_mul_ps(quotients, _mm512_set1_ps(1 + kWidening));
  // A straight table's values, and so its quotients, are never negative.
  const __m512 lowest = Variant::kEvenTable ? down : _mm512_min_ps(down, up);
  const __m512 highest = Variant::kEvenTable ? up : _mm512_max_ps(down, up);
  const __m512i counts = Variant::kEvenTable ? EvenCounts(lowest, highest, tables, decided)
                                             : GatheredCounts(lowest, highest, tables, decided);
  const __mmask16 beyond = _mm512_cmp_ps_mask(lowest, tables.last_threshold, _CMP_GT_OQ);
  decided |= beyond;
  return _mm512_mask_mov_epi32(counts, beyond, tables.last_count);
}

// The values of sixteen counts, at most the last.
template <typename Variant>
[[NEPHRAX_AVX512]] __m512 ValuesOf(__m512i counts, const VectorTables& tables) {
  const __m512i held = _mm512_min_epu32(counts, tables.last);
  if constexpr (Variant::kEvenTable) {
    return _mm512_fmadd_ps(_mm512_cvtepi32_ps(held), tables.value_step, tables.value_start);
  } else {
    return _mm512_i32gather_ps(held, tables.values, sizeof(float));
  }
}

// Corrects the pixels of `valid` among the sixteen from `pixels` on, at columns `offsets` and
// `single_offsets` (FactorsOfSixteen) of the stretch, and returns those it leaves to the portable
// code.
template <typename Count, typename Variant>
[[NEPHRAX_AVX512]] __mmask16 CorrectSixteen(Count* pixels, __mmask16 valid, __m512d offsets,
                                            __m512 single_offsets, const StretchVectors& stretch,
                                            const VectorTables& tables) {
  const __m512i counts = LoadSixteen(pixels, valid);
  const SixteenFactors factors = FactorsOfSixteen<Variant>(stretch, offsets, single_offsets);
  __mmask16 decided;
  const __m512i corrected = CountsOfEstimates<Variant>(
      EstimatedQuotients<Variant>(ValuesOf<Variant>(counts, tables), factors), tables, decided);
  const auto kept = static_cast<__mmask16>(
      ~valid | _mm512_cmpeq_epi32_mask(counts, tables.no_data) | factors.night);
  const auto known = static_cast<__mmask16>(decided & ~factors.undecided);
  StoreSixteen(pixels, static_cast<__mmask16>(~kept & known), corrected);
  return static_cast<__mmask16>(~kept & ~known);
}

// Groups of sixteen pixels with pixels the estimate left undecided, corrected together by the
// portable code after the vector pass over many groups: a branch on them in the vector loop would
// wait for the whole computation of its group, and each misprediction would throw away the work
// begun on the next groups.
class UndecidedGroups {
 public:
  bool Full() const { return size_ == groups_.size(); }

  // Without a branch: a group without undecided pixels is overwritten by the next one.
  void Add(int32_t column, uint16_t mask) {
    groups_[size_] = {column, mask};
    size_ += mask != 0 ? 1 : 0;
  }

  template <typename Count>
  void CorrectAll(std::span<Count> row, const LineSamples& samples,
                  const CountCorrection& correction) {
    const auto width = static_cast<int32_t>(row.size());
    for (size_t g = 0; g < size_; ++g) {
      const Stretch stretch = StretchAt(width, samples.step, groups_[g].column);
      Count* pixels = row.data() + groups_[g].column;
      const int32_t offset = groups_[g].column - stretch.start;
      for (unsigned mask = groups_[g].mask; mask != 0; mask &= mask - 1) {
        const int32_t k = std::countr_zero(mask);
        pixels[k] = CorrectedCount(pixels[k], FactorAt(samples, stretch, offset + k), correction);
      }
    }
    size_ = 0;
  }

 private:
  struct Group {
    int32_t column;  // of the group's first pixel
    uint16_t mask;
  };

  std::array<Group, 128> groups_;
  size_t size_ = 0;
};

// One stretch, sixteen pixels at a time.
template <typename Count, typename Variant>
[[NEPHRAX_AVX512]] void CorrectStretch(std::span<Count> row, const LineSamples& samples,
                                       const Stretch& stretch, const VectorTables& tables,
                                       const CountCorrection& correction,
                                       UndecidedGroups& undecided) {
  const StretchVectors vectors = StretchVectorsOf(samples, stretch);
  Count* pixels = row.data() + stretch.start;
  __m512d offsets = _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7);
  __m512 single_offsets = _mm512_setr_ps(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  for (int32_t offset = 0; offset < stretch.span; offset += kLanes) {
    const int32_t left = stretch.span - offset;
    const auto valid = static_cast<__mmask16>(left >= kLanes ? 0xffff : (1 << left) - 1);
    if (undecided.Full()) undecided.CorrectAll(row, samples, correction);
    undecided.Add(stretch.start + offset,
                  CorrectSixteen<Count, Variant>(pixels + offset, valid, offsets, single_offsets,
                                                 vectors, tables));
    offsets = _mm512_add_pd(offsets, _mm512_set1_pd(kLanes));
    single_offsets = _mm512_add_ps(single_offsets, _mm512_set1_ps(kLanes));
  }
}

// The cosines a stretch interpolates between: the exact interpolations lie between its two
// samples, within their rounding.
struct CosineRange {
  double low;
  double high;

  // Whether an interpolation could lie at `threshold`, or too near to tell the side.
  bool Reaches(double threshold) const {
    return low - kUndecidedNear < threshold && threshold < high + kUndecidedNear;
  }
};

CosineRange RangeOf(std::span<const double> samples, const Stretch& stretch) {
  const auto [low, high] = std::minmax(samples[stretch.k], samples[stretch.k + 1]);
  return {low, high};
}

// How a stretch is corrected.
enum class StretchKind {
  kBeyondEstimates,  // cosines beyond -1..1: by the portable code
  kNight,            // the sun below the horizon all along: every pixel keeps its count
  kClear,            // daylight all along, away from the floor and the glint threshold
  kClearSingle,      // the same without glint, the factors estimated in single precision
  kNearThresholds,   // each pixel checked against the horizon, the floor and the glint threshold
};

StretchKind KindOf(const LineSamples& samples, const Stretch& stretch) {
  if (!WithinCosineRange(samples.sun, stretch) || !WithinCosineRange(samples.glint, stretch))
    return StretchKind::kBeyondEstimates;
  const CosineRange sun = RangeOf(samples.sun, stretch);
  if (sun.high < -kUndecidedNear) return StretchKind::kNight;
  const bool near = sun.Reaches(0) || sun.Reaches(kSunFloor) ||
                    (!samples.glint.empty() &&
                     RangeOf(samples.glint, stretch).Reaches(kGlintThreshold));
  if (near) return StretchKind::kNearThresholds;
  return samples.glint.empty() && SingleFactorsHold(samples, stretch) ? StretchKind::kClearSingle
                                                                      : StretchKind::kClear;
}

// A whole line with the choices that hold for all of it.
template <typename Count, bool kGlint, bool kEven>
[[NEPHRAX_AVX512, gnu::flatten]] void CorrectLineOf(std::span<Count> row,
                                                    const LineSamples& samples,
                                                    const CountCorrection& correction) {
  const VectorTables tables = VectorTablesOf(correction);
  UndecidedGroups undecided;
  ForEachStretch(static_cast<int32_t>(row.size()), samples.step, [&](const Stretch& stretch) {
    switch (KindOf(samples, stretch)) {
      case StretchKind::kBeyondEstimates:
        CorrectStretchPortable(row, samples, stretch, correction);
        break;
      case StretchKind::kNight:
        break;
      case StretchKind::kClear:
        CorrectStretch<Count, Variant<kGlint, kEven, false>>(row, samples, stretch, tables,
                                                              correction, undecided);
        break;
      case StretchKind::kClearSingle:
        if constexpr (!kGlint) {
          CorrectStretch<Count, Variant<false, kEven, false, true>>(row, samples, stretch, tables,
                                                                   correction, undecided);
        }
        break;
      case StretchKind::kNearThresholds:
        CorrectStretch<Count, Variant<kGlint, kEven, true>>(row, samples, stretch, tables,
                                                             correction, undecided);
        break;
    }
  });
  undecided.CorrectAll(row, samples, correction);
}

template <typename Count>
void CorrectLineVector(std::span<Count> row, const LineSamples& samples,
                       const CountCorrection& correction) {
  const bool glint = !samples.glint.empty();
  if (IsEven(correction)) {
    glint ? CorrectLineOf<Count, true, true>(row, samples, correction)
          : CorrectLineOf<Count, false, true>(row, samples, correction);
  } else {
    glint ? CorrectLineOf<Count, true, false>(row, samples, correction)
          : CorrectLineOf<Count, false, false>(row, samples, correction);
  }
}

// The values in float when every one lies where its estimates' error bounds hold; else none.
std::vector<float> SingleValuesOf(const std::vector<double>& values) {
  const bool within = std::all_of(values.begin(), values.end(), [](double v) {
    return v == 0 || (std::fabs(v) >= kSmallestSingleValue && std::fabs(v) <= kLargestSingleValue);
  });
  if (!within) return {};
  return {values.begin(), values.end()};
}

// The error EvenValues allows, relative to the value.
constexpr double kEvenValueError = 0x1p-22;

// The straight line through the first and the last value, when it stays within kEvenValueError
// of every value and never falls below zero.
std::optional<EvenValues> EvenValuesOf(const std::vector<double>& values) {
  if (values.size() < 2 || !(values.front() >= 0 && values.back() >= values.front()))
    return std::nullopt;
  const auto last = static_cast<double>(values.size() - 1);
  const EvenValues even{static_cast<float>(values.front()),
                        static_cast<float>((values.back() - values.front()) / last)};
  for (size_t count = 0; count < values.size(); ++count) {
    const double estimate = even.ValueOf(static_cast<int32_t>(count));
    if (!(std::fabs(estimate - values[count]) <= kEvenValueError * std::fabs(values[count])))
      return std::nullopt;
  }
  return even;
}

}  // namespace

CountCorrection::CountCorrection(const Calibration& calibration, const ChannelSettings& channel,
                                 int32_t no_data_count)
    : last(calibration.last), lookup(calibration, channel), no_data(no_data_count) {
  for (int32_t count = 0; count <= last; ++count)
    values.push_back(ValueOfCount(calibration, channel, count));
  single_values = SingleValuesOf(values);
  if (!single_values.empty()) even_values = EvenValuesOf(values);
}

LineKernel FastestLineKernel() {
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                 __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw")
             ? LineKernel::kAvx512
             : LineKernel::kPortable;
}

template <typename Count>
void CorrectLine(std::span<Count> row, const LineSamples& samples,
                 const CountCorrection& correction, LineKernel kernel) {
  // The vector lookup works from the buckets, which odd tables lack, and from the values in float.
  if (kernel == LineKernel::kAvx512 && correction.lookup.HasBuckets() &&
      !correction.single_values.empty()) {
    CorrectLineVector(row, samples, correction);
  } else {
    CorrectLinePortable(row, samples, correction);
  }
}

template void CorrectLine(std::span<uint8_t>, const LineSamples&, const CountCorrection&,
                          LineKernel);
template void CorrectLine(std::span<uint16_t>, const LineSamples&, const CountCorrection&,
                          LineKernel);

}  // namespace nephrax
