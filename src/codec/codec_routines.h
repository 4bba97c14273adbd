// The codec's loops built for each instruction set, and the choice among them.
#pragma once

#include <cstdint>

#include "g722kit/g722.h"

namespace g722kit {

// A stream's encoder and decoder for calls with a positive count. The decoder also takes a
// count of 0 when the record holds a whole code: it decodes that code alone.
struct CodecRoutines {
  int32_t (*encode)(G722State& state, uint8_t* codes_out, const int16_t* pcm_in, int32_t count);
  int32_t (*decode)(G722State& state, int16_t* pcm_out, const uint8_t* codes_in, int32_t count);
};

const CodecRoutines& PortableRoutines();
#if defined(G722KIT_X86_64_SIMD)
const CodecRoutines& Avx2Routines();
#endif

// The routines of the active instruction set level. AVX-512 measured no faster than AVX2 for
// one stream, so that level runs the AVX2 routines.
const CodecRoutines& ActiveRoutines();

}  // namespace g722kit
