// The encoder's loops, one per configuration and instruction set, over band states in locals.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "encoder_tables.h"
#include "qmf_line.h"
#include "shared_tables.h"
#include "sub_band.h"

namespace g722kit {
namespace {

// Magnitude used by both quantizers: -1 maps to 0 and -32768 to 32767.
constexpr int32_t QuantizerMagnitude(int32_t e) {
  return e ^ (e >> 31);
}

// Writes codes one per byte, or packed into a bit stream that fills each byte from its least
// significant bit upward.
template <bool kPacked>
class CodeWriter {
 public:
  CodeWriter(const G722State& state, uint8_t* out)
      : out_(out),
        bits_per_code_(state.bits_per_code),
        buffer_(state.pack_buffer),
        bits_(state.pack_bits) {}

  // code is the 8 bits of a 64000 bit/s code; its top bits_per_code bits are written.
  G722KIT_ALWAYS_INLINE void Put(int32_t code) {
    code >>= 8 - bits_per_code_;
    if constexpr (!kPacked) {
      out_[count_++] = static_cast<uint8_t>(code);
    } else {
      buffer_ |= static_cast<uint32_t>(code) << bits_;
      bits_ += bits_per_code_;
      if (bits_ >= 8) {
        out_[count_++] = static_cast<uint8_t>(buffer_);
        buffer_ >>= 8;
        bits_ -= 8;
      }
    }
  }

  // Keeps the bits that do not fill a byte yet in the record; returns the bytes written.
  int32_t Finish(G722State& state) const {
    if constexpr (kPacked) {
      state.pack_buffer = buffer_;
      state.pack_bits = bits_;
    }
    return count_;
  }

 private:
  uint8_t* out_;
  int32_t count_ = 0;
  int32_t bits_per_code_;
  uint32_t buffer_;
  int32_t bits_;
};

// Codes one lower-band sample: quantizes its prediction error, then adapts the scale factor and
// the predictor; returns the 6-bit code (SUBTRA, QUANTL, INVQAL, LOGSCL, SCALEL, block 4).
template <class Simd>
G722KIT_ALWAYS_INLINE int32_t EncodeLower(Band<Simd>& band, int32_t xl) {
  const int32_t el = Saturate16(xl - band.s);
  const int32_t w = QuantizerMagnitude(el);
  const int32_t outcome = Simd::LowerInterval(w, band.det) + ((el >> 31) & 32);
  const int32_t dl = (kLowerOutcomes.quant[outcome] * band.det) >> 15;
  // The difference is 0 in intervals 1 and 2, where w lies below the second threshold, and has
  // the sign of el otherwise (det is at least 32): known before the interval is.
  const int32_t like_dl = (el | 1) & -int32_t{w >= ((kLowerDecisionLevel[2] * band.det) >> 12)};
  band.AdaptLowerScale(kLowerOutcomes.log_step[outcome]);
  band.Adapt(dl, like_dl);
  return kLowerOutcomes.code[outcome];
}

// Codes one upper-band sample: quantizes its prediction error, then adapts the scale factor and
// the predictor; returns the 2-bit code (SUBTRA, QUANTH, INVQAH, LOGSCH, SCALEH, block 4).
template <class Simd>
G722KIT_ALWAYS_INLINE int32_t EncodeUpper(Band<Simd>& band, int32_t xh) {
  const int32_t eh = Saturate16(xh - band.s);
  const bool small = QuantizerMagnitude(eh) < ((564 * band.det) >> 12);
  const int32_t ih = (~(eh >> 31) & 2) + small;  // 0, 1 when negative; 2, 3 otherwise
  const int32_t dh = (kUpperQuant2[ih] * band.det) >> 15;
  band.AdaptUpperScale(kUpperScaleStep[ih]);
  band.Adapt(dh, dh);
  return ih;
}

// 8 kHz: one code per sample, from the lower band alone; both upper-band bits are 1.
template <class Simd, bool kPacked>
int32_t EncodeNarrow(G722State& state, uint8_t* codes_out, const int16_t* pcm_in, int32_t count) {
  Band<Simd> low(state.band[0]);
  CodeWriter<kPacked> writer(state, codes_out);
  for (int32_t i = 0; i < count; i++)
    writer.Put(192 + EncodeLower<Simd>(low, pcm_in[i] >> 1));
  low.Store(state.band[0]);
  return writer.Finish(state);
}

// Two-band: one code per pair of samples through the transmit filter. A sample left without
// its pair waits in the record for the next call. Each pass first splits its samples into the
// two sub-band signals, then codes each band in a loop of its own, which keeps one band's state
// in registers at a time.
template <class Simd, bool kPacked>
int32_t EncodeWide(G722State& state, uint8_t* codes_out, const int16_t* pcm_in, int32_t count) {
  Band<Simd> low(state.band[0]);
  Band<Simd> high(state.band[1]);
  CodeWriter<kPacked> writer(state, codes_out);
  QmfLine line(state.qmf_history);
  int32_t held = state.has_pending;
  if (held) line.pass()[0] = static_cast<int16_t>(state.pending_sample);
  int32_t xl[kQmfPassPairs], xh[kQmfPassPairs], il[kQmfPassPairs];
  int32_t i = 0;
  do {
    const int32_t taken = std::min(2 * kQmfPassPairs - held, count - i);
    std::memcpy(line.pass() + held, pcm_in + i, sizeof(int16_t) * static_cast<size_t>(taken));
    i += taken;
    const int32_t samples = held + taken;
    const int32_t pairs = samples / 2;
    for (int32_t pair = 0; pair < pairs; pair++)
      Simd::QmfSplit(line.Window(pair), xl[pair], xh[pair]);
    for (int32_t pair = 0; pair < pairs; pair++)
      il[pair] = EncodeLower<Simd>(low, xl[pair]);
    for (int32_t pair = 0; pair < pairs; pair++)
      writer.Put(EncodeUpper<Simd>(high, xh[pair]) * 64 + il[pair]);
    held = samples & 1;
    const int16_t odd_sample = line.pass()[samples - 1];
    line.EndPass(pairs);
    if (held) line.pass()[0] = odd_sample;
  } while (i < count);
  low.Store(state.band[0]);
  high.Store(state.band[1]);
  line.Store(state.qmf_history);
  state.has_pending = held;
  if (held) state.pending_sample = line.pass()[0];
  return writer.Finish(state);
}

template <class Simd>
int32_t Encode(G722State& state, uint8_t* codes_out, const int16_t* pcm_in, int32_t count) {
  if (state.pcm_8k) {
    return state.packed ? EncodeNarrow<Simd, true>(state, codes_out, pcm_in, count)
                        : EncodeNarrow<Simd, false>(state, codes_out, pcm_in, count);
  }
  return state.packed ? EncodeWide<Simd, true>(state, codes_out, pcm_in, count)
                      : EncodeWide<Simd, false>(state, codes_out, pcm_in, count);
}

}  // namespace
}  // namespace g722kit
