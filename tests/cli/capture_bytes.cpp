#include "capture_bytes.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstddef>

namespace g722kit::test {
namespace {

void Put(Bytes& out, uint64_t value, int width, bool big_endian) {
  for (int i = 0; i < width; i++)
    out.push_back(static_cast<uint8_t>(value >> 8 * (big_endian ? width - 1 - i : i)));
}

void Be(Bytes& out, uint64_t value, int width) {
  Put(out, value, width, true);
}

Bytes Address(const std::string& text) {
  Bytes address(text.find(':') == std::string::npos ? 4 : 16);
  inet_pton(address.size() == 4 ? AF_INET : AF_INET6, text.c_str(), address.data());
  return address;
}

void Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
}

}  // namespace

Bytes Rtp(const RtpFields& f) {
  Bytes out;
  Be(out, 0x80u | (f.padding ? 0x20u : 0u) | (f.extension ? 0x10u : 0u) | f.csrcs, 1);
  Be(out, f.payload_type, 1);
  Be(out, f.sequence, 2);
  Be(out, f.timestamp, 4);
  Be(out, f.ssrc, 4);
  for (int i = 0; i < f.csrcs; i++)
    Be(out, 0xC5C5C5C5u, 4);
  if (f.extension) Be(out, 0xBEDE000100000000u, 8);
  out.resize(out.size() + f.payload_bytes, f.fill);
  if (f.padding) {
    out.resize(out.size() + f.padding - 1, 0);
    out.push_back(f.padding);
  }
  return out;
}

std::vector<Bytes> IpUdp(const std::string& source, uint16_t source_port,
                         const std::string& destination, uint16_t destination_port,
                         const Bytes& payload, size_t fragment_bytes) {
  Bytes udp;
  Be(udp, source_port, 2);
  Be(udp, destination_port, 2);
  Be(udp, 8 + payload.size(), 2);
  Be(udp, 0, 2);
  Append(udp, payload);
  const Bytes from = Address(source);
  const Bytes to = Address(destination);
  const size_t piece = fragment_bytes ? fragment_bytes : udp.size();
  std::vector<Bytes> packets;
  for (size_t at = 0; at < udp.size(); at += piece) {
    const size_t size = std::min(piece, udp.size() - at);
    const bool more = at + size < udp.size();
    Bytes ip;
    if (from.size() == 4) {
      Be(ip, 0x4500, 2);
      Be(ip, 20 + size, 2);
      Be(ip, 0x1234, 2);
      Be(ip, (more ? 0x2000 : 0) | at / 8, 2);
      Be(ip, 0x4011, 2);  // TTL 64, UDP
      Be(ip, 0, 2);
    } else {
      const bool fragmented = fragment_bytes > 0;
      Be(ip, 0x60000000, 4);
      Be(ip, size + (fragmented ? 8 : 0), 2);
      Be(ip, fragmented ? 44 : 17, 1);
      Be(ip, 64, 1);
      Append(ip, from);
      Append(ip, to);
      if (fragmented) Be(ip, uint64_t{17} << 56 | (at | (more ? 1 : 0)) << 32 | 0x1234, 8);
    }
    if (from.size() == 4) {
      Append(ip, from);
      Append(ip, to);
    }
    ip.insert(ip.end(), udp.begin() + static_cast<ptrdiff_t>(at),
              udp.begin() + static_cast<ptrdiff_t>(at + size));
    packets.push_back(ip);
  }
  return packets;
}

Bytes IpTcp() {
  Bytes ip = {0x45, 0, 0, 40, 0, 0, 0x40, 0, 64, 6, 0, 0, 10, 0, 0, 1, 10, 0, 0, 2};
  ip.resize(40, 0);
  return ip;
}

Bytes Frame(LinkType link_type, const Bytes& ip, int vlan_tags) {
  const bool v6 = ip[0] >> 4 == 6;
  const uint16_t ether_type = v6 ? 0x86DD : 0x0800;
  Bytes out;
  switch (link_type) {
    case kEthernet:
      out.assign(12, 0x02);
      for (int i = 0; i < vlan_tags; i++)
        Be(out,
           (i == 0 && vlan_tags > 1 ? 0x88A8u : 0x8100u) << 16 | (100u + static_cast<unsigned>(i)),
           4);
      Be(out, ether_type, 2);
      break;
    case kLinuxCooked:
      out.assign(14, 0);
      Be(out, ether_type, 2);
      break;
    case kLinuxCooked2:
      Be(out, ether_type, 2);
      out.resize(20, 0);
      break;
    case kBsdLoopback:
      Put(out, v6 ? 24 : 2, 4, false);  // the family in a little-endian host's order
      break;
    case kRawIp:
      break;
  }
  Append(out, ip);
  return out;
}

Bytes Pcap(LinkType link_type, const std::vector<Record>& records, bool nanoseconds,
           bool big_endian) {
  Bytes out;
  Put(out, nanoseconds ? 0xA1B23C4D : 0xA1B2C3D4, 4, big_endian);
  Put(out, 2, 2, big_endian);
  Put(out, 4, 2, big_endian);
  Put(out, 0, 8, big_endian);
  Put(out, 65535, 4, big_endian);
  Put(out, link_type, 4, big_endian);
  for (const Record& record : records) {
    Put(out, static_cast<uint64_t>(record.time_us / 1000000), 4, big_endian);
    Put(out, static_cast<uint64_t>(record.time_us % 1000000) * (nanoseconds ? 1000 : 1), 4,
        big_endian);
    Put(out, record.bytes.size(), 4, big_endian);
    Put(out, record.wire_length ? record.wire_length : record.bytes.size(), 4, big_endian);
    Append(out, record.bytes);
  }
  return out;
}

Bytes Pcapng(LinkType link_type, const std::vector<Record>& records) {
  Bytes out;
  const auto block = [&out](uint32_t type, const Bytes& body) {
    const size_t length = 12 + (body.size() + 3) / 4 * 4;
    Put(out, type, 4, false);
    Put(out, length, 4, false);
    Append(out, body);
    out.resize(out.size() + (length - 12 - body.size()), 0);
    Put(out, length, 4, false);
  };
  Bytes section;
  Put(section, 0x1A2B3C4D, 4, false);
  Put(section, 1, 2, false);
  Put(section, 0, 2, false);
  Put(section, UINT64_MAX, 8, false);
  block(0x0A0D0D0A, section);
  Bytes interface;
  Put(interface, link_type, 2, false);
  Put(interface, 0, 2, false);
  Put(interface, 65535, 4, false);
  block(1, interface);
  for (const Record& record : records) {
    Bytes packet;
    Put(packet, 0, 4, false);
    Put(packet, static_cast<uint64_t>(record.time_us) >> 32, 4, false);
    Put(packet, static_cast<uint64_t>(record.time_us) & 0xFFFFFFFF, 4, false);
    Put(packet, record.bytes.size(), 4, false);
    Put(packet, record.wire_length ? record.wire_length : record.bytes.size(), 4, false);
    Append(packet, record.bytes);
    block(6, packet);
  }
  return out;
}

}  // namespace g722kit::test
