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
#include <cstring>

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
void CorrectLinePortable(std::span<Count> row, const LineSamples& samples,
                         const CountCorrection& correction) {
  std::array<double, kChunk> factors;
  ForEachStretch(static_cast<int32_t>(row.size()), samples.step, [&](const Stretch& stretch) {
    for (int32_t offset = 0; offset < stretch.span; offset += kChunk) {
      Count* pixels = row.data() + stretch.start + offset;
      const auto size = static_cast<size_t>(std::min(kChunk, stretch.span - offset));
      for (size_t k = 0; k < size; ++k)
        factors[k] = FactorAt(samples, stretch, offset + static_cast<int32_t>(k));
      for (size_t k = 0; k < size; ++k)
        pixels[k] = CorrectedCount(pixels[k], factors[k], correction);
    }
  });
}

// ---- Eight pixels at a time ----
//
// The same operations as above in the same order, each exactly rounded, so that every factor and
// every quotient is the double the portable kernel computes. A lookup the float comparison leaves
// undecided is made by CountOf itself. Counts and table indexes travel in 64-bit lanes, which
// leave the vector registers for the table loads in one instruction each.
//
// The quotients of a chunk of pixels are worked out in one pass and turned into counts in
// another, overlapped with the quotients of the next chunk: in a single pass the table loads, the
// division and more table loads make a chain longer than the processor can overlap from one group
// of pixels to the next, and the divisions of one chunk now run beside the lookups of another.

#define NEPHRAX_AVX512 gnu::target("avx512f,avx512vl,avx512dq,avx512bw")

constexpr int32_t kLanes = 8;
constexpr int32_t kChunkGroups = kChunk / kLanes;

// The tables of CountCorrection and its lookup, in every lane.
struct VectorCorrection {
  const double* values;
  const CountBucket* buckets;
  __m512i last;
  __m512i no_data;
  __m512i last_count;
  __m512d origin;
  __m512d per_unit;
  __m512d last_bucket;
  __m512d last_threshold;
};

[[NEPHRAX_AVX512]] VectorCorrection VectorCorrectionOf(const CountCorrection& correction) {
  const CountLookup& lookup = correction.lookup;
  return {correction.values.data(),
          lookup.Buckets().data(),
          _mm512_set1_epi64(correction.last),
          _mm512_set1_epi64(correction.no_data),
          _mm512_set1_epi64(lookup.LastCount()),
          _mm512_set1_pd(lookup.Grid().origin),
          _mm512_set1_pd(lookup.Grid().per_unit),
          _mm512_set1_pd(lookup.Grid().last),
          _mm512_set1_pd(lookup.LastThreshold())};
}

// The counts of the lanes in `mask`, 0 in the others.
template <typename Count>
[[NEPHRAX_AVX512]] __m512i LoadEight(const Count* pixels, __mmask8 mask) {
  if constexpr (sizeof(Count) == 1) {
    return _mm512_cvtepu8_epi64(_mm_maskz_loadu_epi8(mask, pixels));
  } else {
    return _mm512_cvtepu16_epi64(_mm_maskz_loadu_epi16(mask, pixels));
  }
}

// Stores the low 8 or 16 bits of the lanes in `mask`, as the cast to Count keeps them.
template <typename Count>
[[NEPHRAX_AVX512]] void StoreEight(Count* pixels, __mmask8 mask, __m512i counts) {
  if constexpr (sizeof(Count) == 1) {
    _mm512_mask_cvtepi64_storeu_epi8(pixels, mask, counts);
  } else {
    _mm512_mask_cvtepi64_storeu_epi16(pixels, mask, counts);
  }
}

// Table loads, one lane at a time: on the processors at hand faster than a gather instruction.
// `pair` holds two indexes.
[[NEPHRAX_AVX512]] __m128i LoadedPair(const double* table, __m128i pair) {
  const auto low = static_cast<size_t>(_mm_cvtsi128_si64(pair));
  const auto high = static_cast<size_t>(_mm_extract_epi64(pair, 1));
  return _mm_castpd_si128(_mm_loadh_pd(_mm_load_sd(&table[low]), &table[high]));
}

[[NEPHRAX_AVX512]] __m128i LoadedPair(const CountBucket* buckets, __m128i pair) {
  const auto low = static_cast<size_t>(_mm_cvtsi128_si64(pair));
  const auto high = static_cast<size_t>(_mm_extract_epi64(pair, 1));
  int64_t high_bucket = 0;
  std::memcpy(&high_bucket, &buckets[high], sizeof high_bucket);
  return _mm_insert_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&buckets[low])),
                          high_bucket, 1);
}

