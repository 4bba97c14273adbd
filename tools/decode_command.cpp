// g722kit decode IN OUT: G.722 codes to a WAV file, or to raw samples for a .raw or .pcm name.
#include <vector>

#include "code_stream.h"
#include "codec_settings.h"
#include "commands.h"
#include "g722kit/g722kit.h"
#include "input_file.h"
#include "library_call.h"
#include "not_codes.h"
#include "progress.h"
#include "report.h"
#include "tool_error.h"
#include "writers.h"

namespace g722kit::tool {

namespace {

constexpr size_t kChunkBytes = 65536;

// At most how many samples bytes of codes decode to: a packed stream may end with one code
// more than its whole codes.
uint64_t MaxSamples(uint64_t bytes, const CodecSettings& codec) {
  const uint64_t bits_per_code = static_cast<uint64_t>(codec.bitrate) / 8000;
  const uint64_t codes = codec.packed ? bytes * 8 / bits_per_code + 1 : bytes;
  return codes * (codec.wideband ? 2 : 1);
}

// Decodes with the chosen configuration into writer.
uint64_t DecodeCodes(InputFile& input, PcmWriter& writer, const CodecSettings& codec) {
  StreamDecoder decoder(codec);
  Progress progress("decoding", input.size().value_or(0));
  std::vector<uint8_t> codes(kChunkBytes);
  std::vector<int16_t> pcm;
  uint64_t samples = 0;
  const auto write = [&] {
    writer.Write(pcm);
    samples += pcm.size();
  };
  while (const size_t count = input.Read(codes)) {
    decoder.Decode(std::span(codes).first(count), pcm);
    write();
    progress.Update(input.position());
  }
  decoder.Finish(pcm);
  write();
  writer.Close();
  return samples;
}

}  // namespace

void Decode(const ConversionArguments& args) {
  CheckCodecSettings(args.codec);
  InputFile input(args.input);
  if (const std::optional<std::string> audio = KnownAudioFile(input)) {
    throw FileError(kExitFormat, "cannot decode", input.name(),
                    "it is " + *audio + ", not G.722 codes; did you mean encode?");
  }
  if (IsTextFile(input)) {
    throw FileError(kExitFormat, "cannot decode", input.name(), "it is text, not G.722 codes");
  }
  const PcmLayout layout{IsRawPcmName(args.output), args.raw.endian.value_or(Endian::kLittle)};
  OutputFile output(args.output);
  CheckDistinct(input.id(), output);
  const std::optional<uint64_t> max_samples =
      input.size() ? std::optional(MaxSamples(*input.size(), args.codec)) : std::nullopt;
  uint64_t samples;
  if (args.codec.IsLibraryDefault() && !layout.raw && LibraryCanReach(input, output) &&
      *max_samples * 2 <= kWavMaxDataBytes) {
    samples = *input.size();
    RunFileOperation(G722Decode, "decoding", input, output, 44 + 2 * samples);
  } else {
    const auto writer = OpenPcmWriter(output, args.codec.PcmRate(), layout, max_samples);
    samples = DecodeCodes(input, *writer, args.codec);
  }
  output.Commit();
  PrintSummary(output.IsStdout(), "%s (%llu bytes) -> %s: %.2f s at %d Hz, %s\n",
               args.input.c_str(),
               static_cast<unsigned long long>(input.size().value_or(input.position())),
               args.output.c_str(), static_cast<double>(samples) / args.codec.PcmRate(),
               args.codec.PcmRate(), args.codec.Description().c_str());
}

}  // namespace g722kit::tool
