// Memory layout of the batch codec: the streams' codec state, one array per quantity with one
// entry per lane, and the rows of one chunk of codes that the lane kernels read and write.
#pragma once

#include <cstdint>

namespace g722kit::batch {

// Streams per lane group: the widest instruction set's lanes. Narrower kernels take a group
// in several calls, each on kernel width lanes.
inline constexpr int kGroupLanes = 16;

// Codes per chunk: how far the kernels run before the rows are refilled.
inline constexpr int kChunkCodes = 64;

// Pairs of band-split filter inputs that each code needs before its own.
inline constexpr int kHistoryPairs = 11;

// One 32-bit value for each lane of a group.
struct alignas(64) Row {
  int32_t lane[kGroupLanes];
};

// The adaptive predictor and scale factor of one sub-band, as its record holds them between
// codes; d and b use entries 1 to 6.
struct BandRows {
  Row s, sz, r1, r2, a1, a2, p1, p2, nb, det;
  Row d[7], b[7];
};

// The codec state of one group of streams.
struct LaneGroup {
  BandRows band[2];  // [0] lower, [1] upper sub-band
  // The last pairs of band-split filter inputs, oldest first (two-band mode only).
  Row first[kHistoryPairs], second[kHistoryPairs];
};

// Rows of one chunk, indexed by code within the chunk.
struct ChunkRows {
  // Two-band: the pairs of band-split filter inputs (encoder: PCM samples; decoder: sum and
  // difference of the band signals), the kHistoryPairs pairs before the chunk first.
  Row first[kHistoryPairs + kChunkCodes], second[kHistoryPairs + kChunkCodes];
  // Encoder: the PCM samples (8 kHz) or the two sub-band signals. Decoder: the output samples,
  // one (8 kHz) or two per code.
  Row low[kChunkCodes], high[kChunkCodes];
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

// One lane at a time in plain C++: the portable choice, and every instruction set's kernel for
// single lanes.
extern const LaneKernels kPortableKernels;
#if defined(G722KIT_X86_64_SIMD)
extern const LaneKernels kAvx2Kernels;    // 8 lanes
extern const LaneKernels kAvx512Kernels;  // 16 lanes
#endif

}  // namespace g722kit::batch
