// Constant tables of the G.722 codec shared by the encoder and the decoder.
#pragma once

#include <array>
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

}  // namespace g722kit
