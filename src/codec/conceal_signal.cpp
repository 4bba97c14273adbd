#include "conceal_signal.h"

#include <algorithm>
#include <cstring>

namespace g722kit {
namespace {

// The waveform's level falls in a straight line from its first sample to silence at 60 ms:
// the longer a loss, the less a repeat can be trusted, and a decoder state that expects less
// than the talker sends recovers faster than one that expects more.
constexpr int32_t kSilentCodes = 480;

// A signal without a clear period repeats its last 10 ms.
constexpr int32_t kUnvoicedCycleCodes = 80;

// How long the first samples take to move from the last real sample onto the repeated stretch.
constexpr int32_t kJoinCodes = 32;

// Two-band mode: the upper band is softened by mixing in a smoothed copy of the waveform,
// (1 2 1) / 4, which halves 4 kHz and takes 14 dB off 7 kHz; the mix grows over 128 samples
// (8 ms) to one half.
constexpr int32_t kSofteningShift = 7;
constexpr int32_t kMostSoftening = 16384;

constexpr int32_t kUnity = 32768;

int64_t MeanSquare(const int16_t* x, int32_t count) {
  int64_t sum = 0;
  for (int32_t i = 0; i < count; i++)
    sum += int32_t{x[i]} * x[i];
  return sum / count;
}

// The largest r with r * r <= v, for 0 <= v < 2^62.
int64_t SquareRoot(int64_t v) {
  int64_t root = 0;
  for (int64_t bit = int64_t{1} << 30; bit > 0; bit >>= 1) {
    if ((root + bit) * (root + bit) <= v) root += bit;
  }
  return root;
}

// The gain, at most 1 in Q15, that brings a stretch of mean square `stretch` down to the mean
// square `newest` of the newest output, so that a loss never brings back a louder sound from
// before.
int32_t MatchingGain(int64_t stretch, int64_t newest) {
  if (stretch <= newest) return kUnity;
  return static_cast<int32_t>(SquareRoot((newest << 30) / stretch));
}

}  // namespace

void ConcealSignal::Start(const int16_t* recent, int32_t count, int32_t samples_per_code,
                          bool two_band, int32_t faded) {
  const Periodicity found = FindPeriod(recent, count, samples_per_code);
  int32_t newest;  // the samples whose level the stretch is held to
  if (found.voiced) {
    // Whole periods, as few as reach the shortest stretch: one period repeated alone buzzes.
    const int32_t shortest = kShortestCycleCodes * samples_per_code;
    length_ = found.period * ((shortest + found.period - 1) / found.period);
    newest = found.period;
  } else {
    length_ = kUnvoicedCycleCodes * samples_per_code;
    newest = length_ / 4;
  }
  const int16_t* stretch = recent + count - length_;
  const int32_t gain =
      MatchingGain(MeanSquare(stretch, length_), MeanSquare(recent + count - newest, newest));
  for (int32_t i = 0; i < length_; i++)
    cycle_[i] = static_cast<int16_t>((stretch[i] * gain) >> 15);
  // The stretch's last quarter is blended into the samples that came before its start, so
  // that each repeat runs on from its end into its start without a step.
  const int32_t overlap = std::max(length_ / 4, 1);
  const int16_t* before = stretch - overlap;
  for (int32_t i = 0; i < overlap; i++) {
    int16_t& sample = cycle_[length_ - overlap + i];
    const int32_t earlier = (before[i] * gain) >> 15;
    sample = static_cast<int16_t>((sample * (overlap - 1 - i) + earlier * (i + 1)) / overlap);
  }
  offset_ = recent[count - 1] - ((stretch[-1] * gain) >> 15);
  join_samples_ = kJoinCodes * samples_per_code;
  join_shift_ = samples_per_code == 2 ? 6 : 5;
  last_[0] = recent[count - 2];
  last_[1] = recent[count - 1];
  two_band_ = two_band;
  faded_ = faded;
  silent_ = kSilentCodes * samples_per_code;
}

// What remains at sample k (from 0) of the offset that joins the stretch to the last real
// sample: all of it at sample -1, none from join_samples_ - 1 on.
int32_t ConcealSignal::JoinOffset(int32_t k) const {
  return k < join_samples_ - 1 ? (offset_ * (join_samples_ - 1 - k)) >> join_shift_ : 0;
}

// Sample k of the waveform before its fade and softening; the real samples before it.
int32_t ConcealSignal::Base(int32_t k) const {
  return k < 0 ? last_[k + 2] : cycle_[k % length_] + JoinOffset(k);
}

void ConcealSignal::Render(int32_t first, int32_t count, int16_t* out) const {
  int32_t i = 0;
  for (; i < count && first + i < 0; i++)
    out[i] = last_[first + i + 2];
  if (i == count) return;
  const int32_t start = first + i;
  if (start + faded_ >= silent_) {
    std::memset(out + i, 0, sizeof(int16_t) * static_cast<size_t>(count - i));
    return;
  }
  // The level falls by kUnity / silent_ per sample, in steps of 1/32768.
  const int32_t step = (kUnity << 15) / silent_;
  int32_t before = Base(start - 1);
  int32_t here = Base(start);
  int32_t next = (start + 1) % length_;
  for (; i < count; i++) {
    const int32_t k = first + i;
    const int32_t after = cycle_[next] + JoinOffset(k + 1);
    if (++next == length_) next = 0;
    int32_t x = here;
    if (two_band_) {
      const int32_t smooth = (before + 2 * here + after) >> 2;
      const int32_t softening =
          (std::min(k, 1 << kSofteningShift) * kMostSoftening) >> kSofteningShift;
      x -= static_cast<int32_t>((int64_t{here - smooth} * softening) >> 15);
    }
    const int32_t left = std::max(silent_ - k - faded_, 0);  // samples to silence
    const int32_t level = (left * step) >> 15;
    out[i] = static_cast<int16_t>((std::clamp(x, -32768, 32767) * level + (1 << 14)) >> 15);
    before = here;
    here = after;
  }
}

}  // namespace g722kit
