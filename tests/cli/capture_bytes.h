// Packet captures built from bytes, as capture programs write them: pcap of either byte order
// and timestamp precision, pcapng, and the frames of each link type with UDP and RTP inside.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace g722kit::test {

using Bytes = std::vector<uint8_t>;

// Link types as capture files number them.
enum LinkType : uint32_t {
  kBsdLoopback = 0,
  kEthernet = 1,
  kRawIp = 101,
  kLinuxCooked = 113,
  kLinuxCooked2 = 276,
};

struct Record {
  int64_t time_us = 0;
  Bytes bytes;
  uint32_t wire_length = 0;  // 0: the record holds the whole packet
};

struct RtpFields {
  uint16_t sequence = 0;
  uint32_t timestamp = 0;
  uint32_t ssrc = 1;
  uint8_t payload_type = 9;
  size_t payload_bytes = 160;
  uint8_t fill = 0xFA;     // every payload byte
  uint8_t padding = 0;     // padding bytes after the payload
  bool extension = false;  // a one-word header extension
  uint8_t csrcs = 0;
};
Bytes Rtp(const RtpFields& fields);

// An IPv4 ("10.0.0.1") or IPv6 ("fd00::1") packet of UDP; fragment_bytes > 0 splits the
// datagram into IP fragments of that many payload bytes (a multiple of 8), one packet each.
std::vector<Bytes> IpUdp(const std::string& source, uint16_t source_port,
                         const std::string& destination, uint16_t destination_port,
                         const Bytes& payload, size_t fragment_bytes = 0);
// An IPv4 packet of another protocol (TCP).
Bytes IpTcp();

// An IP packet in a frame of link_type; Ethernet with vlan_tags stacked VLAN tags.
Bytes Frame(LinkType link_type, const Bytes& ip, int vlan_tags = 0);

Bytes Pcap(LinkType link_type, const std::vector<Record>& records, bool nanoseconds = false,
           bool big_endian = false);
Bytes Pcapng(LinkType link_type, const std::vector<Record>& records);

}  // namespace g722kit::test
