// The link layers the tool reads, and the IP packet inside a frame of each.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace g722kit::tool {

bool IsKnownLinkType(int link_type);
// "Ethernet", "Linux cooked v1", ...: for people.
const char* LinkTypeName(int link_type);
// The list of them, for messages.
std::string KnownLinkTypes();

enum class FrameContent {
  kIp,       // an IPv4 or IPv6 packet
  kOther,    // another protocol (ARP, ...)
  kDamaged,  // too short for its link header
};

struct LinkPayload {
  FrameContent content = FrameContent::kOther;
  std::span<const uint8_t> ip;  // for kIp
};

// The IP packet a frame of link_type carries; Ethernet may have 802.1Q and 802.1ad VLAN tags,
// stacked.
LinkPayload IpInFrame(int link_type, std::span<const uint8_t> frame);

}  // namespace g722kit::tool
