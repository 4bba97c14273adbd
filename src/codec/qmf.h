// The band-split filter (QMF) of the two-band mode, written once for any lanes (see lane_ops.h):
// its sums over a window of 24 entries, oldest first, and how the encoder and the decoder finish
// them. The encoder's entries are PCM samples, the decoder's the sums and differences of the two
// reconstructed band signals, in pairs.
#pragma once

#include <cstdint>

#include "lane_ops.h"
#include "shared_tables.h"

namespace g722kit {
namespace {

// The sums over the even-numbered and the odd-numbered entries of the window, entry(i) giving
// entry i.
template <class V, class Entry>
G722KIT_ALWAYS_INLINE void QmfSums(Entry&& entry, V& even, V& odd) {
  even = V(0);
  odd = V(0);
#pragma GCC unroll 16
  for (int k = 0; k < 12; k++) {
    even = even + entry(2 * k) * V(kQmfTaps[k]);
    odd = odd + entry(2 * k + 1) * V(kQmfTaps[11 - k]);
  }
}

// The transmit filter's lower and upper sub-band signals.
template <class V>
G722KIT_ALWAYS_INLINE void SplitBands(V even, V odd, V& xl, V& xh) {
  xl = (even + odd) >> 14;
  xh = (odd - even) >> 14;
}

// The receive filter's two output samples, the odd sum's first, saturated to 16 bits.
template <class V>
G722KIT_ALWAYS_INLINE void JoinBands(V even, V odd, V& first, V& second) {
  first = Saturate16(odd >> 11);
  second = Saturate16(even >> 11);
}

// The pair of filter entries that the decoder makes of one code's two band signals.
template <class V>
G722KIT_ALWAYS_INLINE void BandPair(V low_recon, V high_recon, V& first, V& second) {
  first = low_recon + high_recon;
  second = low_recon - high_recon;
}

}  // namespace
}  // namespace g722kit
