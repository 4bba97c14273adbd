// G.722 encoder: PCM samples to codes, with the transmit band-split filter in two-band mode.
#include "codec.h"
#include "codec_routines.h"

using namespace g722kit;

extern "C" int32_t G722EncodeSamples(G722State* state, uint8_t* codes_out, const int16_t* pcm_in,
                                     int32_t sample_count) {
  if (state == nullptr || codes_out == nullptr || pcm_in == nullptr || sample_count <= 0 ||
      !EncoderFieldsInRange(*state)) {
    return 0;
  }
  return ActiveRoutines().encode(*state, codes_out, pcm_in, sample_count);
}

extern "C" int32_t G722EncoderFlush(G722State* state, uint8_t* codes_out) {
  if (state == nullptr || codes_out == nullptr || !EncoderFieldsInRange(*state)) return 0;
  int32_t n = 0;
  if (state->has_pending) {
    // The held sample's pair is a zero sample.
    const int16_t zero = 0;
    n += ActiveRoutines().encode(*state, codes_out, &zero, 1);
  }
  if (state->packed && state->pack_bits > 0) {
    codes_out[n++] = static_cast<uint8_t>(state->pack_buffer & 0xFF);
    state->pack_buffer = 0;
    state->pack_bits = 0;
  }
  return n;
}
