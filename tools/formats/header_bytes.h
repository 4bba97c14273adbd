// The bytes of a file or packet header, built field by field: four-letter tags and numbers of
// either byte order, as WAV (little-endian), AU and network (big-endian) headers store them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace g722kit::tool {

class HeaderBytes {
 public:
  void Tag(const char (&tag)[5]) { out_.insert(out_.end(), tag, tag + 4); }
  void Le16(uint32_t value) { Put(value, 2, false); }
  void Le32(uint32_t value) { Put(value, 4, false); }
  void Le64(uint64_t value) { Put(value, 8, false); }
  void Be16(uint32_t value) { Put(value, 2, true); }
  void Be32(uint32_t value) { Put(value, 4, true); }
  void Bytes(std::span<const uint8_t> bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
  }
  void Zeros(size_t count) { out_.insert(out_.end(), count, 0); }
  std::vector<uint8_t> Take() { return std::move(out_); }

 private:
  void Put(uint64_t value, int width, bool big_endian) {
    for (int i = 0; i < width; i++) {
      const int shift = 8 * (big_endian ? width - 1 - i : i);
      out_.push_back(static_cast<uint8_t>(value >> shift));
    }
  }
  std::vector<uint8_t> out_;
};

}  // namespace g722kit::tool
