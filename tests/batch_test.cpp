// The batch codec: every stream's output is what a single-stream record gives for the same calls,
// at every instruction set, for any stream count, call size, reset and flush.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "codec_variants.h"
#include "g722kit/g722.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

constexpr uint8_t kUnwritten = 0xA5;

// Stream i's input: speech, full-scale noise or silence for an encoder; any bytes for a decoder.
std::vector<uint8_t> StreamInput(bool encoder, int i, size_t samples, int sample_rate) {
  std::mt19937 random(static_cast<uint32_t>(i));
  std::vector<uint8_t> bytes(2 * samples);
  if (!encoder || i % 4 == 1) {
    for (uint8_t& b : bytes)
      b = static_cast<uint8_t>(random());
  } else if (i % 4 != 3) {
    bytes = PcmBytes(SpeechLikeSignal(samples, sample_rate, static_cast<uint32_t>(i)));
  }
  return bytes;
}

constexpr int kMaxCall = 700;

// Runs `calls` random calls on a batch of `streams` streams and on one record per stream, with
// random resets and flushes between them, and compares every output, count and unwritten byte.
void CompareWithRecords(const CodecConfig& config, bool encoder, int streams, int calls,
                        const std::vector<std::vector<uint8_t>>& inputs, std::mt19937& random) {
  G722Batch* batch = encoder ? G722BatchEncoderCreate(streams, config.rate, config.options)
                             : G722BatchDecoderCreate(streams, config.rate, config.options);
  ASSERT_NE(batch, nullptr);
  std::vector<G722State> records(streams);
  auto start_record = [&](G722State& record) {
    if (encoder) {
      G722EncoderInit(&record, config.rate, config.options);
    } else {
      G722DecoderInit(&record, config.rate, config.options);
    }
  };
  for (G722State& record : records)
    start_record(record);
  // Room for the largest output of a call, and bytes after it that must stay unwritten.
  std::vector<std::vector<uint8_t>> outputs(streams, std::vector<uint8_t>(8 * kMaxCall + 16));
  std::vector<uint8_t> expected(8 * kMaxCall + 16);

  const int sizes[] = {1, 2, 3, 7, 64, 65, 160, 320, 699};
  for (int call = 0; call < calls; call++) {
    if (random() % 4 == 0) {
      const int i = static_cast<int>(random() % streams);
      if (random() % 2) {
        std::fill(outputs[i].begin(), outputs[i].end(), kUnwritten);
        const int32_t flushed =
            encoder
                ? G722BatchEncoderFlush(batch, i, outputs[i].data())
                : G722BatchDecoderFlush(batch, i, reinterpret_cast<int16_t*>(outputs[i].data()));
        const int32_t unit = encoder ? 1 : 2;
        const int32_t want =
            encoder ? G722EncoderFlush(&records[i], expected.data())
                    : G722DecoderFlush(&records[i], reinterpret_cast<int16_t*>(expected.data()));
        ASSERT_EQ(flushed, want) << "flush of stream " << i << ", call " << call;
        ASSERT_TRUE(
            std::equal(expected.begin(), expected.begin() + want * unit, outputs[i].begin()));
      }
      EXPECT_EQ(G722BatchResetStream(batch, i), 1);
      start_record(records[i]);
    }

    const int32_t count = sizes[random() % std::size(sizes)];
    const size_t offset = 2 * (random() % kMaxCall);
    std::vector<uint8_t*> out;
    std::vector<const uint8_t*> in;
    for (int i = 0; i < streams; i++) {
      std::fill(outputs[i].begin(), outputs[i].end(), kUnwritten);
      out.push_back(outputs[i].data());
      in.push_back(inputs[i].data() + offset);
    }
    const int32_t largest =
        encoder ? G722BatchEncode(batch, out.data(),
                                  reinterpret_cast<const int16_t* const*>(in.data()), count)
                : G722BatchDecode(batch, reinterpret_cast<int16_t* const*>(out.data()), in.data(),
                                  count);
    int32_t largest_expected = 0;
    for (int i = 0; i < streams; i++) {
      std::fill(expected.begin(), expected.end(), kUnwritten);
      const int32_t want =
          encoder ? G722EncodeSamples(&records[i], expected.data(),
                                      reinterpret_cast<const int16_t*>(in[i]), count)
                  : G722DecodeCodes(&records[i], reinterpret_cast<int16_t*>(expected.data()), in[i],
                                    count);
      largest_expected = std::max(largest_expected, want);
      ASSERT_EQ(G722BatchStreamCount(batch, i), want) << "stream " << i << ", call " << call;
      ASSERT_EQ(outputs[i], expected) << "stream " << i << ", call " << call << " of " << count;
    }
    ASSERT_EQ(largest, largest_expected) << "call " << call;
  }
  G722BatchRelease(batch);
}

using BatchCodec = AtEveryVariant<CodecConfig>;

TEST_P(BatchCodec, EveryStreamCodesAsItsOwnRecord) {
  const CodecConfig& config = std::get<1>(GetParam());
  struct Case {
    int streams, calls;
  };
  // One stream, lane counts, one more than a multiple of them, hundreds.
  const Case cases[] = {{1, 40}, {8, 16}, {16, 12}, {17, 12}, {33, 8}, {300, 2}};
  const int sample_rate = (config.options & G722Option8k) ? 8000 : 16000;
  for (bool encoder : {true, false}) {
    std::vector<std::vector<uint8_t>> inputs;
    for (int i = 0; i < 300; i++)
      inputs.push_back(StreamInput(encoder, i, kMaxCall * 4, sample_rate));
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(encoder ? "encoder, " : "decoder, ") + std::to_string(c.streams) +
                   " streams");
      std::mt19937 random(static_cast<uint32_t>(c.streams));
      CompareWithRecords(config, encoder, c.streams, c.calls, inputs, random);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllConfigs, BatchCodec,
                         ::testing::Combine(::testing::ValuesIn(CodecVariants()),
                                            ::testing::ValuesIn(AllConfigs())),
                         VariantName());

