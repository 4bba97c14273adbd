// Codec records: initialisation, release, saturation and the scale-factor rule.
#include <gtest/gtest.h>

#include <cstring>

#include "codec.h"
#include "lane_ops.h"
#include "shared_tables.h"
#include "sub_band.h"

namespace g722kit {
namespace {

TEST(CodecInit, RateAndOptionsSetTheConfiguration) {
  struct Case {
    int32_t rate, options;
    int32_t bits, packed, pcm_8k;
  };
  const Case cases[] = {
      {48000, 0, 6, 0, 0}, {56000, 0, 7, 0, 0},  {64000, 0, 8, 0, 0}, {44100, 0, 8, 0, 0},
      {0, 0, 8, 0, 0},     {-48000, 0, 8, 0, 0}, {64000, 2, 8, 0, 0}, {56000, 2, 7, 1, 0},
      {48000, 3, 6, 1, 1}, {48000, 4, 6, 0, 0},  {56000, 1, 7, 0, 1}, {48000, ~0, 6, 1, 1},
  };
  for (const Case& c : cases) {
    for (auto init : {G722EncoderInit, G722DecoderInit}) {
      G722State state;
      ASSERT_EQ(init(&state, c.rate, c.options), &state);
      EXPECT_EQ(state.bits_per_code, c.bits) << c.rate << " " << c.options;
      EXPECT_EQ(state.packed, c.packed) << c.rate << " " << c.options;
      EXPECT_EQ(state.pcm_8k, c.pcm_8k) << c.rate << " " << c.options;
    }
  }
}

TEST(CodecInit, ResetsEveryFieldOfASuppliedRecord) {
  for (auto init : {G722EncoderInit, G722DecoderInit}) {
    G722State state;
    std::memset(&state, 0xA5, sizeof state);
    init(&state, 56000, G722Option8k | G722OptionPacked);

    G722State expected;
    std::memset(&expected, 0, sizeof expected);
    expected.bits_per_code = 7;
    expected.pcm_8k = 1;
    expected.packed = 1;
    expected.band[0].det = 32;
    expected.band[1].det = 8;
    EXPECT_EQ(std::memcmp(&state, &expected, sizeof state), 0);
  }
}

TEST(CodecInit, AllocatesOnlyWithoutARecordAndReleasesOnlyWhatItAllocated) {
  G722State* encoder = G722EncoderInit(nullptr, 64000, 0);
  ASSERT_NE(encoder, nullptr);
  EXPECT_EQ(encoder->band[0].det, 32);
  EXPECT_EQ(G722EncoderRelease(encoder), 0);

  G722State* decoder = G722DecoderInit(nullptr, 48000, G722OptionPacked);
  ASSERT_NE(decoder, nullptr);
  EXPECT_EQ(decoder->packed, 1);
  EXPECT_EQ(G722DecoderRelease(decoder), 0);

  // A caller's own record and null are left alone (the sanitizers would catch a bad free).
  G722State own;
  G722EncoderInit(&own, 64000, 0);
  EXPECT_EQ(G722EncoderRelease(&own), 0);
  EXPECT_EQ(G722DecoderRelease(&own), 0);
  EXPECT_EQ(G722EncoderRelease(nullptr), 0);
}

// The library frees only the very record it allocated: not a copy, which is the caller's,
// and the record stays its own when initialised again. The sanitizers see a bad free or a leak.
TEST(CodecInit, OwnershipFollowsTheRecordNotItsFields) {
  const std::pair<decltype(&G722EncoderInit), decltype(&G722EncoderRelease)> directions[] = {
      {G722EncoderInit, G722EncoderRelease}, {G722DecoderInit, G722DecoderRelease}};
  for (const auto& [init, release] : directions) {
    G722State* allocated = init(nullptr, 64000, 0);
    ASSERT_NE(allocated, nullptr);
    G722State copy = *allocated;
    EXPECT_EQ(release(&copy), 0);
    EXPECT_EQ(init(&copy, 56000, 0), &copy);
    EXPECT_EQ(copy.allocated, 0);

    EXPECT_EQ(init(allocated, 48000, 0), allocated);
    EXPECT_EQ(allocated->allocated, 1);
    EXPECT_EQ(release(allocated), 0);
  }
}

// A record whose caller corrupted a field that sizes, shifts or indexes memory, or a scale factor,
// is refused by every call of its direction: 0, nothing written, the record unchanged.
TEST(CodecRecord, CallsRefuseFieldsOutOfRange) {
  struct Case {
    const char* what;
    bool encoder;
    void (*corrupt)(G722State&);
  };
  const Case cases[] = {
      {"bits_per_code 5", true, [](G722State& s) { s.bits_per_code = 5; }},
      {"bits_per_code 9", false, [](G722State& s) { s.bits_per_code = 9; }},
      {"bits_per_code huge", false, [](G722State& s) { s.bits_per_code = 0x7FFFFFFF; }},
      {"has_pending 2", true, [](G722State& s) { s.has_pending = 2; }},
      {"has_pending -1", true, [](G722State& s) { s.has_pending = -1; }},
      {"pack_bits 8", true, [](G722State& s) { s.pack_bits = 8; }},
      {"pack_bits -40", true, [](G722State& s) { s.pack_bits = -40; }},
      {"unpack_bits 8", false, [](G722State& s) { s.unpack_bits = 8; }},
      {"unpack_bits 1000", false, [](G722State& s) { s.unpack_bits = 1000; }},
      {"lower nb -1", true, [](G722State& s) { s.band[0].nb = -1; }},
      {"lower nb 18433", false, [](G722State& s) { s.band[0].nb = 18433; }},
      {"upper nb 22529", true, [](G722State& s) { s.band[1].nb = 22529; }},
      {"lower det 1 << 20", false, [](G722State& s) { s.band[0].det = 1 << 20; }},
      {"upper det 0", true, [](G722State& s) { s.band[1].det = 0; }},
  };
  const int16_t pcm[5] = {100, -200, 300, -400, 500};
  const uint8_t codes[4] = {0x12, 0x34, 0x56, 0x78};
  for (const Case& c : cases) {
    G722State state;
    G722EncoderInit(&state, 48000, G722OptionPacked);
    uint8_t bytes[8] = {};
    int16_t samples[16] = {};
    if (c.encoder) {
      ASSERT_EQ(G722EncodeSamples(&state, bytes, pcm, 5), 1);  // a sample and 4 bits held
    } else {
      G722DecoderInit(&state, 48000, G722OptionPacked);
      ASSERT_EQ(G722DecodeCodes(&state, samples, codes, 3), 6);  // a whole code held
    }
    c.corrupt(state);
    const G722State before = state;
    uint8_t out[8] = {};
    int16_t pcm_out[16] = {};
    const int32_t results[] = {
        c.encoder ? G722EncodeSamples(&state, out, pcm, 5)
                  : G722DecodeCodes(&state, pcm_out, codes, 4),
        c.encoder ? G722EncoderFlush(&state, out) : G722DecoderFlush(&state, pcm_out),
    };
    for (int32_t result : results)
      EXPECT_EQ(result, 0) << c.what;
    EXPECT_EQ(std::memcmp(&state, &before, sizeof state), 0) << c.what;
    EXPECT_EQ(out[0] | pcm_out[0], 0) << c.what;
  }
}

TEST(Saturate16, ClampsToTheSixteenBitRange) {
  const std::pair<int32_t, int32_t> cases[] = {{0, 0},
                                               {32767, 32767},
                                               {32768, 32767},
                                               {-32768, -32768},
                                               {-32769, -32768},
                                               {2147483647, 32767},
                                               {-2147483647 - 1, -32768},
                                               {-5, -5}};
  for (auto [in, out] : cases)
    EXPECT_EQ(Saturate16(in), out) << in;
}

TEST(ScaleFactor, FollowsTheLogScaleWithinItsBounds) {
  struct Case {
    bool upper;
    int32_t nb_before, code;  // code: 4-bit index (lower) or 2-bit code (upper)
    int32_t nb_after, det_after;
  };
  const Case cases[] = {
      {false, 0, 0, 0, 32},             // step -60 clamps at 0
      {false, 0, 15, 0, 32},            // index 15 has the same step as 0
      {false, 0, 1, 3042, 88},          // the largest lower step
      {false, 15511, 1, 18431, 16032},  // just below the bound
      {false, 18432, 1, 18432, 16384},  // clamped at the bound
      {true, 0, 1, 0, 8},               // step -214 clamps at 0
      {true, 0, 0, 798, 8},
      {true, 22528, 2, 22528, 16384},  // clamped at the bound
  };
  for (const Case& c : cases) {
    int32_t nb = c.nb_before;
    int32_t det = 0;
    if (c.upper) {
      StepUpperScale(nb, det, kUpperScaleStep[c.code]);
    } else {
      StepLowerScale(nb, det, kLowerScaleStep[c.code]);
    }
    EXPECT_EQ(nb, c.nb_after) << c.nb_before << " " << c.code;
    EXPECT_EQ(det, c.det_after) << c.nb_before << " " << c.code;
  }
}

}  // namespace
}  // namespace g722kit
