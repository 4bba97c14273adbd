#include "formats/capture/link_layer.h"

#include <pcap/dlt.h>

#include <algorithm>

#include "formats/capture/capture_tables.h"
#include "formats/capture/net_bytes.h"

namespace g722kit::tool {
namespace {

bool IsVlanTag(uint16_t ether_type) {
  return std::find(std::begin(kVlanEtherTypes), std::end(kVlanEtherTypes), ether_type) !=
         std::end(kVlanEtherTypes);
}

LinkPayload ByEtherType(uint16_t ether_type, std::span<const uint8_t> frame, size_t at) {
  if (ether_type != kEtherTypeIpv4 && ether_type != kEtherTypeIpv6)
    return {FrameContent::kOther, {}};
  return {FrameContent::kIp, frame.subspan(at)};
}

LinkPayload Ethernet(std::span<const uint8_t> frame) {
  size_t at = 12;
  if (frame.size() < at + 2) return {FrameContent::kDamaged, {}};
  uint16_t ether_type = Be16At(frame, at);
  while (IsVlanTag(ether_type)) {
    at += 4;
    if (frame.size() < at + 2) return {FrameContent::kDamaged, {}};
    ether_type = Be16At(frame, at);
  }
  return ByEtherType(ether_type, frame, at + 2);
}

// BSD loopback: the address family in 4 bytes, in the capturing host's byte order (DLT_NULL)
// or in network order (DLT_LOOP); either is accepted.
LinkPayload Loopback(std::span<const uint8_t> frame) {
  if (frame.size() < 4) return {FrameContent::kDamaged, {}};
  const uint32_t big = Be32At(frame, 0);
  const uint32_t little = __builtin_bswap32(big);
  for (const uint32_t family : kLoopbackFamilies) {
    if (big == family || little == family) return {FrameContent::kIp, frame.subspan(4)};
  }
  return {FrameContent::kOther, {}};
}

// A raw IP frame says its version in its first nibble.
LinkPayload RawIp(std::span<const uint8_t> frame) {
  if (frame.empty()) return {FrameContent::kDamaged, {}};
  const int version = frame[0] >> 4;
  if (version != 4 && version != 6) return {FrameContent::kOther, {}};
  return {FrameContent::kIp, frame};
}

}  // namespace

bool IsKnownLinkType(int link_type) {
  return FindCode(kLinkTypes, link_type) != nullptr;
}

const char* LinkTypeName(int link_type) {
  const NamedCode* type = FindCode(kLinkTypes, link_type);
  return type != nullptr ? type->name : "unknown";
}

std::string KnownLinkTypes() {
  std::string names;
  for (const NamedCode& type : kLinkTypes) {
    if (names.find(type.name) == std::string::npos) {
      names += (names.empty() ? "" : ", ") + std::string(type.name);
    }
  }
  return names;
}

LinkPayload IpInFrame(int link_type, std::span<const uint8_t> frame) {
  switch (link_type) {
    case DLT_EN10MB:
      return Ethernet(frame);
    case DLT_LINUX_SLL:  // 16-byte header ending in the protocol type
      if (frame.size() < 16) return {FrameContent::kDamaged, {}};
      return ByEtherType(Be16At(frame, 14), frame, 16);
    case DLT_LINUX_SLL2:  // 20-byte header starting with the protocol type
      if (frame.size() < 20) return {FrameContent::kDamaged, {}};
      return ByEtherType(Be16At(frame, 0), frame, 20);
    case DLT_NULL:
    case DLT_LOOP:
      return Loopback(frame);
    default:
      return RawIp(frame);
  }
}

}  // namespace g722kit::tool
