// Internal interface of the G.722 codec: the pieces shared by the encoder and the decoder.
// Nothing in the codec throws, so its exports need no guard at the C boundary: they do integer
// arithmetic on the caller's record, and allocate with malloc and a noexcept list of records.
#pragma once

#include <cstdint>

#include "g722kit/g722.h"

// The per-code steps are inlined into the loops whatever the compiler's size limits, so that a
// band's state stays in registers for the whole call.
#if defined(__GNUC__)
#define G722KIT_ALWAYS_INLINE [[gnu::always_inline]] inline
#else
#define G722KIT_ALWAYS_INLINE inline
#endif

namespace g722kit {

// Shared by both initialisers: resets or allocates a record for a new stream.
G722State* InitState(G722State* state, int32_t rate, int32_t options);

// Whether a record's fields that size, shift or index memory, and its scale factors, lie within
// what the codec leaves in them, for a call of that direction: the calls refuse a record that
// its caller corrupted rather than run off memory.
bool EncoderFieldsInRange(const G722State& state);
bool DecoderFieldsInRange(const G722State& state);

// Shared by both releases: frees a record that InitState allocated.
int32_t ReleaseState(G722State* state);

}  // namespace g722kit
