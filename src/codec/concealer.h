// Concealment of lost codes for one decoded stream: what it keeps between calls, and the two
// things a call does with it. The decoder's record is passed in, so that a single-stream decoder
// and each stream of a batch share this code.
#pragma once

#include <cstdint>

#include "conceal_signal.h"
#include "g722kit/g722.h"
#include "recent_output.h"

namespace g722kit {

class Concealer {
 public:
  // A new stream: silence before it, nothing lost.
  void Reset();

  // After real codes were decoded into pcm (count samples): the first samples after a loss are
  // cross-faded from the concealment into them, then all are kept as recent output.
  void Received(const G722State& decoder, int16_t* pcm, int32_t count);

  // Writes to pcm_out the samples that `codes` lost codes would have decoded to, and takes the
  // decoder's record along with them; returns the samples written.
  int32_t Conceal(G722State& decoder, int16_t* pcm_out, int32_t codes);

 private:
  enum class Phase { kDecoding, kConcealing, kRejoining };

  void Begin(const G722State& decoder);

  RecentOutput recent_;
  ConcealSignal signal_;
  Phase phase_;
  int32_t position_;  // samples of the waveform used since it started
  int32_t faded_;     // samples into its fade at which the waveform started
  int32_t rejoined_;  // samples of the cross-fade into decoded output done
};

}  // namespace g722kit
