// Words for counts in the tool's messages.
#pragma once

#include <cstdint>
#include <string>

namespace g722kit::tool {

// "1 byte", "2 bytes", "0 bytes": the count and the unit, plural unless the count is 1.
std::string Counted(uint64_t count, const std::string& unit);

}  // namespace g722kit::tool
