// The codec's tests at every instruction set level: natively where the processor has it,
// otherwise on the units that the tests build with the instruction set emulated.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "simd_level.h"

namespace g722kit::test {

// An instruction set level as the codec tests run it: natively where the processor has it,
// emulated where it does not and the build has its units emulated (x86-64).
struct CodecVariant {
  SimdLevel level;
  bool emulated;
  std::string name;  // "portable", "avx2_native", "avx512_emulated", ...
};

inline void PrintTo(const CodecVariant& variant, std::ostream* os) {
  *os << variant.name;
}

// Every level this machine and build can run, each once.
std::vector<CodecVariant> CodecVariants();

// Runs the codec on a variant's routines, until UseDefaultVariant.
void UseVariant(const CodecVariant& variant);
void UseDefaultVariant();

// Suites whose tests depend on the instruction set run each test at every variant, and with
// each of Params besides.
template <class... Params>
class AtEveryVariant : public ::testing::TestWithParam<std::tuple<CodecVariant, Params...>> {
 protected:
  void SetUp() override { UseVariant(std::get<0>(this->GetParam())); }
  void TearDown() override { UseDefaultVariant(); }
};

// Names the instances of such a suite: the variant, then the configuration.
struct VariantName {
  template <class Param>
  std::string operator()(const ::testing::TestParamInfo<Param>& info) const {
    constexpr size_t kParts = std::tuple_size_v<Param>;
    std::string name = std::get<0>(info.param).name;
    if constexpr (kParts == 2) name += "_" + std::get<1>(info.param).name;
    return name;
  }
};

}  // namespace g722kit::test
