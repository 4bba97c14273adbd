#include "coding/packet_decoder.h"

namespace g722kit::tool {

PacketDecoder::PacketDecoder() {
  Reset();
}

void PacketDecoder::Decode(std::span<const uint8_t> codes, std::vector<int16_t>& pcm) {
  pcm.resize(codes.size() * 2);
  const int32_t samples =
      G722DecodeCodes(&state_, pcm.data(), codes.data(), static_cast<int32_t>(codes.size()));
  pcm.resize(static_cast<size_t>(samples));
}

void PacketDecoder::Conceal(uint32_t bytes, std::vector<int16_t>& pcm) {
  pcm.assign(static_cast<size_t>(bytes) * 2, 0);
}

void PacketDecoder::Reset() {
  G722DecoderInit(&state_, 64000, 0);
}

}  // namespace g722kit::tool
