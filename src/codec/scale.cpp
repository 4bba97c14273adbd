// Quantizer scale factor adaptation of both sub-bands (LOGSCL and SCALEL, LOGSCH and SCALEH).
#include <algorithm>

#include "codec.h"
#include "shared_tables.h"

namespace g722kit {
namespace {

// Linear scale factor from the logarithmic one; exponent_bias is 8 (lower) or 10 (upper).
int32_t ScaleFactor(int32_t nb, int32_t exponent_bias) {
  const int32_t mantissa = kScaleMantissa[(nb >> 6) & 31];
  const int32_t exponent = exponent_bias - (nb >> 11);
  const int32_t value = (exponent >= 0) ? (mantissa >> exponent) : (mantissa << -exponent);
  return value << 2;
}

}  // namespace

void AdaptLowerScale(G722Band& band, int32_t adapt_index) {
  band.nb = std::clamp(((band.nb * 127) >> 7) + kLowerScaleStep[adapt_index], 0, 18432);
  band.det = ScaleFactor(band.nb, 8);
}

void AdaptUpperScale(G722Band& band, int32_t high_code) {
  band.nb = std::clamp(((band.nb * 127) >> 7) + kUpperScaleStep[high_code], 0, 22528);
  band.det = ScaleFactor(band.nb, 10);
}

}  // namespace g722kit
