// The adaptive predictor of one sub-band on its record, through the same code the hot loops run
// on locals (G.722 block 4).
#include "codec.h"
#include "simd_portable.h"
#include "sub_band.h"

namespace g722kit {

void G722AdaptBand(G722State* state, int band_index, int32_t d) {
  Band<PortableSimd> band(state->band[band_index]);
  band.Adapt(d, d);
  band.Store(state->band[band_index]);
}

}  // namespace g722kit