// table[index] for the eight 64-bit lanes of `index`.
template <typename Entry>
[[NEPHRAX_AVX512]] __m512i Gathered(const Entry* table, __m512i index) {
  const __m128i lanes01 = LoadedPair(table, _mm512_castsi512_si128(index));
  const __m128i lanes23 = LoadedPair(table, _mm512_extracti64x2_epi64(index, 1));
  const __m128i lanes45 = LoadedPair(table, _mm512_extracti64x2_epi64(index, 2));
  const __m128i lanes67 = LoadedPair(table, _mm512_extracti64x2_epi64(index, 3));
  const __m256i low = _mm256_inserti128_si256(_mm256_castsi128_si256(lanes01), lanes23, 1);
  const __m256i high = _mm256_inserti128_si256(_mm256_castsi128_si256(lanes45), lanes67, 1);
  return _mm512_inserti64x4(_mm512_castsi256_si512(low), high, 1);
}

// The columns of one group of eight: offsets into the stretch, and span - offsets.
struct Columns {
  __m512d offsets;
  __m512d rest;
};

// Interpolate for eight columns.
[[NEPHRAX_AVX512]] __m512d InterpolatedEight(std::span<const double> samples,
                                             const Stretch& stretch, const Columns& columns) {
  const __m512d start = _mm512_set1_pd(samples[stretch.k]);
  const __m512d end = _mm512_set1_pd(samples[stretch.k + 1]);
  return _mm512_div_pd(
      _mm512_add_pd(_mm512_mul_pd(end, columns.offsets), _mm512_mul_pd(start, columns.rest)),
      _mm512_set1_pd(stretch.span));
}

// FactorAt for eight columns.
[[NEPHRAX_AVX512]] __m512d FactorsOfEight(const LineSamples& samples, const Stretch& stretch,
                                          const Columns& columns) {
  const __m512d f = InterpolatedEight(samples.sun, stretch, columns);
  const __mmask8 day = _mm512_cmp_pd_mask(f, _mm512_setzero_pd(), _CMP_GT_OQ);
  __m512d factors = _mm512_maskz_max_pd(day, f, _mm512_set1_pd(kSunFloor));
  if (!samples.glint.empty()) {
    const __m512d g = InterpolatedEight(samples.glint, stretch, columns);
    const __mmask8 near = _mm512_cmp_pd_mask(g, _mm512_set1_pd(kGlintThreshold), _CMP_GT_OQ);
    factors =
        _mm512_mask_div_pd(factors, near, factors, _mm512_sub_pd(_mm512_set1_pd(kGlintBase), g));
  }
  return factors;
}

// The quotients value / factor of up to kChunk pixels from `pixels` on, and per group of eight
// the lanes that keep their counts (pixels without data or sun, and lanes past the end).
template <typename Count>
struct QuotientChunk {
  Count* pixels = nullptr;
  int32_t groups = 0;
  alignas(64) std::array<double, kChunk> quotients;
  std::array<__mmask8, kChunkGroups> kept;
};

// First pass, one group: the quotients of the pixels in `valid`.
template <typename Count>
[[NEPHRAX_AVX512]] void QuotientsOfGroup(int32_t group, __mmask8 valid, const Columns& columns,
                                         const LineSamples& samples, const Stretch& stretch,
                                         const VectorCorrection& tables,
                                         QuotientChunk<Count>& chunk) {
  const auto at = static_cast<size_t>(group);
  const __m512i counts = LoadEight(chunk.pixels + at * kLanes, valid);
  const __m512d factors = FactorsOfEight(samples, stretch, columns);
  const __m512d values =
      _mm512_castsi512_pd(Gathered(tables.values, _mm512_min_epu64(counts, tables.last)));
  _mm512_store_pd(&chunk.quotients[at * kLanes], _mm512_div_pd(values, factors));
  chunk.kept[at] = static_cast<__mmask8>(
      ~valid | _mm512_cmpeq_epi64_mask(counts, tables.no_data) |
      _mm512_cmp_pd_mask(factors, _mm512_setzero_pd(), _CMP_EQ_OQ));
}

// CountOf for eight quotients; the lanes it decides are set in `decided`, the others are left to
// the scalar lookup.
[[NEPHRAX_AVX512]] __m512i CountsOfEight(__m512d quotients, const VectorCorrection& tables,
                                         __mmask8& decided) {
  __m512d position = _mm512_mul_pd(_mm512_sub_pd(quotients, tables.origin), tables.per_unit);
  position = _mm512_max_pd(position, _mm512_setzero_pd());
  position = _mm512_min_pd(position, tables.last_bucket);
  const __m512i buckets = Gathered(tables.buckets, _mm512_cvttpd_epi64(position));
  const __m256 thresholds = _mm256_castsi256_ps(_mm512_cvtepi64_epi32(buckets));
  const __m512i below = _mm512_srli_epi64(buckets, 32);
  // Within the float range _mm512_cvtpd_ps rounds as NearestFloat; beyond it, either way keeps
  // the order with every threshold, which lies within it.
  const __m256 rounded = _mm512_cvtpd_ps(quotients);
  const __mmask8 above = _mm256_cmp_ps_mask(rounded, thresholds, _CMP_GT_OQ);
  const __mmask8 under = _mm256_cmp_ps_mask(rounded, thresholds, _CMP_LT_OQ);
  const __mmask8 beyond = _mm512_cmp_pd_mask(quotients, tables.last_threshold, _CMP_NLT_UQ);
  decided = above | under | beyond;
  const __m512i counts = _mm512_mask_add_epi64(below, above, below, _mm512_set1_epi64(1));
  return _mm512_mask_mov_epi64(counts, beyond, tables.last_count);
}

