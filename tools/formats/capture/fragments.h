// Reassembly of fragmented IP datagrams, bounded: at most 64 KiB a datagram, fragments older
// than a few seconds of capture time dropped, and a limited number of datagrams under way.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "formats/capture/ip_packet.h"

namespace g722kit::tool {

class Reassembler {
 public:
  // Takes a fragment seen at time_ns; returns the whole datagram's bytes (the UDP header and
  // payload) when it completes one: valid until the next call.
  std::optional<std::span<const uint8_t>> Add(const IpPacket& fragment, int64_t time_ns);
  // Fragments dropped: of datagrams that expired, grew too large or contradicted themselves.
  uint64_t dropped() const { return dropped_; }
  // Drops what is still under way (at the end of a capture) and counts it.
  void DropAll();

 private:
  struct Key {
    bool v6;
    std::array<uint8_t, 16> source;
    std::array<uint8_t, 16> destination;
    uint32_t id;
    friend auto operator<=>(const Key&, const Key&) = default;
  };
  struct Partial {
    int64_t first_ns = 0;
    std::vector<uint8_t> bytes;
    std::vector<bool> filled;  // one flag per 8-byte block
    std::optional<size_t> total;
    uint64_t fragments = 0;
  };

  void Expire(int64_t now_ns);
  void Drop(std::map<Key, Partial>::iterator partial);

  std::map<Key, Partial> partials_;
  std::vector<uint8_t> done_;
  uint64_t dropped_ = 0;
};

}  // namespace g722kit::tool
