// The decoder's loops, one per configuration and instruction set, over band states in locals.
#pragma once

#include <cstdint>

#include "decoder_tables.h"
#include "qmf_line.h"
#include "shared_tables.h"
#include "sub_band.h"

namespace g722kit {
namespace {

// Reads codes one per byte, or from a bit stream through the record's bit reservoir, least
// significant bit first.
template <bool kPacked>
class CodeReader {
 public:
  CodeReader(const G722State& state, const uint8_t* in, int32_t count)
      : in_(in),
        count_(count),
        bits_per_code_(state.bits_per_code),
        buffer_(state.unpack_buffer),
        bits_(state.unpack_bits) {}

  // The next code; packed, it takes at most one byte.
  G722KIT_ALWAYS_INLINE int32_t Next() {
    if constexpr (!kPacked) {
      return in_[position_++];
    } else {
      if (bits_ < bits_per_code_) {
        buffer_ |= static_cast<uint32_t>(in_[position_++]) << bits_;
        bits_ += 8;
      }
      const auto code = static_cast<int32_t>(buffer_ & ((1u << bits_per_code_) - 1));
      buffer_ >>= bits_per_code_;
      bits_ -= bits_per_code_;
      return code;
    }
  }

  // Whether a byte remains: a call ends once its last byte is taken, even when the reservoir
  // still holds a whole code, which the next call decodes first.
  bool More() const { return position_ < count_; }

  // Reads codes until there are `most` or the last byte is taken, while a byte remains; returns
  // how many.
  int32_t Take(uint8_t* codes, int32_t most) {
    int32_t n = 0;
    do {
      codes[n++] = static_cast<uint8_t>(Next());
    } while (n < most && More());
    return n;
  }

  void Finish(G722State& state) const {
    if constexpr (kPacked) {
      state.unpack_buffer = buffer_;
      state.unpack_bits = bits_;
    }
  }

 private:
  const uint8_t* in_;
  int32_t position_ = 0;
  int32_t count_;
  int32_t bits_per_code_;
  uint32_t buffer_;
  int32_t bits_;
};

// Where the parts of a code lie at one code width.
struct CodeLayout {
  int32_t low_mask;          // the lower-band code
  int32_t high_shift;        // the 2-bit upper-band code above it
  int32_t adapt_shift;       // from the lower-band code down to its 4-bit index
  const int32_t* low_quant;  // the lower band's inverse quantizer at this width
};

constexpr CodeLayout LayoutOf(int32_t bits_per_code) {
  switch (bits_per_code) {
    case 7:
      return {31, 5, 1, kLowerQuant5.data()};
    case 6:
      return {15, 4, 0, kLowerQuant4.data()};
    default:
      return {63, 6, 2, kLowerQuant6.data()};
  }
}

// Limits the reconstructed signal to its range (LIMIT).
constexpr int32_t Limit(int32_t x) {
  return Clamp(x, -16384, 16383);
}

// Decodes one lower-band code: reconstructs the signal from it, then adapts the scale factor and
// the predictor; returns the lower-band signal (INVQBL, RECONS, LIMIT, INVQAL, LOGSCL, SCALEL,
// block 4).
template <class Simd>
G722KIT_ALWAYS_INLINE int32_t DecodeLower(Band<Simd>& band, const CodeLayout& layout,
                                          int32_t code) {
  const int32_t low_code = code & layout.low_mask;
  const int32_t adapt_index = low_code >> layout.adapt_shift;
  const int32_t recon = Limit(band.s + ((layout.low_quant[low_code] * band.det) >> 15));
  const int32_t quant = kLowerQuant4[adapt_index];
  // With det at least 32, the difference is 0 exactly when quant is, with its sign otherwise.
  const int32_t dl = (quant * band.det) >> 15;
  band.AdaptLowerScale(kLowerScaleStep[adapt_index]);
  band.Adapt(dl, quant);
  return recon;
}

// Decodes one upper-band code: reconstructs the signal from it, then adapts the scale factor and
// the predictor; returns the upper-band signal (INVQAH, RECONS, LIMIT, LOGSCH, SCALEH, block 4).
template <class Simd>
G722KIT_ALWAYS_INLINE int32_t DecodeUpper(Band<Simd>& band, int32_t high_code) {
  const int32_t dh = (kUpperQuant2[high_code] * band.det) >> 15;
  const int32_t recon = Limit(band.s + dh);
  band.AdaptUpperScale(kUpperScaleStep[high_code]);
  band.Adapt(dh, dh);
  return recon;
}

// 8 kHz: one sample per code from the lower band alone.
template <class Simd, bool kPacked>
int32_t DecodeNarrow(G722State& state, int16_t* pcm_out, const uint8_t* codes_in, int32_t count) {
  Band<Simd> low(state.band[0]);
  CodeReader<kPacked> reader(state, codes_in, count);
  const CodeLayout layout = LayoutOf(state.bits_per_code);
  int32_t n = 0;
  do {
    // Within -32768..32766.
    pcm_out[n++] = static_cast<int16_t>(DecodeLower<Simd>(low, layout, reader.Next()) << 1);
  } while (reader.More());
  low.Store(state.band[0]);
  reader.Finish(state);
  return n;
}

// Two-band: two samples per code from the receive filter, saturated to 16 bits. Each pass
// decodes each band in a loop of its own, which keeps one band's state in registers at a time,
// then runs the filter over both.
template <class Simd, bool kPacked>
int32_t DecodeWide(G722State& state, int16_t* pcm_out, const uint8_t* codes_in, int32_t count) {
  Band<Simd> low(state.band[0]);
  Band<Simd> high(state.band[1]);
  CodeReader<kPacked> reader(state, codes_in, count);
  const CodeLayout layout = LayoutOf(state.bits_per_code);
  QmfLine line(state.qmf_history);
  uint8_t codes[kQmfPassPairs];
  int32_t rl[kQmfPassPairs];
  int32_t n = 0;
  do {
    const int32_t pairs = reader.Take(codes, kQmfPassPairs);
    for (int32_t pair = 0; pair < pairs; pair++)
      rl[pair] = DecodeLower<Simd>(low, layout, codes[pair]);
    int16_t* entries = line.pass();
    for (int32_t pair = 0; pair < pairs; pair++) {
      const int32_t rh = DecodeUpper<Simd>(high, (codes[pair] >> layout.high_shift) & 3);
      entries[2 * pair] = static_cast<int16_t>(rl[pair] + rh);
      entries[2 * pair + 1] = static_cast<int16_t>(rl[pair] - rh);
    }
    for (int32_t pair = 0; pair < pairs; pair++, n += 2)
      Simd::QmfJoin(line.Window(pair), pcm_out + n);
    line.EndPass(pairs);
  } while (reader.More());
  low.Store(state.band[0]);
  high.Store(state.band[1]);
  line.Store(state.qmf_history);
  reader.Finish(state);
  return n;
}

template <class Simd>
int32_t Decode(G722State& state, int16_t* pcm_out, const uint8_t* codes_in, int32_t count) {
  if (state.pcm_8k) {
    return state.packed ? DecodeNarrow<Simd, true>(state, pcm_out, codes_in, count)
                        : DecodeNarrow<Simd, false>(state, pcm_out, codes_in, count);
  }
  return state.packed ? DecodeWide<Simd, true>(state, pcm_out, codes_in, count)
                      : DecodeWide<Simd, false>(state, pcm_out, codes_in, count);
}

}  // namespace
}  // namespace g722kit
