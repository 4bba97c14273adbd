// Constant tables used only by the G.722 encoder, indexed by the quantizer interval m.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "shared_tables.h"

namespace g722kit {

// Lower-band quantizer decision levels for intervals 1 to 29.
inline constexpr std::array<int32_t, 32> kLowerDecisionLevel = {
    0,   35,  72,  110,  150,  190,  233,  276,  323,  370,  422,  473,  530,  587,  650, 714,
    786, 858, 940, 1023, 1121, 1219, 1339, 1458, 1612, 1765, 1980, 2195, 2557, 2919, 0,   0};

// 6-bit lower-band code of a negative difference in intervals 1 to 30.
inline constexpr std::array<int32_t, 32> kNegativeLowerCode = {
    0,  63, 62, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19,
    18, 17, 16, 15, 14, 13, 12, 11, 10, 9,  8,  7,  6,  5,  4,  0};

// 6-bit lower-band code of a non-negative difference in intervals 1 to 30.
inline constexpr std::array<int32_t, 32> kPositiveLowerCode = {
    0,  61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51, 50, 49, 48, 47,
    46, 45, 44, 43, 42, 41, 40, 39, 38, 37, 36, 35, 34, 33, 32, 0};

// The lower-band quantizer's outcome by interval m and sign of the difference, at index m for a
// non-negative difference and 32 + m for a negative one: the 6-bit code, and the inverse
// quantizer value (QQ4) and log scale factor step (WL) of its upper four bits.
template <class Of>
constexpr std::array<int32_t, 64> LowerOutcomes(Of of) {
  std::array<int32_t, 64> outcomes{};
  for (std::size_t m = 0; m < 32; m++) {
    outcomes[m] = of(kPositiveLowerCode[m]);
    outcomes[32 + m] = of(kNegativeLowerCode[m]);
  }
  return outcomes;
}
inline constexpr auto kLowerOutcomeCode = LowerOutcomes([](int32_t code) { return code; });
inline constexpr auto kLowerOutcomeQuant =
    LowerOutcomes([](int32_t code) { return kLowerQuant4[code >> 2]; });
inline constexpr auto kLowerOutcomeLogStep =
    LowerOutcomes([](int32_t code) { return kLowerScaleStep[code >> 2]; });

// The decision levels times 16 as unsigned 16-bit lanes, 0 outside intervals 1 to 29: the high
// half of their product with det is (level * det) >> 12.
alignas(64) inline constexpr std::array<uint16_t, 32> kScaledDecisionLevel = [] {
  std::array<uint16_t, 32> scaled{};
  for (std::size_t m = 1; m < 30; m++)
    scaled[m] = static_cast<uint16_t>(kLowerDecisionLevel[m] * 16);
  return scaled;
}();

}  // namespace g722kit
