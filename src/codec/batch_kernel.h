// The batch codec's kernels, written once for any lanes (see lane_ops.h): the single-stream
// codec's steps, run on Lanes::kWidth streams of a group side by side, chunk by chunk. Each
// translation unit that includes this file instantiates them for its own instruction set.
#pragma once

#include <cstdint>

#include "batch_layout.h"
#include "decode_steps.h"
#include "encode_steps.h"
#include "lane_ops.h"
#include "qmf.h"
#include "sub_band.h"

namespace g722kit::batch {
namespace {

template <class V>
G722KIT_ALWAYS_INLINE V LoadRow(const Row& row, int lane) {
  return LoadLanes<V>(row.lane + lane);
}

template <class V>
G722KIT_ALWAYS_INLINE void StoreRow(Row& row, int lane, V value) {
  StoreLanes(row.lane + lane, value);
}

// The band-split filter's sums for code c: its window is the pairs c + 1 to c + kHistoryPairs.
template <class V>
G722KIT_ALWAYS_INLINE void QmfSumsOf(const ChunkRows& rows, int lane, int c, V& even, V& odd) {
  QmfSums(
      [&](int i) { return LoadRow<V>(((i & 1) ? rows.second : rows.first)[c + 1 + i / 2], lane); },
      even, odd);
}

template <class Lanes>
void EncodeLanes(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end,
                 const KernelConfig& config) {
  using V = typename Lanes::V;
  if (config.pcm_8k) {
    SubBand<Lanes> low(group.band[0], lane);
    for (int c = begin; c < end; c++)
      StoreRow(rows.code[c], lane, EncodeNarrow(low, LoadRow<V>(rows.low[c], lane)));
    low.Save(group.band[0], lane);
    return;
  }
  for (int c = begin; c < end; c++) {
    V even, odd, xl, xh;
    QmfSumsOf(rows, lane, c, even, odd);
    SplitBands(even, odd, xl, xh);
    StoreRow(rows.low[c], lane, xl);
    StoreRow(rows.high[c], lane, xh);
  }
  SubBand<Lanes> low(group.band[0], lane);
  for (int c = begin; c < end; c++)
    StoreRow(rows.code[c], lane, EncodeLower(low, LoadRow<V>(rows.low[c], lane)));
  low.Save(group.band[0], lane);
  SubBand<Lanes> high(group.band[1], lane);
  for (int c = begin; c < end; c++) {
    const V ih = EncodeUpper(high, LoadRow<V>(rows.high[c], lane));
    StoreRow(rows.code[c], lane, WideCode(LoadRow<V>(rows.code[c], lane), ih));
  }
  high.Save(group.band[1], lane);
}

template <int kBitsPerCode, class Lanes>
void DecodeLanesAt(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end, bool pcm_8k) {
  using V = typename Lanes::V;
  if (pcm_8k) {
    SubBand<Lanes> low(group.band[0], lane);
    for (int c = begin; c < end; c++) {
      const V recon = DecodeLower<kBitsPerCode>(low, LoadRow<V>(rows.code[c], lane));
      StoreRow(rows.low[c], lane, NarrowSample(recon));
    }
    low.Save(group.band[0], lane);
    return;
  }
  SubBand<Lanes> low(group.band[0], lane);
  for (int c = begin; c < end; c++)
    StoreRow(rows.low[c], lane, DecodeLower<kBitsPerCode>(low, LoadRow<V>(rows.code[c], lane)));
  low.Save(group.band[0], lane);
  SubBand<Lanes> high(group.band[1], lane);
  for (int c = begin; c < end; c++) {
    const V code = LoadRow<V>(rows.code[c], lane);
    const V high_recon = DecodeUpper(high, HighCode<kBitsPerCode>(code));
    V first, second;
    BandPair(LoadRow<V>(rows.low[c], lane), high_recon, first, second);
    StoreRow(rows.first[kHistoryPairs + c], lane, first);
    StoreRow(rows.second[kHistoryPairs + c], lane, second);
  }
  high.Save(group.band[1], lane);
  for (int c = begin; c < end; c++) {
    V even, odd, first, second;
    QmfSumsOf(rows, lane, c, even, odd);
    JoinBands(even, odd, first, second);
    StoreRow(rows.low[c], lane, first);
    StoreRow(rows.high[c], lane, second);
  }
}

template <class Lanes>
void DecodeLanes(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end,
                 const KernelConfig& config) {
  switch (config.bits_per_code) {
    case 6:
      DecodeLanesAt<6, Lanes>(group, rows, lane, begin, end, config.pcm_8k);
      break;
    case 7:
      DecodeLanesAt<7, Lanes>(group, rows, lane, begin, end, config.pcm_8k);
      break;
    default:
      DecodeLanesAt<8, Lanes>(group, rows, lane, begin, end, config.pcm_8k);
      break;
  }
}

// The kernels of Lanes.
template <class Lanes>
constexpr LaneKernels MakeLaneKernels() {
  return {Lanes::kWidth, EncodeLanes<Lanes>, DecodeLanes<Lanes>};
}

}  // namespace
}  // namespace g722kit::batch
