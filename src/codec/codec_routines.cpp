#include "codec_routines.h"

#include "simd_level.h"

namespace g722kit {

const CodecRoutines& ActiveRoutines() {
  switch (ActiveSimdLevel()) {
#if defined(G722KIT_X86_64_SIMD)
    case SimdLevel::kAvx512:
    case SimdLevel::kAvx2:
      return Avx2Routines();
#endif
    default:
      return PortableRoutines();
  }
}

}  // namespace g722kit
