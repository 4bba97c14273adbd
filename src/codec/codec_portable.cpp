// The codec's loops in plain C++, for every processor.
#include "codec_routines.h"
#include "decode_loop.h"
#include "encode_loop.h"
#include "simd_portable.h"

namespace g722kit {

const CodecRoutines& PortableRoutines() {
  static constexpr CodecRoutines kRoutines = {Encode<PortableSimd>, Decode<PortableSimd>};
  return kRoutines;
}

}  // namespace g722kit
