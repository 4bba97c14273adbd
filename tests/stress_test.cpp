// Every operation of the library side by side from several threads: file encodes and decodes,
// recordings on the scripted device with the audio handed over from another thread, and codec
// records of each thread's own. Under ThreadSanitizer it shows any data race between them.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "g722kit/g722kit.h"
#include "scripted_wave_in.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

constexpr int kRounds = 3;

TEST(Stress, AllOperationsSideBySide) {
  TempDir dir;
  // Just over one read of the file operations, so that their state runs across reads.
  const std::vector<int16_t> pcm = SpeechLikeSignal(140000, 8000, 21);
  const std::vector<uint8_t> codes = EncodeAll(64000, G722Option8k, pcm);
  const std::vector<uint8_t> samples = PcmBytes(DecodeAll(64000, G722Option8k, codes));
  WriteBytes(dir / "in.raw", PcmBytes(pcm));
  WriteBytes(dir / "in.g722", codes);
  const std::vector<CodecConfig> configs = AllConfigs();
  std::vector<std::vector<uint8_t>> config_codes;
  for (const CodecConfig& config : configs)
    config_codes.push_back(EncodeAll(config.rate, config.options, pcm));

  ScriptedWaveIn device;
  std::atomic<int> failures{0};
  auto check = [&](bool ok) { failures += ok ? 0 : 1; };
  std::vector<std::function<void(int)>> jobs;
  for (int i = 0; i < 2; i++) {
    const auto encoded = dir / ("out" + std::to_string(i) + ".g722");
    const auto decoded = dir / ("out" + std::to_string(i) + ".wav");
    jobs.push_back([&, encoded](int) {
      check(G722Encode(U16(dir / "in.raw").c_str(), U16(encoded).c_str()) == G722KIT_OK);
      check(ReadBytes(encoded) == codes);
    });
    jobs.push_back([&, decoded](int) {
      check(G722Decode(U16(dir / "in.g722").c_str(), U16(decoded).c_str()) == G722KIT_OK);
      const std::vector<uint8_t> wav = ReadBytes(decoded);
      check(wav.size() == 44 + samples.size() &&
            std::equal(samples.begin(), samples.end(), wav.begin() + 44));
    });
    jobs.push_back([&, i](int round) {
      // Records the library allocates, whose addresses it keeps in a list of all threads.
      const size_t c = static_cast<size_t>(i * 5 + round) % configs.size();
      G722State* state = G722EncoderInit(nullptr, configs[c].rate, configs[c].options);
      check(state != nullptr);
      std::vector<uint8_t> own(pcm.size());
      own.resize(static_cast<size_t>(
          G722EncodeSamples(state, own.data(), pcm.data(), static_cast<int32_t>(pcm.size()))));
      check(own == config_codes[c]);
      G722EncoderRelease(state);
    });
  }
  jobs.push_back([&](int round) {
    const auto file = dir / ("rec" + std::to_string(round) + ".wav");
    check(G711ADPCMSoundRecorderStart(U16(file).c_str()) == G722KIT_OK);
    std::thread audio([&] {
      for (uint8_t second = 1; second <= 2; second++)
        device.Deliver(std::vector<uint8_t>(16000, second));
    });
    audio.join();
    check(G711ADPCMSoundRecorderStop() == 2);
    check(ReadBytes(file).size() == 44 + 2 * 16000);
  });

  std::vector<std::thread> threads;
  for (const auto& job : jobs) {
    threads.emplace_back([&job] {
      for (int round = 0; round < kRounds; round++)
        job(round);
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
}  // namespace g722kit::test
