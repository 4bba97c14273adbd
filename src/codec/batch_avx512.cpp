// The batch kernels with AVX-512 (F, BW, VL): sixteen lanes per register. Compiled with those
// extensions enabled and run only on processors that have them.
// GCC 12.2 warns that its own AVX-512 intrinsics use an undefined register (GCC bug 105593).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#else
#include <immintrin.h>
#endif

#include "batch_kernel.h"

namespace g722kit::batch {
namespace {

struct Lane {
  static constexpr int kWidth = 16;
  __m512i v;

  Lane() = default;
  explicit Lane(__m512i x) : v(x) {}
  explicit Lane(int32_t x) : v(_mm512_set1_epi32(x)) {}
  static Lane Load(const int32_t* p) { return Lane(_mm512_load_si512(p)); }
  void Store(int32_t* p) const { _mm512_store_si512(p, v); }
};

// One bit per lane.
struct Mask {
  __mmask16 bits;
};

Lane operator+(Lane a, Lane b) {
  return Lane(_mm512_add_epi32(a.v, b.v));
}
Lane operator-(Lane a, Lane b) {
  return Lane(_mm512_sub_epi32(a.v, b.v));
}
Lane operator-(Lane a) {
  return Lane(_mm512_sub_epi32(_mm512_setzero_si512(), a.v));
}
Lane operator*(Lane a, Lane b) {
  return Lane(_mm512_mullo_epi32(a.v, b.v));
}
Lane operator&(Lane a, Lane b) {
  return Lane(_mm512_and_si512(a.v, b.v));
}
Lane operator^(Lane a, Lane b) {
  return Lane(_mm512_xor_si512(a.v, b.v));
}
Lane operator<<(Lane a, int n) {
  return Lane(_mm512_slli_epi32(a.v, n));
}
Lane operator>>(Lane a, int n) {
  return Lane(_mm512_srai_epi32(a.v, n));
}
Lane ShiftRight(Lane a, Lane n) {
  return Lane(_mm512_srav_epi32(a.v, n.v));
}
Lane Min(Lane a, Lane b) {
  return Lane(_mm512_min_epi32(a.v, b.v));
}
Lane Max(Lane a, Lane b) {
  return Lane(_mm512_max_epi32(a.v, b.v));
}
Mask operator<(Lane a, Lane b) {
  return {_mm512_cmplt_epi32_mask(a.v, b.v)};
}
Mask operator>(Lane a, Lane b) {
  return {_mm512_cmpgt_epi32_mask(a.v, b.v)};
}
Mask operator==(Lane a, Lane b) {
  return {_mm512_cmpeq_epi32_mask(a.v, b.v)};
}
Lane Select(Mask mask, Lane a, Lane b) {
  return Lane(_mm512_mask_blend_epi32(mask.bits, b.v, a.v));
}
Lane CountIf(Lane count, Mask mask) {
  return Lane(_mm512_mask_add_epi32(count.v, mask.bits, count.v, _mm512_set1_epi32(1)));
}

// Every table is picked from registers: one for up to 16 entries, two for 32, four for 64.
template <size_t Size>
Lane Lookup(const Table<Size>& table, Lane index) {
  const int32_t* entries = table.entry;
  if constexpr (Size == 8) {
    const __m512i all =
        _mm512_broadcast_i64x4(_mm256_load_si256(reinterpret_cast<const __m256i*>(entries)));
    return Lane(_mm512_permutexvar_epi32(index.v, all));
  } else if constexpr (Size == 16) {
    return Lane(_mm512_permutexvar_epi32(index.v, _mm512_load_si512(entries)));
  } else if constexpr (Size == 32) {
    return Lane(_mm512_permutex2var_epi32(_mm512_load_si512(entries), index.v,
                                          _mm512_load_si512(entries + 16)));
  } else {
    static_assert(Size == 64);
    const __m512i low = _mm512_permutex2var_epi32(_mm512_load_si512(entries), index.v,
                                                  _mm512_load_si512(entries + 16));
    const __m512i high = _mm512_permutex2var_epi32(_mm512_load_si512(entries + 32), index.v,
                                                   _mm512_load_si512(entries + 48));
    const __mmask16 upper_half = _mm512_test_epi32_mask(index.v, _mm512_set1_epi32(32));
    return Lane(_mm512_mask_blend_epi32(upper_half, low, high));
  }
}

}  // namespace

constinit const LaneKernels kAvx512Kernels = MakeLaneKernels<Lane>();

}  // namespace g722kit::batch
