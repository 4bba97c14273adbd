// Internal interface of the G.722 codec: the pieces shared by the encoder and the decoder.
// Nothing in the codec throws, so its exports need no guard at the C boundary: they do integer
// arithmetic on the caller's record, and allocate with malloc and a noexcept list of records.
#pragma once

#include <cstdint>

#include "g722kit/g722.h"

namespace g722kit {

// Clamps a 32-bit value to the 16-bit range.
constexpr int32_t Saturate16(int32_t x) {
  if (x > 32767) return 32767;
  if (x < -32768) return -32768;
  return x;
}

// Block 4 of one sub-band: reconstruction, pole and zero adaptation, delay lines and the
// prediction for the next code. d is the quantized difference of the current code.
void G722AdaptBand(G722State* state, int band_index, int32_t d);

// LOGSCL and SCALEL: adapts the lower band's scale factor to the 4-bit index of its code.
void AdaptLowerScale(G722Band& band, int32_t adapt_index);

// LOGSCH and SCALEH: adapts the upper band's scale factor to its 2-bit code.
void AdaptUpperScale(G722Band& band, int32_t high_code);

// Shifts two new values into the band-split filter history (first, then second) and returns
// the filter's two sums: the even-numbered entries weighted by the even taps, and the
// odd-numbered entries weighted by the odd taps.
struct QmfSums {
  int32_t even;
  int32_t odd;
};
QmfSums QmfPush(int32_t history[24], int32_t first, int32_t second);

// Shared by both initialisers: resets or allocates a record for a new stream.
G722State* InitState(G722State* state, int32_t rate, int32_t options);

// Shared by both releases: frees a record that InitState allocated.
int32_t ReleaseState(G722State* state);

}  // namespace g722kit
