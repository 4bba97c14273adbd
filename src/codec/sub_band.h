// One sub-band of the codec with its state in locals: block 4 (the adaptive predictor) and the
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

// LOGSCL and SCALEL: the lower band's log and linear scale factors after a code's log step.
inline void StepLowerScale(int32_t& nb, int32_t& det, int32_t log_step) {
  nb = Clamp(((nb * 127) >> 7) + log_step, 0, 18432);
  det = kLowerScaleFactor[nb >> 6];
}

// LOGSCH and SCALEH: the same for the upper band.
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
        sp_(band.sp),
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
    band.sp = sp_;
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

  // Block 4 for the quantized difference d of the current code, whose magnitude is at most
  // 10228 (16384 * 20456 >> 15). like_d has the sign of d and is 0 exactly when d is: a value
  // known before d, so that the zero section can start sooner (d itself when there is none).
  G722KIT_ALWAYS_INLINE void Adapt(int32_t d, int32_t like_d) {
    // UPPOL2 and UPPOL1 depend on d only through the sign of p0, so both outcomes are worked
    // out from the earlier state while d is computed, and the sign chooses. RECONS and PARREC
    // keep their sums unsaturated, which leaves their signs unchanged: saturation waits until
    // they are stored.
    const Poles if_positive = NextPoles(0);
    const Poles if_negative = NextPoles(-1);
    const int32_t p0 = sz_ + d;
    const int32_t negative = p0 >> 31;
    a1_ = Select(negative, if_negative.a1, if_positive.a1);
    a2_ = Select(negative, if_negative.a2, if_positive.a2);
    // UPZERO, DELAYA and FILTEZ.
    sz_ = Saturate16(zeros_.Adapt(d, like_d));
    // DELAYA of the pole section, FILTEP and PREDIC. Saturating twice the saturated r0 gives
    // twice r0 saturated.
    const int32_t r0 = s + d;
    r2_ = r1_;
    r1_ = r0;
    doubled_r2_ = doubled_r1_;
    doubled_r1_ = Saturate16(r0 << 1);
    p2_ = p1_;
    p1_ = p0;
    sp_ = Saturate16(((a1_ * doubled_r1_) >> 15) + ((a2_ * doubled_r2_) >> 15));
    s = Saturate16(sp_ + sz_);
  }

 private:
  struct Poles {
    int32_t a1, a2;
  };

  // if_set where mask is -1, if_clear where it is 0, without a branch.
  static constexpr int32_t Select(int32_t mask, int32_t if_set, int32_t if_clear) {
    return if_clear ^ ((if_clear ^ if_set) & mask);
  }

  // UPPOL2 and UPPOL1 for a p0 with the sign sign0 (0: non-negative, -1: negative). The sign
  // of p0 and p differs exactly where the sign bit of their exclusive or is set.
  G722KIT_ALWAYS_INLINE Poles NextPoles(int32_t sign0) const {
    const int32_t differ1 = (sign0 ^ p1_) >> 31;
    const int32_t differ2 = (sign0 ^ p2_) >> 31;
    // T2 is -T1 when the signs agree, at most 32767: only T1 = -32768 would exceed it.
    const int32_t t2 = std::min(ApplySign(Saturate16(a1_ << 2), ~differ1), 32767);
    const int32_t a2 =
        Clamp(((a2_ * 32512) >> 15) + (t2 >> 7) + ApplySign(128, differ2), -12288, 12288);
    // |a1| <= 15360 + 12288, so the leaked coefficient and its step stay within 16 bits.
    const int32_t limit = 15360 - a2;
    return {Clamp(((a1_ * 32640) >> 15) + ApplySign(192, differ1), -limit, limit), a2};
  }

  int32_t sp_, sz_;                  // the pole and zero section parts of s
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
