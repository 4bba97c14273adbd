// Encoder and decoder together: the decoded signal tracks the input in every configuration.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace g722kit::test
