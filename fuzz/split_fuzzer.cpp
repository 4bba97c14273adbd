// Any split of a stream into calls gives what one call gives, for the encoder and the decoder,
// ends flushed.
#include <algorithm>
#include <vector>

#include "fuzz_input.h"

namespace {

using g722kit::fuzz::FuzzConfig;

// Piece sizes from 1 to 16, chosen by a small generator seeded from the input.
struct Pieces {
  uint32_t seed;
  size_t Next() {
    seed = seed * 1103515245u + 12345u;
    return 1 + ((seed >> 16) & 15);
  }
};

void CheckEncoder(const FuzzConfig& config, const std::vector<int16_t>& pcm) {
  G722State one, split;
  G722EncoderInit(&one, config.rate, config.options);
  G722EncoderInit(&split, config.rate, config.options);
  std::vector<uint8_t> whole(pcm.size() + 2), pieces(pcm.size() + 2);
  const size_t whole_size =
      G722EncodeSamples(&one, whole.data(), pcm.data(), static_cast<int32_t>(pcm.size()));
  whole.resize(whole_size + G722EncoderFlush(&one, whole.data() + whole_size));
  size_t written = 0;
  Pieces cut{config.split_seed};
  for (size_t i = 0; i < pcm.size();) {
    const size_t n = std::min(cut.Next(), pcm.size() - i);
    written +=
        G722EncodeSamples(&split, pieces.data() + written, pcm.data() + i, static_cast<int32_t>(n));
    i += n;
  }
  pieces.resize(written + G722EncoderFlush(&split, pieces.data() + written));
  if (pieces != whole) __builtin_trap();
}

void CheckDecoder(const FuzzConfig& config, const uint8_t* codes, size_t size) {
  G722State one, split;
  G722DecoderInit(&one, config.rate, config.options);
  G722DecoderInit(&split, config.rate, config.options);
  std::vector<int16_t> whole(g722kit::fuzz::MostDecodedSamples(one, size));
  std::vector<int16_t> pieces(whole.size());
  const size_t whole_size = G722DecodeCodes(&one, whole.data(), codes, static_cast<int32_t>(size));
  whole.resize(whole_size + G722DecoderFlush(&one, whole.data() + whole_size));
  size_t written = 0;
  Pieces cut{config.split_seed * 7u + 1};
  for (size_t i = 0; i < size;) {
    const size_t n = std::min(cut.Next(), size - i);
    written += G722DecodeCodes(&split, pieces.data() + written, codes + i, static_cast<int32_t>(n));
    i += n;
  }
  pieces.resize(written + G722DecoderFlush(&split, pieces.data() + written));
  if (pieces != whole) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzConfig config = g722kit::fuzz::TakeConfig(data, size);
  std::vector<int16_t> pcm(size / 2);
  for (size_t i = 0; i < pcm.size(); i++) {
    pcm[i] = static_cast<int16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  }
  CheckEncoder(config, pcm);
  CheckDecoder(config, data, size);
  return 0;
}
