// Throughput of the codec in every configuration, at calls of 4000 samples and of 20 ms, beside
// a plain step-by-step transcription of the algorithm (reference/), in one process: rows
// "<encode|decode>/<configuration>/<samples per call>/<variant>", where the variant is the
// transcription or one of the library's loops (portable, avx2) up to the active instruction set
// level (G722KIT_SIMD lowers it). Figures are PCM samples per second of CPU time.
//
// G722KIT_BENCH_ITERATIONS=n runs every selected row exactly n times, for counting instructions
// (scripts/bench-instructions).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "g722kit/g722.h"
#include "reference_codec.h"
#include "simd_level.h"
#include "test_support.h"

namespace g722kit::bench {
namespace {

using test::CodecConfig;

constexpr int kSecondsOfSignal = 2;

// The variants side by side: the transcription, or one instruction set level of the library.
struct Variant {
  std::string name;
  bool reference;
  SimdLevel level;
};

using EncodeFunction = int32_t (*)(G722State*, uint8_t*, const int16_t*, int32_t);
using DecodeFunction = int32_t (*)(G722State*, int16_t*, const uint8_t*, int32_t);

EncodeFunction Encoder(const Variant& variant) {
  if (variant.reference) return reference::EncodeSamples;
  SetSimdLevelForTesting(variant.level);
  return G722EncodeSamples;
}

DecodeFunction Decoder(const Variant& variant) {
  if (variant.reference) return reference::DecodeCodes;
  SetSimdLevelForTesting(variant.level);
  return G722DecodeCodes;
}

int PcmRate(const CodecConfig& config) {
  return (config.options & G722Option8k) ? 8000 : 16000;
}

std::vector<int16_t> Speech(const CodecConfig& config) {
  return test::SpeechLikeSignal(static_cast<size_t>(kSecondsOfSignal * PcmRate(config)),
                                PcmRate(config), 7);
}

void SetRate(benchmark::State& bench, int64_t samples) {
  bench.counters["Msamples/s"] =
      benchmark::Counter(static_cast<double>(samples) / 1e6, benchmark::Counter::kIsRate);
}

void EncodeRow(benchmark::State& bench, CodecConfig config, int32_t call, Variant variant) {
  const std::vector<int16_t> pcm = Speech(config);
  std::vector<uint8_t> codes(static_cast<size_t>(call) + 1);
  G722State state;
  G722EncoderInit(&state, config.rate, config.options);
  const EncodeFunction encode = Encoder(variant);
  size_t position = 0;
  for (auto _ : bench) {
    if (position + static_cast<size_t>(call) > pcm.size()) position = 0;
    benchmark::DoNotOptimize(encode(&state, codes.data(), pcm.data() + position, call));
    position += static_cast<size_t>(call);
  }
  SetRate(bench, static_cast<int64_t>(bench.iterations()) * call);
}

void DecodeRow(benchmark::State& bench, CodecConfig config, int32_t call, Variant variant) {
  const std::vector<uint8_t> codes = test::EncodeAll(config.rate, config.options, Speech(config));
  // The bytes that hold the codes of `call` samples.
  const int32_t codes_per_call = (config.options & G722Option8k) ? call : call / 2;
  G722State state;
  G722DecoderInit(&state, config.rate, config.options);
  const int32_t bytes = state.packed ? codes_per_call * state.bits_per_code / 8 : codes_per_call;
  std::vector<int16_t> pcm(2 * static_cast<size_t>(codes_per_call) + 4);
  const DecodeFunction decode = Decoder(variant);
  size_t position = 0;
  int64_t samples = 0;
  for (auto _ : bench) {
    if (position + static_cast<size_t>(bytes) > codes.size()) position = 0;
    samples += decode(&state, pcm.data(), codes.data() + position, bytes);
    benchmark::DoNotOptimize(pcm.data());
    position += static_cast<size_t>(bytes);
  }
  SetRate(bench, samples);
}

std::vector<Variant> Variants() {
  std::vector<Variant> variants = {{"reference", true, SimdLevel::kPortable}};
  // The AVX-512 level runs the AVX2 loops.
  for (SimdLevel level : {SimdLevel::kPortable, SimdLevel::kAvx2}) {
    if (level <= ActiveSimdLevel()) variants.push_back({SimdLevelName(level), false, level});
  }
  return variants;
}

void RegisterCodecRows(int64_t fixed_iterations) {
  for (const bool encode : {true, false}) {
    for (const CodecConfig& config : test::AllConfigs()) {
      const int32_t frame = PcmRate(config) / 50;  // 20 ms
      for (const int32_t call : {4000, frame}) {
        for (const Variant& variant : Variants()) {
          const std::string name = std::string(encode ? "encode/" : "decode/") + config.name + "/" +
                                   std::to_string(call) + "/" + variant.name;
          benchmark::internal::Benchmark* row =
              encode ? benchmark::RegisterBenchmark(name.c_str(), EncodeRow, config, call, variant)
                     : benchmark::RegisterBenchmark(name.c_str(), DecodeRow, config, call, variant);
          if (fixed_iterations > 0) row->Iterations(fixed_iterations);
        }
      }
    }
  }
}

}  // namespace

void RegisterFileRows(int64_t fixed_iterations);

}  // namespace g722kit::bench

int main(int argc, char** argv) {
  const char* iterations = std::getenv("G722KIT_BENCH_ITERATIONS");
  const int64_t fixed = iterations ? std::strtoll(iterations, nullptr, 10) : 0;
  g722kit::bench::RegisterCodecRows(fixed);
  g722kit::bench::RegisterFileRows(fixed);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::AddCustomContext("g722kit active SIMD level",
                              g722kit::SimdLevelName(g722kit::ActiveSimdLevel()));
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
