// The batch codec: many streams of one configuration coded side by side in vector lanes. Each
// call runs the streams group by group, and each group chunk by chunk: the streams' inputs are
// spread into lane rows, the kernels of the active instruction set code them, and the outputs
// are gathered back into each stream's buffer. A stream can be read out as a single-stream record
// and written back, which is how streams start afresh and are flushed. No exception can reach a
// C caller: every allocation is std::nothrow, and the rest is arithmetic and copies.
#include <algorithm>
#include <new>

#include "batch_layout.h"
#include "code_stream.h"
#include "codec.h"
#include "codec_routines.h"

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
  G722State fresh;  // a stream of the configuration as an initialiser makes it
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

KernelConfig ConfigOf(const G722Batch& batch) {
  return {batch.fresh.bits_per_code, batch.fresh.pcm_8k != 0};
}

// Puts the stream of an encoder's or a decoder's record into lane `lane` of a group and its
// edge.
void WriteLane(bool encoder, LaneGroup& group, int lane, StreamEdge& edge,
               const G722State& record) {
  for (int b = 0; b < 2; b++) {
    BandState<int32_t> state = FromRecord(record.band[b]);
    ForEachQuantity(group.band[b], state,
                    [lane](Row& row, int32_t value) { row.lane[lane] = value; });
  }
  for (int k = 0; k < kHistoryPairs; k++) {
    group.first[k].lane[lane] = record.qmf_history[2 * k];
    group.second[k].lane[lane] = record.qmf_history[2 * k + 1];
  }
  edge.bit_buffer = encoder ? record.pack_buffer : record.unpack_buffer;
  edge.bits = encoder ? record.pack_bits : record.unpack_bits;
  edge.held_sample = record.pending_sample;
  edge.holds_sample = record.has_pending != 0;
}

// Reads the stream of lane `lane` of a group and its edge into a record of the batch's
// configuration.
void ReadLane(const G722Batch& batch, const LaneGroup& group, int lane, const StreamEdge& edge,
              G722State& record) {
  record = batch.fresh;
  for (int b = 0; b < 2; b++) {
    BandState<int32_t> state;
    ForEachQuantity(group.band[b], state,
                    [lane](const Row& row, int32_t& value) { value = row.lane[lane]; });
    ToRecord(state, record.band[b]);
  }
  for (int k = 0; k < kHistoryPairs; k++) {
    record.qmf_history[2 * k] = group.first[k].lane[lane];
    record.qmf_history[2 * k + 1] = group.second[k].lane[lane];
  }
  if (batch.encoder) {
    record.pack_buffer = edge.bit_buffer;
    record.pack_bits = edge.bits;
  } else {
    record.unpack_buffer = edge.bit_buffer;
    record.unpack_bits = edge.bits;
  }
  record.pending_sample = edge.held_sample;
  record.has_pending = edge.holds_sample ? 1 : 0;
}

void WriteStream(G722Batch& batch, int32_t i, const G722State& record) {
  WriteLane(batch.encoder, batch.groups[i / kGroupLanes], i % kGroupLanes, batch.edges[i], record);
}

void ReadStream(const G722Batch& batch, int32_t i, G722State& record) {
  ReadLane(batch, batch.groups[i / kGroupLanes], i % kGroupLanes, batch.edges[i], record);
}

G722Batch* CreateBatch(bool encoder, int32_t stream_count, int32_t rate, int32_t options) {
  if (stream_count <= 0) return nullptr;
  G722Batch* batch = new (std::nothrow) G722Batch{};
  if (batch == nullptr) return nullptr;
  batch->encoder = encoder;
  InitState(&batch->fresh, rate, options);
  batch->stream_count = stream_count;
  batch->groups = new (std::nothrow) LaneGroup[GroupCount(*batch)];
  batch->rows = new (std::nothrow) ChunkRows();
  batch->edges = new (std::nothrow) StreamEdge[stream_count]();
  if (batch->groups == nullptr || batch->rows == nullptr || batch->edges == nullptr) {
    G722BatchRelease(batch);
    return nullptr;
  }
  // Lanes without a stream run idle in the kernels, on the state of a fresh stream.
  StreamEdge idle{};
  for (int32_t g = 0; g < GroupCount(*batch); g++) {
    for (int lane = 0; lane < kGroupLanes; lane++)
      WriteLane(encoder, batch->groups[g], lane, idle, batch->fresh);
  }
  return batch;
}

