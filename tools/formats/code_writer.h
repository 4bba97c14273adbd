// Code bytes written into an output inside a container (or none), whose header is finished
// with the real sizes when the output is closed.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "formats/g722_container.h"
#include "formats/writers.h"
#include "io/output_file.h"

namespace g722kit::tool {

// Where an encode's code bytes go.
class CodeSink {
 public:
  virtual ~CodeSink() = default;
  virtual void Write(std::span<const uint8_t> codes) = 0;
  virtual void Close() = 0;
  virtual uint64_t code_bytes() const = 0;
  // What the summary line says about the output besides its codes; empty for nothing.
  virtual std::string Details() const { return {}; }
};

class CodeWriter : public CodeSink {
 public:
  CodeWriter(const OutputFile& output, Container container);

  void Write(std::span<const uint8_t> codes) override;
  // Ends the container. An output that cannot be repositioned (a pipe) keeps the header
  // written first, whose sizes say "up to the end".
  void Close() override;

  uint64_t code_bytes() const override { return code_bytes_; }

 private:
  ByteWriter writer_;
  Container container_;
  uint64_t code_bytes_ = 0;
};

}  // namespace g722kit::tool
