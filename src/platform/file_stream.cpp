// File stream operations that the C runtime provides alike on every system.
#include "file_stream.h"

namespace g722kit::platform {

int64_t Read(std::FILE* file, void* buffer, size_t size) {
  const size_t count = std::fread(buffer, 1, size, file);
  if (count == 0 && std::ferror(file)) return -1;
  return static_cast<int64_t>(count);
}

bool Close(std::FILE* file) {
  return std::fclose(file) == 0;
}

}  // namespace g722kit::platform
