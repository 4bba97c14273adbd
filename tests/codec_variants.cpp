#include "codec_variants.h"

#include "codec_routines.h"

namespace g722kit::test {

std::vector<CodecVariant> CodecVariants() {
  std::vector<CodecVariant> variants;
  for (SimdLevel level : {SimdLevel::kPortable, SimdLevel::kAvx2, SimdLevel::kAvx512}) {
    const bool native = level <= SupportedSimdLevel();
    std::string name = SimdLevelName(level);
#if !defined(G722KIT_X86_64_SIMD)
    if (!native) continue;
#endif
    if (level != SimdLevel::kPortable) name += native ? "_native" : "_emulated";
    variants.push_back({level, !native, name});
  }
  return variants;
}

void UseVariant(const CodecVariant& variant) {
#if defined(G722KIT_X86_64_SIMD)
  if (variant.emulated) {
    SetRoutinesForTesting(variant.level == SimdLevel::kAvx2 ? &emulated::Avx2Routines()
                                                            : &emulated::Avx512Routines());
    return;
  }
#endif
  SetSimdLevelForTesting(variant.level);
}

void UseDefaultVariant() {
  SetRoutinesForTesting(nullptr);
  SetSimdLevelForTesting(SupportedSimdLevel());
}

}  // namespace g722kit::test
