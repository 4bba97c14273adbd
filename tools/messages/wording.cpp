#include "messages/wording.h"

namespace g722kit::tool {

std::string Counted(uint64_t count, const std::string& unit) {
  return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

}  // namespace g722kit::tool
