// A decoder for code streams that arrive in packets, some of which are lost: real codes decode
// as G722DecodeCodes decodes them, lost ones are concealed. No exception can reach a C caller:
// the one allocation is std::nothrow, and the rest is arithmetic and copies.
#include <new>

#include "concealer.h"

struct G722PacketDecoder {
  int32_t rate;
  int32_t options;
  G722State decoder;
  g722kit::Concealer concealer;
};

namespace {

void StartStream(G722PacketDecoder& packet_decoder) {
  G722DecoderInit(&packet_decoder.decoder, packet_decoder.rate, packet_decoder.options);
  packet_decoder.concealer.Reset();
}

}  // namespace

extern "C" {

G722PacketDecoder* G722PacketDecoderCreate(int32_t rate, int32_t options) {
  if (rate != 64000 && rate != 56000 && rate != 48000) return nullptr;
  if (options & G722OptionPacked) return nullptr;
  auto* packet_decoder = new (std::nothrow) G722PacketDecoder;
  if (packet_decoder == nullptr) return nullptr;
  packet_decoder->rate = rate;
  packet_decoder->options = options;
  StartStream(*packet_decoder);
  return packet_decoder;
}

int32_t G722PacketDecode(G722PacketDecoder* decoder, int16_t* pcm_out, const uint8_t* codes_in,
                         int32_t byte_count) {
  if (decoder == nullptr || pcm_out == nullptr || byte_count <= 0 ||
      byte_count > G722MaxDecodeBytes) {
    return 0;
  }
  if (codes_in == nullptr) return decoder->concealer.Conceal(decoder->decoder, pcm_out, byte_count);
  const int32_t count = G722DecodeCodes(&decoder->decoder, pcm_out, codes_in, byte_count);
  decoder->concealer.Received(decoder->decoder, pcm_out, count);
  return count;
}

int32_t G722PacketDecoderReset(G722PacketDecoder* decoder) {
  if (decoder == nullptr) return 0;
  StartStream(*decoder);
  return 1;
}

void G722PacketDecoderRelease(G722PacketDecoder* decoder) {
  delete decoder;
}
}
