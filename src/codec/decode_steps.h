// The decoder's steps of one code, written once for any lanes (see lane_ops.h), for each code
// width: the inverse quantizers and limits of both sub-bands.
#pragma once

#include <cstdint>
#include <type_traits>

#include "decoder_tables.h"
#include "lane_ops.h"
#include "shared_tables.h"
#include "sub_band.h"

namespace g722kit {
namespace {

// Limits the reconstructed signal to its range (LIMIT).
template <class V>
G722KIT_ALWAYS_INLINE V Limit(V x) {
  return Clamp(x, V(-16384), V(16383));
}

// Decodes the lower-band part of a code of kBitsPerCode bits: reconstructs the signal from it,
// then adapts the scale factor and the predictor; returns the lower-band signal (INVQBL,
// RECONS, LIMIT, INVQAL, LOGSCL, SCALEL, block 4). The output uses the inverse quantizer of the
// code's width, the adaptation only its upper four bits.
template <int kBitsPerCode, class Lanes, class V = typename Lanes::V>
G722KIT_ALWAYS_INLINE V DecodeLower(SubBand<Lanes>& band, std::type_identity_t<V> code) {
  const V low_code = code & V((1 << (kBitsPerCode - 2)) - 1);
  const V adapt_index = low_code >> (kBitsPerCode - 6);
  V output_quant;
  if constexpr (kBitsPerCode == 8) {
    output_quant = Lookup<kLowerQuant6>(low_code);
  } else if constexpr (kBitsPerCode == 7) {
    output_quant = Lookup<kLowerQuant5>(low_code);
  } else {
    output_quant = Lookup<kLowerQuant4>(low_code);
  }
  const V recon = Limit(band.s + ((output_quant * band.det) >> 15));
  const V quant = Lookup<kLowerQuant4>(adapt_index);
  // With det at least 32, the difference is 0 exactly when quant is, with its sign otherwise.
  const V dl = (quant * band.det) >> 15;
  band.AdaptLowerScale(Lookup<kLowerScaleStep>(adapt_index));
  band.Adapt(dl, quant);
  return recon;
}

// The 2-bit upper-band code above the lower-band part of a code of kBitsPerCode bits.
template <int kBitsPerCode, class V>
G722KIT_ALWAYS_INLINE V HighCode(V code) {
  return (code >> (kBitsPerCode - 2)) & V(3);
}

// Decodes one upper-band code: reconstructs the signal from it, then adapts the scale factor and
// the predictor; returns the upper-band signal (INVQAH, RECONS, LIMIT, LOGSCH, SCALEH, block 4).
template <class Lanes, class V = typename Lanes::V>
G722KIT_ALWAYS_INLINE V DecodeUpper(SubBand<Lanes>& band, std::type_identity_t<V> high_code) {
  const V dh = (Lookup<kUpperQuant2>(high_code) * band.det) >> 15;
  const V recon = Limit(band.s + dh);
  band.AdaptUpperScale(Lookup<kUpperScaleStep>(high_code));
  band.Adapt(dh, dh);
  return recon;
}

// 8 kHz: the sample of the lower-band signal, within -32768..32766.
template <class V>
G722KIT_ALWAYS_INLINE V NarrowSample(V low_recon) {
  return low_recon << 1;
}

}  // namespace
}  // namespace g722kit
