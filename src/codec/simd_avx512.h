// The codec's routines with AVX-512 (F, BW, VL): as with AVX2, but the lower-band quantizer
// compares w with all 29 decision thresholds in one register. Compiled only into translation
// units built for AVX-512, chosen at run time.
#pragma once

#include <immintrin.h>

#include <bit>
#include <cstdint>

#include "encoder_tables.h"
#include "simd_avx2.h"

namespace g722kit {
namespace {

struct Avx512Simd {
  using ZeroSection = Avx2ZeroSection;

  // QUANTL's interval m (1..30) for the magnitude w at scale factor det: 30 less the number of
  // decision thresholds above w. Unused lanes have threshold 0, never above w.
  G722KIT_ALWAYS_INLINE static int32_t LowerInterval(int32_t w, int32_t det) {
    const __m512i thresholds = _mm512_mulhi_epu16(_mm512_load_si512(kScaledDecisionLevel.data()),
                                                  _mm512_set1_epi16(static_cast<int16_t>(det)));
    const __mmask32 above =
        _mm512_cmpgt_epi16_mask(thresholds, _mm512_set1_epi16(static_cast<int16_t>(w)));
    return 30 - std::popcount(static_cast<uint32_t>(above));
  }

  G722KIT_ALWAYS_INLINE static void QmfSums(const int16_t* window, int32_t& even, int32_t& odd) {
    Avx2Simd::QmfSums(window, even, odd);
  }
};

}  // namespace
}  // namespace g722kit
