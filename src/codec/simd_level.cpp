#include "simd_level.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace g722kit {
namespace {

SimdLevel DetectSimdLevel() {
#if defined(G722KIT_X86_64_SIMD)
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi2") &&
                    __builtin_cpu_supports("popcnt");
  if (avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512vl")) {
    return SimdLevel::kAvx512;
  }
  if (avx2) return SimdLevel::kAvx2;
#endif
  return SimdLevel::kPortable;
}

// The level G722KIT_SIMD names, or the supported one when it names none or a higher one.
SimdLevel RequestedSimdLevel() {
  const SimdLevel supported = SupportedSimdLevel();
  const char* requested = std::getenv("G722KIT_SIMD");
  if (requested == nullptr) return supported;
  for (SimdLevel level : {SimdLevel::kPortable, SimdLevel::kAvx2, SimdLevel::kAvx512}) {
    if (std::strcmp(requested, SimdLevelName(level)) == 0 && level <= supported) return level;
  }
  return supported;
}

std::atomic<SimdLevel>& ActiveLevel() {
  static std::atomic<SimdLevel> active{RequestedSimdLevel()};
  return active;
}

}  // namespace

SimdLevel SupportedSimdLevel() {
  static const SimdLevel supported = DetectSimdLevel();
  return supported;
}

SimdLevel ActiveSimdLevel() {
  return ActiveLevel().load(std::memory_order_relaxed);
}

bool SetSimdLevelForTesting(SimdLevel level) {
  if (level > SupportedSimdLevel()) return false;
  ActiveLevel().store(level, std::memory_order_relaxed);
  return true;
}

const char* SimdLevelName(SimdLevel level) {
  switch (level) {
    case SimdLevel::kAvx2:
      return "avx2";
    case SimdLevel::kAvx512:
      return "avx512";
    default:
      return "portable";
  }
}

}  // namespace g722kit
