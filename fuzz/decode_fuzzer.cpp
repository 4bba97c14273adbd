// Decoding any bytes in any configuration never crashes, never writes past the samples that
// its own sizing rule promises, and leaves a record within its invariants.
#include <vector>

#include "fuzz_input.h"
#include "record_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace g722kit::fuzz;
  const FuzzConfig config = TakeConfig(data, size);
  G722State state;
  G722DecoderInit(&state, config.rate, config.options);
  std::vector<int16_t> pcm(MostDecodedSamples(state, size));
  const int32_t samples = G722DecodeCodes(&state, pcm.data(), data, static_cast<int32_t>(size));
  if (samples < 0 || static_cast<size_t>(samples) > pcm.size()) __builtin_trap();
  CheckRecord(state);
  return 0;
}
