// Code bytes written into an output inside a container (or none), whose header is finished
// with the real sizes when the output is closed.
#pragma once

#include <cstdint>
#include <span>

#include "formats/g722_container.h"
#include "formats/writers.h"
#include "io/output_file.h"

namespace g722kit::tool {

class CodeWriter {
 public:
  CodeWriter(const OutputFile& output, Container container);

  void Write(std::span<const uint8_t> codes);
  // Ends the container. An output that cannot be repositioned (a pipe) keeps the header
  // written first, whose sizes say "up to the end".
  void Close();

  uint64_t code_bytes() const { return code_bytes_; }

 private:
  ByteWriter writer_;
  Container container_;
  uint64_t code_bytes_ = 0;
};

}  // namespace g722kit::tool
