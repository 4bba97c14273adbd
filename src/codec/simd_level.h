// Which instruction set the codec's fast routines use: chosen once per process from what the
// processor offers, and lowered by the environment variable G722KIT_SIMD (portable, avx2 or
// avx512) to compare or rule out a variant. Every level gives the same output bits.
#pragma once

namespace g722kit {

enum class SimdLevel { kPortable, kAvx2, kAvx512 };

// The highest level this processor and build support.
SimdLevel SupportedSimdLevel();

// The level in use: the supported one, or the lower one that G722KIT_SIMD asks for.
SimdLevel ActiveSimdLevel();

// For tests: makes level the active one while it is supported; returns false, changing
// nothing, when it is not.
bool SetSimdLevelForTesting(SimdLevel level);

// "portable", "avx2" or "avx512".
const char* SimdLevelName(SimdLevel level);

}  // namespace g722kit
