// What holds of a codec record between calls, whatever the input: checked by the fuzz targets
// after every call, so that a record drifting out of its ranges is caught where it happens
// rather than when it finally overflows.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "g722kit/g722.h"

namespace g722kit::fuzz {

inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken record invariant: %s\n", what);
  std::abort();
}

constexpr bool InRange(int32_t value, int32_t low, int32_t high) {
  return value >= low && value <= high;
}

constexpr bool In16Bits(int32_t value) {
  return InRange(value, -32768, 32767);
}

// One sub-band: scale factors within the bounds of their adaptation, pole coefficients within
// the limits of their update, and the saturated quantities within 16 bits.
inline void CheckBand(const G722Band& band, int32_t most_nb, int32_t least_det) {
  Require(InRange(band.nb, 0, most_nb), "nb within its bounds");
  Require(InRange(band.det, least_det, 16384), "det within its bounds");
  Require(band.det % 4 == 0, "det a multiple of 4");
  Require(InRange(band.a[2], -12288, 12288), "second pole coefficient within +-12288");
  const int32_t limit = 15360 - band.a[2];
  Require(InRange(band.a[1], -limit, limit), "first pole coefficient within 15360 - a[2]");
  Require(In16Bits(band.s) && In16Bits(band.sp) && In16Bits(band.sz), "predictions in 16 bits");
  for (int i = 0; i < 3; i++)
    Require(In16Bits(band.r[i]) && In16Bits(band.p[i]), "reconstructed signals in 16 bits");
  for (int i = 1; i < 7; i++)
    Require(In16Bits(band.b[i]), "zero coefficients in 16 bits");
}

// A bit reservoir holds fewer bits than one byte of the stream, and no bits above them.
inline void CheckReservoir(uint32_t buffer, int32_t bits) {
  Require(InRange(bits, 0, 7), "reservoir below one byte");
  Require((buffer >> bits) == 0, "no bits above the reservoir's count");
}

inline void CheckRecord(const G722State& state) {
  Require(InRange(state.bits_per_code, 6, 8), "bits per code 6, 7 or 8");
  CheckBand(state.band[0], 18432, 32);
  if (state.pcm_8k) {
    Require(state.band[1].nb == 0 && state.band[1].det == 8, "8 kHz mode leaves the upper band");
  } else {
    CheckBand(state.band[1], 22528, 8);
  }
  CheckReservoir(state.pack_buffer, state.pack_bits);
  CheckReservoir(state.unpack_buffer, state.unpack_bits);
  Require(state.has_pending == 0 || (state.has_pending == 1 && !state.pcm_8k),
          "a sample waits for its pair only in two-band mode");
}

}  // namespace g722kit::fuzz
