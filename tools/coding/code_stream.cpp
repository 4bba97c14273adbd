#include "coding/code_stream.h"

namespace g722kit::tool {

StreamEncoder::StreamEncoder(const CodecSettings& codec) {
  G722EncoderInit(&state_, codec.bitrate, codec.Options());
}

void StreamEncoder::Encode(std::span<const int16_t> pcm, std::vector<uint8_t>& codes) {
  codes.resize(pcm.size() + 1);
  codes.resize(static_cast<size_t>(
      G722EncodeSamples(&state_, codes.data(), pcm.data(), static_cast<int32_t>(pcm.size()))));
}

void StreamEncoder::Finish(std::vector<uint8_t>& codes) {
  codes.resize(2);
  codes.resize(static_cast<size_t>(G722EncoderFlush(&state_, codes.data())));
}

StreamDecoder::StreamDecoder(const CodecSettings& codec) {
  G722DecoderInit(&state_, codec.bitrate, codec.Options());
}

void StreamDecoder::Decode(std::span<const uint8_t> codes, std::vector<int16_t>& pcm) {
  // Each byte gives at most 8/6 codes of two samples, plus the code held from the last call.
  pcm.resize((codes.size() * 8 / 6 + 2) * 2);
  pcm.resize(static_cast<size_t>(
      G722DecodeCodes(&state_, pcm.data(), codes.data(), static_cast<int32_t>(codes.size()))));
}

void StreamDecoder::Finish(std::vector<int16_t>& pcm) {
  pcm.resize(2);
  pcm.resize(static_cast<size_t>(G722DecoderFlush(&state_, pcm.data())));
}

InterleavedDecoder::InterleavedDecoder(const CodecSettings& codec, int channels)
    : decoders_(static_cast<size_t>(channels), StreamDecoder(codec)),
      codes_(static_cast<size_t>(channels)),
      pcm_(static_cast<size_t>(channels)) {}

void InterleavedDecoder::Decode(std::span<const uint8_t> codes, std::vector<int16_t>& pcm) {
  const size_t channels = decoders_.size();
  if (channels == 1) return decoders_[0].Decode(codes, pcm);
  held_.insert(held_.end(), codes.begin(), codes.end());
  const size_t frames = held_.size() / channels;
  for (size_t c = 0; c < channels; c++) {
    codes_[c].resize(frames);
    for (size_t f = 0; f < frames; f++)
      codes_[c][f] = held_[f * channels + c];
    decoders_[c].Decode(codes_[c], pcm_[c]);
  }
  held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(frames * channels));
  Interleave(pcm);
}

void InterleavedDecoder::Finish(std::vector<int16_t>& pcm) {
  for (size_t c = 0; c < decoders_.size(); c++)
    decoders_[c].Finish(pcm_[c]);
  Interleave(pcm);
}

// Every channel's decoder gives as many samples as the others: each had the same codes.
void InterleavedDecoder::Interleave(std::vector<int16_t>& pcm) const {
  const size_t channels = pcm_.size();
  pcm.resize(pcm_[0].size() * channels);
  for (size_t c = 0; c < channels; c++) {
    for (size_t i = 0; i < pcm_[c].size(); i++)
      pcm[i * channels + c] = pcm_[c][i];
  }
}

std::vector<uint8_t> EncodeAll(const CodecSettings& codec, std::span<const int16_t> pcm) {
  StreamEncoder encoder(codec);
  std::vector<uint8_t> codes, tail;
  encoder.Encode(pcm, codes);
  encoder.Finish(tail);
  codes.insert(codes.end(), tail.begin(), tail.end());
  return codes;
}

std::vector<int16_t> DecodeAll(const CodecSettings& codec, std::span<const uint8_t> codes) {
  StreamDecoder decoder(codec);
  std::vector<int16_t> pcm, tail;
  decoder.Decode(codes, pcm);
  decoder.Finish(tail);
  pcm.insert(pcm.end(), tail.begin(), tail.end());
  return pcm;
}

}  // namespace g722kit::tool