// Second pass, one group: the counts of the quotients, written over the pixels that do not keep
// theirs.
template <typename Count>
[[NEPHRAX_AVX512]] void CountsOfGroup(int32_t group, const QuotientChunk<Count>& chunk,
                                      const VectorCorrection& tables, const CountLookup& lookup) {
  const auto at = static_cast<size_t>(group) * kLanes;
  Count* pixels = chunk.pixels + at;
  const __mmask8 kept = chunk.kept[at / kLanes];
  __mmask8 decided;
  const __m512i counts = CountsOfEight(_mm512_load_pd(&chunk.quotients[at]), tables, decided);
  StoreEight(pixels, static_cast<__mmask8>(~kept), counts);
  const unsigned scalar_lanes = static_cast<uint8_t>(~(decided | kept));
  for (size_t k = 0; scalar_lanes != 0 && k < kLanes; ++k) {
    if ((scalar_lanes >> k & 1) != 0)
      pixels[k] = static_cast<Count>(lookup.CountOf(chunk.quotients[at + k]));
  }
}

// The first pass over `size` pixels of `next`, from column `offset` of the stretch on, beside the
// second pass over `previous`.
template <typename Count>
[[NEPHRAX_AVX512, gnu::flatten]] void OverlappedPasses(
    int32_t offset, int32_t size, const LineSamples& samples, const Stretch& stretch,
    const VectorCorrection& tables, const CountLookup& lookup, QuotientChunk<Count>& next,
    QuotientChunk<Count>& previous) {
  next.groups = (size + kLanes - 1) / kLanes;
  const __m512d span = _mm512_set1_pd(stretch.span);
  __m512d offsets = _mm512_add_pd(_mm512_set1_pd(offset), _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7));
  for (int32_t group = 0; group < std::max(next.groups, previous.groups); ++group) {
    if (group < next.groups) {
      const int32_t left = size - group * kLanes;
      const auto valid = static_cast<__mmask8>(left >= kLanes ? 0xff : (1 << left) - 1);
      QuotientsOfGroup(group, valid, {offsets, _mm512_sub_pd(span, offsets)}, samples, stretch,
                       tables, next);
      offsets = _mm512_add_pd(offsets, _mm512_set1_pd(kLanes));
    }
    if (group < previous.groups) CountsOfGroup(group, previous, tables, lookup);
  }
  previous.groups = 0;
}

template <typename Count>
[[NEPHRAX_AVX512, gnu::flatten]] void FinishCounts(const QuotientChunk<Count>& chunk,
                                                   const VectorCorrection& tables,
                                                   const CountLookup& lookup) {
  for (int32_t group = 0; group < chunk.groups; ++group)
    CountsOfGroup(group, chunk, tables, lookup);
}

template <typename Count>
void CorrectLineVector(std::span<Count> row, const LineSamples& samples,
                       const CountCorrection& correction) {
  const VectorCorrection tables = VectorCorrectionOf(correction);
  std::array<QuotientChunk<Count>, 2> chunks;
  size_t next = 0;
  ForEachStretch(static_cast<int32_t>(row.size()), samples.step, [&](const Stretch& stretch) {
    for (int32_t offset = 0; offset < stretch.span; offset += kChunk) {
      chunks[next].pixels = row.data() + stretch.start + offset;
      OverlappedPasses(offset, std::min(kChunk, stretch.span - offset), samples, stretch, tables,
                       correction.lookup, chunks[next], chunks[1 - next]);
      next = 1 - next;
    }
  });
  FinishCounts(chunks[1 - next], tables, correction.lookup);
}

}  // namespace

LineKernel FastestLineKernel() {
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
                 __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw")
             ? LineKernel::kAvx512
             : LineKernel::kPortable;
}

template <typename Count>
void CorrectLine(std::span<Count> row, const LineSamples& samples,
                 const CountCorrection& correction, LineKernel kernel) {
  // The vector lookup works from the buckets, which odd tables lack.
  if (kernel == LineKernel::kAvx512 && correction.lookup.HasBuckets()) {
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
