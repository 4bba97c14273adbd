// G.722 encoder: PCM samples to codes, with the transmit band-split filter in two-band mode.
#include "codec_routines.h"

using namespace g722kit;

extern "C" int32_t G722EncodeSamples(G722State* state, uint8_t* codes_out, const int16_t* pcm_in,
                                     int32_t sample_count) {
  if (state == nullptr || sample_count <= 0) return 0;
  return ActiveRoutines().encode(*state, codes_out, pcm_in, sample_count);
}
