// The ALSA wave-input service refuses misuse with result codes, before it reaches ALSA.
#include <gtest/gtest.h>

#include <functional>

#include "wave_in.h"

namespace g722kit::platform {
namespace {

void IgnoreMessages(WaveInHandle, uint32_t, uintptr_t, uintptr_t, uintptr_t) {}

TEST(AlsaWaveIn, MisuseIsRefusedWithoutTouchingTheDevice) {
  const WaveInService& alsa = SystemWaveIn();
  const WaveFormat pcm16 = {kWaveFormatPcm, 1, 8000, 16000, 2, 16};
  uint8_t data[16];
  WaveBuffer buffer = {data, sizeof data, 0, 0, 0, 0, nullptr};
  WaveInHandle device = nullptr;
  auto open_with = [&](WaveFormat format) {
    return alsa.open(&device, &format, IgnoreMessages, 0);
  };
  struct Case {
    const char* what;
    std::function<int32_t()> call;
    int32_t expected;
  };
  const Case cases[] = {
      {"open without a handle to fill",
       [&] { return alsa.open(nullptr, &pcm16, IgnoreMessages, 0); }, kWaveInErrBadParameter},
      {"open without a format", [&] { return alsa.open(&device, nullptr, IgnoreMessages, 0); },
       kWaveInErrBadParameter},
      {"open without a callback", [&] { return alsa.open(&device, &pcm16, nullptr, 0); },
       kWaveInErrBadParameter},
      {"8-bit samples",
       [&] {
         return open_with({kWaveFormatPcm, 1, 8000, 8000, 1, 8});
       },
       kWaveInErrBadFormat},
      {"a format tag other than PCM",
       [&] {
         return open_with({3, 1, 8000, 32000, 4, 32});
       },
       kWaveInErrBadFormat},
      {"a block size that does not fit",
       [&] {
         return open_with({kWaveFormatPcm, 2, 8000, 16000, 2, 16});
       },
       kWaveInErrBadFormat},
      {"a byte rate that does not fit",
       [&] {
         return open_with({kWaveFormatPcm, 1, 8000, 8000, 2, 16});
       },
       kWaveInErrBadFormat},
      {"prepare on no device", [&] { return alsa.prepare(nullptr, &buffer, sizeof buffer); },
       kWaveInErrBadHandle},
      {"add on no device", [&] { return alsa.add(nullptr, &buffer, sizeof buffer); },
       kWaveInErrBadHandle},
      {"unprepare on no device", [&] { return alsa.unprepare(nullptr, &buffer, sizeof buffer); },
       kWaveInErrBadHandle},
      {"start on no device", [&] { return alsa.start(nullptr); }, kWaveInErrBadHandle},
      {"stop on no device", [&] { return alsa.stop(nullptr); }, kWaveInErrBadHandle},
      {"close on no device", [&] { return alsa.close(nullptr); }, kWaveInErrBadHandle},
  };
  for (const Case& c : cases) {
    device = nullptr;
    EXPECT_EQ(c.call(), c.expected) << c.what;
    EXPECT_EQ(device, nullptr) << c.what;
  }
}

}  // namespace
}  // namespace g722kit::platform
