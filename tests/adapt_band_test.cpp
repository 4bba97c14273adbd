// The predictor adaptation shared by both directions (block 4), on one band of a record.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "band_state.h"
#include "simd_portable.h"
#include "sub_band.h"

namespace g722kit {
namespace {

void AdaptBand(G722State* state, int band_index, int32_t d) {
  BandState<int32_t> values = FromRecord(state->band[band_index]);
  SubBand<PortableSimd> band(values, 0);
  band.Adapt(d, d);
  band.Save(values, 0);
  ToRecord(values, state->band[band_index]);
}

G722State FreshState() {
  G722State state;
  G722EncoderInit(&state, 64000, 0);
  return state;
}

TEST(AdaptBand, ZeroDifferenceOnAFreshBandOnlyMovesThePoles) {
  G722State state = FreshState();
  G722Band before = state.band[0];
  AdaptBand(&state, 0, 0);
  const G722Band& b = state.band[0];
  EXPECT_EQ(b.a[1], 192);
  EXPECT_EQ(b.ap[1], 192);
  EXPECT_EQ(b.a[2], 128);
  EXPECT_EQ(b.ap[2], 128);
  // Everything else as it was (the sign scratch does not count).
  before.a[1] = b.a[1];
  before.ap[1] = b.ap[1];
  before.a[2] = b.a[2];
  before.ap[2] = b.ap[2];
  for (int i = 0; i < 7; i++)
    before.sg[i] = b.sg[i];
  EXPECT_EQ(std::memcmp(&before, &b, sizeof b), 0);

  AdaptBand(&state, 0, 0);
  EXPECT_EQ(state.band[0].a[1], 383);
  EXPECT_EQ(state.band[0].a[2], 249);
  EXPECT_EQ(state.band[1].a[1], 0) << "the other band is untouched";
}

TEST(AdaptBand, PositiveDifferenceOnAFreshBand) {
  for (int band_index : {0, 1}) {
    G722State state = FreshState();
    AdaptBand(&state, band_index, 100);
    const G722Band& b = state.band[band_index];
    EXPECT_EQ((std::array{b.r[0], b.r[1], b.r[2]}), (std::array{100, 100, 0}));
    EXPECT_EQ((std::array{b.p[0], b.p[1], b.p[2]}), (std::array{100, 100, 0}));
    EXPECT_EQ((std::array{b.d[0], b.d[1], b.d[2], b.d[3], b.d[4], b.d[5], b.d[6]}),
              (std::array{100, 100, 0, 0, 0, 0, 0}));
    for (int i = 1; i <= 6; i++)
      EXPECT_EQ(b.b[i], 128) << i;
    EXPECT_EQ(b.a[1], 192);
    EXPECT_EQ(b.a[2], 128);
    EXPECT_EQ(b.sp, 1);
    EXPECT_EQ(b.sz, 0);
    EXPECT_EQ(b.s, 1);
  }
}

TEST(AdaptBand, LimitsAndRoundingOfTheCoefficients) {
  struct Case {
    const char* what;
    int32_t a1, a2, p1, b1, b2;
    int32_t want_a1, want_a2, want_b1, want_b2;
  };
  const Case cases[] = {
      // -(-32768) is limited to 32767, so T2 >> 7 adds 255, not 256: 255 + 128.
      {"second pole with T2 limited", -8192, 0, 0, 0, 0, -7968, 383, 0, 0},
      // The second pole at 12288 limits the first to -3072..3072.
      {"first pole limited above", 20000, 12288, -1, 0, 0, 3072, 12288, 0, 0},
      {"first pole limited below", -20000, 12288, 0, 0, 0, -3072, 12288, 0, 0},
      // With d = 0 the zero coefficients only leak; the shift rounds toward minus infinity.
      {"zero coefficients leak", 0, 0, 0, 1, -1, 192, 128, 0, -1},
  };
  for (const Case& c : cases) {
    G722State state = FreshState();
    G722Band& b = state.band[0];
    b.a[1] = c.a1;
    b.a[2] = c.a2;
    b.p[1] = c.p1;
    b.b[1] = c.b1;
    b.b[2] = c.b2;
    AdaptBand(&state, 0, 0);
    EXPECT_EQ(b.a[1], c.want_a1) << c.what;
    EXPECT_EQ(b.a[2], c.want_a2) << c.what;
    EXPECT_EQ(b.b[1], c.want_b1) << c.what;
    EXPECT_EQ(b.b[2], c.want_b2) << c.what;
  }
}

}  // namespace
}  // namespace g722kit
