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

// The fields that both directions size, shift or index memory with, and the scale factors that
// products would overflow with beyond their bounds: within what an initialiser and the codec
// leave in them.
bool SharedFieldsInRange(const G722State& state) {
  const G722Band& low = state.band[0];
  const G722Band& high = state.band[1];
  return state.bits_per_code >= 6 && state.bits_per_code <= 8 && low.nb >= 0 && low.nb <= 18432 &&
         high.nb >= 0 && high.nb <= 22528 && low.det >= 32 && low.det <= 16384 && high.det >= 8 &&
         high.det <= 16384;
}

}  // namespace

bool EncoderFieldsInRange(const G722State& state) {
  return SharedFieldsInRange(state) && (state.has_pending == 0 || state.has_pending == 1) &&
         state.pack_bits >= 0 && state.pack_bits < 8;
}

bool DecoderFieldsInRange(const G722State& state) {
  return SharedFieldsInRange(state) && state.unpack_bits >= 0 && state.unpack_bits < 8;
}

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
