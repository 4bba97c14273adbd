#include "wav_header.h"

#include <cstring>

#include "file_stream.h"

namespace g722kit {
namespace {

// Little-endian serialisation, independent of the host's byte order.
class ByteWriter {
 public:
  explicit ByteWriter(uint8_t* out) : out_(out) {}
  void Id(const char (&id)[4]) {
    std::memcpy(out_, id, 4);
    out_ += 4;
  }
  void U16(uint16_t v) {
    *out_++ = static_cast<uint8_t>(v);
    *out_++ = static_cast<uint8_t>(v >> 8);
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }

 private:
  uint8_t* out_;
};

}  // namespace

void WavHeaderFill(WavHeader& header, uint32_t riff_size, uint32_t data_size) {
  std::memcpy(header.riff_id, "RIFF", 4);
  header.riff_size = riff_size;
  std::memcpy(header.wave_id, "WAVE", 4);
  std::memcpy(header.fmt_id, "fmt ", 4);
  header.fmt_size = 16;
  header.format_tag = 1;
  header.channels = 1;
  header.sample_rate = 8000;
  header.byte_rate = 16000;
  header.block_align = 2;
  header.bits_per_sample = 16;
  std::memcpy(header.data_id, "data", 4);
  header.data_size = data_size;
}

bool WavHeaderFillForData(WavHeader& header, int64_t data_bytes) {
  if (!WavDataFits(data_bytes)) return false;
  const auto data_size = static_cast<uint32_t>(data_bytes);
  WavHeaderFill(header, data_size + 36, data_size);
  return true;
}

std::array<uint8_t, kWavHeaderBytes> WavHeaderBytes(const WavHeader& header) {
  std::array<uint8_t, kWavHeaderBytes> bytes{};
  ByteWriter w(bytes.data());
  w.Id(header.riff_id);
  w.U32(header.riff_size);
  w.Id(header.wave_id);
  w.Id(header.fmt_id);
  w.U32(header.fmt_size);
  w.U16(header.format_tag);
  w.U16(header.channels);
  w.U32(header.sample_rate);
  w.U32(header.byte_rate);
  w.U16(header.block_align);
  w.U16(header.bits_per_sample);
  w.Id(header.data_id);
  w.U32(header.data_size);
  return bytes;
}

bool WavHeaderWrite(const WavHeader& header, std::FILE* file) {
  const auto bytes = WavHeaderBytes(header);
  return platform::Write(file, bytes.data(), bytes.size()) == bytes.size();
}

}  // namespace g722kit