template <class T>
bool AllStreamsGiven(const G722Batch& batch, const T* const* buffers) {
  if (buffers == nullptr) return false;
  return std::all_of(buffers, buffers + batch.stream_count, [](const T* p) { return p; });
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
  const LaneKernels& single = PortableRoutines().lanes;
  const KernelConfig config = ConfigOf(batch);
  for (;;) {
    int counts[kGroupLanes];
    for (int lane = 0; lane < lanes; lane++)
      counts[lane] = fill(lane);
    const int most = *std::max_element(counts, counts + lanes);
    if (most == 0) return;
    const int fewest = *std::min_element(counts, counts + lanes);
    // Lanes without a stream run idle in the kernels, on whatever their rows hold.
    std::fill(counts + lanes, counts + kGroupLanes, fewest);

    if (!config.pcm_8k) LoadHistory(group, rows);
    if (fewest > 0) {
      for (int lane = 0; lane < lanes; lane += kernels.width)
        (kernels.*code)(group, rows, lane, 0, fewest, config);
    }
    for (int lane = 0; lane < lanes; lane++) {
      if (counts[lane] > fewest) (single.*code)(group, rows, lane, fewest, counts[lane], config);
    }
    if (!config.pcm_8k) SaveHistory(group, rows, counts);
    for (int lane = 0; lane < lanes; lane++)
      drain(lane, counts[lane]);
  }
}

// The codes of one lane of the chunk rows, as a code reader takes them.
struct LaneCodes {
  ChunkRows& rows;
  int lane;
  int32_t& operator[](int32_t c) { return rows.code[c].lane[lane]; }
};

template <bool kPacked>
void EncodeGroup(G722Batch& batch, int32_t g, const LaneKernels& kernels, uint8_t* const* codes_out,
                 const int16_t* const* pcm_in, int32_t sample_count) {
  StreamEdge* edges = batch.edges + g * kGroupLanes;
  const int lanes = LanesInGroup(batch, g);
  const bool two_band = !batch.fresh.pcm_8k;
  ChunkRows& rows = *batch.rows;
  CodeWriter<kPacked> writers[kGroupLanes] = {};
  for (int lane = 0; lane < lanes; lane++) {
    writers[lane] = CodeWriter<kPacked>(codes_out[lane], batch.fresh.bits_per_code,
                                        edges[lane].bit_buffer, edges[lane].bits);
  }
  int32_t done[kGroupLanes] = {};  // codes coded so far in this call
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
    for (int c = 0; c < count; c++)
      writers[lane].Put(rows.code[c].lane[lane]);
  };
  CodeGroup(batch, g, kernels, fill, drain);

  for (int lane = 0; lane < lanes; lane++) {
    StreamEdge& edge = edges[lane];
    if (two_band) {
      edge.holds_sample = (sample_count % 2 != 0) != edge.holds_sample;
      if (edge.holds_sample) edge.held_sample = pcm_in[lane][sample_count - 1];
    }
    edge.last_count = writers[lane].Finish(edge.bit_buffer, edge.bits);
  }
}

