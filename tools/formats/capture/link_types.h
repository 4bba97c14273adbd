// Constants of the link layers the tool reads.
#pragma once

#include <pcap/dlt.h>

#include <cstdint>

namespace g722kit::tool {

struct LinkType {
  int dlt;
  const char* name;
};

// The link types read, by libpcap's DLT value, with their names for people.
inline constexpr LinkType kLinkTypes[] = {
    {DLT_EN10MB, "Ethernet"},
    {DLT_LINUX_SLL, "Linux cooked v1"},
    {DLT_LINUX_SLL2, "Linux cooked v2"},
    {DLT_RAW, "raw IP"},
    {DLT_IPV4, "raw IP"},
    {DLT_IPV6, "raw IP"},
    {DLT_NULL, "BSD loopback"},
    {DLT_LOOP, "BSD loopback"},
};

// EtherTypes of VLAN tags: 802.1Q, 802.1ad, and the older QinQ values.
inline constexpr uint16_t kVlanEtherTypes[] = {0x8100, 0x88A8, 0x9100, 0x9200};

// Address family values of IPv4 and IPv6 in BSD loopback headers, across systems: AF_INET, and
// AF_INET6 of NetBSD/OpenBSD, FreeBSD, macOS and Linux.
inline constexpr uint32_t kLoopbackFamilies[] = {2, 24, 28, 30, 10};

}  // namespace g722kit::tool
