// Aggregate throughput of many streams coded in 20 ms calls: the batch codec at each instruction
// set beside the single-stream codec, and the plain transcription of the algorithm, coding the
// same streams one after another, in Msamples/s of PCM summed over the streams.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "g722kit/g722.h"
#include "reference_codec.h"
#include "simd_level.h"

namespace {

using g722kit::SimdLevel;

// A single-stream codec's calls: the library's or the plain transcription's.
using EncodeFunction = int32_t (*)(G722State*, uint8_t*, const int16_t*, int32_t);
using DecodeFunction = int32_t (*)(G722State*, int16_t*, const uint8_t*, int32_t);

constexpr int kFrames = 50;  // one second of audio per stream, coded again and again

struct Config {
  const char* name;
  int32_t rate, options;
};

constexpr Config kConfigs[] = {
    {"64k_16kHz", 64000, 0},
    {"64k_8kHz", 64000, G722Option8k},
    {"56k_16kHz", 56000, 0},
    {"56k_8kHz", 56000, G722Option8k},
    {"56k_16kHz_packed", 56000, G722OptionPacked},
    {"56k_8kHz_packed", 56000, G722Option8k | G722OptionPacked},
    {"48k_16kHz", 48000, 0},
    {"48k_8kHz", 48000, G722Option8k},
    {"48k_16kHz_packed", 48000, G722OptionPacked},
    {"48k_8kHz_packed", 48000, G722Option8k | G722OptionPacked},
};

// PCM samples in one 20 ms call.
int FrameSamples(const Config& config) {
  return (config.options & G722Option8k) ? 160 : 320;
}

// Code bytes of one 20 ms call: 160 codes, packed or one per byte.
int FrameBytes(const Config& config) {
  G722State state;
  G722EncoderInit(&state, config.rate, config.options);
  return state.packed ? 160 * state.bits_per_code / 8 : 160;
}

// One second of a voice-like signal, different for each stream.
std::vector<int16_t> StreamSignal(const Config& config, int stream) {
  std::vector<int16_t> pcm(static_cast<size_t>(kFrames * FrameSamples(config)));
  const double pitch = 0.03 + 0.002 * (stream % 17);
  uint32_t noise = 2463534242u + static_cast<uint32_t>(stream);
  for (size_t i = 0; i < pcm.size(); i++) {
    noise ^= noise << 13;
    noise ^= noise >> 17;
    noise ^= noise << 5;
    const double voice = 5000 * std::sin(i * pitch) * (1 + std::sin(i * 0.0011 + stream));
    pcm[i] = static_cast<int16_t>(voice + 2000 * std::sin(i * pitch * 7) +
                                  static_cast<int32_t>(noise % 1024) - 512);
  }
  return pcm;
}

// Every stream's second of codes, coded frame by frame with single-stream encoders.
std::vector<std::vector<uint8_t>> StreamCodes(const Config& config, int streams) {
  std::vector<std::vector<uint8_t>> codes(streams);
  for (int i = 0; i < streams; i++) {
    const std::vector<int16_t> pcm = StreamSignal(config, i);
    G722State state;
    G722EncoderInit(&state, config.rate, config.options);
    codes[i].resize(pcm.size());
    const int32_t n =
        G722EncodeSamples(&state, codes[i].data(), pcm.data(), static_cast<int32_t>(pcm.size()));
    codes[i].resize(static_cast<size_t>(n));
  }
  return codes;
}

void SetRate(benchmark::State& bench, int streams, int frame_samples) {
  bench.counters["Msamples/s"] =
      benchmark::Counter(static_cast<double>(bench.iterations()) * streams * frame_samples / 1e6,
                         benchmark::Counter::kIsRate);
}

// Level kPortable, kAvx2 or kAvx512 for the batch; single-stream rows run at the supported one.
bool UseLevel(benchmark::State& bench, SimdLevel level) {
  if (g722kit::SetSimdLevelForTesting(level)) return true;
  bench.SkipWithError("instruction set not supported here");
  return false;
}

void BM_BatchEncode(benchmark::State& bench, Config config, int streams, SimdLevel level) {
  if (!UseLevel(bench, level)) return;
  const int frame = FrameSamples(config);
  std::vector<std::vector<int16_t>> pcm;
  std::vector<std::vector<uint8_t>> codes(streams, std::vector<uint8_t>(frame));
  for (int i = 0; i < streams; i++)
    pcm.push_back(StreamSignal(config, i));
  std::vector<const int16_t*> in(streams);
  std::vector<uint8_t*> out(streams);
  for (int i = 0; i < streams; i++)
    out[i] = codes[i].data();
  G722Batch* batch = G722BatchEncoderCreate(streams, config.rate, config.options);
  int f = 0;
  for (auto _ : bench) {
    for (int i = 0; i < streams; i++)
      in[i] = pcm[i].data() + f * frame;
    benchmark::DoNotOptimize(G722BatchEncode(batch, out.data(), in.data(), frame));
    f = (f + 1) % kFrames;
  }
  G722BatchRelease(batch);
  SetRate(bench, streams, frame);
}

void BM_SingleEncode(benchmark::State& bench, Config config, int streams, EncodeFunction encode) {
  UseLevel(bench, g722kit::SupportedSimdLevel());
  const int frame = FrameSamples(config);
  std::vector<std::vector<int16_t>> pcm;
  std::vector<G722State> states(streams);
  for (int i = 0; i < streams; i++) {
    pcm.push_back(StreamSignal(config, i));
    G722EncoderInit(&states[i], config.rate, config.options);
  }
  std::vector<uint8_t> codes(frame);
  int f = 0;
  for (auto _ : bench) {
    for (int i = 0; i < streams; i++)
      encode(&states[i], codes.data(), pcm[i].data() + f * frame, frame);
    benchmark::DoNotOptimize(codes.data());
    f = (f + 1) % kFrames;
  }
  SetRate(bench, streams, frame);
}

void BM_BatchDecode(benchmark::State& bench, Config config, int streams, SimdLevel level) {
  if (!UseLevel(bench, level)) return;
  const int frame = FrameBytes(config);
  const std::vector<std::vector<uint8_t>> codes = StreamCodes(config, streams);
  std::vector<std::vector<int16_t>> pcm(streams, std::vector<int16_t>(2 * FrameSamples(config)));
  std::vector<const uint8_t*> in(streams);
  std::vector<int16_t*> out(streams);
  for (int i = 0; i < streams; i++)
    out[i] = pcm[i].data();
  G722Batch* batch = G722BatchDecoderCreate(streams, config.rate, config.options);
  int f = 0;
  for (auto _ : bench) {
    for (int i = 0; i < streams; i++)
      in[i] = codes[i].data() + f * frame;
    benchmark::DoNotOptimize(G722BatchDecode(batch, out.data(), in.data(), frame));
    f = (f + 1) % kFrames;
  }
  G722BatchRelease(batch);
  SetRate(bench, streams, FrameSamples(config));
}

void BM_SingleDecode(benchmark::State& bench, Config config, int streams, DecodeFunction decode) {
  UseLevel(bench, g722kit::SupportedSimdLevel());
  const int frame = FrameBytes(config);
  const std::vector<std::vector<uint8_t>> codes = StreamCodes(config, streams);
  std::vector<G722State> states(streams);
  for (G722State& state : states)
    G722DecoderInit(&state, config.rate, config.options);
  std::vector<int16_t> pcm(2 * FrameSamples(config));
  int f = 0;
  for (auto _ : bench) {
    for (int i = 0; i < streams; i++)
      decode(&states[i], pcm.data(), codes[i].data() + f * frame, frame);
    benchmark::DoNotOptimize(pcm.data());
    f = (f + 1) % kFrames;
  }
  SetRate(bench, streams, FrameSamples(config));
}

// Rows named direction/configuration/streams/codec: the plain transcription (reference), the
// single-stream codec (single) and the batch at each instruction set.
void RegisterAll() {
  const std::pair<const char*, SimdLevel> levels[] = {{"batch_portable", SimdLevel::kPortable},
                                                      {"batch_avx2", SimdLevel::kAvx2},
                                                      {"batch_avx512", SimdLevel::kAvx512}};
  for (const char* direction : {"Encode", "Decode"}) {
    const bool encode = direction[0] == 'E';
    for (const Config& config : kConfigs) {
      for (int streams : {64, 256}) {
        const std::string row =
            std::string(direction) + "/" + config.name + "/" + std::to_string(streams) + "/";
        if (encode) {
          benchmark::RegisterBenchmark((row + "reference").c_str(), BM_SingleEncode, config,
                                       streams, g722kit::reference::EncodeSamples);
          benchmark::RegisterBenchmark((row + "single").c_str(), BM_SingleEncode, config, streams,
                                       G722EncodeSamples);
        } else {
          benchmark::RegisterBenchmark((row + "reference").c_str(), BM_SingleDecode, config,
                                       streams, g722kit::reference::DecodeCodes);
          benchmark::RegisterBenchmark((row + "single").c_str(), BM_SingleDecode, config, streams,
                                       G722DecodeCodes);
        }
        for (const auto& [name, level] : levels) {
          benchmark::RegisterBenchmark((row + name).c_str(),
                                       encode ? BM_BatchEncode : BM_BatchDecode, config, streams,
                                       level);
        }
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
