// The 24-tap band-split filter (QMF) history and sums, shared by the transmit and receive sides.
#include "codec.h"
#include "shared_tables.h"

namespace g722kit {

QmfSums QmfPush(int32_t history[24], int32_t first, int32_t second) {
  for (int k = 0; k < 22; k++)
    history[k] = history[k + 2];
  history[22] = first;
  history[23] = second;
  QmfSums sums{0, 0};
  for (int k = 0; k < 12; k++) {
    sums.even += history[2 * k] * kQmfTaps[k];
    sums.odd += history[2 * k + 1] * kQmfTaps[11 - k];
  }
  return sums;
}

}  // namespace g722kit
