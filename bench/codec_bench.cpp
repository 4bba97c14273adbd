// Throughput of the codec in every configuration, in samples per second of PCM.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "g722kit/g722.h"

namespace {

constexpr int kSamples = 16000;  // one second of two-band audio, two of 8 kHz audio

std::vector<int16_t> TestSignal() {
  std::vector<int16_t> pcm(kSamples);
  for (int i = 0; i < kSamples; i++) {
    pcm[i] = static_cast<int16_t>(6000 * std::sin(i * 0.07) + 3000 * std::sin(i * 0.9));
  }
  return pcm;
}

void BM_Encode(benchmark::State& bench, int32_t rate, int32_t options) {
  const std::vector<int16_t> pcm = TestSignal();
  std::vector<uint8_t> codes(kSamples);
  G722State state;
  G722EncoderInit(&state, rate, options);
  for (auto _ : bench) {
    benchmark::DoNotOptimize(G722EncodeSamples(&state, codes.data(), pcm.data(), kSamples));
  }
  bench.counters["Msamples/s"] = benchmark::Counter(
      static_cast<double>(bench.iterations()) * kSamples / 1e6, benchmark::Counter::kIsRate);
}

void BM_Decode(benchmark::State& bench, int32_t rate, int32_t options) {
  const std::vector<int16_t> pcm = TestSignal();
  std::vector<uint8_t> codes(kSamples);
  G722State state;
  G722EncoderInit(&state, rate, options);
  const int32_t bytes = G722EncodeSamples(&state, codes.data(), pcm.data(), kSamples);
  std::vector<int16_t> out(2 * kSamples + 2);
  G722DecoderInit(&state, rate, options);
  int64_t samples = 0;
  for (auto _ : bench) {
    const int32_t n = G722DecodeCodes(&state, out.data(), codes.data(), bytes);
    benchmark::DoNotOptimize(out.data());
    samples += n;
  }
  bench.counters["Msamples/s"] =
      benchmark::Counter(static_cast<double>(samples) / 1e6, benchmark::Counter::kIsRate);
}

#define G722_CONFIGS(BM)                                                          \
  BENCHMARK_CAPTURE(BM, 64k_16kHz, 64000, 0);                                     \
  BENCHMARK_CAPTURE(BM, 64k_8kHz, 64000, G722Option8k);                           \
  BENCHMARK_CAPTURE(BM, 56k_16kHz, 56000, 0);                                     \
  BENCHMARK_CAPTURE(BM, 56k_8kHz, 56000, G722Option8k);                           \
  BENCHMARK_CAPTURE(BM, 56k_16kHz_packed, 56000, G722OptionPacked);               \
  BENCHMARK_CAPTURE(BM, 56k_8kHz_packed, 56000, G722Option8k | G722OptionPacked); \
  BENCHMARK_CAPTURE(BM, 48k_16kHz, 48000, 0);                                     \
  BENCHMARK_CAPTURE(BM, 48k_8kHz, 48000, G722Option8k);                           \
  BENCHMARK_CAPTURE(BM, 48k_16kHz_packed, 48000, G722OptionPacked);               \
  BENCHMARK_CAPTURE(BM, 48k_8kHz_packed, 48000, G722Option8k | G722OptionPacked)

G722_CONFIGS(BM_Encode);
G722_CONFIGS(BM_Decode);

}  // namespace

BENCHMARK_MAIN();
