// One sub-band of the codec with its state in lane values: the adaptive predictor (block 4) and
// the quantizer scale factor. The loops load a band's state when a call or a chunk starts, adapt
// it once per code and save it when it ends.
#pragma once

#include <cstdint>

#include "band_state.h"
#include "codec.h"
#include "lane_ops.h"
#include "shared_tables.h"

namespace g722kit {
namespace {

// The address of a band quantity's lanes from `lane` on; one stream's has only its own.
inline const int32_t* LaneAddress(const int32_t& value, int /*lane*/) {
  return &value;
}
inline int32_t* LaneAddress(int32_t& value, int /*lane*/) {
  return &value;
}

// The six-tap zero predictor in lane values: coefficients b[1..6] and differences d[1..6] of the
// last six codes, plus the difference the last shift dropped, whose sign the record keeps.
template <class V>
class ZeroSection {
 public:
  template <class T>
  ZeroSection(const BandState<T>& state, int lane) {
    for (int i = 0; i < 6; i++)
      b_[i] = LoadLanes<V>(LaneAddress(state.b[i], lane));
    for (int i = 0; i < 7; i++)
      d_[i] = LoadLanes<V>(LaneAddress(state.d[i], lane));
  }

  template <class T>
  void Save(BandState<T>& state, int lane) const {
    for (int i = 0; i < 6; i++)
      StoreLanes(LaneAddress(state.b[i], lane), b_[i]);
    for (int i = 0; i < 7; i++)
      StoreLanes(LaneAddress(state.d[i], lane), d_[i]);
  }

  // Zero coefficient update, the differences moving on, and the zero section's sum for the new
  // coefficients (UPZERO, DELAYA, FILTEZ). like_d has the sign of d and is 0 exactly when d is.
  G722KIT_ALWAYS_INLINE V Adapt(V d, V like_d) {
    const V gain = V(128) & NonZeroMask(like_d);
    // The leaked coefficient lies within -32640..32639, so a step of 128 stays within 16 bits.
#pragma GCC unroll 16
    for (int i = 0; i < 6; i++)
      b_[i] = ((b_[i] * V(32640)) >> 15) + ApplySign(gain, (d_[i] ^ like_d) >> 31);
#pragma GCC unroll 16
    for (int i = 6; i > 0; i--)
      d_[i] = d_[i - 1];
    d_[0] = d;
    // Differences stay within +-10228, so doubling them needs no saturation.
    V sum(0);
#pragma GCC unroll 16
    for (int i = 0; i < 6; i++)
      sum = sum + ((b_[i] * (d_[i] << 1)) >> 15);
    return sum;
  }

 private:
  V b_[6];
  V d_[7];
};

// The lower band's log and linear scale factors after a code's log step (LOGSCL, SCALEL).
template <class V>
G722KIT_ALWAYS_INLINE void StepLowerScale(V& nb, V& det, V log_step) {
  nb = Clamp(((nb * V(127)) >> 7) + log_step, V(0), V(18432));
  det = Lookup<kLowerScaleFactor>(nb >> 6);
}

// The same for the upper band (LOGSCH, SCALEH).
template <class V>
G722KIT_ALWAYS_INLINE void StepUpperScale(V& nb, V& det, V log_step) {
  nb = Clamp(((nb * V(127)) >> 7) + log_step, V(0), V(22528));
  det = Lookup<kUpperScaleFactor>(nb >> 6);
}

// A sub-band's state in the lane values of Lanes (Lanes::V), with the zero section in the form
// Lanes computes it best (Lanes::ZeroSection).
template <class Lanes>
class SubBand {
  using V = typename Lanes::V;

 public:
  V s;    // prediction for the next code
  V nb;   // logarithmic quantizer scale factor
  V det;  // linear quantizer scale factor

  template <class T>
  SubBand(const BandState<T>& state, int lane)
      : s(Load(state.s, lane)),
        nb(Load(state.nb, lane)),
        det(Load(state.det, lane)),
        sz_(Load(state.sz, lane)),
        r1_(Load(state.r1, lane)),
        r2_(Load(state.r2, lane)),
        doubled_r1_(Load(state.doubled_r1, lane)),
        doubled_r2_(Load(state.doubled_r2, lane)),
        p1_(Load(state.p1, lane)),
        p2_(Load(state.p2, lane)),
        a1_(Load(state.a1, lane)),
        a2_(Load(state.a2, lane)),
        zeros_(state, lane) {}

