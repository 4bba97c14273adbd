#include "codec_routines.h"

#include <atomic>

namespace g722kit {
namespace {

std::atomic<const CodecRoutines*> replacement{nullptr};

}  // namespace

const CodecRoutines& ActiveRoutines() {
  const CodecRoutines* routines = replacement.load(std::memory_order_relaxed);
  if (routines != nullptr) return *routines;
  switch (ActiveSimdLevel()) {
#if defined(G722KIT_X86_64_SIMD)
    case SimdLevel::kAvx512:
      return Avx512Routines();
    case SimdLevel::kAvx2:
      return Avx2Routines();
#endif
    default:
      return PortableRoutines();
  }
}

void SetRoutinesForTesting(const CodecRoutines* routines) {
  replacement.store(routines, std::memory_order_relaxed);
}

}  // namespace g722kit
