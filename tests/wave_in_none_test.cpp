// A build without audio capture: every recording fails to open its device and is cleaned up by
// Stop as any failed start is.
#include <gtest/gtest.h>

#include "g722kit/g722kit.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

TEST(NoAudioCapture, StartReportsThatNoDeviceOpens) {
  TempDir dir;
  EXPECT_EQ(G711ADPCMSoundRecorderStart(U16(dir / "rec.wav").c_str()), G722KIT_ERR_DEVICE_OPEN);
  EXPECT_EQ(G711ADPCMSoundRecorderStop(), 0);
  EXPECT_EQ(ReadBytes(dir / "rec.wav").size(), 44u);
}

}  // namespace
}  // namespace g722kit::test
