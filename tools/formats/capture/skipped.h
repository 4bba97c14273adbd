// What a capture holds besides the G.722 audio the tool decodes, counted by kind.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace g722kit::tool {

enum class Skipped {
  kRtcp,
  kDtmf,             // telephone events
  kComfortNoise,     // comfort noise payloads
  kOtherCodec,       // RTP of a payload type that is not G.722
  kNotRtp,           // UDP that is not RTP (SIP, DNS, ...)
  kUndecodable,      // damaged or cut short (by the snap length), or an empty RTP payload
  kNotUdp,           // TCP, ICMP, ARP, ...
  kExpiredFragment,  // fragments whose datagram never completed in time or grew too large
  kCount
};

class SkippedCounts {
 public:
  void Add(Skipped kind, uint64_t count = 1) { counts_[static_cast<size_t>(kind)] += count; }
  uint64_t Of(Skipped kind) const { return counts_[static_cast<size_t>(kind)]; }
  // "12 RTCP, 3 DTMF events, 1 not UDP", or "nothing".
  std::string Text() const;

 private:
  std::array<uint64_t, static_cast<size_t>(Skipped::kCount)> counts_{};
};

}  // namespace g722kit::tool
