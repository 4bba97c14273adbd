#include "file_pair.h"

namespace g722kit {

int32_t OpenFilePair(const char16_t* in_path, const char16_t* out_path, NarrowPathBuffer& in_name,
                     NarrowPathBuffer& out_name, FilePair& files) {
  int32_t result = NarrowPath(in_path, in_name);
  if (result == G722KIT_OK) result = NarrowPath(out_path, out_name);
  if (result != G722KIT_OK) return result;

  files.input = platform::OpenForReading(in_name.bytes);
  if (files.input == nullptr) return G722KIT_ERR_OPEN_INPUT;
  if (platform::IsSameFile(files.input, out_name.bytes)) {
    platform::Close(files.input);
    return G722KIT_ERR_SAME_FILE;
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
