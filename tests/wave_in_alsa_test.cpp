// The ALSA wave-input service refuses the formats it does not capture, before it reaches ALSA.
#include <gtest/gtest.h>

#include "wave_in.h"

namespace g722kit::platform {
namespace {

void IgnoreMessages(WaveInHandle, uint32_t, uintptr_t, uintptr_t, uintptr_t) {}

TEST(AlsaWaveIn, FormatsOtherThan16BitPcmAreRefused) {
  struct Case {
    const char* what;
    WaveFormat format;
  };
  const Case cases[] = {
      {"8-bit samples", {kWaveFormatPcm, 1, 8000, 8000, 1, 8}},
      {"a format tag other than PCM", {3, 1, 8000, 32000, 4, 32}},
      {"a block size that does not fit", {kWaveFormatPcm, 2, 8000, 16000, 2, 16}},
      {"a byte rate that does not fit", {kWaveFormatPcm, 1, 8000, 8000, 2, 16}},
  };
  for (const Case& c : cases) {
    WaveInHandle device = nullptr;
    EXPECT_EQ(SystemWaveIn().open(&device, &c.format, IgnoreMessages, 0), kWaveInErrBadFormat)
        << c.what;
    EXPECT_EQ(device, nullptr) << c.what;
  }
}

}  // namespace
}  // namespace g722kit::platform
