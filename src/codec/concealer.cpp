#include "concealer.h"

#include <algorithm>
#include <cstring>

namespace g722kit {
namespace {

// Codes concealed per step, with the step's buffers on the stack.
constexpr int32_t kStepCodes = 160;

// The cross-fade from the concealment into the first decoded samples after a loss, 1 ms: it
// smooths the join, and no more, because the decoded signal is the better guess from its start.
constexpr int32_t kRejoinCodes = 8;

// Two-band: the output of an encoder and a decoder in a row lags their input by 22 samples.
constexpr int32_t kTwoBandDelay = 22;

// The encoder's band-split filter history, in samples.
constexpr int32_t kFilterHistory = 24;

// Positions stop growing here, long after silence, so that an endless loss cannot overflow them.
constexpr int32_t kLastPosition = 1 << 24;

int32_t SamplesPerCode(const G722State& decoder) {
  return decoder.pcm_8k ? 1 : 2;
}

// An encoder in the decoder's state codes the waveform as the talker's encoder would have coded
// the talker going on, and the decoder takes those codes: its predictors, scale factors and
// filter follow the waveform, so that the first real codes after the loss decode from a state
// close to the talker's. fed holds the waveform from where the encoder goes on; two-band, the
// 24 samples before it are the encoder's filter history.
//
// Encoder and decoder adapt their band records alike to the same codes, so the decoder need
// not decode them all: it takes the encoder's band records, and decodes only the codes whose
// sub-band signals its own filter history holds, the last 12 (none in 8 kHz mode).
void TakeAlong(G722State& decoder, const int16_t* fed, int32_t codes) {
  G722State encoder = decoder;
  encoder.has_pending = 0;
  encoder.pending_sample = 0;
  encoder.allocated = 0;
  if (!decoder.pcm_8k) std::copy(fed - kFilterHistory, fed, encoder.qmf_history);
  const int32_t spc = SamplesPerCode(decoder);
  const int32_t decoded_codes = decoder.pcm_8k ? 0 : std::min(codes, kFilterHistory / 2);
  const int32_t adopted_codes = codes - decoded_codes;
  uint8_t coded[kStepCodes];
  if (adopted_codes > 0) {
    G722EncodeSamples(&encoder, coded, fed, adopted_codes * spc);
    std::copy(encoder.band, encoder.band + 2, decoder.band);
  }
  if (decoded_codes > 0) {
    G722EncodeSamples(&encoder, coded, fed + adopted_codes * spc, decoded_codes * spc);
    int16_t decoded[kFilterHistory];
    G722DecodeCodes(&decoder, decoded, coded, decoded_codes);
  }
}

}  // namespace

void Concealer::Reset() {
  recent_.Clear();
  phase_ = Phase::kDecoding;
  position_ = 0;
  faded_ = 0;
  rejoined_ = 0;
}

void Concealer::Received(const G722State& decoder, int16_t* pcm, int32_t count) {
  if (phase_ == Phase::kConcealing) {
    phase_ = Phase::kRejoining;
    rejoined_ = 0;
  }
  if (phase_ == Phase::kRejoining) {
    const int32_t fade = kRejoinCodes * SamplesPerCode(decoder);
    const int32_t n = std::min(count, fade - rejoined_);
    int16_t concealed[2 * kRejoinCodes];
    signal_.Render(position_, n, concealed);
    for (int32_t i = 0; i < n; i++) {
      const int32_t real = rejoined_ + i + 1;  // the decoded sample's weight, of fade
      pcm[i] = static_cast<int16_t>((concealed[i] * (fade - real) + pcm[i] * real) / fade);
    }
    position_ = std::min(position_ + n, kLastPosition);
    rejoined_ += n;
    if (rejoined_ == fade) phase_ = Phase::kDecoding;
  }
  recent_.Append(pcm, count);
}

// Prepares the waveform of a loss from the recent output.
void Concealer::Begin(const G722State& decoder) {
  static_assert(RecentOutput::kCapacity >= 2 * (kLongestPeriodCodes + kMatchWindowCodes + 1) &&
                RecentOutput::kCapacity >= 2 * ConcealSignal::kLongestCycleCodes * 5 / 4 + 1);
  const int32_t faded =
      phase_ == Phase::kRejoining ? std::min(faded_ + position_, kLastPosition) : 0;
  int16_t recent[RecentOutput::kCapacity];
  recent_.CopyAll(recent);
  signal_.Start(recent, RecentOutput::kCapacity, SamplesPerCode(decoder), !decoder.pcm_8k, faded);
  phase_ = Phase::kConcealing;
  position_ = 0;
  faded_ = faded;
}

int32_t Concealer::Conceal(G722State& decoder, int16_t* pcm_out, int32_t codes) {
  if (phase_ != Phase::kConcealing) Begin(decoder);
  const int32_t spc = SamplesPerCode(decoder);
  // Two-band, the encoder is fed the waveform 22 samples ahead of what is heard, so that the
  // decoder's output lines up with it, after its filter history.
  const int32_t ahead = decoder.pcm_8k ? 0 : kTwoBandDelay;
  const int32_t lead = decoder.pcm_8k ? 0 : kFilterHistory - kTwoBandDelay;
  int32_t written = 0;
  while (codes > 0) {
    const int32_t n = std::min(codes, kStepCodes);
    const int32_t samples = n * spc;
    int16_t wave[kFilterHistory + 2 * kStepCodes];
    signal_.Render(position_ - lead, lead + samples + ahead, wave);
    const int16_t* heard = wave + lead;
    std::copy(heard, heard + samples, pcm_out + written);
    TakeAlong(decoder, heard + ahead, n);
    recent_.Append(heard, samples);
    position_ = std::min(position_ + samples, kLastPosition);
    written += samples;
    codes -= n;
  }
  return written;
}

}  // namespace g722kit
