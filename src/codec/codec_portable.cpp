// The codec's loops and the batch's kernels in plain C++, for every processor.
#include "batch_kernel.h"
#include "codec_routines.h"
#include "decode_loop.h"
#include "encode_loop.h"
#include "simd_portable.h"

namespace g722kit {

const CodecRoutines& PortableRoutines() {
  static constexpr CodecRoutines kRoutines = {EncodeStream<PortableSimd>,
                                              DecodeStream<PortableSimd>,
                                              batch::MakeLaneKernels<PortableSimd>()};
  return kRoutines;
}

}  // namespace g722kit
