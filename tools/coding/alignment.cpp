#include "coding/alignment.h"

#include <algorithm>

namespace g722kit::tool {
namespace {

size_t Delay(const CodecSettings& codec, bool align) {
  return align && codec.wideband ? kTwoBandDelaySamples : 0;
}

}  // namespace

std::vector<int16_t> AlignmentTail(const CodecSettings& codec, bool align) {
  return std::vector<int16_t>(Delay(codec, align), 0);
}

DelayTrimmer::DelayTrimmer(const CodecSettings& codec, bool align, int channels)
    : remaining_(Delay(codec, align) * static_cast<size_t>(channels)) {}

void DelayTrimmer::Trim(std::vector<int16_t>& pcm) {
  const size_t dropped = std::min(remaining_, pcm.size());
  pcm.erase(pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(dropped));
  remaining_ -= dropped;
}

}  // namespace g722kit::tool
