// The single-stream decoder's loops, one per configuration, code width and instruction set, over
// band states in locals. Simd: one stream as lanes (simd_portable.h, simd_avx2.h).
#pragma once

#include <cstdint>

#include "code_stream.h"
#include "decode_steps.h"
#include "encode_loop.h"
#include "qmf.h"
#include "qmf_line.h"

namespace g722kit {
namespace {

template <bool kPacked>
CodeReader<kPacked> ReaderOf(const G722State& state, const uint8_t* in, int32_t count) {
  return CodeReader<kPacked>(in, count, state.bits_per_code, state.unpack_buffer,
                             state.unpack_bits);
}

// 8 kHz: one sample per code from the lower band alone.
template <class Simd, bool kPacked, int kBitsPerCode>
int32_t DecodeNarrowStream(G722State& state, int16_t* pcm_out, const uint8_t* codes_in,
                           int32_t count) {
  CodeReader<kPacked> reader = ReaderOf<kPacked>(state, codes_in, count);
  int32_t n = 0;
  SubBand<Simd> low = LoadBand<Simd>(state.band[0]);
  do {
    pcm_out[n++] =
        static_cast<int16_t>(NarrowSample(DecodeLower<kBitsPerCode>(low, reader.Next())));
  } while (reader.More());
  SaveBand(low, state.band[0]);
  reader.Finish(state.unpack_buffer, state.unpack_bits);
  return n;
}

// Two-band: two samples per code from the receive filter. Each pass decodes each band in a loop
// of its own, which keeps one band's state in registers at a time, then runs the filter over
// both.
template <class Simd, bool kPacked, int kBitsPerCode>
int32_t DecodeWideStream(G722State& state, int16_t* pcm_out, const uint8_t* codes_in,
                         int32_t count) {
  CodeReader<kPacked> reader = ReaderOf<kPacked>(state, codes_in, count);
  QmfLine line(state.qmf_history);
  int32_t n = 0;
  SubBand<Simd> low = LoadBand<Simd>(state.band[0]);
  SubBand<Simd> high = LoadBand<Simd>(state.band[1]);
  int32_t codes[kQmfPassPairs];
  int32_t rl[kQmfPassPairs];
  do {
    const int32_t pairs = reader.Take(codes, kQmfPassPairs);
    for (int32_t pair = 0; pair < pairs; pair++)
      rl[pair] = DecodeLower<kBitsPerCode>(low, codes[pair]);
    int16_t* entries = line.pass();
    for (int32_t pair = 0; pair < pairs; pair++) {
      const int32_t rh = DecodeUpper(high, HighCode<kBitsPerCode>(codes[pair]));
      int32_t first, second;
      BandPair(rl[pair], rh, first, second);
      entries[2 * pair] = static_cast<int16_t>(first);
      entries[2 * pair + 1] = static_cast<int16_t>(second);
    }
    for (int32_t pair = 0; pair < pairs; pair++, n += 2)
      Simd::QmfJoin(line.Window(pair), pcm_out + n);
    line.EndPass(pairs);
  } while (reader.More());
  SaveBand(low, state.band[0]);
  SaveBand(high, state.band[1]);
  line.Store(state.qmf_history);
  reader.Finish(state.unpack_buffer, state.unpack_bits);
  return n;
}

template <class Simd, int kBitsPerCode>
int32_t DecodeStreamAt(G722State& state, int16_t* pcm_out, const uint8_t* codes_in, int32_t count) {
  if (state.pcm_8k) {
    return state.packed
               ? DecodeNarrowStream<Simd, true, kBitsPerCode>(state, pcm_out, codes_in, count)
               : DecodeNarrowStream<Simd, false, kBitsPerCode>(state, pcm_out, codes_in, count);
  }
  return state.packed
             ? DecodeWideStream<Simd, true, kBitsPerCode>(state, pcm_out, codes_in, count)
             : DecodeWideStream<Simd, false, kBitsPerCode>(state, pcm_out, codes_in, count);
}

template <class Simd>
int32_t DecodeStream(G722State& state, int16_t* pcm_out, const uint8_t* codes_in, int32_t count) {
  switch (state.bits_per_code) {
    case 6:
      return DecodeStreamAt<Simd, 6>(state, pcm_out, codes_in, count);
    case 7:
      return DecodeStreamAt<Simd, 7>(state, pcm_out, codes_in, count);
    default:
      return DecodeStreamAt<Simd, 8>(state, pcm_out, codes_in, count);
  }
}

}  // namespace
}  // namespace g722kit
