// The batch codec: many streams of one configuration coded side by side in vector lanes. Each
// call runs the streams group by group, and each group chunk by chunk: the streams' inputs are
// spread into lane rows, the kernels of the active instruction set code them, and the outputs
// are gathered back into each stream's buffer. No exception can reach a C caller: every
// allocation is std::nothrow, and the rest is arithmetic and copies.
#include <algorithm>
#include <new>

#include "batch_layout.h"
#include "codec.h"
#include "simd_level.h"

using namespace g722kit;
using namespace g722kit::batch;

namespace {

// What one stream holds outside the lanes.
struct StreamEdge {
  uint32_t bit_buffer;  // packed bits: the encoder's output reservoir, the decoder's input one
  int32_t bits;         // valid bits in bit_buffer
  int32_t held_sample;  // two-band encoder: an odd sample waiting for its pair
  bool holds_sample;
  int32_t last_count;  // what the last coding call wrote
};

}  // namespace

struct G722Batch {
  bool encoder;
  bool packed;
  KernelConfig config;
  int32_t stream_count;
  LaneGroup* groups;
  ChunkRows* rows;
  StreamEdge* edges;
};

namespace {

int32_t GroupCount(const G722Batch& batch) {
  return batch.stream_count / kGroupLanes + (batch.stream_count % kGroupLanes != 0 ? 1 : 0);
}

// The lanes of group g that carry streams.
int LanesInGroup(const G722Batch& batch, int32_t g) {
  return static_cast<int>(std::min<int32_t>(kGroupLanes, batch.stream_count - g * kGroupLanes));
}

// Puts lane `lane` of a group in the state of a fresh record.
void ResetLane(LaneGroup& group, int lane) {
  for (BandRows& band : group.band) {
    for (Row* row : {&band.s, &band.sz, &band.r1, &band.r2, &band.a1, &band.a2, &band.p1, &band.p2,
                     &band.nb}) {
      row->lane[lane] = 0;
    }
    for (int i = 0; i < 7; i++) {
      band.d[i].lane[lane] = 0;
      band.b[i].lane[lane] = 0;
    }
  }
  group.band[0].det.lane[lane] = 32;
  group.band[1].det.lane[lane] = 8;
  for (int k = 0; k < kHistoryPairs; k++) {
    group.first[k].lane[lane] = 0;
    group.second[k].lane[lane] = 0;
  }
}

G722Batch* CreateBatch(bool encoder, int32_t stream_count, int32_t rate, int32_t options) {
  if (stream_count <= 0) return nullptr;
  G722Batch* batch = new (std::nothrow) G722Batch{};
  if (batch == nullptr) return nullptr;
  // The configuration as a single-stream record takes it from rate and options.
  G722State probe;
  InitState(&probe, rate, options);
  batch->encoder = encoder;
  batch->config.bits_per_code = probe.bits_per_code;
  batch->config.pcm_8k = probe.pcm_8k != 0;
  batch->packed = probe.packed != 0;
  batch->stream_count = stream_count;
  batch->groups = new (std::nothrow) LaneGroup[GroupCount(*batch)];
  batch->rows = new (std::nothrow) ChunkRows();
  batch->edges = new (std::nothrow) StreamEdge[stream_count]();
  if (batch->groups == nullptr || batch->rows == nullptr || batch->edges == nullptr) {
    G722BatchRelease(batch);
    return nullptr;
  }
  for (int32_t g = 0; g < GroupCount(*batch); g++) {
    for (int lane = 0; lane < kGroupLanes; lane++)
      ResetLane(batch->groups[g], lane);
  }
  return batch;
}

const LaneKernels& ActiveKernels() {
#if defined(G722KIT_X86_64_SIMD)
  switch (ActiveSimdLevel()) {
    case SimdLevel::kAvx512:
      return kAvx512Kernels;
    case SimdLevel::kAvx2:
      return kAvx2Kernels;
    default:
      break;
  }
#endif
  return kPortableKernels;
}

template <class T>
bool AllStreamsGiven(const G722Batch& batch, const T* const* buffers) {
  if (buffers == nullptr) return false;
  return std::all_of(buffers, buffers + batch.stream_count, [](const T* p) { return p; });
}

// The stream's next packed code, as the single-stream decoder takes it.
int32_t FetchPackedCode(StreamEdge& edge, const uint8_t* codes_in, int32_t& position,
                        int32_t bits_per_code) {
  if (edge.bits < bits_per_code) {
    edge.bit_buffer |= static_cast<uint32_t>(codes_in[position++]) << edge.bits;
    edge.bits += 8;
  }
  const int32_t code = static_cast<int32_t>(edge.bit_buffer & ((1u << bits_per_code) - 1));
  edge.bit_buffer >>= bits_per_code;
  edge.bits -= bits_per_code;
  return code;
}

// Appends one code to the stream's packed output; returns the bytes completed (0 or 1).
int32_t PackCode(StreamEdge& edge, uint8_t* out, int32_t code, int32_t bits_per_code) {
  edge.bit_buffer |= static_cast<uint32_t>(code) << edge.bits;
  edge.bits += bits_per_code;
  if (edge.bits < 8) return 0;
  *out = static_cast<uint8_t>(edge.bit_buffer & 0xFF);
  edge.bit_buffer >>= 8;
  edge.bits -= 8;
  return 1;
}

// Copies the band-split filter history of every lane in front of the chunk's pairs.
void LoadHistory(const LaneGroup& group, ChunkRows& rows) {
  std::copy(group.first, group.first + kHistoryPairs, rows.first);
  std::copy(group.second, group.second + kHistoryPairs, rows.second);
}

// Keeps each lane's last pairs: those ending with its last code of the chunk.
void SaveHistory(LaneGroup& group, const ChunkRows& rows, const int counts[kGroupLanes]) {
  if (std::all_of(counts, counts + kGroupLanes, [&](int n) { return n == counts[0]; })) {
    std::copy(rows.first + counts[0], rows.first + counts[0] + kHistoryPairs, group.first);
    std::copy(rows.second + counts[0], rows.second + counts[0] + kHistoryPairs, group.second);
    return;
  }
  for (int lane = 0; lane < kGroupLanes; lane++) {
    for (int k = 0; k < kHistoryPairs; k++) {
      group.first[k].lane[lane] = rows.first[counts[lane] + k].lane[lane];
      group.second[k].lane[lane] = rows.second[counts[lane] + k].lane[lane];
    }
  }
}

// Codes group g chunk by chunk until no lane has codes left. fill(lane) puts the lane's next
// codes' inputs in the rows and returns their number (0 when it has none left); drain(lane,
// count) takes their outputs. Every lane runs the chunk's smallest count in the kernels of the
// active instruction set; lanes with more codes finish them one lane at a time.
template <class Fill, class Drain>
void CodeGroup(G722Batch& batch, int32_t g, const LaneKernels& kernels, Fill&& fill,
               Drain&& drain) {
  LaneGroup& group = batch.groups[g];
  ChunkRows& rows = *batch.rows;
  const int lanes = LanesInGroup(batch, g);
  const auto code = batch.encoder ? &LaneKernels::encode : &LaneKernels::decode;
  for (;;) {
    int counts[kGroupLanes];
    for (int lane = 0; lane < lanes; lane++)
      counts[lane] = fill(lane);
    const int most = *std::max_element(counts, counts + lanes);
    if (most == 0) return;
    const int fewest = *std::min_element(counts, counts + lanes);
    // Lanes without a stream run idle in the kernels, on whatever their rows hold.
    std::fill(counts + lanes, counts + kGroupLanes, fewest);

    if (!batch.config.pcm_8k) LoadHistory(group, rows);
    if (fewest > 0) {
      for (int lane = 0; lane < lanes; lane += kernels.width)
        (kernels.*code)(group, rows, lane, 0, fewest, batch.config);
    }
    for (int lane = 0; lane < lanes; lane++) {
      if (counts[lane] > fewest)
        (kPortableKernels.*code)(group, rows, lane, fewest, counts[lane], batch.config);
    }
    if (!batch.config.pcm_8k) SaveHistory(group, rows, counts);
    for (int lane = 0; lane < lanes; lane++)
      drain(lane, counts[lane]);
  }
}

// Writes a lane's codes of the chunk to its stream; returns the bytes written.
int32_t WriteCodes(const G722Batch& batch, StreamEdge& edge, const ChunkRows& rows, int lane,
                   int count, uint8_t* out) {
  if (!batch.packed) {
    for (int c = 0; c < count; c++)
      out[c] = static_cast<uint8_t>(rows.code[c].lane[lane]);
    return count;
  }
  int32_t written = 0;
  for (int c = 0; c < count; c++)
    written += PackCode(edge, out + written, rows.code[c].lane[lane], batch.config.bits_per_code);
  return written;
}

// Writes a lane's samples of the chunk to its stream; returns the samples written.
int32_t WriteSamples(const G722Batch& batch, const ChunkRows& rows, int lane, int count,
                     int16_t* out) {
  if (batch.config.pcm_8k) {
    for (int c = 0; c < count; c++)
      out[c] = static_cast<int16_t>(rows.low[c].lane[lane]);
    return count;
  }
  for (int c = 0; c < count; c++) {
    out[2 * c] = static_cast<int16_t>(rows.low[c].lane[lane]);
    out[2 * c + 1] = static_cast<int16_t>(rows.high[c].lane[lane]);
  }
  return 2 * count;
}

void EncodeGroup(G722Batch& batch, int32_t g, const LaneKernels& kernels, uint8_t* const* codes_out,
                 const int16_t* const* pcm_in, int32_t sample_count) {
  StreamEdge* edges = batch.edges + g * kGroupLanes;
  const bool two_band = !batch.config.pcm_8k;
  ChunkRows& rows = *batch.rows;
  int32_t done[kGroupLanes] = {};     // codes coded so far in this call
  int32_t written[kGroupLanes] = {};  // bytes written so far
  auto fill = [&](int lane) {
    const StreamEdge& edge = edges[lane];
    const int32_t held = edge.holds_sample ? 1 : 0;
    const auto total =
        static_cast<int32_t>(two_band ? (int64_t{sample_count} + held) / 2 : sample_count);
    const int count = static_cast<int>(std::min<int32_t>(kChunkCodes, total - done[lane]));
    const int32_t first_code = done[lane];
    const int16_t* pcm = pcm_in[lane];
    done[lane] += count;
    if (!two_band) {
      for (int c = 0; c < count; c++)
        rows.low[c].lane[lane] = pcm[first_code + c];
      return count;
    }
    for (int c = 0; c < count; c++) {
      // The pair's first sample in pcm; -1 is the sample held from the last call.
      const int32_t k = 2 * (first_code + c) - held;
      rows.first[kHistoryPairs + c].lane[lane] = (k < 0) ? edge.held_sample : pcm[k];
      rows.second[kHistoryPairs + c].lane[lane] = pcm[k + 1];
    }
    return count;
  };
  auto drain = [&](int lane, int count) {
    written[lane] +=
        WriteCodes(batch, edges[lane], rows, lane, count, codes_out[lane] + written[lane]);
  };
  CodeGroup(batch, g, kernels, fill, drain);

  for (int lane = 0; lane < LanesInGroup(batch, g); lane++) {
    StreamEdge& edge = edges[lane];
    if (two_band) {
      edge.holds_sample = (sample_count % 2 != 0) != edge.holds_sample;
      if (edge.holds_sample) edge.held_sample = pcm_in[lane][sample_count - 1];
    }
    edge.last_count = written[lane];
  }
}

void DecodeGroup(G722Batch& batch, int32_t g, const LaneKernels& kernels, int16_t* const* pcm_out,
                 const uint8_t* const* codes_in, int32_t byte_count) {
  StreamEdge* edges = batch.edges + g * kGroupLanes;
  ChunkRows& rows = *batch.rows;
  int32_t position[kGroupLanes] = {};  // bytes taken so far in this call
  int32_t written[kGroupLanes] = {};   // samples written so far
  // Codes are taken while bytes remain: a whole packed code still held when the last byte has
  // been taken waits for the next call.
  auto fill = [&](int lane) {
    if (!batch.packed) {
      const int count =
          static_cast<int>(std::min<int32_t>(kChunkCodes, byte_count - position[lane]));
      const uint8_t* in = codes_in[lane] + position[lane];
      for (int c = 0; c < count; c++)
        rows.code[c].lane[lane] = in[c];
      position[lane] += count;
      return count;
    }
    int count = 0;
    while (count < kChunkCodes && position[lane] < byte_count) {
      rows.code[count++].lane[lane] =
          FetchPackedCode(edges[lane], codes_in[lane], position[lane], batch.config.bits_per_code);
    }
    return count;
  };
  auto drain = [&](int lane, int count) {
    written[lane] += WriteSamples(batch, rows, lane, count, pcm_out[lane] + written[lane]);
  };
  CodeGroup(batch, g, kernels, fill, drain);

  for (int lane = 0; lane < LanesInGroup(batch, g); lane++)
    edges[lane].last_count = written[lane];
}

// Codes every group with code_group(g, first stream of g); returns the largest count written.
template <class CodeGroupOf>
int32_t CodeEveryGroup(G722Batch& batch, CodeGroupOf&& code_group) {
  for (int32_t g = 0; g < GroupCount(batch); g++)
    code_group(g, g * kGroupLanes);
  int32_t largest = 0;
  for (int32_t i = 0; i < batch.stream_count; i++)
    largest = std::max(largest, batch.edges[i].last_count);
  return largest;
}

bool ValidStream(const G722Batch* batch, int32_t stream_index) {
  return batch != nullptr && stream_index >= 0 && stream_index < batch->stream_count;
}

// Codes one code of one stream, whose input fill_one puts in the rows, and lets drain_one take
// its output; the group's other streams are left as they are.
template <class FillOne, class DrainOne>
void CodeOne(G722Batch& batch, int32_t stream_index, FillOne&& fill_one, DrainOne&& drain_one) {
  const int target = stream_index % kGroupLanes;
  bool pending = true;
  auto fill = [&](int lane) {
    if (lane != target || !pending) return 0;
    fill_one(*batch.rows, lane);
    pending = false;
    return 1;
  };
  auto drain = [&](int lane, int count) {
    if (lane == target && count > 0) drain_one(*batch.rows, lane);
  };
  CodeGroup(batch, stream_index / kGroupLanes, kPortableKernels, fill, drain);
}

}  // namespace

