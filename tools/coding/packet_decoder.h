// The decoder of one RTP stream of G.722 (64000 bit/s, two-band, one code per byte): codes,
// lost packets concealed, and a start over.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "g722kit/g722.h"

namespace g722kit::tool {

class PacketDecoder {
 public:
  PacketDecoder();

  // Replaces pcm with the samples of codes (two per byte).
  void Decode(std::span<const uint8_t> codes, std::vector<int16_t>& pcm);
  // Replaces pcm with the concealment of bytes code bytes that were lost.
  void Conceal(uint32_t bytes, std::vector<int16_t>& pcm);
  void Reset();

 private:
  G722State state_;
};

}  // namespace g722kit::tool
