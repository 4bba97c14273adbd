// The codec's routines with AVX2: the zero section's six taps side by side in one register, the
// lower-band quantizer's 29 decision thresholds at once, the band-split filter by multiply-adds.
// Compiled only into the translation unit built for AVX2, chosen at run time.
#pragma once

#include <immintrin.h>

#include <array>
#include <bit>
#include <cstdint>

#include "codec.h"
#include "encoder_tables.h"
#include "g722kit/g722.h"
#include "shared_tables.h"

namespace g722kit {
namespace {

// The sum of the eight 32-bit lanes.
G722KIT_ALWAYS_INLINE int32_t HorizontalSum(__m256i v) {
  __m128i x = _mm_add_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
  x = _mm_add_epi32(x, _mm_unpackhi_epi64(x, x));
  x = _mm_add_epi32(x, _mm_shuffle_epi32(x, 1));
  return _mm_cvtsi128_si32(x);
}

// The six-tap zero predictor in lanes 0 to 5: coefficients b[1..6] and differences d[1..6];
// lane 6 of the differences holds the one the last shift dropped, whose sign the record keeps.
// Lanes 6 and 7 of the coefficients and lane 7 of the differences stay 0.
class Avx2ZeroSection {
 public:
  explicit Avx2ZeroSection(const G722Band& band)
      : b_(_mm256_setr_epi32(band.b[1], band.b[2], band.b[3], band.b[4], band.b[5], band.b[6], 0,
                             0)),
        d_(_mm256_setr_epi32(band.d[1], band.d[2], band.d[3], band.d[4], band.d[5], band.d[6],
                             band.sg[6], 0)) {}

  void Store(G722Band& band) const {
    alignas(32) int32_t b[8];
    alignas(32) int32_t d[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(b), b_);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d), d_);
    StoreZeroSection(band, b, d);
  }

  // like_d has the sign of d and is 0 exactly when d is, and may be known sooner: the new
  // coefficients and the terms of the older differences depend on d only through it.
  G722KIT_ALWAYS_INLINE int32_t Adapt(int32_t d, int32_t like_d) {
    const __m256i like = _mm256_set1_epi32(like_d);
    // Zero coefficient update (UPZERO): each coefficient leaks and steps by 128 toward agreement of
    // its difference's sign with d's (no step when d is 0). The leaked value lies within
    // -32640..32639, so the step needs no saturation.
    const __m256i leaked = _mm256_srai_epi32(_mm256_mullo_epi32(b_, _mm256_set1_epi32(32640)), 15);
    const __m256i gain = _mm256_andnot_si256(_mm256_cmpeq_epi32(like, _mm256_setzero_si256()),
                                             _mm256_setr_epi32(128, 128, 128, 128, 128, 128, 0, 0));
    const __m256i differ = _mm256_srai_epi32(_mm256_xor_si256(d_, like), 31);  // -1: signs differ
    b_ = _mm256_add_epi32(leaked, _mm256_sub_epi32(_mm256_xor_si256(gain, differ), differ));
    // Delay line (DELAYA): the differences move up one lane (lane 7 stays 0), d enters lane 0.
    const __m256i older =
        _mm256_permutevar8x32_epi32(d_, _mm256_setr_epi32(7, 0, 1, 2, 3, 4, 5, 7));
    d_ = _mm256_blend_epi32(older, _mm256_set1_epi32(d), 1);
    // The zero section's part of the prediction (FILTEZ): the older differences' terms in the
    // lanes, then the current one's. Differences stay within +-10228, so doubling them needs no
    // saturation.
    const int32_t older_terms =
        HorizontalSum(_mm256_srai_epi32(_mm256_mullo_epi32(b_, _mm256_slli_epi32(older, 1)), 15));
    return older_terms + ((_mm256_cvtsi256_si32(b_) * (d << 1)) >> 15);
  }

 private:
  __m256i b_;
  __m256i d_;
};

struct Avx2Simd {
  using ZeroSection = Avx2ZeroSection;

  // The lower-band quantizer's interval m (1..30) for the magnitude w at scale factor det
  // (QUANTL): 30 less the number of decision thresholds above w. Unused lanes have threshold 0,
  // never above w.
  G722KIT_ALWAYS_INLINE static int32_t LowerInterval(int32_t w, int32_t det) {
    const auto* levels = reinterpret_cast<const __m256i*>(kScaledDecisionLevel.data());
    const __m256i detv = _mm256_set1_epi16(static_cast<int16_t>(det));
    const __m256i wv = _mm256_set1_epi16(static_cast<int16_t>(w));
    const __m256i above_low = _mm256_cmpgt_epi16(_mm256_mulhi_epu16(levels[0], detv), wv);
    const __m256i above_high = _mm256_cmpgt_epi16(_mm256_mulhi_epu16(levels[1], detv), wv);
    const auto above =
        static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_packs_epi16(above_low, above_high)));
    return 30 - std::popcount(above);
  }

  // The transmit filter over a window of 24 samples, oldest first: the lower and upper
  // sub-band signals.
  G722KIT_ALWAYS_INLINE static void QmfSplit(const int16_t* window, int32_t& xl, int32_t& xh) {
    const __m128i sums = QmfSums(window, kQmfWindowTaps.even, kQmfWindowTaps.odd);
    const int32_t even = _mm_cvtsi128_si32(sums);
    const int32_t odd = _mm_extract_epi32(sums, 1);
    xl = (even + odd) >> 14;
    xh = (odd - even) >> 14;
  }

  // The receive filter over a window of 24 entries, oldest first: two output samples, the odd
  // sum's first, saturated to 16 bits.
  G722KIT_ALWAYS_INLINE static void QmfJoin(const int16_t* window, int16_t* out) {
    const __m128i sums = QmfSums(window, kQmfWindowTaps.odd, kQmfWindowTaps.even);
    _mm_storeu_si32(out, _mm_packs_epi32(_mm_srai_epi32(sums, 11), sums));
  }

 private:
  // The window's sums under two sets of taps, in lanes 0 and 1.
  G722KIT_ALWAYS_INLINE static __m128i QmfSums(const int16_t* window,
                                               const std::array<int16_t, 32>& first_taps,
                                               const std::array<int16_t, 32>& second_taps) {
    const __m256i entries = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(window));
    const __m128i last_entries = _mm_loadu_si128(reinterpret_cast<const __m128i*>(window + 16));
    const auto* first = reinterpret_cast<const __m256i*>(first_taps.data());
    const auto* second = reinterpret_cast<const __m256i*>(second_taps.data());
    const __m128i first4 = FoldedMultiplyAdd(entries, last_entries, first);
    const __m128i second4 = FoldedMultiplyAdd(entries, last_entries, second);
    return _mm_hadd_epi32(_mm_hadd_epi32(first4, second4), _mm_setzero_si128());
  }

  // The products of the window's 24 entries with taps[0..23], summed in pairs and folded into
  // four lanes.
  G722KIT_ALWAYS_INLINE static __m128i FoldedMultiplyAdd(__m256i entries, __m128i last_entries,
                                                         const __m256i* taps) {
    const __m256i products = _mm256_madd_epi16(entries, taps[0]);
    return _mm_add_epi32(
        _mm_add_epi32(_mm256_castsi256_si128(products), _mm256_extracti128_si256(products, 1)),
        _mm_madd_epi16(last_entries, _mm256_castsi256_si128(taps[1])));
  }
};

}  // namespace
}  // namespace g722kit
