#include "formats/code_writer.h"

namespace g722kit::tool {

CodeWriter::CodeWriter(const OutputFile& output, Container container)
    : writer_(output), container_(container) {
  writer_.Write(ContainerHeader(container_, std::nullopt));
}

void CodeWriter::Write(std::span<const uint8_t> codes) {
  writer_.Write(codes);
  code_bytes_ += codes.size();
}

void CodeWriter::Close() {
  writer_.Write(ContainerTrailer(container_, code_bytes_));
  if (container_ != Container::kRaw) writer_.RewriteStart(ContainerHeader(container_, code_bytes_));
}

}  // namespace g722kit::tool
