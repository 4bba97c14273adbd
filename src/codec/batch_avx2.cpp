// The batch kernels with AVX2: eight lanes per register. Compiled with -mavx2 and run only on
// processors that have it.
#include <immintrin.h>

#include "batch_kernel.h"

namespace g722kit::batch {
namespace {

struct Lane {
  static constexpr int kWidth = 8;
  __m256i v;

  Lane() = default;
  explicit Lane(__m256i x) : v(x) {}
  explicit Lane(int32_t x) : v(_mm256_set1_epi32(x)) {}
  static Lane Load(const int32_t* p) {
    return Lane(_mm256_load_si256(reinterpret_cast<const __m256i*>(p)));
  }
  void Store(int32_t* p) const { _mm256_store_si256(reinterpret_cast<__m256i*>(p), v); }
};

// All ones in a lane where the mask holds.
struct Mask {
  __m256i v;
};

Lane operator+(Lane a, Lane b) {
  return Lane(_mm256_add_epi32(a.v, b.v));
}
Lane operator-(Lane a, Lane b) {
  return Lane(_mm256_sub_epi32(a.v, b.v));
}
Lane operator-(Lane a) {
  return Lane(_mm256_sub_epi32(_mm256_setzero_si256(), a.v));
}
Lane operator*(Lane a, Lane b) {
  return Lane(_mm256_mullo_epi32(a.v, b.v));
}
Lane operator&(Lane a, Lane b) {
  return Lane(_mm256_and_si256(a.v, b.v));
}
Lane operator^(Lane a, Lane b) {
  return Lane(_mm256_xor_si256(a.v, b.v));
}
Lane operator<<(Lane a, int n) {
  return Lane(_mm256_slli_epi32(a.v, n));
}
Lane operator>>(Lane a, int n) {
  return Lane(_mm256_srai_epi32(a.v, n));
}
Lane ShiftRight(Lane a, Lane n) {
  return Lane(_mm256_srav_epi32(a.v, n.v));
}
Lane Min(Lane a, Lane b) {
  return Lane(_mm256_min_epi32(a.v, b.v));
}
Lane Max(Lane a, Lane b) {
  return Lane(_mm256_max_epi32(a.v, b.v));
}
Mask operator<(Lane a, Lane b) {
  return {_mm256_cmpgt_epi32(b.v, a.v)};
}
Mask operator>(Lane a, Lane b) {
  return {_mm256_cmpgt_epi32(a.v, b.v)};
}
Mask operator==(Lane a, Lane b) {
  return {_mm256_cmpeq_epi32(a.v, b.v)};
}
Lane Select(Mask mask, Lane a, Lane b) {
  return Lane(_mm256_blendv_epi8(b.v, a.v, mask.v));
}
Lane CountIf(Lane count, Mask mask) {
  return Lane(_mm256_sub_epi32(count.v, mask.v));  // a mask lane is -1
}

Lane LoadEntries(const int32_t* entries) {
  return Lane(_mm256_load_si256(reinterpret_cast<const __m256i*>(entries)));
}

// Tables of up to 16 entries are picked from registers; longer ones are gathered.
template <size_t Size>
Lane Lookup(const Table<Size>& table, Lane index) {
  if constexpr (Size == 8) {
    return Lane(_mm256_permutevar8x32_epi32(LoadEntries(table.entry).v, index.v));
  } else if constexpr (Size == 16) {
    const Lane low(_mm256_permutevar8x32_epi32(LoadEntries(table.entry).v, index.v));
    const Lane high(_mm256_permutevar8x32_epi32(LoadEntries(table.entry + 8).v, index.v));
    return Select(index > Lane(7), high, low);
  } else {
    return Lane(_mm256_i32gather_epi32(table.entry, index.v, 4));
  }
}

}  // namespace

constinit const LaneKernels kAvx2Kernels = MakeLaneKernels<Lane>();

}  // namespace g722kit::batch
