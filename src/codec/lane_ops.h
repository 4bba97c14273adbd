// The arithmetic of the codec's steps on lane values. The steps are written once for a lane type
// V that holds one signed 32-bit value per stream: int32_t for one stream, or a vector register
// for many side by side (batch_lanes_avx2.h, batch_lanes_avx512.h). A lane type provides
//   V(x), + - * & | ^ ~ and unary -, << n, >> n      32-bit arithmetic; >> is arithmetic
//   Min(a, b), Max(a, b)                              lane by lane
//   Lookup<kTable>(index)                             kTable[index] in each lane
// and everything else here is built from those. A mask is a value that is 0 or -1 in each lane.
//
// Headers of the steps are compiled once per instruction set: everything in them has internal
// linkage, so that no copy built for one set stands in for another at link time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "codec.h"

namespace g722kit {
namespace {

// One stream as a lane. Its comparisons and limits are branches, predicted not taken where they
// seldom trigger; the choices that follow the signal are masks (see src/CMakeLists.txt).
constexpr int32_t Min(int32_t a, int32_t b) {
  return (b < a) ? b : a;
}

constexpr int32_t Max(int32_t a, int32_t b) {
  return (a < b) ? b : a;
}

constexpr int32_t Clamp(int32_t x, int32_t lo, int32_t hi) {
  return (x < lo) ? lo : (x > hi) ? hi : x;
}

template <const auto& kTable>
G722KIT_ALWAYS_INLINE int32_t Lookup(int32_t index) {
  return kTable[index];
}

// -1 where a < b.
constexpr int32_t LessMask(int32_t a, int32_t b) {
  return -int32_t{a < b};
}

// -1 where x is not 0.
constexpr int32_t NonZeroMask(int32_t x) {
  return -int32_t{x != 0};
}

// The same for lanes of any type, their values far enough from the 32-bit limits that a - b and
// -x do not overflow.
template <class V>
G722KIT_ALWAYS_INLINE V Clamp(V x, V lo, V hi) {
  return Min(Max(x, lo), hi);
}

template <class V>
G722KIT_ALWAYS_INLINE V LessMask(V a, V b) {
  return (a - b) >> 31;
}

template <class V>
G722KIT_ALWAYS_INLINE V NonZeroMask(V x) {
  return (x | -x) >> 31;
}

// Clamps to the 16-bit range.
template <class V>
G722KIT_ALWAYS_INLINE V Saturate16(V x) {
  return Clamp(x, V(-32768), V(32767));
}

// x where sign is 0, -x where it is -1.
template <class V>
G722KIT_ALWAYS_INLINE V ApplySign(V x, V sign) {
  return (x ^ sign) - sign;
}

// if_set where mask is -1, if_clear where it is 0.
template <class V>
G722KIT_ALWAYS_INLINE V Select(V mask, V if_set, V if_clear) {
  return if_clear ^ ((if_clear ^ if_set) & mask);
}

// A table's first entries, zero-padded to Size, for lanes that load it whole.
template <std::size_t Size, std::size_t N>
constexpr std::array<int32_t, Size> Padded(const std::array<int32_t, N>& table) {
  std::array<int32_t, Size> padded{};
  for (std::size_t i = 0; i < N && i < Size; i++)
    padded[i] = table[i];
  return padded;
}

// Values of a lane type from memory, and back: for int32_t the value itself, for a vector the
// lanes from p on.
template <class V>
G722KIT_ALWAYS_INLINE V LoadLanes(const int32_t* p) {
  if constexpr (std::is_same_v<V, int32_t>) {
    return *p;
  } else {
    return V::Load(p);
  }
}

template <class V>
G722KIT_ALWAYS_INLINE void StoreLanes(int32_t* p, V v) {
  if constexpr (std::is_same_v<V, int32_t>) {
    *p = v;
  } else {
    v.Store(p);
  }
}

}  // namespace
}  // namespace g722kit
