// The ALSA wave-input service refuses the formats it does not capture, before it reaches ALSA,
// and names it does not know.
#include <gtest/gtest.h>

#include "g722kit/g722kit.h"
#include "test_support.h"
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
    EXPECT_EQ(SystemWaveIn().open(&device, nullptr, &c.format, IgnoreMessages, 0),
              kWaveInErrBadFormat)
        << c.what;
    EXPECT_EQ(device, nullptr) << c.what;
  }
}

// The name reaches ALSA: its "null" PCM, which every ALSA has, records silence (some ALSA
// versions deliver it as fast as it is read, so the length varies, but the file holds exactly
// the whole seconds Stop reports), and a name that ALSA does not know fails Start at the
// device's open, leaving no file.
TEST(AlsaWaveIn, DeviceNamesAreAlsaPcmNames) {
  test::TempDir dir;
  const std::u16string file = test::U16(dir / "rec.wav");
  ASSERT_EQ(G711ADPCMSoundRecorderSetDevice(u"null"), G722KIT_OK);
  EXPECT_EQ(G711ADPCMSoundRecorderStart(file.c_str()), G722KIT_OK);
  const int32_t seconds = G711ADPCMSoundRecorderStop();
  ASSERT_GE(seconds, 0);
  EXPECT_EQ(std::filesystem::file_size(dir / "rec.wav"), 44u + 16000u * uint64_t(seconds));

  ASSERT_EQ(G711ADPCMSoundRecorderSetDevice(u"g722kit-no-such-pcm"), G722KIT_OK);
  std::filesystem::remove(dir / "rec.wav");
  EXPECT_EQ(G711ADPCMSoundRecorderStart(file.c_str()), G722KIT_ERR_DEVICE_OPEN);
  EXPECT_FALSE(std::filesystem::exists(dir / "rec.wav"));
  EXPECT_EQ(G711ADPCMSoundRecorderSetDevice(nullptr), G722KIT_OK);
}

}  // namespace
}  // namespace g722kit::platform