template <bool kPacked>
void DecodeGroup(G722Batch& batch, int32_t g, const LaneKernels& kernels, int16_t* const* pcm_out,
                 const uint8_t* const* codes_in, int32_t byte_count) {
  StreamEdge* edges = batch.edges + g * kGroupLanes;
  const int lanes = LanesInGroup(batch, g);
  ChunkRows& rows = *batch.rows;
  CodeReader<kPacked> readers[kGroupLanes] = {};
  for (int lane = 0; lane < lanes; lane++) {
    readers[lane] = CodeReader<kPacked>(codes_in[lane], byte_count, batch.fresh.bits_per_code,
                                        edges[lane].bit_buffer, edges[lane].bits);
  }
  int32_t written[kGroupLanes] = {};  // samples written so far
  auto fill = [&](int lane) {
    return readers[lane].More() ? readers[lane].Take(LaneCodes{rows, lane}, kChunkCodes) : 0;
  };
  auto drain = [&](int lane, int count) {
    int16_t* out = pcm_out[lane] + written[lane];
    for (int c = 0; c < count; c++) {
      if (batch.fresh.pcm_8k) {
        out[c] = static_cast<int16_t>(rows.low[c].lane[lane]);
      } else {
        out[2 * c] = static_cast<int16_t>(rows.low[c].lane[lane]);
        out[2 * c + 1] = static_cast<int16_t>(rows.high[c].lane[lane]);
      }
    }
    written[lane] += batch.fresh.pcm_8k ? count : 2 * count;
  };
  CodeGroup(batch, g, kernels, fill, drain);

  for (int lane = 0; lane < lanes; lane++) {
    readers[lane].Finish(edges[lane].bit_buffer, edges[lane].bits);
    edges[lane].last_count = written[lane];
  }
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
  const LaneKernels& kernels = ActiveRoutines().lanes;
  return CodeEveryGroup(*batch, [&](int32_t g, int32_t first) {
    if (batch->fresh.packed) {
      EncodeGroup<true>(*batch, g, kernels, codes_out + first, pcm_in + first, sample_count);
    } else {
      EncodeGroup<false>(*batch, g, kernels, codes_out + first, pcm_in + first, sample_count);
    }
  });
}

int32_t G722BatchDecode(G722Batch* batch, int16_t* const* pcm_out, const uint8_t* const* codes_in,
                        int32_t byte_count) {
  if (batch == nullptr || batch->encoder || byte_count <= 0 || byte_count > G722MaxDecodeBytes ||
      !AllStreamsGiven(*batch, pcm_out) || !AllStreamsGiven(*batch, codes_in)) {
    return 0;
  }
  const LaneKernels& kernels = ActiveRoutines().lanes;
  return CodeEveryGroup(*batch, [&](int32_t g, int32_t first) {
    if (batch->fresh.packed) {
      DecodeGroup<true>(*batch, g, kernels, pcm_out + first, codes_in + first, byte_count);
    } else {
      DecodeGroup<false>(*batch, g, kernels, pcm_out + first, codes_in + first, byte_count);
    }
  });
}

int32_t G722BatchStreamCount(const G722Batch* batch, int32_t stream_index) {
  if (!ValidStream(batch, stream_index)) return -1;
  return batch->edges[stream_index].last_count;
}

int32_t G722BatchResetStream(G722Batch* batch, int32_t stream_index) {
  if (!ValidStream(batch, stream_index)) return 0;
  WriteStream(*batch, stream_index, batch->fresh);
  batch->edges[stream_index].last_count = 0;
  return 1;
}

int32_t G722BatchEncoderFlush(G722Batch* batch, int32_t stream_index, uint8_t* codes_out) {
  if (!ValidStream(batch, stream_index) || !batch->encoder || codes_out == nullptr) return 0;
  G722State record;
  ReadStream(*batch, stream_index, record);
  const int32_t written = G722EncoderFlush(&record, codes_out);
  WriteStream(*batch, stream_index, record);
  return written;
}

int32_t G722BatchDecoderFlush(G722Batch* batch, int32_t stream_index, int16_t* pcm_out) {
  if (!ValidStream(batch, stream_index) || batch->encoder || pcm_out == nullptr) return 0;
  G722State record;
  ReadStream(*batch, stream_index, record);
  const int32_t written = G722DecoderFlush(&record, pcm_out);
  WriteStream(*batch, stream_index, record);
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
