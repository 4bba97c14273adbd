// Reads a fuzzer's bytes as a codec configuration followed by data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "g722kit/g722.h"

namespace g722kit::fuzz {

struct FuzzConfig {
  int32_t rate;
  int32_t options;
  uint8_t split_seed;  // drives how the data is cut into calls
};

// Takes the configuration from the first byte (when there is one) and advances past it.
inline FuzzConfig TakeConfig(const uint8_t*& data, size_t& size) {
  static constexpr int32_t kRates[4] = {64000, 56000, 48000, 64000};
  if (size == 0) return {64000, 0, 0};
  const uint8_t b = *data++;
  size--;
  return {kRates[b & 3], (b >> 2) & 3, static_cast<uint8_t>(b >> 4)};
}

// Room for the samples that decoding size bytes can give in the state's configuration: the
// codes the bytes hold, one more held from an earlier call, two samples each.
inline size_t MostDecodedSamples(const G722State& state, size_t size) {
  return 2 * ((8 * size) / static_cast<size_t>(state.bits_per_code) + 1);
}

}  // namespace g722kit::fuzz
