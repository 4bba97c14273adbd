// How headerless 16-bit PCM is laid out: the tool's raw input and output.
#pragma once

#include <optional>

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

}  // namespace g722kit::tool
