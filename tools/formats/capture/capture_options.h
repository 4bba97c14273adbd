// What the command line says about packet captures: which streams to decode and how, and the
// RTP stream an encode writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "formats/capture/endpoint.h"

namespace g722kit::tool {

struct CaptureOptions {
  // Reading (decode, info).
  std::optional<uint8_t> payload_type;  // --payload-type: G.722 whatever the SDP says
  std::optional<uint32_t> stream;       // --stream: the SSRC of the one stream to decode
  bool stereo = false;                  // --stereo: a call's two directions as left and right
  bool conceal = true;                  // --conceal none: silence for lost packets
  // Writing (encode).
  int ptime_ms = 20;                 // --ptime
  std::optional<uint16_t> sequence;  // --seq: the first sequence number; random when not given
  std::optional<uint32_t> ssrc;      // --ssrc; random when not given
  Endpoint source;                   // --rtp-src
  Endpoint destination;              // --rtp-dst
  // The first of these options the command line gives ("--stream"), refused for a file that is
  // not a capture; empty: none.
  std::string given;
};

}  // namespace g722kit::tool
