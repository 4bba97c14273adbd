// g722kit info FILE: what a file is - an audio file's fields, a G.722 WAV or AU file's codes, or
// what a code file's size means.
#include <cstdio>
#include <vector>

#include "coding/band_guess.h"
#include "commands/capture_commands.h"
#include "commands/commands.h"
#include "formats/g722_container.h"
#include "io/audio_input.h"
#include "io/input_file.h"
#include "messages/report.h"
#include "messages/tool_error.h"
#include "messages/wording.h"

namespace g722kit::tool {

namespace fs = std::filesystem;

namespace {

void PrintAudio(const fs::path& file, const AudioFormat& format) {
  std::printf("%s: %s\n", file.c_str(), format.name.c_str());
  std::printf("  sample rate  %d Hz\n", format.rate);
  std::printf("  channels     %d\n", format.channels);
  std::printf("  frames       %lld\n", static_cast<long long>(format.frames));
  std::printf("  duration     %.3f s\n", format.Seconds());
}

void PrintContainer(const fs::path& file, const ContainerLayout& layout, uint64_t bytes) {
  for (const std::string& warning : layout.warnings)
    Warn(warning);
  const uint64_t codes = CodeBytesIn(layout, bytes);
  const auto per_channel = codes / static_cast<uint64_t>(layout.channels);
  const CodecSettings codec = ContainerCodec();
  std::printf("%s: G.722 in %s, %s\n", file.c_str(), ContainerTitle(layout.container),
              codec.Description().c_str());
  std::printf("  sample rate  %d Hz\n", codec.PcmRate());
  std::printf("  channels     %d\n", layout.channels);
  std::printf("  codes        %s\n", Counted(codes, "byte").c_str());
  std::printf("  frames       %llu\n", static_cast<unsigned long long>(per_channel * 2));
  std::printf("  duration     %.3f s\n", static_cast<double>(per_channel) / 8000);
  if (layout.code_bytes && codes < *layout.code_bytes) {
    std::printf("  the header announces %s of codes: the file is cut short\n",
                Counted(*layout.code_bytes, "byte").c_str());
  }
}

// The length of a stream, which only reading it to its end tells.
uint64_t ReadToEnd(InputFile& input) {
  std::vector<uint8_t> chunk(65536);
  uint64_t bytes = 0;
  while (const size_t count = input.Read(chunk))
    bytes += count;
  return bytes;
}

// bytes: the file's length; evidence: what its start shows of the band.
void PrintCodes(const fs::path& file, uint64_t bytes, const BandEvidence& evidence) {
  std::printf("%s: %s, not an audio file; as G.722 codes (8000 codes per second):\n", file.c_str(),
              Counted(bytes, "byte").c_str());
  struct Packing {
    const char* name;
    int bits;
  };
  for (const Packing& packing :
       {Packing{"one code per byte, any bit rate", 8}, Packing{"packed at 56000 bit/s", 7},
        Packing{"packed at 48000 bit/s", 6}}) {
    const uint64_t codes = bytes * 8 / static_cast<uint64_t>(packing.bits);
    std::printf("  %-32s %10llu codes  %9.3f s\n", packing.name,
                static_cast<unsigned long long>(codes), static_cast<double>(codes) / 8000);
  }
  std::printf(
      "  each code gives two samples at 16000 Hz, or one at 8000 Hz in the lower band alone\n");
  if (bytes > 0) {
    std::printf("  at 64000 bit/s, decode takes them for %s\n", BandFinding(evidence).c_str());
  }
}

}  // namespace

void Info(const fs::path& file, const RawOptions& raw, const CaptureOptions& capture) {
  InputFile input(file);
  if (IsCapture(input)) return InfoCapture(input, capture);
  RefuseCaptureOptions(capture, "cannot describe", file);
  const std::optional<RawPcm> raw_format = RawFormatOf(input, raw);
  if (const std::optional<ContainerLayout> layout =
          raw_format ? std::nullopt : ReadContainerFile(input)) {
    return PrintContainer(file, *layout, input.size() ? *input.size() : ReadToEnd(input));
  }
  std::optional<AudioFormat> format;
  try {
    AudioReader reader(input, raw_format);
    format = reader.format();
    if (!input.size()) {  // a stream tells its length by being read
      reader.Read({});
      format->frames = reader.frames_read();
    }
  } catch (const ToolError& error) {
    if (error.code() != kExitFormat || !input.Seek(0)) throw;
  }
  if (format) return PrintAudio(file, *format);
  // Sizes come from the file system; the band from the start of the codes, as decode guesses it.
  const BandEvidence evidence = LookAtCodes(input, CodecSettings{}, kStreamStartBytes);
  PrintCodes(file, input.size() ? *input.size() : ReadToEnd(input), evidence);
}

}  // namespace g722kit::tool
