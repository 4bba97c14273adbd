// The codec's loops for processors with AVX2.
#include "codec_routines.h"
#include "decode_loop.h"
#include "encode_loop.h"
#include "simd_avx2.h"

namespace g722kit {

const CodecRoutines& Avx2Routines() {
  static constexpr CodecRoutines kRoutines = {Encode<Avx2Simd>, Decode<Avx2Simd>};
  return kRoutines;
}

}  // namespace g722kit
