// Initialisation and release of codec records, shared by both directions.
#include <cstdlib>
#include <cstring>

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
  bool allocated = false;
  if (state == nullptr) {
    state = static_cast<G722State*>(std::malloc(sizeof(G722State)));
    if (state == nullptr) return nullptr;
    allocated = true;
  }
  std::memset(state, 0, sizeof(G722State));
  state->bits_per_code = BitsPerCode(rate);
  state->band[0].det = 32;
  state->band[1].det = 8;
  state->pcm_8k = (options & G722Option8k) ? 1 : 0;
  state->packed = ((options & G722OptionPacked) && state->bits_per_code != 8) ? 1 : 0;
  state->allocated = allocated ? 1 : 0;
  return state;
}

int32_t ReleaseState(G722State* state) {
  if (state != nullptr && state->allocated) std::free(state);
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
