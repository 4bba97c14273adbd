// The codec's loops and the batch's kernels for processors with AVX2.
#include "batch_kernel.h"
#include "batch_lanes_avx2.h"
#include "codec_routines.h"
#include "decode_loop.h"
#include "encode_loop.h"
#include "simd_avx2.h"

namespace G722KIT_ROUTINES_NAMESPACE {

const CodecRoutines& Avx2Routines() {
  static constexpr CodecRoutines kRoutines = {EncodeStream<Avx2Simd>, DecodeStream<Avx2Simd>,
                                              batch::MakeLaneKernels<Avx2Lanes>()};
  return kRoutines;
}

}  // namespace G722KIT_ROUTINES_NAMESPACE
