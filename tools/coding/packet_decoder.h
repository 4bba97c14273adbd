// The library's packet decoder, which conceals lost packets, owned for a stream's life: one
// code per byte, in any configuration that has such codes. The default is the G.722 of RTP
// (64000 bit/s, two-band).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "coding/codec_settings.h"
#include "g722kit/g722.h"

namespace g722kit::tool {

class PacketDecoder {
 public:
  // codec must be unpacked. Throws ToolError (kExitFailure) when the library cannot make one.
  explicit PacketDecoder(const CodecSettings& codec = {});

  // Replaces pcm with the samples of codes (at most G722MaxDecodeBytes).
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
  size_t samples_per_code_;
};

}  // namespace g722kit::tool
