#include "formats/wav_writer.h"

#include <cstdio>
#include <cstring>

#include "formats/header_bytes.h"
#include "formats/pcm_format.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

// The data size in the header of a WAV stream of unknown length, as sox writes it.
constexpr uint32_t kStreamDataBytes = 0x7FFFF000;
constexpr uint32_t kUnknownSize = 0xFFFFFFFF;  // RF64: the size is in the ds64 chunk
constexpr uint32_t kDs64Bytes = 28;            // RIFF size, data size, frames, empty table
constexpr uint64_t kPlainHeaderBytes = 44;
constexpr uint64_t kReservingHeaderBytes = kPlainHeaderBytes + 8 + kDs64Bytes;

void Format(HeaderBytes& out, int rate, int channels) {
  const auto block = static_cast<uint32_t>(2 * channels);
  out.Tag("fmt ");
  out.Le32(16);  // format chunk size
  out.Le16(1);   // WAVE_FORMAT_PCM
  out.Le16(static_cast<uint32_t>(channels));
  out.Le32(static_cast<uint32_t>(rate));
  out.Le32(static_cast<uint32_t>(rate) * block);  // bytes per second
  out.Le16(block);                                // bytes per frame
  out.Le16(16);                                   // bits per sample
}

}  // namespace

std::vector<uint8_t> StreamWavHeader(int rate, int channels) {
  HeaderBytes out;
  out.Tag("RIFF");
  out.Le32(kStreamDataBytes + 36);
  out.Tag("WAVE");
  Format(out, rate, channels);
  out.Tag("data");
  out.Le32(kStreamDataBytes);
  return out.Take();
}

WavWriter::WavWriter(WavSink& sink, std::filesystem::path name, int rate, int channels,
                     std::optional<uint64_t> max_samples)
    : sink_(sink),
      name_(std::move(name)),
      rate_(rate),
      channels_(channels),
      reserve_(!max_samples || *max_samples > kWavMaxDataBytes / 2),
      max_data_bytes_(reserve_ ? UINT64_MAX : kWavMaxDataBytes) {
  Put(Header(false));
}

std::vector<uint8_t> WavWriter::Header(bool rf64) const {
  const uint64_t header_bytes = reserve_ ? kReservingHeaderBytes : kPlainHeaderBytes;
  const uint64_t riff_bytes = header_bytes - 8 + data_bytes_;
  HeaderBytes out;
  out.Tag(rf64 ? "RF64" : "RIFF");
  out.Le32(rf64 ? kUnknownSize : static_cast<uint32_t>(riff_bytes));
  out.Tag("WAVE");
  if (reserve_) {
    out.Tag(rf64 ? "ds64" : "JUNK");
    out.Le32(kDs64Bytes);
    if (rf64) {
      out.Le64(riff_bytes);
      out.Le64(data_bytes_);
      out.Le64(data_bytes_ / static_cast<uint64_t>(2 * channels_));
      out.Le32(0);  // no table of other chunk sizes
    } else {
      out.Zeros(kDs64Bytes);
    }
  }
  Format(out, rate_, channels_);
  out.Tag("data");
  out.Le32(rf64 ? kUnknownSize : static_cast<uint32_t>(data_bytes_));
  return out.Take();
}

void WavWriter::Put(std::span<const uint8_t> bytes) {
  if (sink_.Write(bytes.data(), static_cast<int64_t>(bytes.size())) !=
      static_cast<int64_t>(bytes.size())) {
    throw FileError(kExitOutput, "cannot write", name_, std::strerror(sink_.error()));
  }
}

void WavWriter::Write(std::span<const int16_t> samples) {
  if (samples.size() * 2 > max_data_bytes_ - data_bytes_) {
    throw FileError(kExitOutput, "cannot write", name_,
                    "more audio than the WAV header can describe");
  }
  StoreSamples(samples, Endian::kLittle, bytes_);
  Put(bytes_);
  data_bytes_ += bytes_.size();
}

void WavWriter::Close() {
  const bool rf64 = data_bytes_ > kWavMaxDataBytes - (reserve_ ? 8 + kDs64Bytes : 0);
  if (sink_.Seek(0, SEEK_SET) != 0) {
    throw FileError(kExitOutput, "cannot write", name_, std::strerror(sink_.error()));
  }
  Put(Header(rf64));
}

}  // namespace g722kit::tool
