// One stream as lanes with AVX2, for the single-stream loops: the zero section's six taps side by
// side in one register, the lower-band quantizer's 29 decision thresholds at once, the band-split
// filter by multiply-adds. Written with SIMD Everywhere: native in the unit built for AVX2, and
// emulated in the tests' build of that unit for processors without it.
#pragma once

#include <simde/x86/avx2.h>

#include <array>
#include <bit>
#include <cstdint>

#include "codec.h"
#include "encoder_tables.h"
#include "g722kit/g722.h"
#include "lane_ops.h"
#include "qmf.h"
#include "shared_tables.h"
#include "sub_band.h"

namespace g722kit {
namespace {

// The sum of the eight 32-bit lanes.
G722KIT_ALWAYS_INLINE int32_t HorizontalSum(simde__m256i v) {
  simde__m128i x =
      simde_mm_add_epi32(simde_mm256_castsi256_si128(v), simde_mm256_extracti128_si256(v, 1));
  x = simde_mm_add_epi32(x, simde_mm_unpackhi_epi64(x, x));
  x = simde_mm_add_epi32(x, simde_mm_shuffle_epi32(x, 1));
  return simde_mm_cvtsi128_si32(x);
}

// The six-tap zero predictor in lanes 0 to 5: coefficients b[1..6] and differences d[1..6];
// lane 6 of the differences holds the one the last shift dropped, whose sign the record keeps.
// Lanes 6 and 7 of the coefficients and lane 7 of the differences stay 0.
class Avx2ZeroSection {
 public:
  template <class T>
  Avx2ZeroSection(const BandState<T>& state, int /*lane*/)
      : b_(simde_mm256_setr_epi32(state.b[0], state.b[1], state.b[2], state.b[3], state.b[4],
                                  state.b[5], 0, 0)),
        d_(simde_mm256_setr_epi32(state.d[0], state.d[1], state.d[2], state.d[3], state.d[4],
                                  state.d[5], state.d[6], 0)) {}

  template <class T>
  void Save(BandState<T>& state, int /*lane*/) const {
    alignas(32) int32_t b[8];
    alignas(32) int32_t d[8];
    simde_mm256_store_si256(reinterpret_cast<simde__m256i*>(b), b_);
    simde_mm256_store_si256(reinterpret_cast<simde__m256i*>(d), d_);
    for (int i = 0; i < 6; i++)
      state.b[i] = b[i];
    for (int i = 0; i < 7; i++)
      state.d[i] = d[i];
  }

  // like_d has the sign of d and is 0 exactly when d is, and may be known sooner: the new
  // coefficients and the terms of the older differences depend on d only through it.
  G722KIT_ALWAYS_INLINE int32_t Adapt(int32_t d, int32_t like_d) {
    const simde__m256i like = simde_mm256_set1_epi32(like_d);
    // Zero coefficient update (UPZERO): each coefficient leaks and steps by 128 toward agreement of
    // its difference's sign with d's (no step when d is 0). The leaked value lies within
    // -32640..32639, so the step needs no saturation.
    const simde__m256i leaked =
        simde_mm256_srai_epi32(simde_mm256_mullo_epi32(b_, simde_mm256_set1_epi32(32640)), 15);
    const simde__m256i gain =
        simde_mm256_andnot_si256(simde_mm256_cmpeq_epi32(like, simde_mm256_setzero_si256()),
                                 simde_mm256_setr_epi32(128, 128, 128, 128, 128, 128, 0, 0));
    const simde__m256i differ =
        simde_mm256_srai_epi32(simde_mm256_xor_si256(d_, like), 31);  // -1: signs differ
    b_ = simde_mm256_add_epi32(leaked,
                               simde_mm256_sub_epi32(simde_mm256_xor_si256(gain, differ), differ));
    // Delay line (DELAYA): the differences move up one lane (lane 7 stays 0), d enters lane 0.
    const simde__m256i older =
        simde_mm256_permutevar8x32_epi32(d_, simde_mm256_setr_epi32(7, 0, 1, 2, 3, 4, 5, 7));
    d_ = simde_mm256_blend_epi32(older, simde_mm256_set1_epi32(d), 1);
    // The zero section's part of the prediction (FILTEZ): the older differences' terms in the
    // lanes, then the current one's. Differences stay within +-10228, so doubling them needs no
    // saturation.
    const int32_t older_terms = HorizontalSum(
        simde_mm256_srai_epi32(simde_mm256_mullo_epi32(b_, simde_mm256_slli_epi32(older, 1)), 15));
    return older_terms + ((simde_mm256_cvtsi256_si32(b_) * (d << 1)) >> 15);
  }

