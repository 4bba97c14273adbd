// Decoding any bytes in any configuration, and flushing the end, never crashes and never
// writes past the samples that the sizing rules promise.
#include <vector>

#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace g722kit::fuzz;
  const FuzzConfig config = TakeConfig(data, size);
  G722State state;
  G722DecoderInit(&state, config.rate, config.options);
  std::vector<int16_t> pcm(MostDecodedSamples(state, size) + 2);
  const int32_t samples = G722DecodeCodes(&state, pcm.data(), data, static_cast<int32_t>(size));
  if (samples < 0 || static_cast<size_t>(samples) > pcm.size() - 2) __builtin_trap();
  const int32_t flushed = G722DecoderFlush(&state, pcm.data() + samples);
  if (flushed < 0 || flushed > 2) __builtin_trap();
  return 0;
}
