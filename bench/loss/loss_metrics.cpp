#include "loss_metrics.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <numeric>
#include <random>

#include "g722kit/g722.h"

namespace g722kit::loss {
namespace {

// Samples of one packet at the rate given.
size_t PacketSamples(int sample_rate) {
  return static_cast<size_t>(sample_rate) / 50;
}

// Root mean square of pcm[begin, end).
double Rms(const std::vector<int16_t>& pcm, size_t begin, size_t end) {
  double sum = 0;
  for (size_t i = begin; i < end; i++)
    sum += static_cast<double>(pcm[i]) * pcm[i];
  return end > begin ? std::sqrt(sum / static_cast<double>(end - begin)) : 0;
}

// "Speech in a packet": its loss-free RMS above -45 dB of full scale.
bool HasSpeech(const std::vector<int16_t>& clean, size_t begin, size_t end) {
  return Rms(clean, begin, end) > 32768 * std::pow(10.0, -45.0 / 20);
}

// The power spectrum of pcm[begin, begin + n) through a Hann window, bins 0 to n / 2, relative
// to a full-scale sine: one discrete Fourier transform of the packet's own length (160 or 320
// samples, not powers of two), evaluated directly.
std::vector<double> PowerSpectrum(const std::vector<int16_t>& pcm, size_t begin, size_t n) {
  std::vector<double> window(n);
  for (size_t i = 0; i < n; i++)
    window[i] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / n);
  const double gain = std::accumulate(window.begin(), window.end(), 0.0) / 2 * 32768;
  std::vector<std::complex<double>> turn(n);
  for (size_t i = 0; i < n; i++)
    turn[i] = std::polar(1.0, -2 * std::numbers::pi * static_cast<double>(i) / n);
  std::vector<double> power(n / 2 + 1);
  for (size_t k = 0; k <= n / 2; k++) {
    std::complex<double> sum = 0;
    for (size_t i = 0; i < n; i++)
      sum += window[i] * pcm[begin + i] * turn[(k * i) % n];
    power[k] = std::norm(sum / gain);
  }
  return power;
}

// The RMS over all bins of the difference of two power spectra in dB, each floored 90 dB below
// full scale.
double LogSpectralDistance(const std::vector<double>& a, const std::vector<double>& b) {
  constexpr double kFloor = 1e-9;
  double sum = 0;
  for (size_t k = 0; k < a.size(); k++) {
    const double d = 10 * std::log10(std::max(a[k], kFloor) / std::max(b[k], kFloor));
    sum += d * d;
  }
  return std::sqrt(sum / static_cast<double>(a.size()));
}

// Energy of the bins at 7 kHz and above.
double HighBand(const std::vector<double>& power, int sample_rate) {
  const size_t n = 2 * (power.size() - 1);
  double sum = 0;
  for (size_t k = 0; k < power.size(); k++) {
    if (static_cast<double>(k) * sample_rate / static_cast<double>(n) >= 7000) sum += power[k];
  }
  return sum;
}

// The largest step between neighbouring samples n - 1, n for n in [begin, end).
int LargestStep(const std::vector<int16_t>& pcm, size_t begin, size_t end) {
  int step = 0;
  for (size_t n = std::max<size_t>(begin, 1); n < std::min(end, pcm.size()); n++)
    step = std::max(step, std::abs(pcm[n] - pcm[n - 1]));
  return step;
}

// A run of lost packets, [first, end).
struct Run {
  size_t first, end;
};

std::vector<Run> Runs(const LossMask& lost) {
  std::vector<Run> runs;
  for (size_t p = 0; p < lost.size(); p++) {
    if (!lost[p]) continue;
    if (runs.empty() || runs.back().end != p) runs.push_back({p, p});
    runs.back().end = p + 1;
  }
  return runs;
}

}  // namespace

LossMask RandomLosses(size_t packets, double percent, int burst, uint32_t seed) {
  // A burst starts with probability q at a packet outside bursts, which loses a share p of all
  // packets when q = p / (B - (B - 1) p).
  const double p = percent / 100;
  const double q = p / (burst - (burst - 1) * p);
  std::mt19937 random(seed);
  LossMask lost(packets, false);
  for (size_t i = 0; i < packets;) {
    if (random() < q * 4294967296.0) {
      for (int b = 0; b < burst && i < packets; b++)
        lost[i++] = true;
    } else {
      i++;
    }
  }
  return lost;
}

LossMask Outage(size_t packets, size_t first, size_t count) {
  LossMask lost(packets, false);
  for (size_t i = first; i < std::min(packets, first + count); i++)
    lost[i] = true;
  return lost;
}

size_t OutageStart(const std::vector<int16_t>& clean, int sample_rate, size_t count) {
  const size_t n = PacketSamples(sample_rate);
  const size_t packets = clean.size() / n;
  for (size_t p = 2; p + count <= packets; p++) {
    if (HasSpeech(clean, (p - 2) * n, p * n)) return p;
  }
  return 0;
}

