// What an RTP payload type carries: payload type 9 is G.722; dynamic payload types get their
// codec from the SDP of the call, bound to the address and port where that SDP's party
// receives (a stream's destination); --payload-type forces one.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "formats/capture/endpoint.h"

namespace g722kit::tool {

enum class PayloadKind { kG722, kDtmf, kComfortNoise, kOther };

class PayloadTypes {
 public:
  explicit PayloadTypes(std::optional<uint8_t> forced_g722) : forced_(forced_g722) {}

  // Learns the mappings of the SDP in a UDP payload, if it holds one.
  void Learn(std::span<const uint8_t> payload);

  PayloadKind Classify(const Endpoint& destination, uint8_t payload_type,
                       std::span<const uint8_t> payload) const;
  // "G.722 (PT 9)", "PT 0 PCMU (not G.722)", "PT 96 (not G.722)".
  std::string Describe(const Endpoint& destination, uint8_t payload_type) const;

 private:
  // The encoding name an SDP gave the payload type at destination (or, when no SDP named that
  // address, at its port), or a static one.
  std::optional<std::string> Encoding(const Endpoint& destination, uint8_t payload_type) const;

  std::optional<uint8_t> forced_;
  std::map<std::pair<Endpoint, uint8_t>, std::string> by_receiver_;
  std::map<std::pair<uint16_t, uint8_t>, std::string> by_port_;
};

}  // namespace g722kit::tool
