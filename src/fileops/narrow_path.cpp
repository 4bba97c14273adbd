#include "narrow_path.h"

#include "g722kit/g722kit.h"

namespace g722kit {

int32_t NarrowPath(const char16_t* path, NarrowPathBuffer& out) {
  out.bytes[0] = 0;
  if (path == nullptr) return G722KIT_ERR_NULL_PATH;
  if (!platform::ToNarrow(path, out.bytes, sizeof out.bytes)) return G722KIT_ERR_PATH;
  return G722KIT_OK;
}

}  // namespace g722kit
