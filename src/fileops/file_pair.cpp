#include "file_pair.h"

namespace g722kit {
namespace {

int32_t CheckInput(std::FILE* input, const NarrowPathBuffer& out_name, int64_t largest_input) {
  if (platform::IsFolder(input)) return G722KIT_ERR_OPEN_INPUT;
  if (platform::RegularFileSize(input) > largest_input) return G722KIT_ERR_TOO_LARGE;
  if (platform::IsSameFile(input, out_name.bytes)) return G722KIT_ERR_SAME_FILE;
  return G722KIT_OK;
}

}  // namespace

int32_t OpenFilePair(const char16_t* in_path, const char16_t* out_path, NarrowPathBuffer& in_name,
                     NarrowPathBuffer& out_name, int64_t largest_input, FilePair& files) {
  int32_t result = NarrowPath(in_path, in_name);
  if (result == G722KIT_OK) result = NarrowPath(out_path, out_name);
  if (result != G722KIT_OK) return result;

  files.input = platform::OpenForReading(in_name.bytes);
  if (files.input == nullptr) return G722KIT_ERR_OPEN_INPUT;
  result = CheckInput(files.input, out_name, largest_input);
  if (result != G722KIT_OK) {
    platform::Close(files.input);
    return result;
  }
  files.output = platform::OpenForWriting(out_name.bytes);
  if (files.output == nullptr) {
    platform::Close(files.input);
    return G722KIT_ERR_OPEN_OUTPUT;
  }
  return G722KIT_OK;
}

int32_t CloseFilePair(FilePair& files, int32_t result) {
  platform::Close(files.input);
  const bool output_closed = platform::Close(files.output);
  if (result == G722KIT_OK && !output_closed) return G722KIT_ERR_WRITE;
  return result;
}

}  // namespace g722kit
