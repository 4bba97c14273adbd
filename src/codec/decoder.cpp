// G.722 decoder: codes to PCM samples, with the receive band-split filter in two-band mode.
#include "codec_routines.h"

using namespace g722kit;

extern "C" int32_t G722DecodeCodes(G722State* state, int16_t* pcm_out, const uint8_t* codes_in,
                                   int32_t byte_count) {
  if (state == nullptr || byte_count <= 0) return 0;
  return ActiveRoutines().decode(*state, pcm_out, codes_in, byte_count);
}
