#include "test_support.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>
#include <random>
#include <stdexcept>

namespace g722kit::test {

TempDir::TempDir() {
  static int counter = 0;
  std::random_device entropy;
  path_ = std::filesystem::temp_directory_path() /
          ("g722kit-test-" + std::to_string(entropy()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::vector<uint8_t> PcmBytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes;
  bytes.reserve(samples.size() * 2);
  for (int16_t s : samples) {
    bytes.push_back(static_cast<uint8_t>(s & 0xFF));
    bytes.push_back(static_cast<uint8_t>((static_cast<uint16_t>(s) >> 8) & 0xFF));
  }
  return bytes;
}

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
  return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
         (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

std::vector<int16_t> SamplesAfterHeader(const std::vector<uint8_t>& wav) {
  std::vector<int16_t> samples((wav.size() - 44) / 2);
  for (size_t i = 0; i < samples.size(); i++) {
    samples[i] = static_cast<int16_t>(wav[44 + 2 * i] | (wav[45 + 2 * i] << 8));
  }
  return samples;
}

std::vector<int16_t> SpeechLikeSignal(size_t count, int sample_rate, uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 1.0);
  std::vector<int16_t> out(count);
  const double top = sample_rate / 2.0 * 0.9;
  // Harmonic weights h^-1.5, for every harmonic below top at the lowest pitch (50 Hz).
  std::vector<double> weight(static_cast<size_t>(top / 50.0) + 2);
  for (size_t h = 1; h < weight.size(); h++)
    weight[h] = 1.0 / std::pow(static_cast<double>(h), 1.5);
  double phase = 0;
  for (size_t i = 0; i < count; i++) {
    const double t = static_cast<double>(i) / sample_rate;
    const double syllable = std::fmod(t, 0.25) / 0.25;  // 4 syllables per second
    const bool pause = std::fmod(t, 1.7) > 1.45;
    const double loudness = 9000.0 * (0.3 + 0.7 * std::fabs(std::sin(t * 1.3)));
    const double envelope = pause ? 0.02 : std::sin(std::numbers::pi * syllable);
    const double pitch = 110.0 + 60.0 * std::sin(t * 2.1) + 30.0 * syllable;
    phase += 2 * std::numbers::pi * pitch / sample_rate;
    // sin(h * phase) by the recurrence sin((h+1)x) = 2cos(x) sin(hx) - sin((h-1)x): one sine
    // and one cosine per sample, which keeps the signal cheap under an emulator.
    const double twice_cos = 2 * std::cos(phase);
    double below = 0, harmonic = std::sin(phase), voiced = 0;
    for (int h = 1; pitch * h < top; h++) {
      voiced += harmonic * weight[h];
      const double next = twice_cos * harmonic - below;
      below = harmonic;
      harmonic = next;
    }
    const bool fricative = std::fmod(t, 0.75) < 0.08;
    double x = loudness * envelope * (fricative ? 0.15 * noise(random) : 0.5 * voiced);
    x += 30.0 * noise(random);
    out[i] = static_cast<int16_t>(std::clamp(x, -32768.0, 32767.0));
  }
  return out;
}

std::vector<uint8_t> EncodeAll(int32_t rate, int32_t options, const std::vector<int16_t>& pcm) {
  G722State state;
  G722EncoderInit(&state, rate, options);
  std::vector<uint8_t> codes(pcm.size() + 1);
  codes.resize(
      G722EncodeSamples(&state, codes.data(), pcm.data(), static_cast<int32_t>(pcm.size())));
  return codes;
}

std::vector<int16_t> DecodeAll(int32_t rate, int32_t options, const std::vector<uint8_t>& codes) {
  G722State state;
  G722DecoderInit(&state, rate, options);
  std::vector<int16_t> pcm(codes.size() * 8 / 6 * 2 + 2);
  pcm.resize(G722DecodeCodes(&state, pcm.data(), codes.data(), static_cast<int32_t>(codes.size())));
  return pcm;
}

double BestLagSnr(const std::vector<int16_t>& input, const std::vector<int16_t>& decoded) {
  double best = -100;
  for (size_t lag = 0; lag < 48; lag++) {
    double signal = 0, noise = 0;
    for (size_t i = 0; i + lag < decoded.size() && i < input.size(); i++) {
      const double x = input[i], e = x - decoded[i + lag];
      signal += x * x;
      noise += e * e;
    }
    best = std::max(best, 10 * std::log10(signal / std::max(noise, 1.0)));
  }
  return best;
}

std::vector<CodecConfig> AllConfigs() {
  std::vector<CodecConfig> configs;
  for (int32_t rate : {64000, 56000, 48000}) {
    const std::array<int32_t, 4> all_options = {0, G722Option8k, G722OptionPacked,
                                                G722Option8k | G722OptionPacked};
    for (int32_t options : all_options) {
      std::string name = std::to_string(rate / 1000) + "k";
      name += (options & G722Option8k) ? "_8kHz" : "_16kHz";
      if (options & G722OptionPacked) name += "_packed";
      configs.push_back({rate, options, name});
    }
  }
  return configs;
}

}  // namespace g722kit::test
