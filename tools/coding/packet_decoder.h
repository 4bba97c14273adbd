// The decoder of one RTP stream of G.722 (64000 bit/s, two-band, one code per byte): codes,
// lost packets concealed or left silent, and a start over.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "g722kit/g722.h"

namespace g722kit::tool {

class PacketDecoder {
 public:
  // conceal: lost packets are concealed by the library; otherwise they are silence.
  explicit PacketDecoder(bool conceal);

  // Replaces pcm with the samples of codes (two per byte).
  void Decode(std::span<const uint8_t> codes, std::vector<int16_t>& pcm);
  // Replaces pcm with the samples of bytes code bytes that were lost.
  void Lose(uint32_t bytes, std::vector<int16_t>& pcm);
  void Reset();

 private:
  bool conceal_;
  G722State state_;
};

}  // namespace g722kit::tool
