// The audio of one G.722 RTP stream, decoded as its playout delivers it into a spool: codes,
// concealment for lost packets, silence where the sender sent none, a fresh decoder after a
// restart. Output is 16000 samples per second: one RTP clock tick (8000 Hz) is two samples.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "coding/alignment.h"
#include "coding/packet_decoder.h"
#include "formats/capture/playout.h"
#include "formats/g722_container.h"
#include "io/pcm_spool.h"

namespace g722kit::tool {

class RtpAudio : public PlayoutSink {
 public:
  // conceal: lost packets are concealed; otherwise they are silence. align: --align, the
  // decoder's delay left out.
  RtpAudio(bool conceal, bool align) : conceal_(conceal), trimmer_(ContainerCodec(), align, 1) {}

  void Audio(std::span<const uint8_t> codes) override;
  void Lost(uint32_t ticks) override;
  void Silence(uint32_t ticks) override;
  void Restart(uint32_t ticks) override;

  // The decoded samples.
  PcmSpool& spool() { return spool_; }
  // Seconds concealed (or silent in their place).
  double concealed_seconds() const { return static_cast<double>(concealed_ticks_) / 8000; }

 private:
  // At most this many ticks are concealed in one decoder call.
  static constexpr uint32_t kMaxTicksPerCall = 8000;

  bool conceal_;
  PacketDecoder decoder_;
  DelayTrimmer trimmer_;
  PcmSpool spool_;
  std::vector<int16_t> pcm_;
  uint64_t concealed_ticks_ = 0;
};

}  // namespace g722kit::tool
