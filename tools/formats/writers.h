// Writers of the tool's outputs into an OutputFile: bytes (codes), and 16-bit PCM as WAV, as raw
// samples, or in a format libsndfile writes. A failed write throws ToolError (kExitOutput) naming
// the file that failed.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "formats/output_names.h"
#include "io/output_file.h"

namespace g722kit::tool {

class ByteWriter {
 public:
  explicit ByteWriter(const OutputFile& output) : output_(output) {}

  void Write(std::span<const uint8_t> bytes);
  // Writes bytes over the start of the file, leaving the position at its end; false when the
  // output cannot be repositioned (a pipe, a terminal).
  bool RewriteStart(std::span<const uint8_t> bytes);

 private:
  const OutputFile& output_;
};

// Where 16-bit samples go, interleaved when there are several channels.
class PcmWriter {
 public:
  virtual ~PcmWriter() = default;
  virtual void Write(std::span<const int16_t> samples) = 0;
  // Finishes the file: a header gets its sizes.
  virtual void Close() = 0;
};

// The samples an output takes, and how they are stored.
struct PcmOutput {
  PcmFileFormat format;
  int rate = 8000;
  int channels = 1;
};

// A writer for output. A WAV file that can be rewritten gets the true sizes in its header; one
// that cannot (a pipe) gets a header for a stream of unknown length, as sox writes it.
// max_samples: at most how many samples will come, when that is known.
std::unique_ptr<PcmWriter> OpenPcmWriter(const OutputFile& output, const PcmOutput& pcm,
                                         std::optional<uint64_t> max_samples);

}  // namespace g722kit::tool