extern "C" {

G722Batch* G722BatchEncoderCreate(int32_t stream_count, int32_t rate, int32_t options) {
  return CreateBatch(true, stream_count, rate, options);
}

G722Batch* G722BatchDecoderCreate(int32_t stream_count, int32_t rate, int32_t options) {
  return CreateBatch(false, stream_count, rate, options);
}

int32_t G722BatchEncode(G722Batch* batch, uint8_t* const* codes_out, const int16_t* const* pcm_in,
                        int32_t sample_count) {
  if (batch == nullptr || !batch->encoder || sample_count <= 0 ||
      !AllStreamsGiven(*batch, codes_out) || !AllStreamsGiven(*batch, pcm_in)) {
    return 0;
  }
  const LaneKernels& kernels = ActiveKernels();
  return CodeEveryGroup(*batch, [&](int32_t g, int32_t first) {
    EncodeGroup(*batch, g, kernels, codes_out + first, pcm_in + first, sample_count);
  });
}

int32_t G722BatchDecode(G722Batch* batch, int16_t* const* pcm_out, const uint8_t* const* codes_in,
                        int32_t byte_count) {
  if (batch == nullptr || batch->encoder || byte_count <= 0 || byte_count > G722MaxDecodeBytes ||
      !AllStreamsGiven(*batch, pcm_out) || !AllStreamsGiven(*batch, codes_in)) {
    return 0;
  }
  const LaneKernels& kernels = ActiveKernels();
  return CodeEveryGroup(*batch, [&](int32_t g, int32_t first) {
    DecodeGroup(*batch, g, kernels, pcm_out + first, codes_in + first, byte_count);
  });
}

int32_t G722BatchStreamCount(const G722Batch* batch, int32_t stream_index) {
  if (!ValidStream(batch, stream_index)) return -1;
  return batch->edges[stream_index].last_count;
}

int32_t G722BatchResetStream(G722Batch* batch, int32_t stream_index) {
  if (!ValidStream(batch, stream_index)) return 0;
  ResetLane(batch->groups[stream_index / kGroupLanes], stream_index % kGroupLanes);
  batch->edges[stream_index] = StreamEdge{};
  return 1;
}

int32_t G722BatchEncoderFlush(G722Batch* batch, int32_t stream_index, uint8_t* codes_out) {
  if (!ValidStream(batch, stream_index) || !batch->encoder || codes_out == nullptr) return 0;
  StreamEdge& edge = batch->edges[stream_index];
  int32_t written = 0;
  if (edge.holds_sample) {
    CodeOne(
        *batch, stream_index,
        [&](ChunkRows& rows, int lane) {
          rows.first[kHistoryPairs].lane[lane] = edge.held_sample;
          rows.second[kHistoryPairs].lane[lane] = 0;
        },
        [&](const ChunkRows& rows, int lane) {
          written += WriteCodes(*batch, edge, rows, lane, 1, codes_out);
        });
    edge.holds_sample = false;
  }
  if (edge.bits > 0) {
    codes_out[written++] = static_cast<uint8_t>(edge.bit_buffer & 0xFF);
    edge.bit_buffer = 0;
    edge.bits = 0;
  }
  return written;
}

int32_t G722BatchDecoderFlush(G722Batch* batch, int32_t stream_index, int16_t* pcm_out) {
  if (!ValidStream(batch, stream_index) || batch->encoder || pcm_out == nullptr) return 0;
  StreamEdge& edge = batch->edges[stream_index];
  int32_t written = 0;
  if (edge.bits >= batch->config.bits_per_code) {
    CodeOne(
        *batch, stream_index,
        [&](ChunkRows& rows, int lane) {
          int32_t no_bytes = 0;  // a whole code is held: no byte is taken
          rows.code[0].lane[lane] =
              FetchPackedCode(edge, nullptr, no_bytes, batch->config.bits_per_code);
        },
        [&](const ChunkRows& rows, int lane) {
          written = WriteSamples(*batch, rows, lane, 1, pcm_out);
        });
  }
  edge.bit_buffer = 0;
  edge.bits = 0;
  return written;
}

void G722BatchRelease(G722Batch* batch) {
  if (batch == nullptr) return;
  delete[] batch->groups;
  delete batch->rows;
  delete[] batch->edges;
  delete batch;
}
}
