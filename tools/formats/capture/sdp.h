// Session descriptions (SDP, RFC 8866) in SIP messages: which payload type carries which codec
// at the address and port where a party receives its audio.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/capture/endpoint.h"

namespace g722kit::tool {

struct SdpMapping {
  Endpoint receiver;  // the c= address and the m= port
  uint8_t payload_type = 0;
  std::string encoding;  // as a=rtpmap names it: "G722", "telephone-event", ...
};

// The a=rtpmap lines of the audio media in a SIP message or bare SDP, with the address and port
// each applies to; nothing when text holds no SDP.
std::vector<SdpMapping> ParseSdp(std::span<const uint8_t> text);

}  // namespace g722kit::tool
