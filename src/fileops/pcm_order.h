// Byte order of PCM samples in files: signed 16-bit little-endian, whatever the host's order.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace g722kit {

// Swaps samples between the file's byte order and the host's, in place; nothing to do on a
// little-endian host.
inline void SwapPcmByteOrder(int16_t* samples, size_t count) {
  if constexpr (std::endian::native == std::endian::big) {
    for (size_t i = 0; i < count; i++) {
      const auto v = static_cast<uint16_t>(samples[i]);
      samples[i] = static_cast<int16_t>(static_cast<uint16_t>((v >> 8) | (v << 8)));
    }
  }
}

}  // namespace g722kit