// A stream reset while the others hold packed bits writes its own count; the call returns the
// largest, and each stream's count can be read back.
TEST(BatchCodecCalls, StreamsOutOfStepReportTheirOwnCounts) {
  G722Batch* batch = G722BatchEncoderCreate(2, 48000, G722Option8k | G722OptionPacked);
  const int16_t silence[3] = {};
  uint8_t bytes[2][4] = {};
  const int16_t* pcm_in[2] = {silence, silence};
  uint8_t* codes_out[2] = {bytes[0], bytes[1]};
  ASSERT_EQ(G722BatchEncode(batch, codes_out, pcm_in, 3), 2);  // 18 bits: 2 bytes, 2 bits held
  ASSERT_EQ(G722BatchResetStream(batch, 1), 1);
  EXPECT_EQ(G722BatchStreamCount(batch, 1), 0);
  EXPECT_EQ(G722BatchEncode(batch, codes_out, pcm_in, 1), 1);  // 8 bits, and 6
  EXPECT_EQ(G722BatchStreamCount(batch, 0), 1);
  EXPECT_EQ(G722BatchStreamCount(batch, 1), 0);
  EXPECT_EQ(bytes[0][0], 251);
  G722BatchRelease(batch);
}

// Calls that cannot be carried out return 0 (or -1, NULL) and change nothing.
TEST(BatchCodecCalls, RefusedCallsChangeNothing) {
  EXPECT_EQ(G722BatchEncoderCreate(0, 64000, 0), nullptr);
  EXPECT_EQ(G722BatchDecoderCreate(-1, 64000, 0), nullptr);
  G722BatchRelease(nullptr);

  G722Batch* encoder = G722BatchEncoderCreate(2, 64000, 0);
  G722Batch* decoder = G722BatchDecoderCreate(2, 56000, G722OptionPacked);
  const int16_t pcm[4] = {1000, 2000, 3000, 4000};
  const uint8_t codes[4] = {1, 2, 3, 4};
  uint8_t bytes[2][8] = {};
  int16_t samples[2][16] = {};
  const int16_t* pcm_in[2] = {pcm, pcm};
  const int16_t* one_pcm_missing[2] = {pcm, nullptr};
  const uint8_t* codes_in[2] = {codes, codes};
  uint8_t* codes_out[2] = {bytes[0], bytes[1]};
  int16_t* pcm_out[2] = {samples[0], samples[1]};
  const int32_t too_many = G722MaxDecodeBytes + 1;

  const int32_t refused[] = {
      G722BatchEncode(nullptr, codes_out, pcm_in, 4),
      G722BatchEncode(encoder, nullptr, pcm_in, 4),
      G722BatchEncode(encoder, codes_out, one_pcm_missing, 4),
      G722BatchEncode(encoder, codes_out, pcm_in, 0),
      G722BatchEncode(encoder, codes_out, pcm_in, -4),
      G722BatchEncode(decoder, codes_out, pcm_in, 4),
      G722BatchDecode(encoder, pcm_out, codes_in, 4),
      G722BatchDecode(decoder, pcm_out, nullptr, 4),
      G722BatchDecode(decoder, pcm_out, codes_in, too_many),
      G722BatchResetStream(encoder, 2),
      G722BatchResetStream(nullptr, 0),
      G722BatchEncoderFlush(decoder, 0, bytes[0]),
      G722BatchEncoderFlush(encoder, -1, bytes[0]),
      G722BatchDecoderFlush(encoder, 0, samples[0]),
      G722BatchDecoderFlush(decoder, 0, nullptr),
      G722BatchStreamCount(encoder, 0) + G722BatchStreamCount(decoder, 1),
  };
  for (size_t i = 0; i < std::size(refused); i++)
    EXPECT_EQ(refused[i], 0) << "call " << i;
  EXPECT_EQ(G722BatchStreamCount(encoder, 2), -1);
  EXPECT_EQ(G722BatchStreamCount(nullptr, 0), -1);
  EXPECT_EQ(bytes[0][0], 0);
  EXPECT_EQ(samples[0][0], 0);

  // The refused calls left both batches as fresh ones.
  G722State record;
  uint8_t expected_codes[2];
  G722EncoderInit(&record, 64000, 0);
  ASSERT_EQ(G722BatchEncode(encoder, codes_out, pcm_in, 4), 2);
  ASSERT_EQ(G722EncodeSamples(&record, expected_codes, pcm, 4), 2);
  EXPECT_TRUE(std::equal(expected_codes, expected_codes + 2, bytes[1]));
  int16_t expected_samples[16];
  G722DecoderInit(&record, 56000, G722OptionPacked);
  const int32_t decoded = G722DecodeCodes(&record, expected_samples, codes, 4);
  ASSERT_EQ(G722BatchDecode(decoder, pcm_out, codes_in, 4), decoded);
  EXPECT_TRUE(std::equal(expected_samples, expected_samples + decoded, samples[1]));
  G722BatchRelease(encoder);
  G722BatchRelease(decoder);
}

}  // namespace
}  // namespace g722kit::test
