// Samples kept in an unnamed file in the temporary folder ($TMPDIR, or /tmp) until their output
// can be written: memory stays small however long the audio. The file is made when the first
// sample comes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

namespace g722kit::tool {

class PcmSpool {
 public:
  PcmSpool() = default;
  ~PcmSpool();
  PcmSpool(const PcmSpool&) = delete;
  PcmSpool& operator=(const PcmSpool&) = delete;

  // Throws ToolError (kExitOutput) when the temporary file cannot be made or written.
  void Write(std::span<const int16_t> samples);
  void WriteSilence(uint64_t count);
  uint64_t samples() const { return samples_; }

  // Reads the samples back from the start, in pieces into pcm; false at the end.
  void Rewind();
  bool Read(std::vector<int16_t>& pcm);

 private:
  std::FILE* file_ = nullptr;
  uint64_t samples_ = 0;
};

}  // namespace g722kit::tool
