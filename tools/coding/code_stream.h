// Whole code streams through the library's codec, ends included: Finish flushes what the codec
// still holds at the end of a file (a held odd sample and the bits of a packed stream that do
// not fill a byte when encoding, a held code when decoding).
#pragma once

#include <span>
#include <vector>

#include "coding/codec_settings.h"
#include "g722kit/g722.h"

namespace g722kit::tool {

class StreamEncoder {
 public:
  explicit StreamEncoder(const CodecSettings& codec);
  // Replaces codes with the code bytes of pcm.
  void Encode(std::span<const int16_t> pcm, std::vector<uint8_t>& codes);
  // Replaces codes with the last code bytes of the stream: the code of a held odd sample and
  // the last, partly filled byte of a packed stream (zero bits above the last code).
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

// One code stream, or several interleaved byte by byte (the legs of a call in one file, unpacked
// codes), each through its own decoder, into interleaved samples.
class InterleavedDecoder {
 public:
  InterleavedDecoder(const CodecSettings& codec, int channels);
  // Replaces pcm with the samples of codes; the codes of a frame split between calls wait for
  // the rest.
  void Decode(std::span<const uint8_t> codes, std::vector<int16_t>& pcm);
  // Replaces pcm with the samples of the codes held back at the end of packed streams.
  void Finish(std::vector<int16_t>& pcm);
  // Bytes of a frame that the stream ended without completing.
  size_t held() const { return held_.size(); }

 private:
  void Interleave(std::vector<int16_t>& pcm) const;

  std::vector<StreamDecoder> decoders_;
  std::vector<uint8_t> held_;
  std::vector<std::vector<uint8_t>> codes_;
  std::vector<std::vector<int16_t>> pcm_;
};

// A whole signal encoded, or a whole code stream decoded, by the above.
std::vector<uint8_t> EncodeAll(const CodecSettings& codec, std::span<const int16_t> pcm);
std::vector<int16_t> DecodeAll(const CodecSettings& codec, std::span<const uint8_t> codes);

}  // namespace g722kit::tool
