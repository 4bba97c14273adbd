// Sample-rate conversion of a mono float stream with libsoxr (its high-quality setting).
#pragma once

#include <memory>
#include <span>
#include <vector>

struct soxr;

namespace g722kit::tool {

class Resampler {
 public:
  // Equal rates pass the samples through untouched.
  Resampler(double input_rate, double output_rate);
  ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  // Replaces out with the output for input; the resampler keeps some samples back.
  void Process(std::span<const float> input, std::vector<float>& out);
  // Replaces out with the samples kept back at the end of the stream.
  void Flush(std::vector<float>& out);

 private:
  void Run(const float* input, size_t count, std::vector<float>& out);

  double ratio_;
  soxr* soxr_ = nullptr;
};

}  // namespace g722kit::tool
