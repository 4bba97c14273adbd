// The period is found in two steps: on a 4000 samples/s version of the signal over every
// candidate, then at the full rate around the best one. A candidate is scored by its normalised
// correlation with the last window, squared, c * c / e (for c > 0): the energy of the earlier
// stretch, e, makes a loud stretch no better than a quiet one of the same shape. Samples are
// first scaled down to 12 bits, so that every sum fits in 32 bits (at most 160 products), and
// the window's length is a constant, so that the compiler can vectorise the products.
#include "pitch_period.h"

#include <algorithm>
#include <cstdlib>

namespace g722kit {
namespace {

constexpr int32_t kScaledLimit = 2047;

// Copies x scaled by the arithmetic shift that brings every value within +-kScaledLimit.
void ScaleDown(const int32_t* x, int32_t count, int16_t* out) {
  int32_t peak = 0;
  for (int32_t i = 0; i < count; i++)
    peak = std::max(peak, std::abs(x[i]));
  int32_t shift = 0;
  while ((peak >> shift) > kScaledLimit)
    shift++;
  for (int32_t i = 0; i < count; i++)
    out[i] = static_cast<int16_t>(x[i] >> shift);
}

template <int32_t kWindow>
int32_t Correlation(const int16_t* a, const int16_t* b) {
  int32_t sum = 0;
  for (int32_t i = 0; i < kWindow; i++)
    sum += a[i] * b[i];
  return sum;
}

struct Best {
  int32_t lag = 0;
  int64_t score = 0;        // c * c / e; 0 while no lag correlates positively
  int32_t correlation = 0;  // c
  int32_t energy = 0;       // e
};

// Scores every lag from shortest to longest for the window of the last kWindow of the `end`
// values of x.
template <int32_t kWindow>
Best BestLag(const int16_t* x, int32_t end, int32_t shortest, int32_t longest) {
  const int16_t* w = x + end - kWindow;
  int32_t energy = Correlation<kWindow>(w - shortest, w - shortest);  // slides with the lag
  Best best;
  for (int32_t lag = shortest; lag <= longest; lag++) {
    if (lag > shortest) energy += w[-lag] * w[-lag] - w[kWindow - lag] * w[kWindow - lag];
    const int32_t correlation = Correlation<kWindow>(w, w - lag);
    if (correlation <= 0) continue;
    const int64_t score = int64_t{correlation} * correlation / energy;
    if (score > best.score) best = {lag, score, correlation, energy};
  }
  return best;
}

// The fine search at the full rate, over the lags that round to the coarse one, and whether
// the best of them correlates well enough for the signal to be called periodic.
template <int32_t kWindow>
Periodicity FinePeriod(const int16_t* recent, int32_t count, int32_t shortest, int32_t longest) {
  constexpr int32_t kMostSamples = 2 * (kLongestPeriodCodes + 1) + kWindow;
  const int32_t span = longest + kWindow;
  int32_t wide[kMostSamples];
  std::copy(recent + count - span, recent + count, wide);
  int16_t fine[kMostSamples];
  ScaleDown(wide, span, fine);
  const Best best = BestLag<kWindow>(fine, span, shortest, longest);
  // Periodic when the normalised correlation reaches 1/2: c^2 >= (window energy) * e / 4.
  const int16_t* w = fine + span - kWindow;
  const int32_t window_energy = Correlation<kWindow>(w, w);
  const bool voiced = best.score > 0 && 4 * int64_t{best.correlation} * best.correlation >=
                                            int64_t{window_energy} * best.energy;
  return {best.score > 0 ? best.lag : longest, voiced};
}

}  // namespace

Periodicity FindPeriod(const int16_t* recent, int32_t count, int32_t samples_per_code) {
  // The coarse search: each value the sum of 2 codes' samples, 4000 per second.
  constexpr int32_t kCoarseCount = (kLongestPeriodCodes + kMatchWindowCodes) / 2;
  const int32_t group = 2 * samples_per_code;
  int32_t sums[kCoarseCount];
  const int16_t* from = recent + count - kCoarseCount * group;
  for (int32_t i = 0; i < kCoarseCount; i++) {
    int32_t sum = 0;
    for (int32_t j = 0; j < group; j++)
      sum += from[i * group + j];
    sums[i] = sum;
  }
  int16_t coarse[kCoarseCount];
  ScaleDown(sums, kCoarseCount, coarse);
  const Best rough = BestLag<kMatchWindowCodes / 2>(coarse, kCoarseCount, kShortestPeriodCodes / 2,
                                                    kLongestPeriodCodes / 2);
  if (rough.score == 0) return {kLongestPeriodCodes * samples_per_code, false};

  const int32_t shortest =
      std::max(rough.lag * group - group + 1, kShortestPeriodCodes * samples_per_code);
  const int32_t longest =
      std::min(rough.lag * group + group - 1, kLongestPeriodCodes * samples_per_code);
  return samples_per_code == 2 ? FinePeriod<2 * kMatchWindowCodes>(recent, count, shortest, longest)
                               : FinePeriod<kMatchWindowCodes>(recent, count, shortest, longest);
}

}  // namespace g722kit
