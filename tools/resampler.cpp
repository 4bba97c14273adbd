#include "resampler.h"

#include <soxr.h>

#include <stdexcept>
#include <string>

namespace g722kit::tool {

Resampler::Resampler(double input_rate, double output_rate) : ratio_(output_rate / input_rate) {
  if (input_rate == output_rate) return;
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  soxr_error_t error = nullptr;
  soxr_ = soxr_create(input_rate, output_rate, 1, &error, &io, &quality, nullptr);
  if (error != nullptr) throw std::runtime_error(std::string("resampler: ") + error);
}

Resampler::~Resampler() {
  soxr_delete(soxr_);
}

void Resampler::Process(std::span<const float> input, std::vector<float>& out) {
  if (soxr_ == nullptr) {
    out.assign(input.begin(), input.end());
    return;
  }
  Run(input.data(), input.size(), out);
}

void Resampler::Flush(std::vector<float>& out) {
  out.clear();
  if (soxr_ != nullptr) Run(nullptr, 0, out);
}

// A null input asks soxr for what it holds back; it then gives less than asked once drained.
void Resampler::Run(const float* input, size_t count, std::vector<float>& out) {
  out.clear();
  size_t used = 0;
  for (;;) {
    const size_t room = static_cast<size_t>((count - used) * ratio_) + 1024;
    const size_t start = out.size();
    out.resize(start + room);
    size_t consumed = 0, produced = 0;
    const soxr_error_t error = soxr_process(soxr_, input ? input + used : nullptr, count - used,
                                            &consumed, out.data() + start, room, &produced);
    if (error != nullptr) throw std::runtime_error(std::string("resampler: ") + error);
    out.resize(start + produced);
    used += consumed;
    if (input ? used == count : produced < room) return;
  }
}

}  // namespace g722kit::tool
