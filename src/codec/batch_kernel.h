// The batch codec's kernels, written once for any lane type V. A V holds one signed 32-bit value
// for each of V::kWidth streams, and every operation on it works lane by lane:
//   V(x), V::Load(p), v.Store(p)         broadcast, and kWidth values from or to memory
//   + - * & ^ unary-, << n, >> n         32-bit arithmetic; >> is arithmetic
//   ShiftRight(v, n)                     v >> n with a count per lane
//   Min, Max, Select(mask, a, b)         a where mask holds, b elsewhere
//   a < b, a > b, a == b                 masks
//   CountIf(v, mask)                     v + 1 where mask holds
//   Lookup(table, index)                 table.entry[index] for each lane
//
// Each translation unit that includes this file defines its lane type in an anonymous namespace,
// so that what it instantiates stays its own: the units are compiled for different instruction
// sets, and code one of them emits must never serve another. For the same reason the kernels
// read constant tables only as plain arrays and call nothing from the standard library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "batch_layout.h"
#include "decoder_tables.h"
#include "encoder_tables.h"
#include "shared_tables.h"

// The kernels' helpers are inlined into each loop, so that a band's state stays in registers.
#if defined(__GNUC__)
#define G722KIT_LANE_INLINE [[gnu::always_inline]] inline
#else
#define G722KIT_LANE_INLINE inline
#endif

