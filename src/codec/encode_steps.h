// The encoder's steps of one code, written once for any lanes (see lane_ops.h): the quantizers
// of both sub-bands and the code they make.
#pragma once

#include <cstdint>
#include <type_traits>

#include "encoder_tables.h"
#include "lane_ops.h"
#include "shared_tables.h"
#include "sub_band.h"

namespace g722kit {
namespace {

// Magnitude used by both quantizers: -1 maps to 0 and -32768 to 32767.
template <class V>
G722KIT_ALWAYS_INLINE V QuantizerMagnitude(V e) {
  return e ^ (e >> 31);
}

// The lower-band quantizer's interval m (1..30) for the magnitude w at scale factor det (QUANTL),
// as lanes without a faster way find it: 30 less the number of decision thresholds
// (level * det) >> 12 above w, that is with level * det > (w << 12) + 4095. CountIfGreater(n, a,
// b) is n + 1 in the lanes where a > b.
template <class V>
G722KIT_ALWAYS_INLINE V CountedLowerInterval(V w, V det) {
  const V reach = (w << 12) + V(4095);
  V above(0);
  for (int m = 1; m < 30; m++)
    above = CountIfGreater(above, V(kLowerDecisionLevel[m]) * det, reach);
  return V(30) - above;
}

// Codes one lower-band sample: quantizes its prediction error, then adapts the scale factor and
// the predictor; returns the 6-bit code (SUBTRA, QUANTL, INVQAL, LOGSCL, SCALEL, block 4).
// Lanes::LowerInterval finds the quantizer's interval.
template <class Lanes, class V = typename Lanes::V>
G722KIT_ALWAYS_INLINE V EncodeLower(SubBand<Lanes>& band, std::type_identity_t<V> xl) {
  const V el = Saturate16(xl - band.s);
  const V w = QuantizerMagnitude(el);
  const V outcome = Lanes::LowerInterval(w, band.det) + ((el >> 31) & V(32));
  const V dl = (Lookup<kLowerOutcomeQuant>(outcome) * band.det) >> 15;
  // The difference is 0 in intervals 1 and 2, where w lies below the second threshold, and has
  // the sign of el otherwise (det is at least 32): known before the interval is, for lanes whose
  // adaptation can start on it.
  V like_dl = dl;
  if constexpr (Lanes::kSignAhead) {
    like_dl = (el | V(1)) & ~LessMask(w, (V(kLowerDecisionLevel[2]) * band.det) >> 12);
  }
  band.AdaptLowerScale(Lookup<kLowerOutcomeLogStep>(outcome));
  band.Adapt(dl, like_dl);
  return Lookup<kLowerOutcomeCode>(outcome);
}

// Codes one upper-band sample: quantizes its prediction error, then adapts the scale factor and
// the predictor; returns the 2-bit code (SUBTRA, QUANTH, INVQAH, LOGSCH, SCALEH, block 4).
template <class Lanes, class V = typename Lanes::V>
G722KIT_ALWAYS_INLINE V EncodeUpper(SubBand<Lanes>& band, std::type_identity_t<V> xh) {
  const V eh = Saturate16(xh - band.s);
  const V small = LessMask(QuantizerMagnitude(eh), (V(564) * band.det) >> 12);
  const V ih = (~(eh >> 31) & V(2)) - small;  // 0, 1 when negative; 2, 3 otherwise
  const V dh = (Lookup<kUpperQuant2>(ih) * band.det) >> 15;
  band.AdaptUpperScale(Lookup<kUpperScaleStep>(ih));
  band.Adapt(dh, dh);
  return ih;
}

// 8 kHz: the code of one sample, from the lower band alone; both upper-band bits are 1.
template <class Lanes, class V = typename Lanes::V>
G722KIT_ALWAYS_INLINE V EncodeNarrow(SubBand<Lanes>& low, std::type_identity_t<V> sample) {
  return V(192) + EncodeLower(low, sample >> 1);
}

// Two-band: the code of the two sub-band codes.
template <class V>
G722KIT_ALWAYS_INLINE V WideCode(V low_code, V high_code) {
  return (high_code << 6) + low_code;
}

}  // namespace
}  // namespace g722kit
