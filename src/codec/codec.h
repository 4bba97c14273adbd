// Internal interface of the G.722 codec: the pieces shared by the encoder and the decoder.
// Nothing in the codec throws, so its exports need no guard at the C boundary: they do integer
// arithmetic on the caller's record, and allocate with malloc and a noexcept list of records.
#pragma once

#include <cstdint>

#include "g722kit/g722.h"

// The per-code steps are inlined into the loops whatever the compiler's size limits, so that a
// band's state stays in registers for the whole call.
#if defined(__GNUC__)
#define G722KIT_ALWAYS_INLINE [[gnu::always_inline]] inline
#else
#define G722KIT_ALWAYS_INLINE inline
#endif

namespace g722kit {
namespace {

// Arithmetic helpers, with internal linkage: they are compiled into the code of every
// instruction set (see sub_band.h).

constexpr int32_t Clamp(int32_t x, int32_t lo, int32_t hi) {
  return (x < lo) ? lo : (x > hi) ? hi : x;
}

// Clamps a 32-bit value to the 16-bit range.
constexpr int32_t Saturate16(int32_t x) {
  return Clamp(x, -32768, 32767);
}

// x when sign is 0, -x when sign is -1: chosen without a branch, because the codec's sign
// comparisons follow the signal and defeat branch prediction.
constexpr int32_t ApplySign(int32_t x, int32_t sign) {
  return (x ^ sign) - sign;
}

// Writes a band record's zero section as a plain transcription leaves it, from the coefficients
// b[1..6], the differences d[1..6] and the difference the last shift dropped, each held from
// index 0: after an adaptation d[0] equals d[1], and sg holds the signs that the zero coefficient
// update (UPZERO) compared.
inline void StoreZeroSection(G722Band& band, const int32_t b[6], const int32_t d[7]) {
  for (int i = 0; i < 6; i++) {
    band.b[i + 1] = band.bp[i + 1] = b[i];
    band.d[i + 1] = d[i];
  }
  band.d[0] = d[0];
  band.sg[0] = d[0] >> 15;
  for (int i = 1; i < 7; i++)
    band.sg[i] = d[i] >> 15;
}

}  // namespace

// The steps of one sub-band on its record, as the hot loops run them on locals.

// Adapts the predictor of one sub-band: reconstruction, pole and zero adaptation, delay lines
// and the prediction for the next code (G.722 block 4). d is the quantized difference of the
// current code.
void G722AdaptBand(G722State* state, int band_index, int32_t d);

// Adapts the lower band's scale factor to the 4-bit index of its code (LOGSCL, SCALEL).
void AdaptLowerScale(G722Band& band, int32_t adapt_index);

// Adapts the upper band's scale factor to its 2-bit code (LOGSCH, SCALEH).
void AdaptUpperScale(G722Band& band, int32_t high_code);

// Shared by both initialisers: resets or allocates a record for a new stream.
G722State* InitState(G722State* state, int32_t rate, int32_t options);

// Whether a record's fields that size, shift or index memory, and its scale factors, lie within
// what the codec leaves in them, for a call of that direction: the calls refuse a record that
// its caller corrupted rather than run off memory.
bool EncoderFieldsInRange(const G722State& state);
bool DecoderFieldsInRange(const G722State& state);

// Shared by both releases: frees a record that InitState allocated.
int32_t ReleaseState(G722State* state);

}  // namespace g722kit
