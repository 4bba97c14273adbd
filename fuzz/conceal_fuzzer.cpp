// Any interleaving of received and lost packets of any size, and resets, in any unpacked
// configuration: G722PacketDecoder writes the promised count and the same samples as the
// concealer run on a record of the target's own, and that record stays within its invariants
// after every call. (The target links the library's parts to hold the concealer.)
#include <algorithm>
#include <vector>

#include "concealer.h"
#include "fuzz_input.h"
#include "record_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace g722kit::fuzz;
  FuzzConfig config = TakeConfig(data, size);
  config.options &= G722Option8k;
  G722PacketDecoder* decoder = G722PacketDecoderCreate(config.rate, config.options);
  G722State record;
  g722kit::Concealer concealer;
  auto start = [&] {
    G722DecoderInit(&record, config.rate, config.options);
    concealer.Reset();
  };
  start();
  const int32_t per_code = record.pcm_8k ? 1 : 2;
  std::vector<int16_t> pcm(2 * 382), mirror(2 * 382);
  // Each packet: a byte whose top bit says lost and whose low bits the size, 1 to 382 bytes,
  // then a received packet's codes (as many as remain); 0xFF starts a new stream.
  while (size > 0) {
    const uint8_t head = *data++;
    size--;
    if (head == 0xFF) {
      if (G722PacketDecoderReset(decoder) != 1) __builtin_trap();
      start();
      continue;
    }
    const bool lost = head & 0x80;
    auto n = static_cast<int32_t>(1 + 3 * (head & 0x7F));
    int32_t written, expected;
    if (lost) {
      written = G722PacketDecode(decoder, pcm.data(), nullptr, n);
      expected = concealer.Conceal(record, mirror.data(), n);
    } else {
      if (size == 0) break;
      n = std::min(n, static_cast<int32_t>(size));
      written = G722PacketDecode(decoder, pcm.data(), data, n);
      expected = G722DecodeCodes(&record, mirror.data(), data, n);
      concealer.Received(record, mirror.data(), expected);
      data += n;
      size -= static_cast<size_t>(n);
    }
    if (written != n * per_code || expected != written) __builtin_trap();
    if (!std::equal(pcm.begin(), pcm.begin() + written, mirror.begin())) __builtin_trap();
    CheckRecord(record);
  }
  G722PacketDecoderRelease(decoder);
  return 0;
}
