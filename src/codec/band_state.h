// A sub-band's state between codes in the form the codec's loops carry it, one T per quantity:
// int32_t for one stream, a row of lanes (batch_layout.h) for a group of streams. The record's
// G722Band is the form of the plain transcription of the algorithm; both are converted here.
#pragma once

#include <cstdint>

#include "g722kit/g722.h"
#include "lane_ops.h"

namespace g722kit {

template <class T>
struct BandState {
  T s;                       // prediction for the next code
  T nb;                      // logarithmic quantizer scale factor
  T det;                     // linear quantizer scale factor
  T sz;                      // the zero section's part of s
  T r1, r2;                  // reconstructed signal of the last two codes, unsaturated
  T doubled_r1, doubled_r2;  // twice those, saturated
  T p1, p2;                  // partially reconstructed signal, unsaturated
  T a1, a2;                  // pole coefficients
  T b[6];                    // zero coefficients b[1..6] of the record
  T d[7];  // differences d[1..6] of the record, then the one the last shift dropped
};

namespace {

// Calls f on each quantity of two states of a band, side by side.
template <class A, class B, class F>
void ForEachQuantity(A& a, B& b, F&& f) {
  f(a.s, b.s);
  f(a.nb, b.nb);
  f(a.det, b.det);
  f(a.sz, b.sz);
  f(a.r1, b.r1);
  f(a.r2, b.r2);
  f(a.doubled_r1, b.doubled_r1);
  f(a.doubled_r2, b.doubled_r2);
  f(a.p1, b.p1);
  f(a.p2, b.p2);
  f(a.a1, b.a1);
  f(a.a2, b.a2);
  for (int i = 0; i < 6; i++)
    f(a.b[i], b.b[i]);
  for (int i = 0; i < 7; i++)
    f(a.d[i], b.d[i]);
}

// The pole section's part of the prediction (FILTEP).
template <class V>
G722KIT_ALWAYS_INLINE V PolePrediction(V a1, V a2, V doubled_r1, V doubled_r2) {
  return Saturate16(((a1 * doubled_r1) >> 15) + ((a2 * doubled_r2) >> 15));
}

inline BandState<int32_t> FromRecord(const G722Band& band) {
  BandState<int32_t> state{};
  state.s = band.s;
  state.nb = band.nb;
  state.det = band.det;
  state.sz = band.sz;
  state.r1 = band.r[1];
  state.r2 = band.r[2];
  state.doubled_r1 = Saturate16(band.r[1] << 1);
  state.doubled_r2 = Saturate16(band.r[2] << 1);
  state.p1 = band.p[1];
  state.p2 = band.p[2];
  state.a1 = band.a[1];
  state.a2 = band.a[2];
  for (int i = 0; i < 6; i++) {
    state.b[i] = band.b[i + 1];
    state.d[i] = band.d[i + 1];
  }
  state.d[6] = band.sg[6];
  return state;
}

// Writes the record as a plain transcription leaves it: after an adaptation the current code's
// entries equal the newest past ones, the coefficients under computation the adopted ones, and
// sg holds the signs that the zero coefficient update (UPZERO) compared.
inline void ToRecord(const BandState<int32_t>& state, G722Band& band) {
  band.s = state.s;
  band.sp = PolePrediction(state.a1, state.a2, state.doubled_r1, state.doubled_r2);
  band.sz = state.sz;
  band.r[0] = band.r[1] = Saturate16(state.r1);
  band.r[2] = Saturate16(state.r2);
  band.p[0] = band.p[1] = Saturate16(state.p1);
  band.p[2] = Saturate16(state.p2);
  band.a[1] = band.ap[1] = state.a1;
  band.a[2] = band.ap[2] = state.a2;
  for (int i = 0; i < 6; i++) {
    band.b[i + 1] = band.bp[i + 1] = state.b[i];
    band.d[i + 1] = state.d[i];
  }
  band.d[0] = state.d[0];
  band.sg[0] = state.d[0] >> 15;
  for (int i = 1; i < 7; i++)
    band.sg[i] = state.d[i] >> 15;
  band.nb = state.nb;
  band.det = state.det;
}

}  // namespace
}  // namespace g722kit
