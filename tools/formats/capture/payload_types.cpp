#include "formats/capture/payload_types.h"

#include <algorithm>
#include <cctype>

#include "formats/capture/capture_tables.h"
#include "formats/capture/sdp.h"

namespace g722kit::tool {
namespace {

bool SameName(const std::string& a, const char* b) {
  return std::equal(a.begin(), a.end(), b, b + std::char_traits<char>::length(b),
                    [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

// Without SDP, a dynamic payload type whose payloads are telephone events (RFC 4733: 4 bytes
// each, an event code up to 16, the flash) is taken for DTMF.
bool LooksLikeEvent(uint8_t payload_type, std::span<const uint8_t> payload) {
  return payload_type >= 96 && payload.size() == 4 && payload[0] <= 16;
}

}  // namespace

void PayloadTypes::Learn(std::span<const uint8_t> payload) {
  for (const SdpMapping& mapping : ParseSdp(payload)) {
    by_receiver_[{mapping.receiver, mapping.payload_type}] = mapping.encoding;
    by_port_[{mapping.receiver.port, mapping.payload_type}] = mapping.encoding;
  }
}

std::optional<std::string> PayloadTypes::Encoding(const Endpoint& destination,
                                                  uint8_t payload_type) const {
  if (const auto found = by_receiver_.find({destination, payload_type});
      found != by_receiver_.end()) {
    return found->second;
  }
  if (const auto found = by_port_.find({destination.port, payload_type}); found != by_port_.end()) {
    return found->second;
  }
  if (const NamedCode* known = FindCode(kStaticPayloadTypes, payload_type)) return known->name;
  return std::nullopt;
}

PayloadKind PayloadTypes::Classify(const Endpoint& destination, uint8_t payload_type,
                                   std::span<const uint8_t> payload) const {
  if (forced_ && payload_type == *forced_) return PayloadKind::kG722;
  const std::optional<std::string> encoding = Encoding(destination, payload_type);
  if (!encoding)
    return LooksLikeEvent(payload_type, payload) ? PayloadKind::kDtmf : PayloadKind::kOther;
  if (SameName(*encoding, "G722")) return PayloadKind::kG722;
  if (SameName(*encoding, "telephone-event")) return PayloadKind::kDtmf;
  if (SameName(*encoding, "CN")) return PayloadKind::kComfortNoise;
  return PayloadKind::kOther;
}

std::string PayloadTypes::Describe(const Endpoint& destination, uint8_t payload_type) const {
  const std::string number = "PT " + std::to_string(payload_type);
  if (Classify(destination, payload_type, {}) == PayloadKind::kG722) {
    return "G.722 (" + number + ")";
  }
  const std::optional<std::string> encoding = Encoding(destination, payload_type);
  return number + (encoding ? " " + *encoding : "") + " (not G.722)";
}

}  // namespace g722kit::tool
