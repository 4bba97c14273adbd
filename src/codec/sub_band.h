// One sub-band of the codec with its state in locals: the adaptive predictor (block 4) and the
// quantizer scale factor. The hot loops load a band record when a call starts, adapt it once per
// code and store it back when the call ends; between calls the record is all there is.
//
// This header, the loops and the instruction-set routines are compiled once per instruction set:
// everything in them has internal linkage, so that no copy built for one set stands in for
// another at link time.
#pragma once

#include <algorithm>
#include <cstdint>

#include "codec.h"
#include "shared_tables.h"

namespace g722kit {
namespace {

// The lower band's log and linear scale factors after a code's log step (LOGSCL, SCALEL).
inline void StepLowerScale(int32_t& nb, int32_t& det, int32_t log_step) {
  nb = Clamp(((nb * 127) >> 7) + log_step, 0, 18432);
  det = kLowerScaleFactor[nb >> 6];
}

// The same for the upper band (LOGSCH, SCALEH).
inline void StepUpperScale(int32_t& nb, int32_t& det, int32_t log_step) {
  nb = Clamp(((nb * 127) >> 7) + log_step, 0, 22528);
  det = kUpperScaleFactor[nb >> 6];
}

// A sub-band's state. ZeroSection holds the six-tap zero predictor in the form one instruction
// set computes it best, with Store and Adapt (UPZERO, its part of DELAYA, and FILTEZ).
template <class ZeroSection>
class SubBand {
 public:
  int32_t s;    // prediction for the next code
  int32_t nb;   // logarithmic quantizer scale factor
  int32_t det;  // linear quantizer scale factor

  explicit SubBand(const G722Band& band)
      : s(band.s),
        nb(band.nb),
        det(band.det),
        sz_(band.sz),
        r1_(band.r[1]),
        r2_(band.r[2]),
        doubled_r1_(Saturate16(band.r[1] << 1)),
        doubled_r2_(Saturate16(band.r[2] << 1)),
        p1_(band.p[1]),
        p2_(band.p[2]),
        a1_(band.a[1]),
        a2_(band.a[2]),
        zeros_(band) {}

  // Writes the record as a plain transcription leaves it: after an adaptation the current code's
  // entries equal the newest past ones and the coefficients under computation the adopted ones.
  void Store(G722Band& band) const {
    band.s = s;
    band.sp = PolePrediction();
    band.sz = sz_;
    band.r[0] = band.r[1] = Saturate16(r1_);
    band.r[2] = Saturate16(r2_);
    band.p[0] = band.p[1] = Saturate16(p1_);
    band.p[2] = Saturate16(p2_);
    band.a[1] = band.ap[1] = a1_;
    band.a[2] = band.ap[2] = a2_;
    zeros_.Store(band);
    band.nb = nb;
    band.det = det;
  }

  void AdaptLowerScale(int32_t log_step) { StepLowerScale(nb, det, log_step); }
  void AdaptUpperScale(int32_t log_step) { StepUpperScale(nb, det, log_step); }

  // Adapts the predictor (block 4) to the quantized difference d of the current code, whose
  // magnitude is at most 10228 (16384 * 20456 >> 15). like_d has the sign of d and is 0 exactly
  // when d is: a value known before d, so that the zero section can start sooner (d itself when
  // there is none).
  G722KIT_ALWAYS_INLINE void Adapt(int32_t d, int32_t like_d) {
    // The reconstructed and partially reconstructed signals (RECONS, PARREC) keep their sums
    // unsaturated, which leaves their signs unchanged: saturation waits until they are stored.
    // The signs of two p values differ exactly where the sign bit of their exclusive or is set.
    const int32_t p0 = sz_ + d;
    const int32_t differ1 = (p0 ^ p1_) >> 31;
    const int32_t differ2 = (p0 ^ p2_) >> 31;
    // Second pole coefficient update (UPPOL2). Its parts that do not depend on d are worked out for
    // either sign of p0 while d is still being computed. T2 is -T1 when the signs of p0 and p1
    // agree, at most 32767: only T1 = -32768 would exceed it.
    const int32_t t1 = Saturate16(a1_ << 2);
    const int32_t leaked_a2 = (a2_ * 32512) >> 15;
    const int32_t if_agree = leaked_a2 + (std::min(-t1, 32767) >> 7);
    const int32_t if_differ = leaked_a2 + (t1 >> 7);
    a2_ = Clamp(Select(differ1, if_differ, if_agree) + ApplySign(128, differ2), -12288, 12288);
    // First pole coefficient update (UPPOL1). |a1| <= 15360 + 12288, so the leaked coefficient and
    // its step stay within 16 bits.
    const int32_t limit = 15360 - a2_;
    a1_ = Clamp(((a1_ * 32640) >> 15) + ApplySign(192, differ1), -limit, limit);
    // The zero section's update, delay line and part of the prediction (UPZERO, DELAYA, FILTEZ).
    sz_ = Saturate16(zeros_.Adapt(d, like_d));
    // The pole section's delay line, then its part of the prediction and the prediction itself
    // (DELAYA, FILTEP, PREDIC).
    const int32_t r0 = s + d;
    r2_ = r1_;
    r1_ = r0;
    doubled_r2_ = doubled_r1_;
    doubled_r1_ = Saturate16(r0 << 1);  // as doubling the saturated r0 would give
    p2_ = p1_;
    p1_ = p0;
    s = Saturate16(PolePrediction() + sz_);
  }

 private:
  // The pole section's part of s (FILTEP).
  G722KIT_ALWAYS_INLINE int32_t PolePrediction() const {
    return Saturate16(((a1_ * doubled_r1_) >> 15) + ((a2_ * doubled_r2_) >> 15));
  }

  // if_set where mask is -1, if_clear where it is 0, without a branch.
  static constexpr int32_t Select(int32_t mask, int32_t if_set, int32_t if_clear) {
    return if_clear ^ ((if_clear ^ if_set) & mask);
  }

  int32_t sz_;                       // the zero section's part of s
  int32_t r1_, r2_;                  // reconstructed signal of the last two codes, unsaturated
  int32_t doubled_r1_, doubled_r2_;  // twice those, saturated
  int32_t p1_, p2_;                  // partially reconstructed signal, unsaturated
  int32_t a1_, a2_;                  // pole coefficients
  ZeroSection zeros_;
};

// The sub-band of one instruction set's routines.
template <class Simd>
using Band = SubBand<typename Simd::ZeroSection>;

}  // namespace
}  // namespace g722kit
