#include "coding/rtp_audio.h"

#include <algorithm>

namespace g722kit::tool {

void RtpAudio::Audio(std::span<const uint8_t> codes) {
  decoder_.Decode(codes, pcm_);
  trimmer_.Trim(pcm_);
  spool_.Write(pcm_);
}

void RtpAudio::Lost(uint32_t ticks) {
  concealed_ticks_ += ticks;
  if (!conceal_) return Silence(ticks);
  for (uint32_t left = ticks; left > 0;) {
    const uint32_t piece = std::min(left, kMaxTicksPerCall);
    decoder_.Conceal(piece, pcm_);
    trimmer_.Trim(pcm_);
    spool_.Write(pcm_);
    left -= piece;
  }
}

void RtpAudio::Silence(uint32_t ticks) {
  spool_.WriteSilence(uint64_t{ticks} * 2);
}

void RtpAudio::Restart(uint32_t ticks) {
  Silence(ticks);
  decoder_.Reset();
}

}  // namespace g722kit::tool
