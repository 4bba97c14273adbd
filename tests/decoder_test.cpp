// The decoder: known samples and adaptation, the bit reservoir, wrapping, split streams.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "codec_variants.h"
#include "g722kit/g722.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

using Decoder = AtEveryVariant<>;

TEST_P(Decoder, KnownSampleSequences) {
  struct Case {
    const char* what;
    int32_t rate, options;
    std::vector<uint8_t> codes;
    std::vector<int16_t> pcm;
  };
  const int32_t k8 = G722Option8k;
  const Case cases[] = {
      {"64k two-band, one code", 64000, 0, {0x04}, {-1, 0}},
      {"64k 8k, one code", 64000, k8, {0x04}, {-50}},
      {"56k 8k, one code", 56000, k8, {0x04}, {-28}},
      {"48k 8k, one code", 48000, k8, {0x04}, {-14}},
      {"64k 8k, four codes", 64000, k8, {4, 4, 4, 4}, {-50, -134, -370, -1032}},
      {"64k two-band, four codes", 64000, 0, {4, 4, 4, 4}, {-1, 0, 0, -1, -1, 1, -1, -2}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecodeAll(c.rate, c.options, c.codes), c.pcm) << c.what;
}

TEST_P(Decoder, OneCodeAdaptsBothBands) {
  struct Case {
    int32_t rate, options;
    int32_t low_nb, low_det, high_nb, high_det;
  };
  const Case cases[] = {
      {64000, 0, 3042, 88, 798, 8},
      {64000, G722Option8k, 3042, 88, 0, 8},  // the upper band stays as initialised
      {56000, G722Option8k, 1198, 44, 0, 8},
      {48000, G722Option8k, 334, 32, 0, 8},
  };
  for (const Case& c : cases) {
    G722State state;
    G722DecoderInit(&state, c.rate, c.options);
    const uint8_t code = 0x04;
    int16_t pcm[2];
    G722DecodeCodes(&state, pcm, &code, 1);
    EXPECT_EQ(state.band[0].nb, c.low_nb) << c.rate << " " << c.options;
    EXPECT_EQ(state.band[0].det, c.low_det) << c.rate << " " << c.options;
    EXPECT_EQ(state.band[1].nb, c.high_nb) << c.rate << " " << c.options;
    EXPECT_EQ(state.band[1].det, c.high_det) << c.rate << " " << c.options;
    if (c.options == 0) {
      EXPECT_EQ(state.qmf_history[22], -27);
      EXPECT_EQ(state.qmf_history[23], -23);
    }
  }
}

TEST_P(Decoder, NothingToDecodeChangesNothing) {
  G722State state;
  G722DecoderInit(&state, 48000, G722OptionPacked);
  const uint8_t held[3] = {0xA5, 0x3C, 0x00};
  int16_t pcm[8] = {};
  G722DecodeCodes(&state, pcm, held, 3);  // leaves a whole code held
  const G722State before = state;
  int16_t untouched[2] = {123, 456};
  EXPECT_EQ(G722DecodeCodes(&state, untouched, held, 0), 0);
  EXPECT_EQ(G722DecodeCodes(&state, untouched, held, -1), 0);
  // Counts whose samples could pass int32_t are refused before anything is read.
  EXPECT_EQ(G722DecodeCodes(&state, untouched, held, G722MaxDecodeBytes + 1), 0);
  EXPECT_EQ(G722DecodeCodes(&state, untouched, held, 1073745920), 0);
  EXPECT_EQ(G722DecodeCodes(nullptr, untouched, held, 1), 0);
  EXPECT_EQ(G722DecodeCodes(&state, nullptr, held, 1), 0);
  EXPECT_EQ(G722DecodeCodes(&state, untouched, nullptr, 1), 0);
  EXPECT_EQ(G722DecoderFlush(&state, nullptr), 0);
  EXPECT_EQ(std::memcmp(&state, &before, sizeof state), 0);
  EXPECT_EQ(untouched[0], 123);
}

// Packed codes come out least significant bit first; a whole code left in the reservoir at
// the end of a call is decoded first by the next call.
TEST_P(Decoder, BitReservoirAcrossCalls) {
  // 0xA5, 0x3C at 48000 packed are the 6-bit codes 0x25 and 0x32, with 4 bits (value 3) left.
  G722State packed;
  G722DecoderInit(&packed, 48000, G722OptionPacked);
  const uint8_t two[2] = {0xA5, 0x3C};
  int16_t pcm[32];
  ASSERT_EQ(G722DecodeCodes(&packed, pcm, two, 2), 4);
  EXPECT_EQ(packed.unpack_bits, 4);
  EXPECT_EQ(packed.unpack_buffer, 3u);
  EXPECT_EQ(std::vector<int16_t>(pcm, pcm + 4), DecodeAll(48000, 0, {0x25, 0x32}));

  struct Case {
    int32_t rate;
    std::vector<int32_t> byte_counts;
    std::vector<int32_t> codes_per_call;
    int32_t bits_left;
  };
  const Case cases[] = {
      {48000, {3, 1}, {3, 2}, 2},  // three bytes hold four codes; the fourth waits
      {56000, {7}, {7}, 7},        // seven bytes hold eight codes; the eighth waits
      {56000, {8}, {9}, 1},
  };
  for (const Case& c : cases) {
    G722State state;
    G722DecoderInit(&state, c.rate, G722OptionPacked);
    const uint8_t bytes[8] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    for (size_t call = 0; call < c.byte_counts.size(); call++) {
      EXPECT_EQ(G722DecodeCodes(&state, pcm, bytes, c.byte_counts[call]),
                2 * c.codes_per_call[call])
          << c.rate << " call " << call;
    }
    EXPECT_EQ(state.unpack_bits, c.bits_left) << c.rate;
  }
}

TEST_P(Decoder, UnusedHighBitsOfUnpackedCodesAreIgnored) {
  EXPECT_EQ(DecodeAll(48000, 0, {0xFF, 0x3F, 0x3F}), DecodeAll(48000, 0, {0x3F, 0xFF, 0x3F}));
  EXPECT_EQ(DecodeAll(56000, 0, {0xFF, 0x7F}), DecodeAll(56000, 0, {0x7F, 0xFF}));
}

// The receive filter's output saturates: sums beyond the 16-bit range never wrap.
TEST_P(Decoder, TwoBandOutputSaturates) {
  std::vector<uint8_t> codes;
  for (int i = 0; i < 8; i++)
    codes.insert(codes.end(), {0x04, 0x04, 0xA0, 0xA0});
  const std::vector<int16_t> pcm = DecodeAll(64000, 0, codes);
  ASSERT_GE(pcm.size(), 30u);
  EXPECT_EQ(pcm[28], -32768);  // shifted sum -35865
  EXPECT_EQ(pcm[29], -32768);  // shifted sum -35899
}

using DecoderSplit = AtEveryVariant<CodecConfig>;

// Feeding a code stream in pieces of any size gives the samples of one call.
TEST_P(DecoderSplit, AnySplitGivesTheSamplesOfOneCall) {
  const CodecConfig& config = std::get<1>(GetParam());
  const int rate = (config.options & G722Option8k) ? 8000 : 16000;
  const std::vector<uint8_t> codes =
      EncodeAll(config.rate, config.options, SpeechLikeSignal(30000, rate, 2));
  const std::vector<int16_t> whole = DecodeAll(config.rate, config.options, codes);

  std::mt19937 random(static_cast<uint32_t>(config.rate * 7 + config.options));
  for (int max_piece : {1, 2, 7, 3000}) {
    G722State state;
    G722DecoderInit(&state, config.rate, config.options);
    std::vector<int16_t> pieces(whole.size() + 16);
    size_t written = 0;
    for (size_t i = 0; i < codes.size();) {
      const size_t piece =
          std::min<size_t>(codes.size() - i, std::uniform_int_distribution<>(1, max_piece)(random));
      written += G722DecodeCodes(&state, pieces.data() + written, codes.data() + i,
                                 static_cast<int32_t>(piece));
      i += piece;
    }
    pieces.resize(written);
    // A code held back at the end of the last call is not decoded by either way of feeding.
    EXPECT_EQ(pieces, whole) << "pieces of up to " << max_piece;
  }
}

INSTANTIATE_TEST_SUITE_P(Simd, Decoder, ::testing::Combine(::testing::ValuesIn(CodecVariants())),
                         VariantName());
INSTANTIATE_TEST_SUITE_P(AllConfigs, DecoderSplit,
                         ::testing::Combine(::testing::ValuesIn(CodecVariants()),
                                            ::testing::ValuesIn(AllConfigs())),
                         VariantName());

}  // namespace
}  // namespace g722kit::test
