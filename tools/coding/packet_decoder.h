// The decoder of one RTP stream of G.722 (64000 bit/s, two-band, one code per byte): the
// library's packet decoder, which conceals lost packets, owned for a stream's life.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "g722kit/g722.h"

namespace g722kit::tool {

class PacketDecoder {
 public:
  // Throws ToolError (kExitFailure) when the library cannot make one.
  PacketDecoder();

  // Replaces pcm with the samples of codes (two per byte).
  void Decode(std::span<const uint8_t> codes, std::vector<int16_t>& pcm);
  // Replaces pcm with the concealment of bytes code bytes that were lost (at most
  // G722MaxDecodeBytes).
  void Conceal(uint32_t bytes, std::vector<int16_t>& pcm);
  void Reset();

 private:
  struct Releaser {
    void operator()(G722PacketDecoder* decoder) const { G722PacketDecoderRelease(decoder); }
  };
  // Decodes bytes bytes of codes (nullptr: lost) into pcm.
  void Run(const uint8_t* codes, uint32_t bytes, std::vector<int16_t>& pcm);

  std::unique_ptr<G722PacketDecoder, Releaser> decoder_;
};

}  // namespace g722kit::tool
