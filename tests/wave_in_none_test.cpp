// A build without audio capture: every recording fails to open its device, and leaves nothing
// behind, as any Start that fails does.
#include <gtest/gtest.h>

#include <filesystem>

#include "g722kit/g722kit.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

TEST(NoAudioCapture, StartReportsThatNoDeviceOpens) {
  TempDir dir;
  EXPECT_EQ(G711ADPCMSoundRecorderStart(U16(dir / "rec.wav").c_str()), G722KIT_ERR_DEVICE_OPEN);
  EXPECT_EQ(G711ADPCMSoundRecorderStop(), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "rec.wav"));
}

}  // namespace
}  // namespace g722kit::test
