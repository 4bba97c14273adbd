// The pitch period at the end of a stream's recent output, for concealment.
#pragma once

#include <cstdint>

namespace g722kit {

// Periods are searched from 2.5 ms to 16 ms (400 Hz down to 62.5 Hz), by matching the last
// 10 ms against the stretch each candidate period earlier; counted here in codes, 8000 per
// second, and in samples at the output rate times samples per code.
inline constexpr int32_t kShortestPeriodCodes = 20;
inline constexpr int32_t kLongestPeriodCodes = 128;
inline constexpr int32_t kMatchWindowCodes = 80;

struct Periodicity {
  int32_t period;  // in samples at the output rate
  bool voiced;     // whether the match is close enough for the signal to be called periodic
};

// recent holds count samples, the newest last, with count at least
// (kLongestPeriodCodes + kMatchWindowCodes + 1) * samples_per_code.
Periodicity FindPeriod(const int16_t* recent, int32_t count, int32_t samples_per_code);

}  // namespace g722kit
