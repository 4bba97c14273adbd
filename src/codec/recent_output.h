// The newest output samples of one decoded stream, kept so that a loss can be concealed from
// them.
#pragma once

#include <cstdint>

namespace g722kit {

class RecentOutput {
 public:
  // 32 ms at 16000 samples per second: room for the longest pitch period searched with the
  // window it is matched over, and for the longest stretch that a concealment repeats.
  static constexpr int32_t kCapacity = 512;

  // Silence, as before a stream's first sample.
  void Clear();

  void Append(const int16_t* pcm, int32_t count);

  // The newest kCapacity samples, oldest first.
  void CopyAll(int16_t* out) const;

 private:
  int16_t ring_[kCapacity];
  int32_t next_;  // where the next sample goes
};

}  // namespace g722kit
