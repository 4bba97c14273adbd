// Memory layout of the batch codec: the streams' codec state, one array per quantity with one
// entry per lane, and the rows of one chunk of codes that the lane kernels read and write.
#pragma once

#include <cstdint>

#include "band_state.h"

namespace g722kit::batch {

// Streams per lane group: the widest instruction set's lanes. Narrower kernels take a group
// in several calls, each on kernel width lanes.
inline constexpr int kGroupLanes = 16;

// Codes per chunk: how far the kernels run before the rows are refilled.
inline constexpr int kChunkCodes = 64;

// Pairs of band-split filter entries that a stream keeps between codes: the window of a code is
// the 11 newest and its own.
inline constexpr int kHistoryPairs = 12;

// One 32-bit value for each lane of a group.
struct alignas(64) Row {
  int32_t lane[kGroupLanes];
};

// The address of a band quantity's lanes from `lane` on (found by argument-dependent lookup,
// hence not of internal linkage; a plain addition in every instruction set).
constexpr const int32_t* LaneAddress(const Row& row, int lane) {
  return row.lane + lane;
}
constexpr int32_t* LaneAddress(Row& row, int lane) {
  return row.lane + lane;
}

// The codec state of one group of streams.
struct LaneGroup {
  BandState<Row> band[2];  // [0] lower, [1] upper sub-band
  // The band-split filter's last pairs of entries, oldest first (two-band mode only).
  Row first[kHistoryPairs], second[kHistoryPairs];
};

// Rows of one chunk, indexed by code within the chunk.
struct ChunkRows {
  // Two-band: the pairs of band-split filter entries (encoder: PCM samples; decoder: sum and
  // difference of the band signals), the kHistoryPairs pairs before the chunk first.
  Row first[kHistoryPairs + kChunkCodes], second[kHistoryPairs + kChunkCodes];
  // Encoder: the PCM samples (8 kHz) or the two sub-band signals. Decoder: the output samples,
  // one (8 kHz) or two per code.
  Row low[kChunkCodes], high[kChunkCodes];
  // Encoder: the 8-bit codes made. Decoder: the codes read.
  Row code[kChunkCodes];
};

// What every kernel needs of the configuration.
struct KernelConfig {
  int32_t bits_per_code;
  bool pcm_8k;
};

// The kernels of one instruction set. Each codes chunk codes [begin, end) of the lanes
// [lane, lane + width) of a group: the encoder from rows.first/second (two-band) or rows.low
// (8 kHz) to rows.code, the decoder from rows.code to rows.low/high.
struct LaneKernels {
  int width;
  void (*encode)(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end,
                 const KernelConfig& config);
  void (*decode)(LaneGroup& group, ChunkRows& rows, int lane, int begin, int end,
                 const KernelConfig& config);
};

}  // namespace g722kit::batch
