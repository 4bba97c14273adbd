// G.722 encoder: PCM samples to codes, with the transmit band-split filter in two-band mode.
#include "codec.h"
#include "encoder_tables.h"
#include "shared_tables.h"

namespace g722kit {
namespace {

// Magnitude used by both quantizers: -1 maps to 0 and -32768 to 32767.
constexpr int32_t QuantizerMagnitude(int32_t e) {
  return (e >= 0) ? e : -(e + 1);
}

// SUBTRA, QUANTL, INVQAL, LOGSCL, SCALEL and block 4; returns the 6-bit lower-band code.
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
  G722AdaptBand(state, 0, dl);
  return il;
}

// SUBTRA, QUANTH, INVQAH, LOGSCH, SCALEH and block 4; returns the 2-bit upper-band code.
int32_t EncodeUpperBand(G722State* state, int32_t xh) {
  G722Band& band = state->band[1];
  const int32_t eh = Saturate16(xh - band.s);
  const bool small = QuantizerMagnitude(eh) < ((564 * band.det) >> 12);
  const int32_t ih = (eh < 0) ? (small ? 1 : 0) : (small ? 3 : 2);
  const int32_t dh = (kUpperQuant2[ih] * band.det) >> 15;
  AdaptUpperScale(band, ih);
  G722AdaptBand(state, 1, dh);
  return ih;
}

// Writes one code as a byte or into the packed bit stream; returns the bytes completed.
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

// The transmit filter and both bands for one pair of samples; returns the code.
int32_t EncodePair(G722State* state, int32_t first, int32_t second) {
  const QmfSums sums = QmfPush(state->qmf_history, first, second);
  const int32_t il = EncodeLowerBand(state, (sums.even + sums.odd) >> 14);
  const int32_t ih = EncodeUpperBand(state, (sums.odd - sums.even) >> 14);
  return (ih * 64 + il) >> (8 - state->bits_per_code);
}

}  // namespace
}  // namespace g722kit

using namespace g722kit;

// Flattened: every step of a code is inlined into the loop, though the flush shares them.
extern "C" [[gnu::flatten]] int32_t G722EncodeSamples(G722State* state, uint8_t* codes_out,
                                                      const int16_t* pcm_in, int32_t sample_count) {
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
      code = EncodePair(state, first, pcm_in[i++]);
    }
    n += EmitCode(state, codes_out + n, code);
  }
  return n;
}

extern "C" int32_t G722EncoderFlush(G722State* state, uint8_t* codes_out) {
  if (state == nullptr) return 0;
  int32_t n = 0;
  if (state->has_pending) {
    state->has_pending = 0;
    n += EmitCode(state, codes_out, EncodePair(state, state->pending_sample, 0));
  }
  if (state->packed && state->pack_bits > 0) {
    codes_out[n++] = static_cast<uint8_t>(state->pack_buffer & 0xFF);
    state->pack_buffer = 0;
    state->pack_bits = 0;
  }
  return n;
}
