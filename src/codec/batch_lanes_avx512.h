// Sixteen streams as lanes of an AVX-512 register (F, BW, VL), for the batch's kernels. Written
// with SIMD Everywhere: native in the unit built for AVX-512, emulated in the tests' build of
// that unit for processors without it. The few operations that this SIMD Everywhere lacks go lane
// by lane when emulated.
#pragma once

// GCC 12.2 warns that its own AVX-512 intrinsics use an undefined register (GCC bug 105593).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <simde/x86/avx512.h>
#pragma GCC diagnostic pop
#else
#include <simde/x86/avx512.h>
#endif

#include <array>
#include <cstddef>
#include <cstdint>

#include "encode_steps.h"
#include "lane_ops.h"
#include "sub_band.h"

namespace g722kit {
namespace {

struct Avx512Lane {
  simde__m512i v;

  Avx512Lane() = default;
  explicit Avx512Lane(simde__m512i x) : v(x) {}
  explicit Avx512Lane(int32_t x) : v(simde_mm512_set1_epi32(x)) {}
  static Avx512Lane Load(const int32_t* p) { return Avx512Lane(simde_mm512_load_si512(p)); }
  void Store(int32_t* p) const { simde_mm512_store_si512(p, v); }
};

// Each lane of a as f gives it, for the operations emulated lane by lane.
template <class F>
Avx512Lane EachLane(Avx512Lane a, F&& f) {
  alignas(64) int32_t lanes[16];
  a.Store(lanes);
  for (int32_t& lane : lanes)
    lane = f(lane);
  return Avx512Lane::Load(lanes);
}

Avx512Lane operator+(Avx512Lane a, Avx512Lane b) {
  return Avx512Lane(simde_mm512_add_epi32(a.v, b.v));
}
Avx512Lane operator-(Avx512Lane a, Avx512Lane b) {
  return Avx512Lane(simde_mm512_sub_epi32(a.v, b.v));
}
Avx512Lane operator-(Avx512Lane a) {
  return Avx512Lane(simde_mm512_sub_epi32(simde_mm512_setzero_si512(), a.v));
}
Avx512Lane operator*(Avx512Lane a, Avx512Lane b) {
  return Avx512Lane(simde_mm512_mullo_epi32(a.v, b.v));
}
Avx512Lane operator&(Avx512Lane a, Avx512Lane b) {
  return Avx512Lane(simde_mm512_and_si512(a.v, b.v));
}
Avx512Lane operator|(Avx512Lane a, Avx512Lane b) {
  return Avx512Lane(simde_mm512_or_si512(a.v, b.v));
}
Avx512Lane operator^(Avx512Lane a, Avx512Lane b) {
  return Avx512Lane(simde_mm512_xor_si512(a.v, b.v));
}
Avx512Lane operator~(Avx512Lane a) {
  return a ^ Avx512Lane(-1);
}
Avx512Lane operator<<(Avx512Lane a, int n) {
  return Avx512Lane(simde_mm512_slli_epi32(a.v, static_cast<unsigned>(n)));
}
Avx512Lane operator>>(Avx512Lane a, int n) {
#if defined(SIMDE_X86_AVX512F_NATIVE)
  return Avx512Lane(_mm512_srai_epi32(a.v, static_cast<unsigned>(n)));
#else
  return EachLane(a, [n](int32_t lane) { return lane >> n; });
#endif
}
Avx512Lane Min(Avx512Lane a, Avx512Lane b) {
  return Avx512Lane(simde_mm512_min_epi32(a.v, b.v));
}
Avx512Lane Max(Avx512Lane a, Avx512Lane b) {
  return Avx512Lane(simde_mm512_max_epi32(a.v, b.v));
}
Avx512Lane CountIfGreater(Avx512Lane count, Avx512Lane a, Avx512Lane b) {
  return Avx512Lane(simde_mm512_mask_add_epi32(count.v, simde_mm512_cmpgt_epi32_mask(a.v, b.v),
                                               count.v, simde_mm512_set1_epi32(1)));
}

// Tables of up to 64 entries are picked from registers: one for 16 entries, two for 32, four for
// 64; longer ones are gathered.
template <const auto& kTable>
Avx512Lane Lookup(Avx512Lane index) {
  constexpr std::size_t kSize = std::tuple_size_v<std::remove_cvref_t<decltype(kTable)>>;
  if constexpr (kSize <= 64) {
    constexpr std::size_t kPadded = kSize <= 16 ? 16 : kSize <= 32 ? 32 : 64;
    alignas(64) static constexpr std::array<int32_t, kPadded> kEntries = Padded<kPadded>(kTable);
    const int32_t* entries = kEntries.data();
    if constexpr (kPadded == 16) {
      return Avx512Lane(simde_mm512_permutexvar_epi32(index.v, simde_mm512_load_si512(entries)));
    } else {
      const simde__m512i low = simde_mm512_permutex2var_epi32(
          simde_mm512_load_si512(entries), index.v, simde_mm512_load_si512(entries + 16));
      if constexpr (kPadded == 32) return Avx512Lane(low);
      const simde__m512i high = simde_mm512_permutex2var_epi32(
          simde_mm512_load_si512(entries + 32), index.v, simde_mm512_load_si512(entries + 48));
      const simde__mmask16 upper_half =
          simde_mm512_test_epi32_mask(index.v, simde_mm512_set1_epi32(32));
      return Avx512Lane(simde_mm512_mask_blend_epi32(upper_half, low, high));
    }
  } else {
#if defined(SIMDE_X86_AVX512F_NATIVE)
    return Avx512Lane(_mm512_i32gather_epi32(index.v, kTable.data(), 4));
#else
    return EachLane(index, [](int32_t lane) { return kTable[lane]; });
#endif
  }
}

struct Avx512Lanes {
  using V = Avx512Lane;
  using ZeroSection = g722kit::ZeroSection<V>;
  static constexpr int kWidth = 16;
  static constexpr bool kSignAhead = false;

  G722KIT_ALWAYS_INLINE static V LowerInterval(V w, V det) { return CountedLowerInterval(w, det); }
};

}  // namespace
}  // namespace g722kit
