#include "coding/packet_decoder.h"

#include "messages/tool_error.h"

namespace g722kit::tool {

PacketDecoder::PacketDecoder(const CodecSettings& codec)
    : decoder_(G722PacketDecoderCreate(codec.bitrate, codec.Options())),
      samples_per_code_(codec.wideband ? 2 : 1) {
  if (!decoder_) throw ToolError(kExitFailure, "the library could not make a packet decoder");
}

void PacketDecoder::Run(const uint8_t* codes, uint32_t bytes, std::vector<int16_t>& pcm) {
  pcm.resize(bytes * samples_per_code_);
  const int32_t samples =
      G722PacketDecode(decoder_.get(), pcm.data(), codes, static_cast<int32_t>(bytes));
  pcm.resize(static_cast<size_t>(samples));
}

void PacketDecoder::Decode(std::span<const uint8_t> codes, std::vector<int16_t>& pcm) {
  Run(codes.data(), static_cast<uint32_t>(codes.size()), pcm);
}

void PacketDecoder::Conceal(uint32_t bytes, std::vector<int16_t>& pcm) {
  Run(nullptr, bytes, pcm);
}

void PacketDecoder::Reset() {
  G722PacketDecoderReset(decoder_.get());
}

}  // namespace g722kit::tool
