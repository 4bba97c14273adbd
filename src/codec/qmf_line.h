// The band-split filter's history in the two-band loops: the 24 newest entries, oldest first,
// followed by the entries of one pass of the loop, so that every code's window of 24 entries
// is contiguous. The entries are 16-bit: the encoder's are samples, the decoder's the sums and
// differences of two reconstructed signals within -16384..16383.
#pragma once

#include <cstdint>
#include <cstring>

namespace g722kit {
namespace {

// Codes per pass of the two-band loops.
constexpr int32_t kQmfPassPairs = 128;

class QmfLine {
 public:
  explicit QmfLine(const int32_t history[24]) {
    for (int k = 0; k < 24; k++)
      entries_[k] = static_cast<int16_t>(history[k]);
  }

  void Store(int32_t history[24]) const {
    for (int k = 0; k < 24; k++)
      history[k] = entries_[k];
  }

  // Where the pass's entries go, two per code.
  int16_t* pass() { return entries_ + 24; }

  // The filter's window for the pass's code `pair`, once its two entries are in.
  const int16_t* Window(int32_t pair) const { return entries_ + 2 * pair + 2; }

  // After a pass of `pairs` codes, its newest 24 entries become the history.
  void EndPass(int32_t pairs) {
    std::memmove(entries_, entries_ + 2 * pairs, sizeof(int16_t) * 24);
  }

 private:
  int16_t entries_[24 + 2 * kQmfPassPairs];
};

}  // namespace
}  // namespace g722kit
