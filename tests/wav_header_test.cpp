// The WAV header: its byte layout and the limits of its 32-bit sizes.
#include <gtest/gtest.h>

#include <vector>

#include "wav_header.h"

namespace g722kit {
namespace {

TEST(WavHeader, BytesAreTheCanonicalLittleEndianLayout) {
  WavHeader header;
  WavHeaderFill(header, 0x01020304, 0xA0B0C0D0);
  const auto bytes = WavHeaderBytes(header);
  const std::vector<uint8_t> expected = {
      'R',  'I',  'F', 'F', 0x04, 0x03, 0x02, 0x01, 'W', 'A', 'V', 'E',  //
      'f',  'm',  't', ' ', 16,   0,    0,    0,    1,   0,   1,   0,    //
      0x40, 0x1F, 0,   0,   0x80, 0x3E, 0,    0,    2,   0,   16,  0,    //
      'd',  'a',  't', 'a', 0xD0, 0xC0, 0xB0, 0xA0};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
}

TEST(WavHeader, SizesForDataStopAtWhatThirtyTwoBitsDescribe) {
  struct Case {
    int64_t data_bytes;
    bool fits;
    uint32_t riff_size, data_size;
  };
  const Case cases[] = {
      {0, true, 36, 0},
      {16000, true, 16036, 16000},
      {0x7FFFFFFF, true, 0x80000023, 0x7FFFFFFF},  // past 2 GiB
      {kWavMaxDataBytes, true, 0xFFFFFFFF, 0xFFFFFFDB},
      {kWavMaxDataBytes + 1, false, 0, 0},  // the RIFF size would wrap
      {0x100000000ll, false, 0, 0},
      {-2, false, 0, 0},
  };
  for (const Case& c : cases) {
    WavHeader header;
    WavHeaderFill(header, 0, 0);
    EXPECT_EQ(WavDataFits(c.data_bytes), c.fits) << c.data_bytes;
    EXPECT_EQ(WavHeaderFillForData(header, c.data_bytes), c.fits) << c.data_bytes;
    EXPECT_EQ(header.riff_size, c.riff_size) << c.data_bytes;
    EXPECT_EQ(header.data_size, c.data_size) << c.data_bytes;
  }
}

}  // namespace
}  // namespace g722kit
