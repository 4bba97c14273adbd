#include "runtime_streams.h"

namespace g722kit::platform {

int64_t RuntimeRead(std::FILE* file, void* buffer, size_t size) {
  const size_t count = std::fread(buffer, 1, size, file);
  if (count == 0 && std::ferror(file)) return -1;
  return static_cast<int64_t>(count);
}

bool RuntimeClose(std::FILE* file) {
  return std::fclose(file) == 0;
}

}  // namespace g722kit::platform
