// A decoded file read back by libsndfile, an independent WAV reader.
#include <gtest/gtest.h>
#include <sndfile.h>

#include "g722kit/g722kit.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

TEST(DecodeFile, EncodedFileDecodesToAWavThatLibsndfileReads) {
  TempDir dir;
  const std::vector<int16_t> pcm = SpeechLikeSignal(24001, 8000, 11);
  WriteBytes(dir / "in.raw", PcmBytes(pcm));
  ASSERT_EQ(G722Encode(U16(dir / "in.raw").c_str(), U16(dir / "x.g722").c_str()), G722KIT_OK);
  ASSERT_EQ(G722Decode(U16(dir / "x.g722").c_str(), U16(dir / "x.wav").c_str()), G722KIT_OK);

  SF_INFO info{};
  SNDFILE* wav = sf_open((dir / "x.wav").c_str(), SFM_READ, &info);
  ASSERT_NE(wav, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(info.samplerate, 8000);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.frames, static_cast<sf_count_t>(pcm.size()));
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  std::vector<int16_t> samples(pcm.size());
  EXPECT_EQ(sf_read_short(wav, samples.data(), static_cast<sf_count_t>(samples.size())),
            static_cast<sf_count_t>(pcm.size()));
  sf_close(wav);
  EXPECT_EQ(samples, DecodeAll(64000, G722Option8k, EncodeAll(64000, G722Option8k, pcm)));
}

}  // namespace
}  // namespace g722kit::test
