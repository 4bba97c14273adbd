// Encoder and decoder together: the decoded signal tracks the input in every configuration.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "g722kit/g722.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

struct RoundTripCase {
  CodecConfig config;
  double min_snr_db;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
  *os << c.config.name;
}

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, DecodedSignalTracksTheInput) {
  const CodecConfig& config = GetParam().config;
  const int rate = (config.options & G722Option8k) ? 8000 : 16000;
  const std::vector<int16_t> input = SpeechLikeSignal(rate * 6, rate, 3);
  const std::vector<int16_t> decoded =
      DecodeAll(config.rate, config.options, EncodeAll(config.rate, config.options, input));
  ASSERT_GE(decoded.size() + 2, input.size());
  const double snr = BestLagSnr(input, decoded);
  RecordProperty("snr_db", std::to_string(snr));
  EXPECT_GE(snr, GetParam().min_snr_db) << config.name;
}

// Measured on this signal less 0.5 dB. The bit-exact sequences pin the arithmetic; these
// bounds catch a mismatch between the two directions, such as swapped filter outputs.
std::vector<RoundTripCase> RoundTripCases() {
  struct Bound {
    int32_t rate;
    double two_band_db, narrow_db;
  };
  const Bound bounds[] = {{64000, 25.7, 29.9}, {56000, 25.0, 28.5}, {48000, 23.5, 25.7}};
  std::vector<RoundTripCase> cases;
  for (const CodecConfig& config : AllConfigs()) {
    for (const Bound& bound : bounds) {
      if (bound.rate != config.rate) continue;
      const bool narrow = config.options & G722Option8k;
      cases.push_back({config, narrow ? bound.narrow_db : bound.two_band_db});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AllConfigs, RoundTrip, ::testing::ValuesIn(RoundTripCases()),
                         [](const auto& info) { return info.param.config.name; });

// Sines near full scale through the two-band codec: where the input is loud, the decoded
// sample (behind the filters' delay) is never loud with the opposite sign, a full-scale click.
TEST(RoundTrip, LoudTwoBandSignalsKeepTheirSign) {
  constexpr int kDelay = 22;  // samples between a two-band input and its decoded counterpart
  for (const double hz : {1000.0, 3000.0, 5000.0, 7000.0}) {
    for (const double amplitude : {32700.0, 26000.0}) {
      std::vector<int16_t> input(16000);
      for (size_t i = 0; i < input.size(); i++)
        input[i] =
            static_cast<int16_t>(amplitude * std::sin(2 * std::numbers::pi * hz * i / 16000));
      const std::vector<int16_t> decoded = DecodeAll(64000, 0, EncodeAll(64000, 0, input));
      int flips = 0;
      for (size_t i = 0; i + kDelay < decoded.size(); i++) {
        const int16_t out = decoded[i + kDelay];
        if (std::abs(input[i]) > 24000 && std::abs(out) > 16384 && (input[i] < 0) != (out < 0)) {
          flips++;
        }
      }
      EXPECT_EQ(flips, 0) << hz << " Hz at amplitude " << amplitude;
    }
  }
}

// A whole signal encoded, its end flushed.
std::vector<uint8_t> EncodeFlushed(int32_t rate, int32_t options, const std::vector<int16_t>& pcm) {
  G722State state;
  G722EncoderInit(&state, rate, options);
  std::vector<uint8_t> codes(pcm.size() + 2);
  const int32_t size =
      G722EncodeSamples(&state, codes.data(), pcm.data(), static_cast<int32_t>(pcm.size()));
  codes.resize(size + G722EncoderFlush(&state, codes.data() + size));
  return codes;
}

// Flushing ends every stream on a byte: the encoder's last bytes are those the stream would
// have if it went on (with silence), the decoder gives every code that was encoded, and only
// a padding as long as a code decodes as one code more.
TEST(RoundTrip, FlushedStreamsKeepEveryCode) {
  for (const CodecConfig& config : AllConfigs()) {
    const bool packed = (config.options & G722OptionPacked) && config.rate != 64000;
    const int bits = config.rate == 64000 ? 8 : config.rate == 56000 ? 7 : 6;
    const size_t samples_per_code = (config.options & G722Option8k) ? 1 : 2;
    const int32_t unpacked = config.options & ~G722OptionPacked;
    for (size_t length = 40; length < 56; length++) {
      SCOPED_TRACE(config.name + ", " + std::to_string(length) + " samples");
      std::vector<int16_t> pcm = SpeechLikeSignal(length, 8000, 11);
      const std::vector<uint8_t> stream = EncodeFlushed(config.rate, config.options, pcm);
      const size_t codes = (length + samples_per_code - 1) / samples_per_code;
      const size_t used_bits = packed ? codes * bits % 8 : 0;  // of the last byte; 0: all
      ASSERT_EQ(stream.size(), packed ? (codes * bits + 7) / 8 : codes);
      const std::vector<uint8_t> every_code = EncodeFlushed(config.rate, unpacked, pcm);
      pcm.resize(length + 16);
      const std::vector<uint8_t> going_on = EncodeAll(config.rate, config.options, pcm);
      for (size_t i = 0; i < stream.size(); i++) {
        const bool partial = i + 1 == stream.size() && used_bits != 0;
        EXPECT_EQ(stream[i], partial ? going_on[i] & ((1 << used_bits) - 1) : going_on[i]) << i;
      }

      G722State decoder;
      G722DecoderInit(&decoder, config.rate, config.options);
      std::vector<int16_t> decoded(2 * codes + 4);
      const int32_t size =
          G722DecodeCodes(&decoder, decoded.data(), stream.data(), int32_t(stream.size()));
      decoded.resize(size + G722DecoderFlush(&decoder, decoded.data() + size));
      const std::vector<int16_t> expected = DecodeAll(config.rate, unpacked, every_code);
      const bool padding_is_a_code = used_bits != 0 && 8 - int(used_bits) >= bits;
      EXPECT_EQ(decoded.size(), expected.size() + (padding_is_a_code ? samples_per_code : 0));
      decoded.resize(std::min(decoded.size(), expected.size()));
      EXPECT_EQ(decoded, expected);
    }
  }
}

}  // namespace
}  // namespace g722kit::test
