// Helpers shared by the unit tests: temporary folders, file contents and test signals.
#pragma once

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "g722kit/g722.h"

namespace g722kit::test {

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::vector<uint8_t> ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::vector<uint8_t>& bytes);

// Samples as the little-endian bytes of a raw PCM file.
std::vector<uint8_t> PcmBytes(const std::vector<int16_t>& samples);

// The little-endian 32-bit value at offset.
uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset);

// The samples of a WAV file the library wrote: every whole sample after its 44-byte header.
std::vector<int16_t> SamplesAfterHeader(const std::vector<uint8_t>& wav);

// The path as the host passes it: UTF-16.
inline std::u16string U16(const std::filesystem::path& file) {
  return file.u16string();
}

// A deterministic signal with the traits of speech: voiced harmonics with a wandering pitch,
// noise bursts, pauses and a changing loudness. sample_rate sets where the harmonics reach.
std::vector<int16_t> SpeechLikeSignal(size_t count, int sample_rate, uint32_t seed);

// Encodes a whole signal in one call with a fresh encoder of the given configuration.
std::vector<uint8_t> EncodeAll(int32_t rate, int32_t options, const std::vector<int16_t>& pcm);

// Decodes a whole code stream in one call with a fresh decoder of the given configuration.
std::vector<int16_t> DecodeAll(int32_t rate, int32_t options, const std::vector<uint8_t>& codes);

// One codec configuration, with a readable name for parameterised tests.
struct CodecConfig {
  int32_t rate;
  int32_t options;
  std::string name;
};

inline void PrintTo(const CodecConfig& config, std::ostream* os) {
  *os << config.name;
}

// Signal-to-noise ratio in dB of decoded against input, at the lag (the filters' delay, up to
// 47 samples) that gives the best match.
double BestLagSnr(const std::vector<int16_t>& input, const std::vector<int16_t>& decoded);

// Every configuration: three rates, 8 kHz and two-band, unpacked and packed.
std::vector<CodecConfig> AllConfigs();

}  // namespace g722kit::test
