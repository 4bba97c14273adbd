// g722kit decode IN OUT: G.722 codes, raw or in a WAV or AU container, to a WAV file, or to
// raw samples for a .raw or .pcm name.
#include <vector>

#include "coding/alignment.h"
#include "coding/code_stream.h"
#include "coding/codec_settings.h"
#include "commands/capture_commands.h"
#include "commands/commands.h"
#include "commands/library_call.h"
#include "formats/not_codes.h"
#include "formats/writers.h"
#include "g722kit/g722kit.h"
#include "io/input_file.h"
#include "messages/progress.h"
#include "messages/report.h"
#include "messages/tool_error.h"
#include "messages/wording.h"

namespace g722kit::tool {

namespace {

constexpr size_t kChunkBytes = 65536;

// Audio files and text given as codes would decode to noise: the user meant something else.
void RefuseNonCodes(InputFile& input) {
  if (const std::optional<std::string> audio = KnownAudioFile(input)) {
    throw FileError(kExitFormat, "cannot decode", input.name(),
                    "it is " + *audio + ", not G.722 codes; did you mean encode?");
  }
  if (IsTextFile(input)) {
    throw FileError(kExitFormat, "cannot decode", input.name(), "it is text, not G.722 codes");
  }
}

// The configuration a container's header gives, refusing options that contradict it.
CodecSettings HeaderCodec(const ConversionArguments& args, Container container) {
  if (const std::optional<std::string> conflict = ContainerConflict(args.codec)) {
    throw FileError(kExitUsage, "cannot decode", args.input,
                    *conflict + " contradicts its " + ContainerTitle(container) +
                        " header, which says 64000 bit/s two-band codes");
  }
  return ContainerCodec();
}

// At most how many samples bytes of codes decode to: a packed stream may end with one code
// more than its whole codes.
uint64_t MaxSamples(uint64_t bytes, const CodecSettings& codec) {
  const uint64_t bits_per_code = static_cast<uint64_t>(codec.bitrate) / 8000;
  const uint64_t codes = codec.packed ? bytes * 8 / bits_per_code + 1 : bytes;
  return codes * (codec.wideband ? 2 : 1);
}

struct Decoded {
  uint64_t code_bytes = 0;
  uint64_t samples = 0;
};

// Decodes the codes that layout locates with the given configuration into writer.
Decoded DecodeCodes(InputFile& input, PcmWriter& writer, const CodecSettings& codec,
                    const ContainerLayout& layout, bool align) {
  if (!input.Seek(layout.code_offset)) throw FileErrno(kExitInput, "cannot read", input.name());
  StreamDecoder decoder(codec);
  DelayTrimmer trimmer(codec, align);
  const uint64_t limit = layout.code_bytes.value_or(UINT64_MAX);
  Progress progress("decoding", layout.code_bytes.value_or(0));
  std::vector<uint8_t> codes(kChunkBytes);
  std::vector<int16_t> pcm;
  Decoded decoded;
  const auto write = [&] {
    trimmer.Trim(pcm);
    writer.Write(pcm);
    decoded.samples += pcm.size();
  };
  while (const size_t count = input.Read(std::span(codes).first(
             static_cast<size_t>(std::min<uint64_t>(codes.size(), limit - decoded.code_bytes))))) {
    decoder.Decode(std::span(codes).first(count), pcm);
    write();
    decoded.code_bytes += count;
    progress.Update(decoded.code_bytes);
  }
  if (layout.code_bytes && decoded.code_bytes < *layout.code_bytes) {
    Warn("'" + input.name().string() + "' ends after " + Counted(decoded.code_bytes, "byte") +
         " of the " + Counted(*layout.code_bytes, "byte") + " its header announces");
  }
  decoder.Finish(pcm);
  write();
  writer.Close();
  return decoded;
}

}  // namespace

void Decode(const ConversionArguments& args) {
  CheckCodecSettings(args.codec);
  if (args.raw.endian && !IsRawPcmName(args.output)) {
    throw FileError(kExitUsage, "--endian is for headerless PCM, not", args.output,
                    "a WAV file is little-endian; name a .raw or .pcm output");
  }
  InputFile input(args.input);
  if (IsCapture(input)) return DecodeCapture(args, input);
  const std::optional<ContainerLayout> container = ReadContainerFile(input);
  if (!container) RefuseNonCodes(input);
  const ContainerLayout layout =
      container.value_or(ContainerLayout{Container::kRaw, 0, input.size()});
  const CodecSettings codec = container ? HeaderCodec(args, layout.container) : args.codec;
  const PcmLayout pcm_layout{IsRawPcmName(args.output), args.raw.endian.value_or(Endian::kLittle)};
  OutputFile output(args.output);
  CheckDistinct(input.id(), output);
  std::optional<uint64_t> max_samples;
  if (input.size()) max_samples = MaxSamples(CodeBytesIn(layout, *input.size()), codec);
  Decoded decoded;
  if (codec.IsLibraryDefault() && !container && !pcm_layout.raw && LibraryCanReach(input, output) &&
      *max_samples * 2 <= kWavMaxDataBytes) {
    decoded = {*input.size(), *input.size()};
    RunFileOperation(G722Decode, "decoding", input, output, 44 + 2 * decoded.samples);
  } else {
    const auto writer = OpenPcmWriter(output, codec.PcmRate(), pcm_layout, max_samples);
    decoded = DecodeCodes(input, *writer, codec, layout, args.align);
  }
  output.Commit();
  const std::string in =
      Counted(decoded.code_bytes, "byte") +
      (container ? std::string(" of codes in ") + ContainerTitle(layout.container) : std::string());
  PrintSummary(output.IsStdout(), "%s (%s) -> %s: %.2f s at %d Hz, %s\n", args.input.c_str(),
               in.c_str(), args.output.c_str(),
               static_cast<double>(decoded.samples) / codec.PcmRate(), codec.PcmRate(),
               codec.Description().c_str());
}

}  // namespace g722kit::tool
