// Conversion of the host's UTF-16 paths for the byte-oriented file open.
#pragma once

#include <cstdint>

#include "file_stream.h"

namespace g722kit {

// Holds one converted path.
struct NarrowPathBuffer {
  char bytes[platform::kNarrowPathCapacity];
};

// Converts path into out with the system's narrow encoding. Returns G722KIT_OK,
// G722KIT_ERR_NULL_PATH for a null path, or G722KIT_ERR_PATH when the path does not convert.
int32_t NarrowPath(const char16_t* path, NarrowPathBuffer& out);

}  // namespace g722kit