Decoded DecodeWithLosses(int32_t rate, int32_t options, const std::vector<uint8_t>& codes,
                         const LossMask& lost) {
  G722State clean_state, baseline_state;
  G722DecoderInit(&clean_state, rate, options);
  G722DecoderInit(&baseline_state, rate, options);
  G722PacketDecoder* packets = G722PacketDecoderCreate(rate, options);
  const size_t per_code = (options & G722Option8k) ? 1 : 2;
  Decoded out;
  std::vector<int16_t> pcm(kPacketCodes * per_code);
  for (size_t p = 0; p * kPacketCodes < codes.size(); p++) {
    const uint8_t* packet = codes.data() + p * kPacketCodes;
    const auto count =
        static_cast<int32_t>(std::min(kPacketCodes, codes.size() - p * kPacketCodes));
    const bool is_lost = p < lost.size() && lost[p];
    const auto samples =
        static_cast<size_t>(G722DecodeCodes(&clean_state, pcm.data(), packet, count));
    out.clean.insert(out.clean.end(), pcm.begin(), pcm.begin() + samples);
    G722PacketDecode(packets, pcm.data(), is_lost ? nullptr : packet, count);
    out.concealed.insert(out.concealed.end(), pcm.begin(), pcm.begin() + samples);
    if (is_lost) {
      out.baseline.insert(out.baseline.end(), samples, 0);
    } else {
      G722DecodeCodes(&baseline_state, pcm.data(), packet, count);
      out.baseline.insert(out.baseline.end(), pcm.begin(), pcm.begin() + samples);
    }
  }
  G722PacketDecoderRelease(packets);
  return out;
}

void Figures::Add(const Figures& more) {
  distance.insert(distance.end(), more.distance.begin(), more.distance.end());
  edges += more.edges;
  clean_edges += more.clean_edges;
  recovery.insert(recovery.end(), more.recovery.begin(), more.recovery.end());
  high_band += more.high_band;
  clean_high_band += more.clean_high_band;
  fade.insert(fade.end(), more.fade.begin(), more.fade.end());
}

Figures Measure(const std::vector<int16_t>& clean, const std::vector<int16_t>& output,
                const LossMask& lost, int sample_rate) {
  const size_t n = PacketSamples(sample_rate);
  const size_t ms = n / 20;
  Figures f;
  for (const Run& run : Runs(lost)) {
    const size_t begin = run.first * n;
    const size_t end = std::min(run.end * n, clean.size());
    if (begin >= end) continue;
    for (size_t p = run.first; p < run.end && (p + 1) * n <= clean.size(); p++) {
      const std::vector<double> heard = PowerSpectrum(output, p * n, n);
      const std::vector<double> truth = PowerSpectrum(clean, p * n, n);
      if (run.end - run.first <= 3 && HasSpeech(clean, p * n, (p + 1) * n))
        f.distance.push_back(LogSpectralDistance(heard, truth));
      if (sample_rate == 16000) {
        f.high_band += HighBand(heard, sample_rate);
        f.clean_high_band += HighBand(truth, sample_rate);
      }
    }
    // A click: a step in the 5 ms from an edge above twice the loss-free output's largest step
    // within 10 ms either side, plus 64.
    for (size_t edge : {begin, end}) {
      if (edge == 0 || edge + 5 * ms > output.size()) continue;
      f.edges++;
      const int allowed =
          2 * LargestStep(clean, edge - std::min(edge, 10 * ms), edge + 10 * ms) + 64;
      if (LargestStep(output, edge, edge + 5 * ms) <= allowed) f.clean_edges++;
    }
    const bool followed = run.end + 2 <= lost.size() && !lost[run.end] && !lost[run.end + 1] &&
                          end + 40 * ms <= clean.size();
    if (followed) {
      double signal = 0, error = 0;
      for (size_t i = end; i < end + 40 * ms; i++) {
        signal += static_cast<double>(clean[i]) * clean[i];
        error += (static_cast<double>(clean[i]) - output[i]) *
                 (static_cast<double>(clean[i]) - output[i]);
      }
      f.recovery.push_back(Decibels(std::max(signal, 1.0) / std::max(error, 1.0)));
    }
    if (end - begin > 120 * ms && begin >= 40 * ms) {
      const double before = Rms(output, begin - 40 * ms, begin);
      if (before > 0)
        f.fade.push_back(20 * std::log10(Rms(output, begin + 120 * ms, end) / before));
    }
  }
  return f;
}

double Median(std::vector<double> values) {
  if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

double Mean(const std::vector<double>& values) {
  if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
  return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

double Decibels(double ratio) {
  return ratio > 0 ? 10 * std::log10(ratio) : -std::numeric_limits<double>::infinity();
}

std::vector<int16_t> HalveRate(const std::vector<int16_t>& pcm) {
  // A 63-tap windowed-sinc low-pass at 3.7 kHz of 16 kHz (Blackman window).
  constexpr int kTaps = 63, kMid = kTaps / 2;
  constexpr double kCutoff = 3700.0 / 16000;
  double taps[kTaps];
  for (int j = 0; j < kTaps; j++) {
    const double t = j - kMid;
    const double sinc = t == 0
                            ? 2 * kCutoff
                            : std::sin(2 * std::numbers::pi * kCutoff * t) / (std::numbers::pi * t);
    const double x = 2 * std::numbers::pi * j / (kTaps - 1);
    taps[j] = sinc * (0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2 * x));
  }
  std::vector<int16_t> out(pcm.size() / 2);
  for (size_t i = 0; i < out.size(); i++) {
    double sum = 0;
    for (int j = 0; j < kTaps; j++) {
      const auto at = static_cast<std::ptrdiff_t>(2 * i) + kMid - j;
      if (at >= 0 && at < static_cast<std::ptrdiff_t>(pcm.size())) sum += taps[j] * pcm[at];
    }
    out[i] = static_cast<int16_t>(std::clamp(std::lround(sum), -32768L, 32767L));
  }
  return out;
}

}  // namespace g722kit::loss
