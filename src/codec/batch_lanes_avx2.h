// Eight streams as lanes of an AVX2 register, for the batch's kernels. Written with SIMD
// Everywhere: native in the unit built for AVX2, emulated in the tests' build of that unit for
// processors without it.
#pragma once

#include <simde/x86/avx2.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "encode_steps.h"
#include "lane_ops.h"
#include "sub_band.h"

namespace g722kit {
namespace {

struct Avx2Lane {
  simde__m256i v;

  Avx2Lane() = default;
  explicit Avx2Lane(simde__m256i x) : v(x) {}
  explicit Avx2Lane(int32_t x) : v(simde_mm256_set1_epi32(x)) {}
  static Avx2Lane Load(const int32_t* p) {
    return Avx2Lane(simde_mm256_load_si256(reinterpret_cast<const simde__m256i*>(p)));
  }
  void Store(int32_t* p) const { simde_mm256_store_si256(reinterpret_cast<simde__m256i*>(p), v); }
};

Avx2Lane operator+(Avx2Lane a, Avx2Lane b) {
  return Avx2Lane(simde_mm256_add_epi32(a.v, b.v));
}
Avx2Lane operator-(Avx2Lane a, Avx2Lane b) {
  return Avx2Lane(simde_mm256_sub_epi32(a.v, b.v));
}
Avx2Lane operator-(Avx2Lane a) {
  return Avx2Lane(simde_mm256_sub_epi32(simde_mm256_setzero_si256(), a.v));
}
Avx2Lane operator*(Avx2Lane a, Avx2Lane b) {
  return Avx2Lane(simde_mm256_mullo_epi32(a.v, b.v));
}
Avx2Lane operator&(Avx2Lane a, Avx2Lane b) {
  return Avx2Lane(simde_mm256_and_si256(a.v, b.v));
}
Avx2Lane operator|(Avx2Lane a, Avx2Lane b) {
  return Avx2Lane(simde_mm256_or_si256(a.v, b.v));
}
Avx2Lane operator^(Avx2Lane a, Avx2Lane b) {
  return Avx2Lane(simde_mm256_xor_si256(a.v, b.v));
}
Avx2Lane operator~(Avx2Lane a) {
  return a ^ Avx2Lane(-1);
}
Avx2Lane operator<<(Avx2Lane a, int n) {
  return Avx2Lane(simde_mm256_slli_epi32(a.v, n));
}
Avx2Lane operator>>(Avx2Lane a, int n) {
  return Avx2Lane(simde_mm256_srai_epi32(a.v, n));
}
Avx2Lane Min(Avx2Lane a, Avx2Lane b) {
  return Avx2Lane(simde_mm256_min_epi32(a.v, b.v));
}
Avx2Lane Max(Avx2Lane a, Avx2Lane b) {
  return Avx2Lane(simde_mm256_max_epi32(a.v, b.v));
}
Avx2Lane CountIfGreater(Avx2Lane count, Avx2Lane a, Avx2Lane b) {
  return count - Avx2Lane(simde_mm256_cmpgt_epi32(a.v, b.v));  // a true lane is -1
}

// Tables of up to 16 entries are picked from registers; longer ones are gathered.
template <const auto& kTable>
Avx2Lane Lookup(Avx2Lane index) {
  constexpr std::size_t kSize = std::tuple_size_v<std::remove_cvref_t<decltype(kTable)>>;
  if constexpr (kSize <= 16) {
    alignas(32) static constexpr std::array<int32_t, 16> kEntries = Padded<16>(kTable);
    const auto* entries = reinterpret_cast<const simde__m256i*>(kEntries.data());
    const Avx2Lane low(simde_mm256_permutevar8x32_epi32(simde_mm256_load_si256(entries), index.v));
    if constexpr (kSize <= 8) return low;
    const Avx2Lane high(
        simde_mm256_permutevar8x32_epi32(simde_mm256_load_si256(entries + 1), index.v));
    return Avx2Lane(
        simde_mm256_blendv_epi8(low.v, high.v, simde_mm256_cmpgt_epi32(index.v, Avx2Lane(7).v)));
  } else {
    return Avx2Lane(simde_mm256_i32gather_epi32(kTable.data(), index.v, 4));
  }
}

struct Avx2Lanes {
  using V = Avx2Lane;
  using ZeroSection = g722kit::ZeroSection<V>;
  static constexpr int kWidth = 8;
  static constexpr bool kSignAhead = false;

  G722KIT_ALWAYS_INLINE static V LowerInterval(V w, V det) { return CountedLowerInterval(w, det); }
};

}  // namespace
}  // namespace g722kit
