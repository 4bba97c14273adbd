// Constant tables of the G.722 codec shared by the encoder and the decoder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace g722kit {

// Even-numbered taps h(0), h(2), ..., h(22) of the symmetric 24-tap band-split filter;
// the odd tap h(2i+1) equals kQmfTaps[11 - i].
inline constexpr std::array<int32_t, 12> kQmfTaps = {3,    -11,  12,  32,   -210, 951,
                                                     3876, -805, 362, -156, 53,   -11};

// 4-bit lower-band inverse quantizer (QQ4), indexed by the upper four bits of the lower code.
inline constexpr std::array<int32_t, 16> kLowerQuant4 = {0,     -20456, -12896, -8968, -6288, -4240,
                                                         -2584, -1200,  20456,  12896, 8968,  6288,
                                                         4240,  2584,   1200,   0};

// Lower-band log scale factor step (WL), indexed like kLowerQuant4.
inline constexpr std::array<int32_t, 16> kLowerScaleStep = {
    -60, 3042, 1198, 538, 334, 172, 58, -30, 3042, 1198, 538, 334, 172, 58, -30, -60};

// 2-bit upper-band inverse quantizer (QQ2), indexed by the upper-band code.
inline constexpr std::array<int32_t, 4> kUpperQuant2 = {-7408, -1616, 7408, 1616};

// Upper-band log scale factor step (WH), indexed by the upper-band code.
inline constexpr std::array<int32_t, 4> kUpperScaleStep = {798, -214, 798, -214};

// Scale factor mantissas (ILB): 2048 * 2^(i/32), rounded.
inline constexpr std::array<int32_t, 32> kScaleMantissa = {
    2048, 2093, 2139, 2186, 2233, 2282, 2332, 2383, 2435, 2489, 2543, 2599, 2656, 2714, 2774, 2834,
    2896, 2960, 3025, 3091, 3158, 3228, 3298, 3371, 3444, 3520, 3597, 3676, 3756, 3838, 3922, 4008};

// The linear scale factor of every log scale factor nb from 0 to largest_nb, indexed by nb >> 6
// (the low six bits never matter): 4 * (ILB[k] >> e), or 4 * (ILB[k] << -e) when e is
// negative, with k = (nb >> 6) & 31 and e = exponent_bias - (nb >> 11).
template <int32_t kLargestNb, int32_t kExponentBias>
constexpr std::array<int32_t, kLargestNb / 64 + 1> ScaleFactorTable() {
  std::array<int32_t, kLargestNb / 64 + 1> table{};
  for (int32_t i = 0; i <= kLargestNb / 64; i++) {
    const int32_t mantissa = kScaleMantissa[i & 31];
    const int32_t exponent = kExponentBias - (i >> 5);
    table[i] = 4 * ((exponent >= 0) ? (mantissa >> exponent) : (mantissa << -exponent));
  }
  return table;
}

// Lower-band linear scale factor (DETL) by nb >> 6, for nb 0 to 18432.
inline constexpr auto kLowerScaleFactor = ScaleFactorTable<18432, 8>();

// Upper-band linear scale factor (DETH) by nb >> 6, for nb 0 to 22528.
inline constexpr auto kUpperScaleFactor = ScaleFactorTable<22528, 10>();

// The band-split filter's taps over a window of 24 history entries, oldest first, split into
// the even-numbered entries' taps (entry 2k: kQmfTaps[k]) and the odd-numbered entries' taps
// (entry 2k + 1: kQmfTaps[11 - k]), zero elsewhere; 16-bit, for multiply-add instructions.
struct QmfWindowTaps {
  alignas(64) std::array<int16_t, 32> even;
  alignas(64) std::array<int16_t, 32> odd;
};
inline constexpr QmfWindowTaps kQmfWindowTaps = [] {
  QmfWindowTaps taps{};
  for (std::size_t k = 0; k < 12; k++) {
    taps.even[2 * k] = static_cast<int16_t>(kQmfTaps[k]);
    taps.odd[2 * k + 1] = static_cast<int16_t>(kQmfTaps[11 - k]);
  }
  return taps;
}();

}  // namespace g722kit
