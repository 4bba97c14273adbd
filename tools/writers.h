// Writers of the tool's two kinds of output into an OutputFile: code bytes, and WAV files
// through libsndfile. A failed write throws ToolError (kExitOutput) naming the target.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

#include "output_file.h"

struct sf_private_tag;

namespace g722kit::tool {

class ByteWriter {
 public:
  explicit ByteWriter(const OutputFile& output);
  ~ByteWriter();
  ByteWriter(const ByteWriter&) = delete;
  ByteWriter& operator=(const ByteWriter&) = delete;

  void Write(std::span<const uint8_t> bytes);
  // Writes bytes over the start of the file and returns to its end; false when the output
  // cannot be repositioned (a pipe, a terminal).
  bool RewriteStart(std::span<const uint8_t> bytes);
  // Closes the file, reporting what the operating system could not store.
  void Close();

 private:
  const OutputFile& output_;
  std::FILE* file_;
};

// 16-bit mono PCM WAV.
class WavWriter {
 public:
  WavWriter(const OutputFile& output, int rate);
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  void Write(std::span<const int16_t> samples);
  // Finishes the header and closes the file.
  void Close();

 private:
  const OutputFile& output_;
  sf_private_tag* file_;
};

}  // namespace g722kit::tool
