// Numbers in network byte order from packet bytes. Callers check the span's size first: every
// read here is within it or throws std::out_of_range, never past it.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>

namespace g722kit::tool {

inline uint16_t Be16At(std::span<const uint8_t> bytes, size_t at) {
  if (at + 2 > bytes.size()) throw std::out_of_range("packet read past its end");
  return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

inline uint32_t Be32At(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(Be16At(bytes, at)) << 16 | Be16At(bytes, at + 2);
}

}  // namespace g722kit::tool
