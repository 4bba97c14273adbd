// The code stream's bytes: codes one per byte, or packed into a bit stream that fills each byte
// from its least significant bit upward, through a bit reservoir that a stream keeps between
// calls. Used by the single-stream loops and by the batch for each of its streams.
#pragma once

#include <cstdint>

#include "codec.h"

namespace g722kit {
namespace {

template <bool kPacked>
class CodeWriter {
 public:
  CodeWriter() = default;
  // reservoir and bits: the packed bits that did not fill a byte yet.
  CodeWriter(uint8_t* out, int32_t bits_per_code, uint32_t reservoir, int32_t bits)
      : out_(out), bits_per_code_(bits_per_code), buffer_(reservoir), bits_(bits) {}

  // code is the 8 bits of a 64000 bit/s code; its top bits_per_code bits are written.
  G722KIT_ALWAYS_INLINE void Put(int32_t code) {
    code >>= 8 - bits_per_code_;
    if constexpr (!kPacked) {
      out_[count_++] = static_cast<uint8_t>(code);
    } else {
      buffer_ |= static_cast<uint32_t>(code) << bits_;
      bits_ += bits_per_code_;
      if (bits_ >= 8) {
        out_[count_++] = static_cast<uint8_t>(buffer_);
        buffer_ >>= 8;
        bits_ -= 8;
      }
    }
  }

  // Hands back the bits that do not fill a byte yet; returns the bytes written.
  int32_t Finish(uint32_t& reservoir, int32_t& bits) const {
    if constexpr (kPacked) {
      reservoir = buffer_;
      bits = bits_;
    }
    return count_;
  }

 private:
  uint8_t* out_ = nullptr;
  int32_t count_ = 0;
  int32_t bits_per_code_ = 8;
  uint32_t buffer_ = 0;
  int32_t bits_ = 0;
};

template <bool kPacked>
class CodeReader {
 public:
  CodeReader() = default;
  // count bytes at in; reservoir and bits: the packed bits not decoded yet.
  CodeReader(const uint8_t* in, int32_t count, int32_t bits_per_code, uint32_t reservoir,
             int32_t bits)
      : in_(in), count_(count), bits_per_code_(bits_per_code), buffer_(reservoir), bits_(bits) {}

  // The next code; packed, it takes at most one byte.
  G722KIT_ALWAYS_INLINE int32_t Next() {
    if constexpr (!kPacked) {
      return in_[position_++];
    } else {
      if (bits_ < bits_per_code_) {
        buffer_ |= static_cast<uint32_t>(in_[position_++]) << bits_;
        bits_ += 8;
      }
      const auto code = static_cast<int32_t>(buffer_ & ((1u << bits_per_code_) - 1));
      buffer_ >>= bits_per_code_;
      bits_ -= bits_per_code_;
      return code;
    }
  }

  // Whether a byte remains: a call ends once its last byte is taken, even when the reservoir
  // still holds a whole code, which the next call decodes first.
  bool More() const { return position_ < count_; }

  // Reads codes into codes[0], codes[1], ... until there are `most` or the last byte is taken,
  // while a byte remains; returns how many.
  template <class Codes>
  int32_t Take(Codes&& codes, int32_t most) {
    int32_t n = 0;
    do {
      codes[n++] = Next();
    } while (n < most && More());
    return n;
  }

  // Hands back the bits not decoded yet.
  void Finish(uint32_t& reservoir, int32_t& bits) const {
    if constexpr (kPacked) {
      reservoir = buffer_;
      bits = bits_;
    }
  }

 private:
  const uint8_t* in_ = nullptr;
  int32_t position_ = 0;
  int32_t count_ = 0;
  int32_t bits_per_code_ = 8;
  uint32_t buffer_ = 0;
  int32_t bits_ = 0;
};

}  // namespace
}  // namespace g722kit
