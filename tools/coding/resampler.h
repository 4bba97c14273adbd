// Sample-rate conversion of a mono float stream with libsoxr (its high-quality setting), its
// output handed on in pieces of bounded size whatever the ratio of the rates.
#pragma once

#include <functional>
#include <span>
#include <vector>

struct soxr;

namespace g722kit::tool {

class Resampler {
 public:
  using Sink = std::function<void(std::span<const float> output)>;

  // Equal rates pass the samples through untouched.
  Resampler(double input_rate, double output_rate);
  ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  // Hands the output for input to sink; the resampler keeps some samples back.
  void Process(std::span<const float> input, const Sink& sink);
  // Hands the samples kept back at the end of the stream to sink.
  void Flush(const Sink& sink);

 private:
  void Run(const float* input, size_t count, const Sink& sink);

  soxr* soxr_ = nullptr;
  std::vector<float> output_;
};

}  // namespace g722kit::tool
