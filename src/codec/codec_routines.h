// The codec's loops and the batch's kernels built for each instruction set, and the one choice
// among them for the process.
#pragma once

#include <cstdint>

#include "batch_layout.h"
#include "g722kit/g722.h"
#include "simd_level.h"

namespace g722kit {

// A stream's encoder and decoder for calls with a positive count, on a record within range
// (EncoderFieldsInRange, DecoderFieldsInRange). The decoder also takes a count of 0 when the
// record holds a whole code: it decodes that code alone. And the batch's kernels.
struct CodecRoutines {
  int32_t (*encode)(G722State& state, uint8_t* codes_out, const int16_t* pcm_in, int32_t count);
  int32_t (*decode)(G722State& state, int16_t* pcm_out, const uint8_t* codes_in, int32_t count);
  batch::LaneKernels lanes;
};

const CodecRoutines& PortableRoutines();

// The units of the x86-64 instruction sets are built natively into the library, and for the
// tests a second time without those instruction sets, SIMD Everywhere emulating them, into
// namespace emulated. AVX-512 measured no faster than AVX2 for one stream, so its single-stream
// loops are AVX2's.
#if defined(G722KIT_EMULATED)
#define G722KIT_ROUTINES_NAMESPACE g722kit::emulated
#else
#define G722KIT_ROUTINES_NAMESPACE g722kit
#endif
#if defined(G722KIT_X86_64_SIMD)
const CodecRoutines& Avx2Routines();
const CodecRoutines& Avx512Routines();
namespace emulated {
const CodecRoutines& Avx2Routines();
const CodecRoutines& Avx512Routines();
}  // namespace emulated
#endif

// The routines of the active instruction set level, or those a test put in their place.
const CodecRoutines& ActiveRoutines();

// For tests: runs the codec on these routines (emulated ones, say) until called with nullptr,
// which goes back to the active level's.
void SetRoutinesForTesting(const CodecRoutines* routines);

}  // namespace g722kit
