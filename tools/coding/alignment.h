// --align: a round trip that lines up with its input. The two-band codec delays the signal by
// 22 samples (its band-split and band-merge filters), so a decoded file starts 22 samples late
// and lacks the last 22. Encoding with --align codes 22 samples of silence after the input, so
// that the last input samples come out of the decoder; decoding with --align drops the first
// 22 samples. The 8 kHz mode has no filters and no delay: there --align changes nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "coding/codec_settings.h"

namespace g722kit::tool {

constexpr int kTwoBandDelaySamples = 22;

// The silence to encode after the input.
std::vector<int16_t> AlignmentTail(const CodecSettings& codec, bool align);

// Drops the delay from the start of a decoded stream, given in pieces (interleaved when there
// are several channels).
class DelayTrimmer {
 public:
  DelayTrimmer(const CodecSettings& codec, bool align, int channels);
  // Removes from pcm what is still to be dropped.
  void Trim(std::vector<int16_t>& pcm);

 private:
  size_t remaining_;
};

}  // namespace g722kit::tool
