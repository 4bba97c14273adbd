#include "formats/capture/ip_packet.h"

#include "formats/capture/capture_tables.h"
#include "formats/capture/net_bytes.h"

namespace g722kit::tool {
namespace {

constexpr uint8_t kIpv6Fragment = 44;
// IPv6 extension headers that may come before the fragment header or UDP.
constexpr uint8_t kIpv6HopByHop = 0;
constexpr uint8_t kIpv6Routing = 43;
constexpr uint8_t kIpv6DestinationOptions = 60;

IpContent ContentOf(uint8_t protocol, bool fragment) {
  if (protocol != kProtocolUdp) return IpContent::kOther;
  return fragment ? IpContent::kFragment : IpContent::kUdp;
}

IpPacket Ipv4(std::span<const uint8_t> bytes) {
  IpPacket packet;
  if (bytes.size() < 20) return packet;
  const size_t header = static_cast<size_t>(bytes[0] & 0x0F) * 4;
  const size_t total = Be16At(bytes, 2);
  if (header < 20 || total < header || bytes.size() < header) return packet;
  const uint16_t flags_offset = Be16At(bytes, 6);
  packet.source = bytes.subspan(12, 4);
  packet.destination = bytes.subspan(16, 4);
  packet.protocol = bytes[9];
  packet.id = Be16At(bytes, 4);
  packet.offset = static_cast<uint32_t>(flags_offset & 0x1FFF) * 8;
  packet.more = (flags_offset & 0x2000) != 0;
  if (total > bytes.size()) return packet;  // cut short by the snap length
  packet.payload = bytes.subspan(header, total - header);
  packet.content = ContentOf(packet.protocol, packet.more || packet.offset > 0);
  return packet;
}

IpPacket Ipv6(std::span<const uint8_t> bytes) {
  IpPacket packet;
  packet.v6 = true;
  if (bytes.size() < 40) return packet;
  const size_t total = 40 + static_cast<size_t>(Be16At(bytes, 4));
  packet.source = bytes.subspan(8, 16);
  packet.destination = bytes.subspan(24, 16);
  if (total > bytes.size()) return packet;
  uint8_t next = bytes[6];
  size_t at = 40;
  bool fragment = false;
  for (;;) {
    if (next == kIpv6HopByHop || next == kIpv6Routing || next == kIpv6DestinationOptions) {
      if (total < at + 8) return packet;
      next = bytes[at];
      at += 8 + static_cast<size_t>(bytes[at + 1]) * 8;
    } else if (next == kIpv6Fragment && !fragment) {
      if (total < at + 8) return packet;
      const uint16_t offset_flags = Be16At(bytes, at + 2);
      next = bytes[at];
      packet.offset = offset_flags & 0xFFF8u;
      packet.more = (offset_flags & 1) != 0;
      packet.id = Be32At(bytes, at + 4);
      fragment = true;
      at += 8;
    } else {
      break;
    }
    if (at > total) return packet;
  }
  packet.protocol = next;
  packet.payload = bytes.subspan(at, total - at);
  packet.content = ContentOf(next, fragment && (packet.more || packet.offset > 0));
  return packet;
}

}  // namespace

IpPacket ParseIp(std::span<const uint8_t> bytes) {
  if (!bytes.empty() && bytes[0] >> 4 == 4) return Ipv4(bytes);
  if (!bytes.empty() && bytes[0] >> 4 == 6) return Ipv6(bytes);
  return {};
}

bool ParseUdp(std::span<const uint8_t> source, std::span<const uint8_t> destination,
              std::span<const uint8_t> udp, UdpDatagram& datagram) {
  if (udp.size() < 8) return false;
  const size_t length = Be16At(udp, 4);
  // A length of 0 is what a jumbogram or a sender offloading the field writes: take the bytes.
  const size_t end = length == 0 ? udp.size() : length;
  if (end < 8 || end > udp.size()) return false;
  datagram.source = MakeEndpoint(source, Be16At(udp, 0));
  datagram.destination = MakeEndpoint(destination, Be16At(udp, 2));
  datagram.payload = udp.subspan(8, end - 8);
  return true;
}

}  // namespace g722kit::tool
