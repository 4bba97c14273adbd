// The adaptive predictor of one sub-band, shared by encoder and decoder (G.722 block 4).
#include <algorithm>

#include "codec.h"

namespace g722kit {
namespace {

// Sign of a 16-bit-range value: 0 when non-negative, -1 when negative.
constexpr int32_t Sign(int32_t x) {
  return x >> 15;
}

// Second pole coefficient update (UPPOL2).
void UpdateSecondPole(G722Band& b) {
  for (int i = 0; i < 3; i++)
    b.sg[i] = Sign(b.p[i]);
  const int32_t t1 = Saturate16(b.a[1] << 2);
  int32_t t2 = (b.sg[0] == b.sg[1]) ? -t1 : t1;
  if (t2 > 32767) t2 = 32767;
  const int32_t t3 = ((b.a[2] * 32512) >> 15) + (t2 >> 7) + ((b.sg[0] == b.sg[2]) ? 128 : -128);
  b.ap[2] = std::clamp(t3, -12288, 12288);
}

// First pole coefficient update, limited by the new second one (UPPOL1).
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

// Zero coefficient update; the coefficients only leak while d is 0 (UPZERO).
void UpdateZeros(G722Band& b, int32_t d) {
  const int32_t gain = (d == 0) ? 0 : 128;
  b.sg[0] = d >> 15;
  for (int i = 1; i < 7; i++) {
    b.sg[i] = b.d[i] >> 15;
    b.bp[i] = Saturate16(((b.b[i] * 32640) >> 15) + ((b.sg[i] == b.sg[0]) ? gain : -gain));
  }
}

// Moves the delay lines on by one code and takes the new coefficients (DELAYA).
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

// Pole and zero section predictions, and their sum: the prediction for the next code
// (FILTEP, FILTEZ, PREDIC).
void Predict(G722Band& b) {
  b.sp = Saturate16(((b.a[1] * Saturate16(b.r[1] << 1)) >> 15) +
                    ((b.a[2] * Saturate16(b.r[2] << 1)) >> 15));
  int32_t zero_sum = 0;
  for (int i = 6; i > 0; i--)
    zero_sum += (b.b[i] * Saturate16(b.d[i] << 1)) >> 15;
  b.sz = Saturate16(zero_sum);
  b.s = Saturate16(b.sp + b.sz);
}

}  // namespace

void G722AdaptBand(G722State* state, int band_index, int32_t d) {
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

}  // namespace g722kit
