// How headerless 16-bit PCM is laid out: the tool's raw input and output.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace g722kit::tool {

enum class Endian { kLittle, kBig };

// Headerless mono PCM: the library's own format by default.
struct RawPcm {
  int rate = 8000;
  Endian endian = Endian::kLittle;

  friend bool operator==(const RawPcm&, const RawPcm&) = default;
};

// What the command line says about headerless PCM: --rate and --endian, when given.
struct RawOptions {
  std::optional<int> rate;
  std::optional<Endian> endian;
};

// Replaces bytes with samples stored in the byte order endian.
inline void StoreSamples(std::span<const int16_t> samples, Endian endian,
                         std::vector<uint8_t>& bytes) {
  bytes.resize(samples.size() * 2);
  if ((endian == Endian::kLittle) == (std::endian::native == std::endian::little)) {
    const auto* machine_order = reinterpret_cast<const uint8_t*>(samples.data());
    std::copy_n(machine_order, bytes.size(), bytes.data());
    return;
  }
  const size_t low = endian == Endian::kLittle ? 0 : 1;
  for (size_t i = 0; i < samples.size(); i++) {
    const auto sample = static_cast<uint16_t>(samples[i]);
    bytes[2 * i + low] = static_cast<uint8_t>(sample);
    bytes[2 * i + 1 - low] = static_cast<uint8_t>(sample >> 8);
  }
}

}  // namespace g722kit::tool
