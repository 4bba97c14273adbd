// The codec configuration chosen on the command line: --bitrate, --wideband or --narrowband,
// --packed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace g722kit::tool {

// The PCM side the command line asks for: -w, -n, or neither (the command's default).
enum class Band { kUnset, kWide, kNarrow };

struct CodecSettings {
  int32_t bitrate = 64000;
  bool wideband = true;  // 16 kHz two-band PCM; otherwise 8 kHz, lower band only
  bool packed = false;   // 7- or 6-bit codes packed into a bit stream

  // The option bits of G722EncoderInit and G722DecoderInit.
  int32_t Options() const;
  // Samples per second on the PCM side.
  int PcmRate() const;
  // The configuration of G722Encode and G722Decode, which the library's file operations run.
  bool IsLibraryDefault() const;
  // For file names: "64k-8khz", "48k-16khz-packed".
  std::string Slug() const;
  // For people: "64000 bit/s, 8 kHz".
  std::string Description() const;
};

// settings with the PCM side band asks for, two-band when it asks for none.
CodecSettings WithBand(CodecSettings settings, Band band);

// Throws a usage ToolError for a combination the codec cannot honour (--packed at 64000 bit/s,
// where every code fills a whole byte).
void CheckCodecSettings(const CodecSettings& settings);

// Every configuration: three bit rates, 8 kHz and wideband, unpacked and (below 64000) packed.
std::vector<CodecSettings> AllCodecSettings();

}  // namespace g722kit::tool
