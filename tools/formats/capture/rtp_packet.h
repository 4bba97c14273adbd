// RTP (RFC 3550) packets: the fixed header, CSRC list, header extension and padding.
#pragma once

#include <cstdint>
#include <span>

namespace g722kit::tool {

enum class RtpKind {
  kRtp,     // version 2 with a consistent header and a payload
  kEmpty,   // version 2, but too short for its header or with a payload of 0 bytes
  kRtcp,    // an RTCP packet (its packet type in the payload type's place)
  kNotRtp,  // anything else
};

struct RtpPacket {
  RtpKind kind = RtpKind::kNotRtp;
  bool marker = false;
  uint8_t payload_type = 0;
  uint16_t sequence = 0;
  uint32_t timestamp = 0;
  uint32_t ssrc = 0;                 // also for kEmpty when the fixed header is there
  std::span<const uint8_t> payload;  // without padding
};

RtpPacket ParseRtp(std::span<const uint8_t> bytes);

}  // namespace g722kit::tool
