// The codec's routines in plain C++, for every processor: the zero section, the lower-band
// quantizer decision and the band-split filter. Their loops are unrolled at any optimisation
// level, so that their arrays stay in registers.
#pragma once

#include <algorithm>
#include <cstdint>

#include "codec.h"
#include "encoder_tables.h"
#include "g722kit/g722.h"
#include "shared_tables.h"

namespace g722kit {
namespace {

// The six-tap zero predictor: coefficients b[1..6] and differences d[1..6] of the last six
// codes, plus the difference the last shift dropped, whose sign the record keeps.
class PortableZeroSection {
 public:
  explicit PortableZeroSection(const G722Band& band) {
    for (int i = 0; i < 6; i++) {
      b_[i] = band.b[i + 1];
      d_[i] = band.d[i + 1];
    }
    d_[6] = band.sg[6];
  }

  void Store(G722Band& band) const { StoreZeroSection(band, b_, d_); }

  // Zero coefficient update, the differences moving on, and the zero section's sum for the new
  // coefficients (UPZERO, DELAYA, FILTEZ). like_d has the sign of d and is 0 exactly when d is.
  G722KIT_ALWAYS_INLINE int32_t Adapt(int32_t d, int32_t like_d) {
    const int32_t gain = 128 & -int32_t{like_d != 0};
    // The leaked coefficient lies within -32640..32639, so a step of 128 stays within 16 bits.
#pragma GCC unroll 16
    for (int i = 0; i < 6; i++)
      b_[i] = ((b_[i] * 32640) >> 15) + ApplySign(gain, (d_[i] ^ like_d) >> 31);
#pragma GCC unroll 16
    for (int i = 6; i > 0; i--)
      d_[i] = d_[i - 1];
    d_[0] = d;
    // Differences stay within +-10228, so doubling them needs no saturation.
    int32_t sum = 0;
#pragma GCC unroll 16
    for (int i = 0; i < 6; i++)
      sum += (b_[i] * (d_[i] << 1)) >> 15;
    return sum;
  }

 private:
  int32_t b_[6];
  int32_t d_[7];
};

struct PortableSimd {
  using ZeroSection = PortableZeroSection;

  // The lower-band quantizer's interval m (1..30) for the magnitude w at scale factor det (QUANTL):
  // one more than the number of decision thresholds at or below w, found by a binary search (they
  // never decrease) whose steps follow the signal, so are taken without branches.
  G722KIT_ALWAYS_INLINE static int32_t LowerInterval(int32_t w, int32_t det) {
    int32_t below = 0;
#pragma GCC unroll 16
    for (int32_t step = 16; step > 0; step >>= 1) {
      const int32_t next = std::min(below + step, 29);
      below += (next - below) & -int32_t{w >= ((kLowerDecisionLevel[next] * det) >> 12)};
    }
    return below + 1;
  }

  // The transmit filter over a window of 24 samples, oldest first: the lower and upper
  // sub-band signals.
  G722KIT_ALWAYS_INLINE static void QmfSplit(const int16_t* window, int32_t& xl, int32_t& xh) {
    int32_t even, odd;
    QmfSums(window, even, odd);
    xl = (even + odd) >> 14;
    xh = (odd - even) >> 14;
  }

  // The receive filter over a window of 24 entries, oldest first: two output samples, the odd
  // sum's first, saturated to 16 bits.
  G722KIT_ALWAYS_INLINE static void QmfJoin(const int16_t* window, int16_t* out) {
    int32_t even, odd;
    QmfSums(window, even, odd);
    out[0] = static_cast<int16_t>(Saturate16(odd >> 11));
    out[1] = static_cast<int16_t>(Saturate16(even >> 11));
  }

 private:
  // The filter's sums over the even-numbered and the odd-numbered entries.
  G722KIT_ALWAYS_INLINE static void QmfSums(const int16_t* window, int32_t& even, int32_t& odd) {
    even = 0;
    odd = 0;
#pragma GCC unroll 16
    for (int k = 0; k < 12; k++) {
      even += window[2 * k] * kQmfTaps[k];
      odd += window[2 * k + 1] * kQmfTaps[11 - k];
    }
  }
};

}  // namespace
}  // namespace g722kit
