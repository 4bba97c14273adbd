// The waveform that fills a loss: the end of the recent output repeated period by period,
// joined to the last real sample and fading to silence; in two-band mode its upper band is
// softened.
#pragma once

#include <cstdint>

#include "pitch_period.h"

namespace g722kit {

class ConcealSignal {
 public:
  // The longest stretch that is repeated, in codes: whole periods of at least kShortestCycleCodes,
  // the shortest of which is below it.
  static constexpr int32_t kShortestCycleCodes = 40;
  static constexpr int32_t kLongestCycleCodes = kShortestCycleCodes + kLongestPeriodCodes;

  // Prepares the waveform that follows recent (count samples, the newest last, count at least
  // (kLongestPeriodCodes + kMatchWindowCodes + 1) * samples_per_code and kLongestCycleCodes *
  // samples_per_code * 5 / 4 + 1). Its level starts `faded` samples into its fade: a loss that
  // follows another before the decoder has rejoined the stream goes on fading where the other
  // left off.
  void Start(const int16_t* recent, int32_t count, int32_t samples_per_code, bool two_band,
             int32_t faded);

  // Writes samples first .. first + count - 1 of the waveform, 0 being the one after the last
  // real sample. first may be -2 or -1: the last two real samples.
  void Render(int32_t first, int32_t count, int16_t* out) const;

 private:
  int32_t JoinOffset(int32_t k) const;
  int32_t Base(int32_t k) const;

  int16_t cycle_[2 * kLongestCycleCodes];  // the stretch repeated, its end blended into its start
  int32_t length_;                         // samples in cycle_
  int32_t offset_;                         // last real sample minus the sample before the stretch
  int32_t join_samples_;                   // how long the offset takes to vanish, a power of two
  int32_t join_shift_;
  int16_t last_[2];  // the last two real samples
  bool two_band_;
  int32_t faded_;   // samples into the fade at sample 0
  int32_t silent_;  // samples from the start of the fade to silence
};

}  // namespace g722kit
