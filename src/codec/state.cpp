// Initialisation and release of codec records, shared by both directions.
#include <cstdlib>
#include <cstring>

#include "allocated_records.h"
#include "codec.h"

namespace g722kit {
namespace {

int32_t BitsPerCode(int32_t rate) {
  switch (rate) {
    case 48000:
      return 6;
    case 56000:
      return 7;
    default:
      return 8;
  }
}

}  // namespace

G722State* InitState(G722State* state, int32_t rate, int32_t options) {
  const bool allocate = state == nullptr;
  if (allocate) {
    state = static_cast<G722State*>(std::malloc(sizeof(G722State)));
    if (state == nullptr) return nullptr;
  }
  std::memset(state, 0, sizeof(G722State));
  if (allocate && !ListAllocated(state)) {
    std::free(state);
    return nullptr;
  }
  state->bits_per_code = BitsPerCode(rate);
  state->band[0].det = 32;
  state->band[1].det = 8;
  state->pcm_8k = (options & G722Option8k) ? 1 : 0;
  state->packed = ((options & G722OptionPacked) && state->bits_per_code != 8) ? 1 : 0;
  state->allocated = IsAllocated(state) ? 1 : 0;
  return state;
}

int32_t ReleaseState(G722State* state) {
  if (state != nullptr && UnlistAllocated(state)) std::free(state);
  return 0;
}

}  // namespace g722kit

extern "C" {

G722State* G722EncoderInit(G722State* state, int32_t rate, int32_t options) {
  return g722kit::InitState(state, rate, options);
}

int32_t G722EncoderRelease(G722State* state) {
  return g722kit::ReleaseState(state);
}

G722State* G722DecoderInit(G722State* state, int32_t rate, int32_t options) {
  return g722kit::InitState(state, rate, options);
}

int32_t G722DecoderRelease(G722State* state) {
  return g722kit::ReleaseState(state);
}
}
