// The single-stream encoder's loops, one per configuration and instruction set, over band states
// in locals. Simd: one stream as lanes (simd_portable.h, simd_avx2.h).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "band_state.h"
#include "code_stream.h"
#include "encode_steps.h"
#include "qmf_line.h"
#include "sub_band.h"

namespace g722kit {
namespace {

// A band of a record in locals for a call, and back.
template <class Simd>
SubBand<Simd> LoadBand(const G722Band& record) {
  return SubBand<Simd>(FromRecord(record), 0);
}

template <class Simd>
void SaveBand(const SubBand<Simd>& band, G722Band& record) {
  BandState<int32_t> state;
  band.Save(state, 0);
  ToRecord(state, record);
}

template <bool kPacked>
CodeWriter<kPacked> WriterOf(const G722State& state, uint8_t* out) {
  return CodeWriter<kPacked>(out, state.bits_per_code, state.pack_buffer, state.pack_bits);
}

// 8 kHz: one code per sample, from the lower band alone.
template <class Simd, bool kPacked>
int32_t EncodeNarrowStream(G722State& state, uint8_t* codes_out, const int16_t* pcm_in,
                           int32_t count) {
  CodeWriter<kPacked> writer = WriterOf<kPacked>(state, codes_out);
  SubBand<Simd> low = LoadBand<Simd>(state.band[0]);
  for (int32_t i = 0; i < count; i++)
    writer.Put(EncodeNarrow<Simd>(low, pcm_in[i]));
  SaveBand(low, state.band[0]);
  return writer.Finish(state.pack_buffer, state.pack_bits);
}

// Two-band: one code per pair of samples through the transmit filter. A sample left without
// its pair waits in the record for the next call. Each pass first splits its samples into the
// two sub-band signals, then codes each band in a loop of its own, which keeps one band's state
// in registers at a time.
template <class Simd, bool kPacked>
int32_t EncodeWideStream(G722State& state, uint8_t* codes_out, const int16_t* pcm_in,
                         int32_t count) {
  CodeWriter<kPacked> writer = WriterOf<kPacked>(state, codes_out);
  QmfLine line(state.qmf_history);
  int32_t held = state.has_pending;
  if (held) line.pass()[0] = static_cast<int16_t>(state.pending_sample);
  SubBand<Simd> low = LoadBand<Simd>(state.band[0]);
  SubBand<Simd> high = LoadBand<Simd>(state.band[1]);
  int32_t xl[kQmfPassPairs], xh[kQmfPassPairs], il[kQmfPassPairs];
  int32_t i = 0;
  do {
    const int32_t taken = std::min(2 * kQmfPassPairs - held, count - i);
    std::memcpy(line.pass() + held, pcm_in + i, sizeof(int16_t) * static_cast<size_t>(taken));
    i += taken;
    const int32_t samples = held + taken;
    const int32_t pairs = samples / 2;
    for (int32_t pair = 0; pair < pairs; pair++)
      Simd::QmfSplit(line.Window(pair), xl[pair], xh[pair]);
    for (int32_t pair = 0; pair < pairs; pair++)
      il[pair] = EncodeLower(low, xl[pair]);
    for (int32_t pair = 0; pair < pairs; pair++)
      writer.Put(WideCode(il[pair], EncodeUpper(high, xh[pair])));
    held = samples & 1;
    const int16_t odd_sample = line.pass()[samples - 1];
    line.EndPass(pairs);
    if (held) line.pass()[0] = odd_sample;
  } while (i < count);
  SaveBand(low, state.band[0]);
  SaveBand(high, state.band[1]);
  line.Store(state.qmf_history);
  state.has_pending = held;
  if (held) state.pending_sample = line.pass()[0];
  return writer.Finish(state.pack_buffer, state.pack_bits);
}

template <class Simd>
int32_t EncodeStream(G722State& state, uint8_t* codes_out, const int16_t* pcm_in, int32_t count) {
  if (state.pcm_8k) {
    return state.packed ? EncodeNarrowStream<Simd, true>(state, codes_out, pcm_in, count)
                        : EncodeNarrowStream<Simd, false>(state, codes_out, pcm_in, count);
  }
  return state.packed ? EncodeWideStream<Simd, true>(state, codes_out, pcm_in, count)
                      : EncodeWideStream<Simd, false>(state, codes_out, pcm_in, count);
}

}  // namespace
}  // namespace g722kit
