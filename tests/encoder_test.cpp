// The encoder: known code sequences, packing, and streams split over many calls.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "codec_variants.h"
#include "g722kit/g722.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

std::vector<int16_t> Repeat(std::vector<int16_t> pattern, size_t times) {
  std::vector<int16_t> out;
  for (size_t i = 0; i < times; i++)
    out.insert(out.end(), pattern.begin(), pattern.end());
  return out;
}

using Encoder = AtEveryVariant<>;

TEST_P(Encoder, KnownCodeSequences) {
  struct Case {
    const char* what;
    int32_t rate, options;
    std::vector<int16_t> pcm;
    std::vector<uint8_t> codes;
  };
  const int32_t k8 = G722Option8k;
  const Case cases[] = {
      {"8k +1000",
       64000,
       k8,
       Repeat({1000}, 10),
       {224, 224, 224, 224, 234, 237, 239, 242, 243, 244}},
      {"8k -1000",
       64000,
       k8,
       Repeat({-1000}, 10),
       {196, 196, 196, 196, 206, 208, 209, 211, 212, 212}},
      {"8k +1 codes as silence", 64000, k8, Repeat({1}, 6), {250, 250, 250, 250, 250, 250}},
      {"8k -1", 64000, k8, Repeat({-1}, 6), {222, 222, 222, 247, 250, 250}},
      {"8k full scale +", 64000, k8, Repeat({32767}, 6), {224, 224, 224, 224, 224, 224}},
      {"8k full scale -", 64000, k8, Repeat({-32768}, 6), {196, 196, 196, 196, 196, 196}},
      {"16k +1000",
       64000,
       0,
       Repeat({1000}, 24),
       {222, 52, 148, 34, 137, 32, 160, 36, 167, 236, 238, 175}},
      {"16k alternating",
       64000,
       0,
       Repeat({1000, -1000}, 12),
       {222, 50, 146, 38, 139, 32, 28, 57, 59, 59, 57, 60}},
      {"48k packed, 4 silent", 48000, k8 | G722OptionPacked, Repeat({0}, 4), {190, 239, 251}},
      {"56k packed, 8 silent",
       56000,
       k8 | G722OptionPacked,
       Repeat({0}, 8),
       {253, 126, 191, 223, 239, 247, 251}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(EncodeAll(c.rate, c.options, c.pcm), c.codes) << c.what;
}

// Silence codes as IL 58, whose quantized difference is 1, not 0: the predictor keeps
// adapting and after 44 codes its prediction reaches -1, so the 45th code differs.
TEST_P(Encoder, SilenceCodesAsTheSmallestPositiveStepUntilThePredictorDrifts) {
  struct Case {
    int32_t rate;
    uint8_t first_44, code_45;
  };
  for (const Case& c : {Case{64000, 250, 247}, Case{56000, 125, 123}, Case{48000, 62, 61}}) {
    for (int32_t options : {0, int32_t{G722Option8k}}) {
      const size_t samples = (options & G722Option8k) ? 45 : 90;
      const std::vector<uint8_t> codes = EncodeAll(c.rate, options, std::vector<int16_t>(samples));
      ASSERT_EQ(codes.size(), 45u);
      const std::vector<uint8_t> head(codes.begin(), codes.begin() + 44);
      EXPECT_EQ(head, std::vector<uint8_t>(44, c.first_44)) << c.rate << " " << options;
      EXPECT_EQ(codes[44], c.code_45) << c.rate << " " << options;
    }
  }
}

TEST_P(Encoder, NothingToEncodeChangesNothing) {
  for (const CodecConfig& config : AllConfigs()) {
    G722State state;
    G722EncoderInit(&state, config.rate, config.options);
    const int16_t pcm[2] = {1000, 1000};
    uint8_t first[1];
    G722EncodeSamples(&state, first, pcm, 1);  // two-band holds the sample; packed, its bits
    const G722State before = state;
    uint8_t out[4] = {7, 7, 7, 7};
    EXPECT_EQ(G722EncodeSamples(&state, out, pcm, 0), 0) << config.name;
    EXPECT_EQ(G722EncodeSamples(&state, out, pcm, -3), 0) << config.name;
    EXPECT_EQ(G722EncodeSamples(nullptr, out, pcm, 2), 0) << config.name;
    EXPECT_EQ(G722EncodeSamples(&state, nullptr, pcm, 2), 0) << config.name;
    EXPECT_EQ(G722EncodeSamples(&state, out, nullptr, 2), 0) << config.name;
    EXPECT_EQ(G722EncoderFlush(&state, nullptr), 0) << config.name;
    EXPECT_EQ(std::memcmp(&state, &before, sizeof state), 0) << config.name;
    EXPECT_EQ(out[0], 7) << config.name;
  }
}

TEST_P(Encoder, PackedBitsWaitForTheNextCall) {
  G722State state;
  G722EncoderInit(&state, 48000, G722Option8k | G722OptionPacked);
  const int16_t silence[3] = {0, 0, 0};
  uint8_t out[3] = {};
  ASSERT_EQ(G722EncodeSamples(&state, out, silence, 3), 2);
  EXPECT_EQ(out[0], 190);
  EXPECT_EQ(out[1], 239);
  EXPECT_EQ(state.pack_bits, 2);
  EXPECT_EQ(state.pack_buffer, 3u);
  ASSERT_EQ(G722EncodeSamples(&state, out, silence, 1), 1);
  EXPECT_EQ(out[0], 251);
}

TEST_P(Encoder, OddSampleInTwoBandModeWaitsForItsPair) {
  G722State state;
  G722EncoderInit(&state, 64000, 0);
  const int16_t pcm[3] = {1000, 1000, 1000};
  uint8_t out[2] = {};
  EXPECT_EQ(G722EncodeSamples(&state, out, pcm, 3), 1);
  EXPECT_EQ(state.has_pending, 1);
  EXPECT_EQ(G722EncodeSamples(&state, out + 1, pcm, 1), 1);
  EXPECT_EQ(state.has_pending, 0);
  EXPECT_EQ(out[0], 222);
  EXPECT_EQ(out[1], 52);
}

using EncoderSplit = AtEveryVariant<CodecConfig>;

// Any split of a stream into calls gives the bytes of one call, odd pieces included.
TEST_P(EncoderSplit, AnySplitGivesTheBytesOfOneCall) {
  const CodecConfig& config = std::get<1>(GetParam());
  const int rate = (config.options & G722Option8k) ? 8000 : 16000;
  const std::vector<int16_t> pcm = SpeechLikeSignal(40000, rate, 1);
  const std::vector<uint8_t> whole = EncodeAll(config.rate, config.options, pcm);
  ASSERT_GT(whole.size(), 10000u);

  std::mt19937 random(static_cast<uint32_t>(config.rate + config.options));
  for (int max_piece : {1, 3, 64, 5000}) {
    G722State state;
    G722EncoderInit(&state, config.rate, config.options);
    std::vector<uint8_t> pieces(whole.size() + 8);
    size_t written = 0;
    for (size_t i = 0; i < pcm.size();) {
      const size_t piece =
          std::min<size_t>(pcm.size() - i, std::uniform_int_distribution<>(1, max_piece)(random));
      written += G722EncodeSamples(&state, pieces.data() + written, pcm.data() + i,
                                   static_cast<int32_t>(piece));
      i += piece;
    }
    pieces.resize(written);
    EXPECT_EQ(pieces, whole) << "pieces of up to " << max_piece;
  }
}

INSTANTIATE_TEST_SUITE_P(Simd, Encoder, ::testing::Combine(::testing::ValuesIn(CodecVariants())),
                         VariantName());
INSTANTIATE_TEST_SUITE_P(AllConfigs, EncoderSplit,
                         ::testing::Combine(::testing::ValuesIn(CodecVariants()),
                                            ::testing::ValuesIn(AllConfigs())),
                         VariantName());

}  // namespace
}  // namespace g722kit::test
