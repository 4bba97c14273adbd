// The batch's kernels for processors with AVX-512 (F, BW, VL); one stream runs AVX2's loops.
#include "batch_kernel.h"
#include "batch_lanes_avx512.h"
#include "codec_routines.h"

namespace G722KIT_ROUTINES_NAMESPACE {

const CodecRoutines& Avx512Routines() {
  static const CodecRoutines routines = {Avx2Routines().encode, Avx2Routines().decode,
                                         batch::MakeLaneKernels<Avx512Lanes>()};
  return routines;
}

}  // namespace G722KIT_ROUTINES_NAMESPACE
