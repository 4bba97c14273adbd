// --simulate-loss: codes decoded as a VoIP receiver decodes them when packets go missing. Each
// stream is cut into 20 ms packets; the packets the loss pattern loses go to the library's
// packet decoder as lost, which conceals them, and the others as codes.
#pragma once

#include <span>
#include <vector>

#include "coding/code_stream.h"
#include "coding/codec_settings.h"
#include "coding/packet_decoder.h"
#include "coding/packet_loss.h"

namespace g722kit::tool {

class LossyStreamDecoder final : public ChannelDecoder {
 public:
  // codec must be unpacked; pattern outlives the decoder.
  LossyStreamDecoder(const CodecSettings& codec, LossPattern& pattern);
  void Decode(std::span<const uint8_t> codes, std::vector<int16_t>& pcm) override;
  // The last packet, shorter than the others, if the stream ends within one.
  void Finish(std::vector<int16_t>& pcm) override;

 private:
  // Appends the samples of the packet in packet_ to pcm, and starts the next packet.
  void DecodePacket(std::vector<int16_t>& pcm);

  PacketDecoder decoder_;
  LossPattern& pattern_;
  size_t packets_ = 0;
  std::vector<uint8_t> packet_;
  std::vector<int16_t> samples_;
};

// channels interleaved streams whose packets pattern loses, the same packets in each: a lost
// packet takes the same 20 ms of every leg of the call.
InterleavedDecoder LossyDecoder(const CodecSettings& codec, int channels, LossPattern& pattern);

}  // namespace g722kit::tool
