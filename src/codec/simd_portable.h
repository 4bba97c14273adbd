// One stream as lanes in plain C++, for every processor: the single-stream loops' portable
// routines, and the batch's kernel for single lanes. Their loops are unrolled at any
// optimisation level, so that their arrays stay in registers.
#pragma once

#include <cstdint>

#include "codec.h"
#include "encoder_tables.h"
#include "lane_ops.h"
#include "qmf.h"
#include "sub_band.h"

namespace g722kit {
namespace {

struct PortableSimd {
  using V = int32_t;
  using ZeroSection = g722kit::ZeroSection<int32_t>;
  static constexpr int kWidth = 1;
  // The lower band's adaptation starts on the sign of its difference before the difference.
  static constexpr bool kSignAhead = true;

  // The lower-band quantizer's interval m (1..30) for the magnitude w at scale factor det (QUANTL):
  // one more than the number of decision thresholds at or below w, found by a binary search (they
  // never decrease) whose steps follow the signal, so are taken without branches.
  G722KIT_ALWAYS_INLINE static int32_t LowerInterval(int32_t w, int32_t det) {
    int32_t below = 0;
#pragma GCC unroll 16
    for (int32_t step = 16; step > 0; step >>= 1) {
      const int32_t next = Min(below + step, 29);
      below += (next - below) & -int32_t{w >= ((kLowerDecisionLevel[next] * det) >> 12)};
    }
    return below + 1;
  }

  // The transmit filter over a window of 24 samples, oldest first.
  G722KIT_ALWAYS_INLINE static void QmfSplit(const int16_t* window, int32_t& xl, int32_t& xh) {
    int32_t even, odd;
    QmfSums([window](int i) { return int32_t{window[i]}; }, even, odd);
    SplitBands(even, odd, xl, xh);
  }

  // The receive filter over a window of 24 entries, oldest first: two output samples.
  G722KIT_ALWAYS_INLINE static void QmfJoin(const int16_t* window, int16_t* out) {
    int32_t even, odd, first, second;
    QmfSums([window](int i) { return int32_t{window[i]}; }, even, odd);
    JoinBands(even, odd, first, second);
    out[0] = static_cast<int16_t>(first);
    out[1] = static_cast<int16_t>(second);
  }
};

}  // namespace
}  // namespace g722kit