 private:
  simde__m256i b_;
  simde__m256i d_;
};

struct Avx2Simd {
  using V = int32_t;
  using ZeroSection = Avx2ZeroSection;
  static constexpr int kWidth = 1;
  // The lower band's adaptation starts on the sign of its difference before the difference.
  static constexpr bool kSignAhead = true;

  // The lower-band quantizer's interval m (1..30) for the magnitude w at scale factor det
  // (QUANTL): 30 less the number of decision thresholds above w. Unused lanes have threshold 0,
  // never above w.
  G722KIT_ALWAYS_INLINE static int32_t LowerInterval(int32_t w, int32_t det) {
    const auto* levels = reinterpret_cast<const simde__m256i*>(kScaledDecisionLevel.data());
    const simde__m256i detv = simde_mm256_set1_epi16(static_cast<int16_t>(det));
    const simde__m256i wv = simde_mm256_set1_epi16(static_cast<int16_t>(w));
    const simde__m256i above_low =
        simde_mm256_cmpgt_epi16(simde_mm256_mulhi_epu16(levels[0], detv), wv);
    const simde__m256i above_high =
        simde_mm256_cmpgt_epi16(simde_mm256_mulhi_epu16(levels[1], detv), wv);
    const auto above = static_cast<uint32_t>(
        simde_mm256_movemask_epi8(simde_mm256_packs_epi16(above_low, above_high)));
    return 30 - std::popcount(above);
  }

  // The transmit filter over a window of 24 samples, oldest first: the lower and upper
  // sub-band signals.
  G722KIT_ALWAYS_INLINE static void QmfSplit(const int16_t* window, int32_t& xl, int32_t& xh) {
    const simde__m128i sums = QmfSums(window, kQmfWindowTaps.even, kQmfWindowTaps.odd);
    const int32_t even = simde_mm_cvtsi128_si32(sums);
    const int32_t odd = simde_mm_extract_epi32(sums, 1);
    SplitBands(even, odd, xl, xh);
  }

  // The receive filter over a window of 24 entries, oldest first: two output samples, the odd
  // sum's first, saturated to 16 bits.
  G722KIT_ALWAYS_INLINE static void QmfJoin(const int16_t* window, int16_t* out) {
    const simde__m128i sums = QmfSums(window, kQmfWindowTaps.odd, kQmfWindowTaps.even);
    simde_mm_storeu_si32(out, simde_mm_packs_epi32(simde_mm_srai_epi32(sums, 11), sums));
  }

 private:
  // The window's sums under two sets of taps, in lanes 0 and 1.
  G722KIT_ALWAYS_INLINE static simde__m128i QmfSums(const int16_t* window,
                                                    const std::array<int16_t, 32>& first_taps,
                                                    const std::array<int16_t, 32>& second_taps) {
    const simde__m256i entries =
        simde_mm256_loadu_si256(reinterpret_cast<const simde__m256i*>(window));
    const simde__m128i last_entries =
        simde_mm_loadu_si128(reinterpret_cast<const simde__m128i*>(window + 16));
    const auto* first = reinterpret_cast<const simde__m256i*>(first_taps.data());
    const auto* second = reinterpret_cast<const simde__m256i*>(second_taps.data());
    const simde__m128i first4 = FoldedMultiplyAdd(entries, last_entries, first);
    const simde__m128i second4 = FoldedMultiplyAdd(entries, last_entries, second);
    return simde_mm_hadd_epi32(simde_mm_hadd_epi32(first4, second4), simde_mm_setzero_si128());
  }

  // The products of the window's 24 entries with taps[0..23], summed in pairs and folded into
  // four lanes.
  G722KIT_ALWAYS_INLINE static simde__m128i FoldedMultiplyAdd(simde__m256i entries,
                                                              simde__m128i last_entries,
                                                              const simde__m256i* taps) {
    const simde__m256i products = simde_mm256_madd_epi16(entries, taps[0]);
    return simde_mm_add_epi32(
        simde_mm_add_epi32(simde_mm256_castsi256_si128(products),
                           simde_mm256_extracti128_si256(products, 1)),
        simde_mm_madd_epi16(last_entries, simde_mm256_castsi256_si128(taps[1])));
  }
};

}  // namespace
}  // namespace g722kit
