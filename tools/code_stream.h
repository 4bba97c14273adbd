// Whole code streams through the library's codec, ends included. The codec keeps the bits of a
// packed stream that do not fill a byte (encoder) and holds back a whole code when the input
// ends on a byte boundary (decoder) until more data comes; at the end of a file no more comes,
// so Finish writes out the last bits and decodes the held code.
#pragma once

#include <span>
#include <vector>

#include "codec_settings.h"
#include "g722kit/g722.h"

namespace g722kit::tool {

class StreamEncoder {
 public:
  explicit StreamEncoder(const CodecSettings& codec);
  // Replaces codes with the code bytes of pcm.
  void Encode(std::span<const int16_t> pcm, std::vector<uint8_t>& codes);
  // Replaces codes with the last, partly filled byte of a packed stream (zero bits above the
  // last code), or nothing.
  void Finish(std::vector<uint8_t>& codes);

 private:
  G722State state_;
};

class StreamDecoder {
 public:
  explicit StreamDecoder(const CodecSettings& codec);
  // Replaces pcm with the samples of codes.
  void Decode(std::span<const uint8_t> codes, std::vector<int16_t>& pcm);
  // Replaces pcm with the samples of a code held back at the end of a packed stream, or nothing.
  void Finish(std::vector<int16_t>& pcm);

 private:
  G722State state_;
};

// A whole signal encoded, or a whole code stream decoded, by the above.
std::vector<uint8_t> EncodeAll(const CodecSettings& codec, std::span<const int16_t> pcm);
std::vector<int16_t> DecodeAll(const CodecSettings& codec, std::span<const uint8_t> codes);

}  // namespace g722kit::tool
