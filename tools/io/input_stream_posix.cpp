#include <cstring>

#include "io/input_stream.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

ssize_t ReadInput(void* cookie, char* buffer, size_t size) {
  try {
    return static_cast<ssize_t>(
        static_cast<InputFile*>(cookie)->Read({reinterpret_cast<uint8_t*>(buffer), size}));
  } catch (const ToolError&) {
    return -1;
  }
}

}  // namespace

void StreamCloser::operator()(std::FILE* stream) const {
  std::fclose(stream);
}

StdioStream OpenInputStream(InputFile& input) {
  cookie_io_functions_t functions{};
  functions.read = ReadInput;
  std::FILE* stream = fopencookie(&input, "rb", functions);
  if (stream == nullptr) throw FileErrno(kExitFailure, "cannot read", input.name());
  return StdioStream(stream);
}

}  // namespace g722kit::tool
