#include "code_writer.h"

namespace g722kit::tool {

CodeWriter::CodeWriter(const OutputFile& output, Container container)
    : writer_(output), container_(container) {
  Put(ContainerHeader(container_, std::nullopt));
}

void CodeWriter::Write(std::span<const uint8_t> codes) {
  Put(codes);
  code_bytes_ += codes.size();
}

void CodeWriter::Close() {
  Put(ContainerTrailer(container_, code_bytes_));
  if (container_ != Container::kRaw) writer_.RewriteStart(ContainerHeader(container_, code_bytes_));
  writer_.Close();
}

// An empty span may have no data at all, which fwrite must not be given.
void CodeWriter::Put(std::span<const uint8_t> bytes) {
  if (!bytes.empty()) writer_.Write(bytes);
}

}  // namespace g722kit::tool
