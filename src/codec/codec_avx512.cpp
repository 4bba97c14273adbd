// The codec's loops for processors with AVX-512.
#include "codec_routines.h"
#include "decode_loop.h"
#include "encode_loop.h"
#include "simd_avx512.h"

namespace g722kit {

const CodecRoutines& Avx512Routines() {
  static constexpr CodecRoutines kRoutines = {Encode<Avx512Simd>, Decode<Avx512Simd>};
  return kRoutines;
}

}  // namespace g722kit
