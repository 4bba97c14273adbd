// Constant tables of the capture code: link layers, VLAN tags, address families, payload types.
#pragma once

#include <pcap/dlt.h>

#include <cstdint>

namespace g722kit::tool {

// A number a protocol gives something, and its name.
struct NamedCode {
  int code;
  const char* name;
};

// The link types read, by libpcap's DLT value, with their names for people.
inline constexpr NamedCode kLinkTypes[] = {
    {DLT_EN10MB, "Ethernet"},
    {DLT_LINUX_SLL, "Linux cooked v1"},
    {DLT_LINUX_SLL2, "Linux cooked v2"},
    {DLT_RAW, "raw IP"},
    {DLT_IPV4, "raw IP"},
    {DLT_IPV6, "raw IP"},
    {DLT_NULL, "BSD loopback"},
    {DLT_LOOP, "BSD loopback"},
};

// EtherTypes of IPv4 and IPv6, and the IP protocol number of UDP.
inline constexpr uint16_t kEtherTypeIpv4 = 0x0800;
inline constexpr uint16_t kEtherTypeIpv6 = 0x86DD;
inline constexpr uint8_t kProtocolUdp = 17;

// EtherTypes of VLAN tags: 802.1Q, 802.1ad, and the older QinQ values.
inline constexpr uint16_t kVlanEtherTypes[] = {0x8100, 0x88A8, 0x9100, 0x9200};

// Address family values of IPv4 and IPv6 in BSD loopback headers, across systems: AF_INET, and
// AF_INET6 of NetBSD/OpenBSD, FreeBSD, macOS and Linux.
inline constexpr uint32_t kLoopbackFamilies[] = {2, 24, 28, 30, 10};

// The static audio payload types of the RTP audio/video profile (RFC 3551), with the encoding
// names SDP gives them.
inline constexpr NamedCode kStaticPayloadTypes[] = {
    {0, "PCMU"}, {3, "GSM"},   {4, "G723"},  {5, "DVI4"},  {6, "DVI4"},   {7, "LPC"},
    {8, "PCMA"}, {9, "G722"},  {10, "L16"},  {11, "L16"},  {12, "QCELP"}, {13, "CN"},
    {14, "MPA"}, {15, "G728"}, {16, "DVI4"}, {17, "DVI4"}, {18, "G729"}};

// The table's entry for code, or nothing.
template <size_t N>
constexpr const NamedCode* FindCode(const NamedCode (&table)[N], int code) {
  for (const NamedCode& entry : table) {
    if (entry.code == code) return &entry;
  }
  return nullptr;
}

}  // namespace g722kit::tool
