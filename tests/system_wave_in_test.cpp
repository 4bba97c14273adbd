// The system's wave-input service refuses misuse with result codes, before it reaches the
// system's audio stack.
#include <gtest/gtest.h>

#include <functional>

#include "wave_in.h"

namespace g722kit::platform {
namespace {

void IgnoreMessages(WaveInHandle, uint32_t, uintptr_t, uintptr_t, uintptr_t) {}

TEST(SystemWaveIn, MisuseIsRefusedWithoutTouchingTheDevice) {
  const WaveInService& system = SystemWaveIn();
  const WaveFormat pcm16 = {kWaveFormatPcm, 1, 8000, 16000, 2, 16};
  const WaveFormat no_frames = {kWaveFormatPcm, 1, 8000, 16000, 0, 16};
  uint8_t data[16];
  WaveBuffer buffer = {data, sizeof data, 0, 0, 0, 0, nullptr};
  WaveInHandle device = nullptr;
  struct Case {
    const char* what;
    std::function<int32_t()> call;
    int32_t expected;
  };
  const Case cases[] = {
      {"open without a handle to fill",
       [&] { return system.open(nullptr, nullptr, &pcm16, IgnoreMessages, 0); },
       kWaveInErrBadParameter},
      {"open without a format",
       [&] { return system.open(&device, nullptr, nullptr, IgnoreMessages, 0); },
       kWaveInErrBadParameter},
      {"open without a callback", [&] { return system.open(&device, nullptr, &pcm16, nullptr, 0); },
       kWaveInErrBadParameter},
      {"a format without a frame size",
       [&] { return system.open(&device, nullptr, &no_frames, IgnoreMessages, 0); },
       kWaveInErrBadFormat},
      {"prepare on no device", [&] { return system.prepare(nullptr, &buffer, sizeof buffer); },
       kWaveInErrBadHandle},
      {"add on no device", [&] { return system.add(nullptr, &buffer, sizeof buffer); },
       kWaveInErrBadHandle},
      {"unprepare on no device", [&] { return system.unprepare(nullptr, &buffer, sizeof buffer); },
       kWaveInErrBadHandle},
      {"start on no device", [&] { return system.start(nullptr); }, kWaveInErrBadHandle},
      {"stop on no device", [&] { return system.stop(nullptr); }, kWaveInErrBadHandle},
      {"close on no device", [&] { return system.close(nullptr); }, kWaveInErrBadHandle},
  };
  for (const Case& c : cases) {
    device = nullptr;
    EXPECT_EQ(c.call(), c.expected) << c.what;
    EXPECT_EQ(device, nullptr) << c.what;
    EXPECT_EQ(buffer.flags, 0u) << c.what;
  }
}

}  // namespace
}  // namespace g722kit::platform
