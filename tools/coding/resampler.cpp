#include "coding/resampler.h"

#include <soxr.h>

#include <stdexcept>
#include <string>

namespace g722kit::tool {
namespace {

constexpr size_t kPieceSamples = 16384;

}  // namespace

Resampler::Resampler(double input_rate, double output_rate) {
  if (input_rate == output_rate) return;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  soxr_error_t error = nullptr;
  soxr_ = soxr_create(input_rate, output_rate, 1, &error, &io, &quality, nullptr);
  if (error != nullptr) throw std::runtime_error(std::string("resampler: ") + error);
  output_.resize(kPieceSamples);
}

Resampler::~Resampler() {
  soxr_delete(soxr_);
}

void Resampler::Process(std::span<const float> input, const Sink& sink) {
  if (soxr_ == nullptr) return sink(input);
  Run(input.data(), input.size(), sink);
}

void Resampler::Flush(const Sink& sink) {
  if (soxr_ != nullptr) Run(nullptr, 0, sink);
}

// A null input asks soxr for what it holds back. soxr has given all it can once it fills less
// than the whole output buffer.
void Resampler::Run(const float* input, size_t count, const Sink& sink) {
  size_t used = 0;
  for (;;) {
    size_t consumed = 0, produced = 0;
    const soxr_error_t error = soxr_process(soxr_, input ? input + used : nullptr, count - used,
                                            &consumed, output_.data(), output_.size(), &produced);
    if (error != nullptr) throw std::runtime_error(std::string("resampler: ") + error);
    used += consumed;
    if (produced > 0) sink(std::span(output_).first(produced));
    if (used == count && produced < output_.size()) return;
  }
}

}  // namespace g722kit::tool
