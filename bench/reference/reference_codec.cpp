// The codec as a plain transcription: one function per step of the algorithm, every band
// field read and written through the record, the delay lines moved element by element.
#include "reference_codec.h"

#include <algorithm>

#include "decoder_tables.h"
#include "encoder_tables.h"
#include "shared_tables.h"

namespace g722kit::reference {
namespace {

int32_t Saturate16(int32_t x) {
  return std::clamp(x, -32768, 32767);
}

// Sign of a 16-bit-range value: 0 when non-negative, -1 when negative.
int32_t Sign(int32_t x) {
  return x >> 15;
}

// The new second pole coefficient (UPPOL2).
void UpdateSecondPole(G722Band& b) {
  for (int i = 0; i < 3; i++)
    b.sg[i] = Sign(b.p[i]);
  const int32_t t1 = Saturate16(b.a[1] << 2);
  int32_t t2 = (b.sg[0] == b.sg[1]) ? -t1 : t1;
  if (t2 > 32767) t2 = 32767;
  const int32_t t3 = ((b.a[2] * 32512) >> 15) + (t2 >> 7) + ((b.sg[0] == b.sg[2]) ? 128 : -128);
  b.ap[2] = std::clamp(t3, -12288, 12288);
}

// The new first pole coefficient, limited by the new second one (UPPOL1).
void UpdateFirstPole(G722Band& b) {
  b.sg[0] = Sign(b.p[0]);
  b.sg[1] = Sign(b.p[1]);
  b.ap[1] = Saturate16(((b.a[1] * 32640) >> 15) + ((b.sg[0] == b.sg[1]) ? 192 : -192));
  const int32_t limit = Saturate16(15360 - b.ap[2]);
  if (b.ap[1] > limit) {
    b.ap[1] = limit;
  } else if (b.ap[1] < -limit) {
    b.ap[1] = -limit;
  }
}

// The new zero coefficients (UPZERO).
void UpdateZeros(G722Band& b, int32_t d) {
  const int32_t gain = (d == 0) ? 0 : 128;
  b.sg[0] = d >> 15;
  for (int i = 1; i < 7; i++) {
    b.sg[i] = b.d[i] >> 15;
    b.bp[i] = Saturate16(((b.b[i] * 32640) >> 15) + ((b.sg[i] == b.sg[0]) ? gain : -gain));
  }
}

// The delay lines move on by one code (DELAYA).
void ShiftDelayLines(G722Band& b) {
  for (int i = 6; i > 0; i--) {
    b.d[i] = b.d[i - 1];
    b.b[i] = b.bp[i];
  }
  for (int i = 2; i > 0; i--) {
    b.r[i] = b.r[i - 1];
    b.p[i] = b.p[i - 1];
    b.a[i] = b.ap[i];
  }
}

// The prediction for the next code, from the pole and zero sections (FILTEP, FILTEZ, PREDIC).
void Predict(G722Band& b) {
  b.sp = Saturate16(((b.a[1] * Saturate16(b.r[1] << 1)) >> 15) +
                    ((b.a[2] * Saturate16(b.r[2] << 1)) >> 15));
  int32_t zero_sum = 0;
  for (int i = 6; i > 0; i--)
    zero_sum += (b.b[i] * Saturate16(b.d[i] << 1)) >> 15;
  b.sz = Saturate16(zero_sum);
  b.s = Saturate16(b.sp + b.sz);
}

// Adapts the predictor of one sub-band to the quantized difference d (block 4).
void AdaptBand(G722State* state, int band_index, int32_t d) {
  G722Band& b = state->band[band_index];
  b.d[0] = d;
  b.r[0] = Saturate16(b.s + d);
  b.p[0] = Saturate16(b.sz + d);
  UpdateSecondPole(b);
  UpdateFirstPole(b);
  UpdateZeros(b, d);
  ShiftDelayLines(b);
  Predict(b);
}

int32_t ScaleFactor(int32_t nb, int32_t exponent_bias) {
  const int32_t mantissa = kScaleMantissa[(nb >> 6) & 31];
  const int32_t exponent = exponent_bias - (nb >> 11);
  const int32_t value = (exponent >= 0) ? (mantissa >> exponent) : (mantissa << -exponent);
  return value << 2;
}

// Adapts the lower band's scale factor to the 4-bit index of its code (LOGSCL, SCALEL).
void AdaptLowerScale(G722Band& band, int32_t adapt_index) {
  band.nb = std::clamp(((band.nb * 127) >> 7) + kLowerScaleStep[adapt_index], 0, 18432);
  band.det = ScaleFactor(band.nb, 8);
}

// Adapts the upper band's scale factor to its 2-bit code (LOGSCH, SCALEH).
void AdaptUpperScale(G722Band& band, int32_t high_code) {
  band.nb = std::clamp(((band.nb * 127) >> 7) + kUpperScaleStep[high_code], 0, 22528);
  band.det = ScaleFactor(band.nb, 10);
}

struct QmfSums {
  int32_t even;
  int32_t odd;
};

// The band-split filter: two new values into the history, then both sums.
QmfSums QmfPush(int32_t history[24], int32_t first, int32_t second) {
  for (int k = 0; k < 22; k++)
    history[k] = history[k + 2];
  history[22] = first;
  history[23] = second;
  QmfSums sums{0, 0};
  for (int k = 0; k < 12; k++) {
    sums.even += history[2 * k] * kQmfTaps[k];
    sums.odd += history[2 * k + 1] * kQmfTaps[11 - k];
  }
  return sums;
}

int32_t QuantizerMagnitude(int32_t e) {
  return (e >= 0) ? e : -(e + 1);
}

// Codes one lower-band sample: quantizes its prediction error, then adapts the scale factor and
// the predictor; returns the 6-bit code (SUBTRA, QUANTL, INVQAL, LOGSCL, SCALEL, block 4).
int32_t EncodeLowerBand(G722State* state, int32_t xl) {
  G722Band& band = state->band[0];
  const int32_t el = Saturate16(xl - band.s);
  const int32_t magnitude = QuantizerMagnitude(el);
  int32_t m = 1;
  while (m < 30 && magnitude >= ((kLowerDecisionLevel[m] * band.det) >> 12))
    m++;
  const int32_t il = (el < 0) ? kNegativeLowerCode[m] : kPositiveLowerCode[m];
  const int32_t dl = (kLowerQuant4[il >> 2] * band.det) >> 15;
  AdaptLowerScale(band, il >> 2);
  AdaptBand(state, 0, dl);
  return il;
}

// Codes one upper-band sample: quantizes its prediction error, then adapts the scale factor and
// the predictor; returns the 2-bit code (SUBTRA, QUANTH, INVQAH, LOGSCH, SCALEH, block 4).
int32_t EncodeUpperBand(G722State* state, int32_t xh) {
  G722Band& band = state->band[1];
  const int32_t eh = Saturate16(xh - band.s);
  const bool small = QuantizerMagnitude(eh) < ((564 * band.det) >> 12);
  const int32_t ih = (eh < 0) ? (small ? 1 : 0) : (small ? 3 : 2);
  const int32_t dh = (kUpperQuant2[ih] * band.det) >> 15;
  AdaptUpperScale(band, ih);
  AdaptBand(state, 1, dh);
  return ih;
}

int32_t EmitCode(G722State* state, uint8_t* out, int32_t code) {
  if (!state->packed) {
    *out = static_cast<uint8_t>(code);
    return 1;
  }
  state->pack_buffer |= static_cast<uint32_t>(code) << state->pack_bits;
  state->pack_bits += state->bits_per_code;
  if (state->pack_bits < 8) return 0;
  *out = static_cast<uint8_t>(state->pack_buffer & 0xFF);
  state->pack_bits -= 8;
  state->pack_buffer >>= 8;
  return 1;
}

struct CodeParts {
  int32_t low_code;
  int32_t high_code;
  int32_t quant;
  int32_t adapt_index;
};

CodeParts SplitCode(int32_t code, int32_t bits_per_code) {
  switch (bits_per_code) {
    case 7: {
      const int32_t low = code & 31;
      return {low, (code >> 5) & 3, kLowerQuant5[low], low >> 1};
    }
    case 6: {
      const int32_t low = code & 15;
      return {low, (code >> 4) & 3, kLowerQuant4[low], low};
    }
    default: {
      const int32_t low = code & 63;
      return {low, (code >> 6) & 3, kLowerQuant6[low], low >> 2};
    }
  }
}

int32_t FetchCode(G722State* state, const uint8_t* codes_in, int32_t& position) {
  if (!state->packed) return codes_in[position++];
  if (state->unpack_bits < state->bits_per_code) {
    state->unpack_buffer |= static_cast<uint32_t>(codes_in[position++]) << state->unpack_bits;
    state->unpack_bits += 8;
  }
  const uint32_t mask = (1u << state->bits_per_code) - 1;
  const int32_t code = static_cast<int32_t>(state->unpack_buffer & mask);
  state->unpack_buffer >>= state->bits_per_code;
  state->unpack_bits -= state->bits_per_code;
  return code;
}

int32_t Limit(int32_t x) {
  return std::clamp(x, -16384, 16383);
}

// Decodes the lower-band part of a code: reconstructs the signal from it, then adapts the scale
// factor and the predictor; returns the lower-band signal (INVQBL, RECONS, LIMIT, INVQAL,
// LOGSCL, SCALEL, block 4).
int32_t DecodeLowerBand(G722State* state, const CodeParts& parts) {
  G722Band& band = state->band[0];
  const int32_t recon = Limit(band.s + ((parts.quant * band.det) >> 15));
  const int32_t diff = (kLowerQuant4[parts.adapt_index] * band.det) >> 15;
  AdaptLowerScale(band, parts.adapt_index);
  AdaptBand(state, 0, diff);
  return recon;
}

// Decodes one upper-band code: reconstructs the signal from it, then adapts the scale factor and
// the predictor; returns the upper-band signal (INVQAH, RECONS, LIMIT, LOGSCH, SCALEH, block 4).
int32_t DecodeUpperBand(G722State* state, int32_t high_code) {
  G722Band& band = state->band[1];
  const int32_t diff = (kUpperQuant2[high_code] * band.det) >> 15;
  const int32_t recon = Limit(band.s + diff);
  AdaptUpperScale(band, high_code);
  AdaptBand(state, 1, diff);
  return recon;
}

}  // namespace

int32_t EncodeSamples(G722State* state, uint8_t* codes_out, const int16_t* pcm_in,
                      int32_t sample_count) {
  if (state == nullptr || sample_count <= 0) return 0;
  const int32_t shift = 8 - state->bits_per_code;
  int32_t i = 0;
  int32_t n = 0;
  while (i < sample_count) {
    int32_t code;
    if (state->pcm_8k) {
      code = (192 + EncodeLowerBand(state, pcm_in[i++] >> 1)) >> shift;
    } else {
      int32_t first;
      if (state->has_pending) {
        first = state->pending_sample;
        state->has_pending = 0;
      } else if (i + 1 == sample_count) {
        state->pending_sample = pcm_in[i];
        state->has_pending = 1;
        break;
      } else {
        first = pcm_in[i++];
      }
      const int32_t second = pcm_in[i++];
      const QmfSums sums = QmfPush(state->qmf_history, first, second);
      const int32_t il = EncodeLowerBand(state, (sums.even + sums.odd) >> 14);
      const int32_t ih = EncodeUpperBand(state, (sums.odd - sums.even) >> 14);
      code = (ih * 64 + il) >> shift;
    }
    n += EmitCode(state, codes_out + n, code);
  }
  return n;
}

int32_t DecodeCodes(G722State* state, int16_t* pcm_out, const uint8_t* codes_in,
                    int32_t byte_count) {
  if (state == nullptr || byte_count <= 0) return 0;
  int32_t position = 0;
  int32_t count = 0;
  do {
    const CodeParts parts = SplitCode(FetchCode(state, codes_in, position), state->bits_per_code);
    const int32_t low = DecodeLowerBand(state, parts);
    if (state->pcm_8k) {
      pcm_out[count++] = static_cast<int16_t>(low << 1);
    } else {
      const int32_t high = DecodeUpperBand(state, parts.high_code);
      const QmfSums sums = QmfPush(state->qmf_history, low + high, low - high);
      pcm_out[count++] = static_cast<int16_t>(Saturate16(sums.odd >> 11));
      pcm_out[count++] = static_cast<int16_t>(Saturate16(sums.even >> 11));
    }
  } while (position < byte_count);
  return count;
}

}  // namespace g722kit::reference
