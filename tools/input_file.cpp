#include "input_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "tool_error.h"

namespace g722kit::tool {

uint64_t CheckReadable(const std::filesystem::path& file) {
  std::FILE* stream = std::fopen(file.c_str(), "rb");
  if (stream == nullptr) throw FileErrno(kExitInput, "cannot open", file);
  std::fclose(stream);
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    throw FileError(kExitInput, "cannot read", file, "is a folder");
  }
  const uintmax_t size = std::filesystem::file_size(file, error);
  return error ? 0 : size;
}

bool IsRawPcmName(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".raw" || extension == ".pcm";
}

}  // namespace g722kit::tool
