#include "commands/recording_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>

namespace g722kit::tool {
namespace {

constexpr int64_t kHeaderBytes = 44;
constexpr int64_t kDataSizeAt = 40;
constexpr int64_t kSecondBytes = 16000;  // 8000 samples of 2 bytes

}  // namespace

int64_t RecordedSeconds(const std::filesystem::path& file) {
  std::array<unsigned char, 4> size{};  // the data chunk's size, little-endian
  std::ifstream in(file, std::ios::binary);
  in.seekg(kDataSizeAt);
  if (!in.read(reinterpret_cast<char*>(size.data()), size.size())) return 0;
  return (size[0] | size[1] << 8 | size[2] << 16 | int64_t{size[3]} << 24) / kSecondBytes;
}

std::optional<double> SecondLevelDb(const std::filesystem::path& file, int64_t second) {
  std::array<unsigned char, kSecondBytes> bytes;
  std::ifstream in(file, std::ios::binary);
  in.seekg(kHeaderBytes + second * kSecondBytes);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), kSecondBytes)) return std::nullopt;
  double energy = 0;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    const auto sample = static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8);  // little-endian
    energy += static_cast<double>(sample) * sample;
  }
  const double rms = std::sqrt(energy / (kSecondBytes / 2)) / 32768.0;
  return std::max(-96.0, 20 * std::log10(std::max(rms, 1e-9)));
}

}  // namespace g722kit::tool
