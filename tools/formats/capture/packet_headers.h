// The headers of an RTP packet on Ethernet, built as a sender's network stack builds them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "formats/capture/endpoint.h"

namespace g722kit::tool {

struct RtpFields {
  bool marker = false;
  uint8_t payload_type = 0;
  uint16_t sequence = 0;
  uint32_t timestamp = 0;
  uint32_t ssrc = 0;
};

// An Ethernet frame of IPv4 or IPv6 (as the endpoints are) carrying UDP from source to
// destination with an RTP packet of payload; IP and UDP checksums are correct. ip_id: the IPv4
// identification field.
std::vector<uint8_t> RtpFrame(const Endpoint& source, const Endpoint& destination,
                              const RtpFields& rtp, std::span<const uint8_t> payload,
                              uint16_t ip_id);

}  // namespace g722kit::tool
