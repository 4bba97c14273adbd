// G.722 decoder: codes to PCM samples, with the receive band-split filter in two-band mode.
#include "codec.h"
#include "codec_routines.h"

using namespace g722kit;

extern "C" int32_t G722DecodeCodes(G722State* state, int16_t* pcm_out, const uint8_t* codes_in,
                                   int32_t byte_count) {
  if (state == nullptr || pcm_out == nullptr || codes_in == nullptr || byte_count <= 0 ||
      byte_count > G722MaxDecodeBytes || !DecoderFieldsInRange(*state)) {
    return 0;
  }
  return ActiveRoutines().decode(*state, pcm_out, codes_in, byte_count);
}

extern "C" int32_t G722DecoderFlush(G722State* state, int16_t* pcm_out) {
  if (state == nullptr || pcm_out == nullptr || !state->packed || !DecoderFieldsInRange(*state)) {
    return 0;
  }
  int32_t count = 0;
  // Decoding no bytes decodes the whole code the reservoir holds.
  if (state->unpack_bits >= state->bits_per_code) {
    count = ActiveRoutines().decode(*state, pcm_out, nullptr, 0);
  }
  state->unpack_buffer = 0;
  state->unpack_bits = 0;
  return count;
}
