// The UDP datagrams in IPv4 and IPv6 packets, fragmented or not.
#pragma once

#include <cstdint>
#include <span>

#include "formats/capture/endpoint.h"

namespace g722kit::tool {

enum class IpContent {
  kUdp,       // a whole UDP datagram (header and payload)
  kFragment,  // a piece of a fragmented datagram
  kOther,     // another protocol
  kDamaged,   // a header that contradicts itself, or cut short by the snap length
};

struct IpPacket {
  IpContent content = IpContent::kDamaged;
  bool v6 = false;
  std::span<const uint8_t> source;       // 4 or 16 bytes
  std::span<const uint8_t> destination;  // 4 or 16 bytes
  uint8_t protocol = 0;                  // of the payload (a fragment: of the whole datagram)
  std::span<const uint8_t> payload;      // the UDP datagram, or the fragment's bytes
  // Fragments only:
  uint32_t id = 0;
  uint32_t offset = 0;  // in bytes
  bool more = false;    // more fragments follow
};

IpPacket ParseIp(std::span<const uint8_t> bytes);

struct UdpDatagram {
  Endpoint source;
  Endpoint destination;
  std::span<const uint8_t> payload;
};

// The datagram in udp (header and payload) between the two addresses; false when its length
// field contradicts the bytes there are.
bool ParseUdp(std::span<const uint8_t> source, std::span<const uint8_t> destination,
              std::span<const uint8_t> udp, UdpDatagram& datagram);

}  // namespace g722kit::tool