  template <class T>
  void Save(BandState<T>& state, int lane) const {
    Store(state.s, lane, s);
    Store(state.nb, lane, nb);
    Store(state.det, lane, det);
    Store(state.sz, lane, sz_);
    Store(state.r1, lane, r1_);
    Store(state.r2, lane, r2_);
    Store(state.doubled_r1, lane, doubled_r1_);
    Store(state.doubled_r2, lane, doubled_r2_);
    Store(state.p1, lane, p1_);
    Store(state.p2, lane, p2_);
    Store(state.a1, lane, a1_);
    Store(state.a2, lane, a2_);
    zeros_.Save(state, lane);
  }

  G722KIT_ALWAYS_INLINE void AdaptLowerScale(V log_step) { StepLowerScale(nb, det, log_step); }
  G722KIT_ALWAYS_INLINE void AdaptUpperScale(V log_step) { StepUpperScale(nb, det, log_step); }

  // Adapts the predictor (block 4) to the quantized difference d of the current code, whose
  // magnitude is at most 10228 (16384 * 20456 >> 15). like_d has the sign of d and is 0 exactly
  // when d is: a value known before d, so that the zero section can start sooner (d itself when
  // there is none).
  G722KIT_ALWAYS_INLINE void Adapt(V d, V like_d) {
    // The reconstructed and partially reconstructed signals (RECONS, PARREC) keep their sums
    // unsaturated, which leaves their signs unchanged: saturation waits until they are stored.
    // The signs of two p values differ exactly where the sign bit of their exclusive or is set.
    const V p0 = sz_ + d;
    const V differ1 = (p0 ^ p1_) >> 31;
    const V differ2 = (p0 ^ p2_) >> 31;
    // Second pole coefficient update (UPPOL2). Its parts that do not depend on d are worked out
    // for either sign of p0 while d is still being computed. T2 is -T1 when the signs of p0 and p1
    // agree, at most 32767: only T1 = -32768 would exceed it.
    const V t1 = Saturate16(a1_ << 2);
    const V leaked_a2 = (a2_ * V(32512)) >> 15;
    const V if_agree = leaked_a2 + (Min(-t1, V(32767)) >> 7);
    const V if_differ = leaked_a2 + (t1 >> 7);
    a2_ = Clamp(Select(differ1, if_differ, if_agree) + ApplySign(V(128), differ2), V(-12288),
                V(12288));
    // First pole coefficient update (UPPOL1). |a1| <= 15360 + 12288, so the leaked coefficient
    // and its step stay within 16 bits.
    const V limit = V(15360) - a2_;
    a1_ = Clamp(((a1_ * V(32640)) >> 15) + ApplySign(V(192), differ1), -limit, limit);
    // The zero section's update, delay line and part of the prediction (UPZERO, DELAYA, FILTEZ).
    sz_ = Saturate16(zeros_.Adapt(d, like_d));
    // The pole section's delay line, then its part of the prediction and the prediction itself
    // (DELAYA, FILTEP, PREDIC).
    const V r0 = s + d;
    r2_ = r1_;
    r1_ = r0;
    doubled_r2_ = doubled_r1_;
    doubled_r1_ = Saturate16(r0 << 1);  // as doubling the saturated r0 would give
    p2_ = p1_;
    p1_ = p0;
    s = Saturate16(PolePrediction(a1_, a2_, doubled_r1_, doubled_r2_) + sz_);
  }

 private:
  template <class T>
  static V Load(const T& quantity, int lane) {
    return LoadLanes<V>(LaneAddress(quantity, lane));
  }
  template <class T>
  static void Store(T& quantity, int lane, V value) {
    StoreLanes(LaneAddress(quantity, lane), value);
  }

  V sz_;                       // the zero section's part of s
  V r1_, r2_;                  // reconstructed signal of the last two codes, unsaturated
  V doubled_r1_, doubled_r2_;  // twice those, saturated
  V p1_, p2_;                  // partially reconstructed signal, unsaturated
  V a1_, a2_;                  // pole coefficients
  typename Lanes::ZeroSection zeros_;
};

}  // namespace
}  // namespace g722kit
