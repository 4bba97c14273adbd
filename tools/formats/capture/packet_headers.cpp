#include "formats/capture/packet_headers.h"

#include "formats/capture/capture_tables.h"

#include "formats/header_bytes.h"

namespace g722kit::tool {
namespace {

// Locally administered MAC addresses of the two hosts.
constexpr uint8_t kSourceMac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
constexpr uint8_t kDestinationMac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x02};
constexpr uint8_t kHops = 64;
constexpr uint8_t kExpedited = 0xB8;  // DSCP EF, as phones mark voice

// The 16-bit one's complement sum of the internet checksum (RFC 1071), before its complement.
uint32_t Sum(std::span<const uint8_t> bytes, uint32_t sum = 0) {
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    sum += static_cast<uint32_t>(bytes[i] << 8 | bytes[i + 1]);
  if (bytes.size() % 2 == 1) sum += static_cast<uint32_t>(bytes.back() << 8);
  return sum;
}

uint16_t Complement(uint32_t sum) {
  while (sum >> 16)
    sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum);
}

std::vector<uint8_t> Udp(const Endpoint& source, const Endpoint& destination, const RtpFields& rtp,
                         std::span<const uint8_t> payload) {
  HeaderBytes udp;
  const auto length = static_cast<uint32_t>(8 + 12 + payload.size());
  udp.Be16(source.port);
  udp.Be16(destination.port);
  udp.Be16(length);
  udp.Be16(0);  // checksum, below
  // RTP version 2, no padding, extension or CSRC; the marker bit and the payload type.
  udp.Be16(0x8000u | (rtp.marker ? 0x80u : 0u) | rtp.payload_type);
  udp.Be16(rtp.sequence);
  udp.Be32(rtp.timestamp);
  udp.Be32(rtp.ssrc);
  udp.Bytes(payload);
  std::vector<uint8_t> bytes = udp.Take();
  // Pseudo-header: both addresses, the protocol and the UDP length.
  uint32_t sum = Sum(source.AddressBytes(), Sum(destination.AddressBytes()));
  sum = Sum(bytes, sum + kProtocolUdp + length);
  uint16_t checksum = Complement(sum);
  if (checksum == 0) checksum = 0xFFFF;  // 0 means "no checksum"
  bytes[6] = static_cast<uint8_t>(checksum >> 8);
  bytes[7] = static_cast<uint8_t>(checksum);
  return bytes;
}

}  // namespace

std::vector<uint8_t> RtpFrame(const Endpoint& source, const Endpoint& destination,
                              const RtpFields& rtp, std::span<const uint8_t> payload,
                              uint16_t ip_id) {
  const std::vector<uint8_t> udp = Udp(source, destination, rtp, payload);
  HeaderBytes frame;
  frame.Bytes(kDestinationMac);
  frame.Bytes(kSourceMac);
  if (destination.v6) {
    frame.Be16(kEtherTypeIpv6);
    frame.Be32(0x60000000u | uint32_t{kExpedited} << 20);
    frame.Be16(static_cast<uint32_t>(udp.size()));
    frame.Be16(uint32_t{kProtocolUdp} << 8 | kHops);
    frame.Bytes(source.AddressBytes());
    frame.Bytes(destination.AddressBytes());
  } else {
    HeaderBytes ip;
    ip.Be16(0x4500u | kExpedited);
    ip.Be16(static_cast<uint32_t>(20 + udp.size()));
    ip.Be16(ip_id);
    ip.Be16(0x4000);  // don't fragment
    ip.Be16(uint32_t{kHops} << 8 | kProtocolUdp);
    ip.Be16(0);  // checksum, below
    ip.Bytes(source.AddressBytes());
    ip.Bytes(destination.AddressBytes());
    std::vector<uint8_t> header = ip.Take();
    const uint16_t checksum = Complement(Sum(header));
    header[10] = static_cast<uint8_t>(checksum >> 8);
    header[11] = static_cast<uint8_t>(checksum);
    frame.Be16(kEtherTypeIpv4);
    frame.Bytes(header);
  }
  frame.Bytes(udp);
  return frame.Take();
}

}  // namespace g722kit::tool
