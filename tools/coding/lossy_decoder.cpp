#include "coding/lossy_decoder.h"

#include <algorithm>
#include <memory>

namespace g722kit::tool {

LossyStreamDecoder::LossyStreamDecoder(const CodecSettings& codec, LossPattern& pattern)
    : decoder_(codec), pattern_(pattern) {
  packet_.reserve(kPacketCodes);
}

void LossyStreamDecoder::Decode(std::span<const uint8_t> codes, std::vector<int16_t>& pcm) {
  pcm.clear();
  while (!codes.empty()) {
    const size_t count = std::min(codes.size(), kPacketCodes - packet_.size());
    packet_.insert(packet_.end(), codes.begin(),
                   codes.begin() + static_cast<std::ptrdiff_t>(count));
    codes = codes.subspan(count);
    if (packet_.size() == kPacketCodes) DecodePacket(pcm);
  }
}

void LossyStreamDecoder::Finish(std::vector<int16_t>& pcm) {
  pcm.clear();
  if (!packet_.empty()) DecodePacket(pcm);
}

void LossyStreamDecoder::DecodePacket(std::vector<int16_t>& pcm) {
  if (pattern_.Lost(packets_++)) {
    decoder_.Conceal(static_cast<uint32_t>(packet_.size()), samples_);
  } else {
    decoder_.Decode(packet_, samples_);
  }
  pcm.insert(pcm.end(), samples_.begin(), samples_.end());
  packet_.clear();
}

InterleavedDecoder LossyDecoder(const CodecSettings& codec, int channels, LossPattern& pattern) {
  return InterleavedDecoder(channels,
                            [&] { return std::make_unique<LossyStreamDecoder>(codec, pattern); });
}

}  // namespace g722kit::tool
