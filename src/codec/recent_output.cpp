#include "recent_output.h"

#include <algorithm>
#include <cstring>

namespace g722kit {
namespace {

// Below this many samples a plain loop copies faster than the calls to memcpy.
constexpr int32_t kFewSamples = 16;

}  // namespace

void RecentOutput::Clear() {
  std::memset(ring_, 0, sizeof ring_);
  next_ = 0;
}

void RecentOutput::Append(const int16_t* pcm, int32_t count) {
  if (count >= kCapacity) {
    std::memcpy(ring_, pcm + (count - kCapacity), sizeof ring_);
    next_ = 0;
    return;
  }
  if (count <= kFewSamples) {
    for (int32_t i = 0; i < count; i++)
      ring_[(next_ + i) & (kCapacity - 1)] = pcm[i];
    next_ = (next_ + count) & (kCapacity - 1);
    return;
  }
  const int32_t first = std::min(count, kCapacity - next_);
  std::memcpy(ring_ + next_, pcm, sizeof(int16_t) * static_cast<size_t>(first));
  std::memcpy(ring_, pcm + first, sizeof(int16_t) * static_cast<size_t>(count - first));
  next_ = (next_ + count) & (kCapacity - 1);
}

void RecentOutput::CopyAll(int16_t* out) const {
  const int32_t older = kCapacity - next_;
  std::memcpy(out, ring_ + next_, sizeof(int16_t) * static_cast<size_t>(older));
  std::memcpy(out + older, ring_, sizeof(int16_t) * static_cast<size_t>(next_));
}

}  // namespace g722kit
