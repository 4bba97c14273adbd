// G722PacketDecoder: bit for bit G722DecodeCodes while nothing is lost, and what concealment
// achieves when packets are lost, on a speech-like signal.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "g722kit/g722.h"
#include "loss_metrics.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

TEST(PacketDecoder, RefusesWhatItCannotDecode) {
  struct Case {
    int32_t rate, options;
    bool made;
  };
  for (const Case& c :
       {Case{64000, 0, true}, Case{48000, G722Option8k, true}, Case{64000, G722OptionPacked, false},
        Case{56000, 3, false}, Case{44100, 0, false}, Case{0, G722Option8k, false}}) {
    G722PacketDecoder* decoder = G722PacketDecoderCreate(c.rate, c.options);
    EXPECT_EQ(decoder != nullptr, c.made) << c.rate << " " << c.options;
    G722PacketDecoderRelease(decoder);
  }
  G722PacketDecoder* decoder = G722PacketDecoderCreate(64000, 0);
  int16_t pcm[4];
  const uint8_t codes[2] = {};
  EXPECT_EQ(G722PacketDecode(nullptr, pcm, codes, 2), 0);
  EXPECT_EQ(G722PacketDecode(decoder, nullptr, codes, 2), 0);
  EXPECT_EQ(G722PacketDecode(decoder, pcm, nullptr, 0), 0);
  EXPECT_EQ(G722PacketDecode(decoder, pcm, nullptr, G722MaxDecodeBytes + 1), 0);
  EXPECT_EQ(G722PacketDecoderReset(nullptr), 0);
  G722PacketDecoderRelease(decoder);
}

class PacketDecoderConfigs : public ::testing::TestWithParam<CodecConfig> {};

// Packets of every size from 1 to 200 bytes decode as one G722DecodeCodes call does, and again
// after losses and a reset.
TEST_P(PacketDecoderConfigs, DecodesBitForBitWhileNothingIsLost) {
  const CodecConfig& config = GetParam();
  const int rate = (config.options & G722Option8k) ? 8000 : 16000;
  const std::vector<uint8_t> codes =
      EncodeAll(config.rate, config.options, SpeechLikeSignal(size_t(rate), rate, 7));
  const std::vector<int16_t> expected = DecodeAll(config.rate, config.options, codes);
  G722PacketDecoder* decoder = G722PacketDecoderCreate(config.rate, config.options);
  for (bool after_losses : {false, true}) {
    std::vector<int16_t> pcm(2 * codes.size());
    if (after_losses) {
      for (int32_t lost : {1, 160, 7})
        EXPECT_EQ(G722PacketDecode(decoder, pcm.data(), nullptr, lost), lost * (rate / 8000));
      EXPECT_EQ(G722PacketDecoderReset(decoder), 1);
    }
    size_t written = 0;
    for (size_t at = 0, size = 1; at < codes.size(); at += size, size = size % 200 + 1) {
      const auto n = static_cast<int32_t>(std::min(size, codes.size() - at));
      written +=
          static_cast<size_t>(G722PacketDecode(decoder, pcm.data() + written, &codes[at], n));
    }
    pcm.resize(written);
    EXPECT_EQ(pcm, expected);
  }
  G722PacketDecoderRelease(decoder);
}

std::vector<CodecConfig> UnpackedConfigs() {
  std::vector<CodecConfig> configs = AllConfigs();
  std::erase_if(configs, [](const CodecConfig& c) { return c.options & G722OptionPacked; });
  return configs;
}

INSTANTIATE_TEST_SUITE_P(Unpacked, PacketDecoderConfigs, ::testing::ValuesIn(UnpackedConfigs()),
                         [](const auto& info) { return info.param.name; });

class PacketLossConfigs : public ::testing::TestWithParam<CodecConfig> {};

// Six seconds with single packets and bursts of three lost at random and one 200 ms outage: each
// of the measured properties holds against the baseline of silence in the hole and a decoder
// that skips the lost bytes (the loss bench prints these figures for real speech).
TEST_P(PacketLossConfigs, ConcealsWhatIsLost) {
  using namespace g722kit::loss;
  const CodecConfig& config = GetParam();
  const int rate = (config.options & G722Option8k) ? 8000 : 16000;
  const std::vector<uint8_t> codes =
      EncodeAll(config.rate, config.options, SpeechLikeSignal(size_t(6 * rate), rate, 3));
  const size_t packets = codes.size() / kPacketCodes;
  LossMask lost = RandomLosses(packets, 10, 1, 1);
  const LossMask bursts = RandomLosses(packets, 10, 3, 2);
  const LossMask outage = Outage(packets, 150, 10);
  for (size_t p = 0; p < packets; p++)
    lost[p] = outage[p] || ((lost[p] || bursts[p]) && (p < 140 || p >= 170));
  const Decoded d = DecodeWithLosses(config.rate, config.options, codes, lost);
  const Figures ours = Measure(d.clean, d.concealed, lost, rate);
  const Figures baseline = Measure(d.clean, d.baseline, lost, rate);
  EXPECT_LE(Median(ours.distance), 0.6 * Median(baseline.distance));
  EXPECT_GE(ours.clean_edges, 0.95 * ours.edges);
  // Taking the decoder's state along through a loss is worth more than 1 dB here.
  EXPECT_GE(Mean(ours.recovery), Mean(baseline.recovery) + 1);
  ASSERT_EQ(ours.fade.size(), 1u);
  EXPECT_LE(ours.fade[0], -30);
  if (rate == 16000) {
    EXPECT_LE(Decibels(ours.high_band / ours.clean_high_band), 3);
  }
}

INSTANTIATE_TEST_SUITE_P(At64000, PacketLossConfigs,
                         ::testing::Values(CodecConfig{64000, 0, "16kHz"},
                                           CodecConfig{64000, G722Option8k, "8kHz"}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace g722kit::test
