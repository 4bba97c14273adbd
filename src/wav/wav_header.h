// The 44-byte RIFF/WAVE header of every WAV file the library writes: 16-bit mono PCM at 8000
// samples per second.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

namespace g722kit {

// Size of the header on disk; the sample bytes follow it directly.
inline constexpr int64_t kWavHeaderBytes = 44;

// Largest number of sample bytes whose sizes fit the header's 32-bit fields.
inline constexpr int64_t kWavMaxDataBytes = 0xFFFFFFFFll - 36;

// The header's fields, in file order.
struct WavHeader {
  char riff_id[4];
  uint32_t riff_size;
  char wave_id[4];
  char fmt_id[4];
  uint32_t fmt_size;
  uint16_t format_tag;
  uint16_t channels;
  uint32_t sample_rate;
  uint32_t byte_rate;
  uint16_t block_align;
  uint16_t bits_per_sample;
  char data_id[4];
  uint32_t data_size;
};

// Sets every field: the two sizes as given, the rest to the constants of the format.
void WavHeaderFill(WavHeader& header, uint32_t riff_size, uint32_t data_size);

// Whether a number of sample bytes can be described by the header's 32-bit sizes.
constexpr bool WavDataFits(int64_t data_bytes) {
  return data_bytes >= 0 && data_bytes <= kWavMaxDataBytes;
}

// Sets the sizes for a given number of sample bytes; false, leaving the header as it was,
// when they do not fit.
bool WavHeaderFillForData(WavHeader& header, int64_t data_bytes);

// The header as it is stored: little-endian, no padding.
std::array<uint8_t, kWavHeaderBytes> WavHeaderBytes(const WavHeader& header);

// Writes the 44 bytes at the stream's current position; false when fewer were stored.
bool WavHeaderWrite(const WavHeader& header, std::FILE* file);

}  // namespace g722kit
