// G.722 decoder: codes to PCM samples, with the receive band-split filter in two-band mode.
#include <algorithm>

#include "codec.h"
#include "decoder_tables.h"
#include "shared_tables.h"

namespace g722kit {
namespace {

// One code split into its parts by the code width.
struct CodeParts {
  int32_t low_code;
  int32_t high_code;
  int32_t quant;        // full-width inverse quantizer value of low_code
  int32_t adapt_index;  // the 4-bit index that drives the scale factor and block 4
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

// Takes the next code from the bit reservoir, which holds at least one.
int32_t TakeHeldCode(G722State* state) {
  const uint32_t mask = (1u << state->bits_per_code) - 1;
  const int32_t code = static_cast<int32_t>(state->unpack_buffer & mask);
  state->unpack_buffer >>= state->bits_per_code;
  state->unpack_bits -= state->bits_per_code;
  return code;
}

// Takes the next code from the input, through the bit reservoir when packed.
int32_t FetchCode(G722State* state, const uint8_t* codes_in, int32_t& position) {
  if (!state->packed) return codes_in[position++];
  if (state->unpack_bits < state->bits_per_code) {
    state->unpack_buffer |= static_cast<uint32_t>(codes_in[position++]) << state->unpack_bits;
    state->unpack_bits += 8;
  }
  return TakeHeldCode(state);
}

// LIMIT: the reconstructed signal's range.
constexpr int32_t Limit(int32_t x) {
  return std::clamp(x, -16384, 16383);
}

// INVQBL, RECONS, LIMIT, INVQAL, LOGSCL, SCALEL and block 4; returns the lower-band signal.
int32_t DecodeLowerBand(G722State* state, const CodeParts& parts) {
  G722Band& band = state->band[0];
  const int32_t recon = Limit(band.s + ((parts.quant * band.det) >> 15));
  const int32_t diff = (kLowerQuant4[parts.adapt_index] * band.det) >> 15;
  AdaptLowerScale(band, parts.adapt_index);
  G722AdaptBand(state, 0, diff);
  return recon;
}

// INVQAH, RECONS, LIMIT, LOGSCH, SCALEH and block 4; returns the upper-band signal.
int32_t DecodeUpperBand(G722State* state, int32_t high_code) {
  G722Band& band = state->band[1];
  const int32_t diff = (kUpperQuant2[high_code] * band.det) >> 15;
  const int32_t recon = Limit(band.s + diff);
  AdaptUpperScale(band, high_code);
  G722AdaptBand(state, 1, diff);
  return recon;
}

// Decodes one code into one sample (8 kHz) or two (two-band); returns how many.
int32_t DecodeCode(G722State* state, int32_t code, int16_t* pcm_out) {
  const CodeParts parts = SplitCode(code, state->bits_per_code);
  const int32_t low = DecodeLowerBand(state, parts);
  if (state->pcm_8k) {
    pcm_out[0] = static_cast<int16_t>(low << 1);
    return 1;
  }
  const int32_t high = DecodeUpperBand(state, parts.high_code);
  const QmfSums sums = QmfPush(state->qmf_history, low + high, low - high);
  // The receive filter can overshoot the 16-bit range on loud input; saturate rather than
  // let a sample wrap into a full-scale click of the opposite sign.
  pcm_out[0] = static_cast<int16_t>(Saturate16(sums.odd >> 11));
  pcm_out[1] = static_cast<int16_t>(Saturate16(sums.even >> 11));
  return 2;
}

}  // namespace
}  // namespace g722kit

using namespace g722kit;

// Flattened: every step of a code is inlined into the loop, though the flush shares them.
extern "C" [[gnu::flatten]] int32_t G722DecodeCodes(G722State* state, int16_t* pcm_out,
                                                    const uint8_t* codes_in, int32_t byte_count) {
  if (state == nullptr || byte_count <= 0 || byte_count > G722MaxDecodeBytes) return 0;
  int32_t position = 0;
  int32_t count = 0;
  do {
    count += DecodeCode(state, FetchCode(state, codes_in, position), pcm_out + count);
  } while (position < byte_count);
  return count;
}

extern "C" int32_t G722DecoderFlush(G722State* state, int16_t* pcm_out) {
  if (state == nullptr || !state->packed) return 0;
  int32_t count = 0;
  if (state->unpack_bits >= state->bits_per_code) {
    count = DecodeCode(state, TakeHeldCode(state), pcm_out);
  }
  state->unpack_buffer = 0;
  state->unpack_bits = 0;
  return count;
}