namespace g722kit::batch {

// A constant table as a plain array, zero-padded to Size entries so that a vector lookup may
// load whole registers.
template <size_t Size>
struct Table {
  alignas(64) int32_t entry[Size];
};

template <size_t Size, size_t N>
constexpr Table<Size> MakeTable(const std::array<int32_t, N>& values) {
  static_assert(N <= Size);
  Table<Size> table{};
  for (size_t i = 0; i < N; i++)
    table.entry[i] = values[i];
  return table;
}

inline constexpr Table<16> kQmfTapTable = MakeTable<16>(kQmfTaps);
inline constexpr Table<32> kDecisionLevelTable = MakeTable<32>(kLowerDecisionLevel);
inline constexpr Table<32> kNegativeCodeTable = MakeTable<32>(kNegativeLowerCode);
inline constexpr Table<32> kPositiveCodeTable = MakeTable<32>(kPositiveLowerCode);
inline constexpr Table<16> kQuant4Table = MakeTable<16>(kLowerQuant4);
inline constexpr Table<32> kQuant5Table = MakeTable<32>(kLowerQuant5);
inline constexpr Table<64> kQuant6Table = MakeTable<64>(kLowerQuant6);
inline constexpr Table<16> kLowerStepTable = MakeTable<16>(kLowerScaleStep);
inline constexpr Table<8> kQuant2Table = MakeTable<8>(kUpperQuant2);
inline constexpr Table<8> kUpperStepTable = MakeTable<8>(kUpperScaleStep);
inline constexpr Table<32> kMantissaTable = MakeTable<32>(kScaleMantissa);

// One sub-band's state in lane values, held in locals while a chunk runs.
template <class V>
struct Band {
  V s, sz, r1, r2, a1, a2, p1, p2, nb, det;
  V d[7], b[7];  // entries 1 to 6
};

template <class V>
G722KIT_LANE_INLINE V LoadRow(const Row& row, int lane) {
  return V::Load(row.lane + lane);
}

template <class V>
G722KIT_LANE_INLINE Band<V> LoadBand(const BandRows& rows, int lane) {
  Band<V> band{};
  band.s = LoadRow<V>(rows.s, lane);
  band.sz = LoadRow<V>(rows.sz, lane);
  band.r1 = LoadRow<V>(rows.r1, lane);
  band.r2 = LoadRow<V>(rows.r2, lane);
  band.a1 = LoadRow<V>(rows.a1, lane);
  band.a2 = LoadRow<V>(rows.a2, lane);
  band.p1 = LoadRow<V>(rows.p1, lane);
  band.p2 = LoadRow<V>(rows.p2, lane);
  band.nb = LoadRow<V>(rows.nb, lane);
  band.det = LoadRow<V>(rows.det, lane);
  for (int i = 1; i < 7; i++) {
    band.d[i] = LoadRow<V>(rows.d[i], lane);
    band.b[i] = LoadRow<V>(rows.b[i], lane);
  }
  return band;
}

template <class V>
G722KIT_LANE_INLINE void StoreBand(const Band<V>& band, BandRows& rows, int lane) {
  band.s.Store(rows.s.lane + lane);
  band.sz.Store(rows.sz.lane + lane);
  band.r1.Store(rows.r1.lane + lane);
  band.r2.Store(rows.r2.lane + lane);
  band.a1.Store(rows.a1.lane + lane);
  band.a2.Store(rows.a2.lane + lane);
  band.p1.Store(rows.p1.lane + lane);
  band.p2.Store(rows.p2.lane + lane);
  band.nb.Store(rows.nb.lane + lane);
  band.det.Store(rows.det.lane + lane);
  for (int i = 1; i < 7; i++) {
    band.d[i].Store(rows.d[i].lane + lane);
    band.b[i].Store(rows.b[i].lane + lane);
  }
}

template <class V>
G722KIT_LANE_INLINE V Clamp(V x, int32_t low, int32_t high) {
  return Min(Max(x, V(low)), V(high));
}

template <class V>
G722KIT_LANE_INLINE V Saturate16(V x) {
  return Clamp(x, -32768, 32767);
}

// Whether the signs x >> 15 and y >> 15 of two 16-bit-range values agree.
template <class V>
G722KIT_LANE_INLINE auto SameSign(V x, V y) {
  return (x ^ y) > V(-1);
}

// Adapts the predictor: reconstruction, pole and zero predictor adaptation, delay lines and the
// prediction for the next code (block 4); d is the quantized difference of the current code.
template <class V>
G722KIT_LANE_INLINE void AdaptBand(Band<V>& band, V d) {
  const V r0 = Saturate16(band.s + d);
  const V p0 = Saturate16(band.sz + d);

  // Second pole coefficient update (UPPOL2): T2 is at most 32767, which only T1 = -32768 negated
  // would pass.
  const auto same_sign_01 = SameSign(p0, band.p1);
  const V t1 = Saturate16(band.a1 << 2);
  const V t2 = Min(Select(same_sign_01, -t1, t1), V(32767));
  const V t3 =
      ((band.a2 * V(32512)) >> 15) + (t2 >> 7) + Select(SameSign(p0, band.p2), V(128), V(-128));
  const V ap2 = Clamp(t3, -12288, 12288);

  // First pole coefficient update (UPPOL1): the limit 15360 - ap2 lies in 3072..27648, inside the
  // 16-bit range.
  const V ap1 = Saturate16(((band.a1 * V(32640)) >> 15) + Select(same_sign_01, V(192), V(-192)));
  const V limit = V(15360) - ap2;
  band.a1 = Min(Max(ap1, -limit), limit);
  band.a2 = ap2;

  // Zero coefficient update with the differences of the earlier codes, then the delay lines move
  // on (UPZERO, DELAYA).
  const V gain = Select(d == V(0), V(0), V(128));
  for (int i = 1; i < 7; i++) {
    band.b[i] =
        Saturate16(((band.b[i] * V(32640)) >> 15) + Select(SameSign(band.d[i], d), gain, -gain));
  }
  for (int i = 6; i > 1; i--)
    band.d[i] = band.d[i - 1];
  band.d[1] = d;
  band.r2 = band.r1;
  band.r1 = r0;
  band.p2 = band.p1;
  band.p1 = p0;

  // The prediction for the next code, from the pole and zero sections (FILTEP, FILTEZ, PREDIC).
  const V sp = Saturate16(((band.a1 * Saturate16(band.r1 << 1)) >> 15) +
                          ((band.a2 * Saturate16(band.r2 << 1)) >> 15));
  V zero_sum(0);
  for (int i = 6; i > 0; i--)
    zero_sum = zero_sum + ((band.b[i] * Saturate16(band.d[i] << 1)) >> 15);
  band.sz = Saturate16(zero_sum);
  band.s = Saturate16(sp + band.sz);
}

// Linear scale factor from the logarithmic one; exponent_bias is 8 (lower) or 10 (upper).
// The exponent bias - (nb >> 11) is never below -1, so shifting the mantissa left by one and
// then right by exponent + 1 gives mantissa >> exponent, and mantissa << 1 for exponent -1.
template <class V>
G722KIT_LANE_INLINE V ScaleFactor(V nb, int32_t exponent_bias) {
  const V mantissa = Lookup(kMantissaTable, (nb >> 6) & V(31));
  return ShiftRight(mantissa << 1, V(exponent_bias + 1) - (nb >> 11)) << 2;
}

// Adapts the lower band's scale factor to the 4-bit index of its code (LOGSCL, SCALEL).
template <class V>
G722KIT_LANE_INLINE void AdaptLowerScale(Band<V>& band, V adapt_index) {
  band.nb = Clamp(((band.nb * V(127)) >> 7) + Lookup(kLowerStepTable, adapt_index), 0, 18432);
  band.det = ScaleFactor(band.nb, 8);
}

// Adapts the upper band's scale factor to its 2-bit code (LOGSCH, SCALEH).
template <class V>
G722KIT_LANE_INLINE void AdaptUpperScale(Band<V>& band, V high_code) {
  band.nb = Clamp(((band.nb * V(127)) >> 7) + Lookup(kUpperStepTable, high_code), 0, 22528);
  band.det = ScaleFactor(band.nb, 10);
}

// The quantizers' magnitude: e itself, or -(e + 1) when e is negative.
template <class V>
G722KIT_LANE_INLINE V QuantizerMagnitude(V e) {
  return e ^ (e >> 31);
}

// Codes one lower-band sample: quantizes its prediction error, then adapts the scale factor and
// the predictor; returns the 6-bit code (SUBTRA, QUANTL, INVQAL, LOGSCL, SCALEL, block 4).
template <class V>
G722KIT_LANE_INLINE V EncodeLowerBand(Band<V>& band, V xl) {
  const V el = Saturate16(xl - band.s);
  const V magnitude = QuantizerMagnitude(el);
  // The decision thresholds (level * det) >> 12 grow with the interval, so the interval where
  // the search stops is 30 minus the number of thresholds above the magnitude. A threshold is
  // above it exactly when level * det > (magnitude << 12) + 4095.
  const V reach = (magnitude << 12) + V(4095);
  V above(0);
  for (int m = 1; m < 30; m++)
    above = CountIf(above, V(kDecisionLevelTable.entry[m]) * band.det > reach);
  const V interval = V(30) - above;
  const V il =
      Select(el < V(0), Lookup(kNegativeCodeTable, interval), Lookup(kPositiveCodeTable, interval));
  const V dl = (Lookup(kQuant4Table, il >> 2) * band.det) >> 15;
  AdaptLowerScale(band, il >> 2);
  AdaptBand(band, dl);
  return il;
}

// Codes one upper-band sample: quantizes its prediction error, then adapts the scale factor and
// the predictor; returns the 2-bit code (SUBTRA, QUANTH, INVQAH, LOGSCH, SCALEH, block 4).
template <class V>
G722KIT_LANE_INLINE V EncodeUpperBand(Band<V>& band, V xh) {
  const V eh = Saturate16(xh - band.s);
  const auto small = QuantizerMagnitude(eh) < ((V(564) * band.det) >> 12);
  const V ih = Select(eh < V(0), V(0), V(2)) + Select(small, V(1), V(0));
  const V dh = (Lookup(kQuant2Table, ih) * band.det) >> 15;
  AdaptUpperScale(band, ih);
  AdaptBand(band, dh);
  return ih;
}

// Limits the reconstructed signal to its range (LIMIT).
template <class V>
G722KIT_LANE_INLINE V Limit(V x) {
  return Clamp(x, -16384, 16383);
}

// Decodes one lower-band code: reconstructs the signal from it, then adapts the scale factor and
// the predictor; returns the lower-band signal (INVQBL, RECONS, LIMIT, INVQAL, LOGSCL, SCALEL,
// block 4). The code's width selects its lower-band part, inverse quantizer and adaptation index.
template <int kBitsPerCode, class V>
G722KIT_LANE_INLINE V DecodeLowerBand(Band<V>& band, V code) {
  V quant, adapt_index;
  if constexpr (kBitsPerCode == 8) {
    const V low_code = code & V(63);
    quant = Lookup(kQuant6Table, low_code);
    adapt_index = low_code >> 2;
  } else if constexpr (kBitsPerCode == 7) {
    const V low_code = code & V(31);
    quant = Lookup(kQuant5Table, low_code);
    adapt_index = low_code >> 1;
  } else {
    adapt_index = code & V(15);
    quant = Lookup(kQuant4Table, adapt_index);
  }
  const V recon = Limit(band.s + ((quant * band.det) >> 15));
  const V diff = (Lookup(kQuant4Table, adapt_index) * band.det) >> 15;
  AdaptLowerScale(band, adapt_index);
  AdaptBand(band, diff);
  return recon;
}

// Decodes one upper-band code: reconstructs the signal from it, then adapts the scale factor and
// the predictor; returns the upper-band signal (INVQAH, RECONS, LIMIT, LOGSCH, SCALEH, block 4).
template <class V>
G722KIT_LANE_INLINE V DecodeUpperBand(Band<V>& band, V high_code) {
  const V diff = (Lookup(kQuant2Table, high_code) * band.det) >> 15;
  const V recon = Limit(band.s + diff);
  AdaptUpperScale(band, high_code);
  AdaptBand(band, diff);
  return recon;
}

// The band-split filter's two sums for code c: the first values of its twelve pairs (rows c to
// c + kHistoryPairs) weighted by the even taps, the second values by the odd taps.
template <class V>
G722KIT_LANE_INLINE void QmfSums(const ChunkRows& rows, int lane, int c, V& even, V& odd) {
  even = V(0);
  odd = V(0);
  for (int k = 0; k < 12; k++) {
    even = even + LoadRow<V>(rows.first[c + k], lane) * V(kQmfTapTable.entry[k]);
    odd = odd + LoadRow<V>(rows.second[c + k], lane) * V(kQmfTapTable.entry[11 - k]);
  }
}

template <class V>
void Encode8k(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end, int shift) {
  Band<V> low = LoadBand<V>(group.band[0], lane);
  for (int c = begin; c < end; c++) {
    const V il = EncodeLowerBand(low, LoadRow<V>(rows.low[c], lane) >> 1);
    ((V(192) + il) >> shift).Store(rows.code[c].lane + lane);
  }
  StoreBand(low, group.band[0], lane);
}

template <class V>
void EncodeTwoBand(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end, int shift) {
  for (int c = begin; c < end; c++) {
    V even, odd;
    QmfSums(rows, lane, c, even, odd);
    ((even + odd) >> 14).Store(rows.low[c].lane + lane);
    ((odd - even) >> 14).Store(rows.high[c].lane + lane);
  }
  Band<V> low = LoadBand<V>(group.band[0], lane);
  Band<V> high = LoadBand<V>(group.band[1], lane);
  for (int c = begin; c < end; c++) {
    const V il = EncodeLowerBand(low, LoadRow<V>(rows.low[c], lane));
    const V ih = EncodeUpperBand(high, LoadRow<V>(rows.high[c], lane));
    (((ih << 6) + il) >> shift).Store(rows.code[c].lane + lane);
  }
  StoreBand(low, group.band[0], lane);
  StoreBand(high, group.band[1], lane);
}

template <class V>
void EncodeLanes(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end,
                 const KernelConfig& config) {
  const int shift = 8 - config.bits_per_code;
  if (config.pcm_8k) {
    Encode8k<V>(group, rows, lane, begin, end, shift);
  } else {
    EncodeTwoBand<V>(group, rows, lane, begin, end, shift);
  }
}

template <int kBitsPerCode, class V>
void Decode8k(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end) {
  Band<V> low = LoadBand<V>(group.band[0], lane);
  for (int c = begin; c < end; c++) {
    const V recon = DecodeLowerBand<kBitsPerCode>(low, LoadRow<V>(rows.code[c], lane));
    (recon << 1).Store(rows.low[c].lane + lane);
  }
  StoreBand(low, group.band[0], lane);
}

// The receive filter's outputs saturate rather than wrap, as the single-stream decoder's do.
template <int kBitsPerCode, class V>
void DecodeTwoBand(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end) {
  Band<V> low = LoadBand<V>(group.band[0], lane);
  Band<V> high = LoadBand<V>(group.band[1], lane);
  for (int c = begin; c < end; c++) {
    const V code = LoadRow<V>(rows.code[c], lane);
    const V low_recon = DecodeLowerBand<kBitsPerCode>(low, code);
    const V high_recon = DecodeUpperBand(high, (code >> (kBitsPerCode - 2)) & V(3));
    (low_recon + high_recon).Store(rows.first[kHistoryPairs + c].lane + lane);
    (low_recon - high_recon).Store(rows.second[kHistoryPairs + c].lane + lane);
  }
  StoreBand(low, group.band[0], lane);
  StoreBand(high, group.band[1], lane);
  for (int c = begin; c < end; c++) {
    V even, odd;
    QmfSums(rows, lane, c, even, odd);
    Saturate16(odd >> 11).Store(rows.low[c].lane + lane);
    Saturate16(even >> 11).Store(rows.high[c].lane + lane);
  }
}

template <int kBitsPerCode, class V>
void DecodeLanesAt(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end, bool pcm_8k) {
  if (pcm_8k) {
    Decode8k<kBitsPerCode, V>(group, rows, lane, begin, end);
  } else {
    DecodeTwoBand<kBitsPerCode, V>(group, rows, lane, begin, end);
  }
}

template <class V>
void DecodeLanes(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end,
                 const KernelConfig& config) {
  switch (config.bits_per_code) {
    case 6:
      DecodeLanesAt<6, V>(group, rows, lane, begin, end, config.pcm_8k);
      break;
    case 7:
      DecodeLanesAt<7, V>(group, rows, lane, begin, end, config.pcm_8k);
      break;
    default:
      DecodeLanesAt<8, V>(group, rows, lane, begin, end, config.pcm_8k);
      break;
  }
}

// The kernels of lane type V.
template <class V>
constexpr LaneKernels MakeLaneKernels() {
  return {V::kWidth, EncodeLanes<V>, DecodeLanes<V>};
}

}  // namespace g722kit::batch
