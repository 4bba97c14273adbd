// Quantizer scale factor adaptation on a band record, through the same code the hot loops run
// (LOGSCL, SCALEL, LOGSCH, SCALEH).
#include "codec.h"
#include "shared_tables.h"
#include "sub_band.h"

namespace g722kit {

void AdaptLowerScale(G722Band& band, int32_t adapt_index) {
  StepLowerScale(band.nb, band.det, kLowerScaleStep[adapt_index]);
}

void AdaptUpperScale(G722Band& band, int32_t high_code) {
  StepUpperScale(band.nb, band.det, kUpperScaleStep[high_code]);
}

}  // namespace g722kit
