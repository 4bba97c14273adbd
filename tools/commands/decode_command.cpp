// g722kit decode IN OUT: G.722 codes, raw or in a WAV or AU container, to a WAV file, to raw
// samples for a .raw or .pcm name, or to another format libsndfile writes.
#include <vector>

#include "coding/alignment.h"
#include "coding/band_guess.h"
#include "coding/code_stream.h"
#include "coding/codec_settings.h"
#include "coding/lossy_decoder.h"
#include "commands/capture_commands.h"
#include "commands/commands.h"
#include "commands/library_call.h"
#include "formats/not_codes.h"
#include "formats/output_names.h"
#include "formats/wav_writer.h"
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

// The codes to decode, and how.
struct Codes {
  ContainerLayout layout;
  CodecSettings codec;
  std::optional<BandEvidence> evidence;  // raw codes: what the look at them found
  std::string guess;                     // how the band was told, when it was
};

// A container's header gives the configuration; options that contradict it are refused.
Codes ContainerCodes(const ConversionArguments& args, ContainerLayout layout) {
  if (const std::optional<std::string> conflict =
          ContainerConflict(WithBand(args.codec, args.band))) {
    throw FileError(kExitUsage, "cannot decode", args.input,
                    *conflict + " contradicts its " + ContainerTitle(layout.container) +
                        " header, which says 64000 bit/s two-band codes");
  }
  for (const std::string& warning : layout.warnings)
    Warn(warning);
  return {std::move(layout), ContainerCodec(), std::nullopt, ""};
}

// Raw codes: the band is -w's or -n's, or else the one the codes show. A file is looked at up
// to the first code that shows two-band codes (to its end for lower-band-only ones), a stream
// only as far as it can go back.
Codes RawCodes(const ConversionArguments& args, InputFile& input) {
  const BandEvidence evidence =
      LookAtCodes(input, args.codec, input.size() ? UINT64_MAX : kStreamStartBytes);
  const CodecSettings codec =
      WithBand(args.codec, args.band == Band::kUnset ? BandShown(evidence) : args.band);
  std::string guess;
  if (args.band == Band::kUnset && evidence.bytes > 0) {
    guess = "  " + BandFinding(evidence) + (codec.wideband ? "" : "; -w decodes them as two-band") +
            "\n";
  }
  return {{Container::kRaw, 0, input.size(), 1, {}}, codec, evidence, guess};
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
  uint64_t samples = 0;  // of all channels
  bool varies = false;   // the upper band of the codes varied
};

// Decodes the codes into writer, losing the packets loss loses if there is one, and watches
// their upper band when the look at them could not.
Decoded DecodeCodes(InputFile& input, PcmWriter& writer, const Codes& codes, bool align,
                    LossPattern* loss) {
  const ContainerLayout& layout = codes.layout;
  if (!input.Seek(layout.code_offset)) throw FileErrno(kExitInput, "cannot read", input.name());
  InterleavedDecoder decoder = loss ? LossyDecoder(codes.codec, layout.channels, *loss)
                                    : InterleavedDecoder(codes.codec, layout.channels);
  DelayTrimmer trimmer(codes.codec, align, layout.channels);
  std::optional<UpperBandScan> watch;
  if (codes.evidence && !codes.evidence->whole) watch.emplace(codes.codec);
  const uint64_t limit = layout.code_bytes.value_or(UINT64_MAX);
  Progress progress("decoding", layout.code_bytes.value_or(0));
  std::vector<uint8_t> chunk(kChunkBytes);
  std::vector<int16_t> pcm;
  Decoded decoded;
  const auto write = [&] {
    trimmer.Trim(pcm);
    writer.Write(pcm);
    decoded.samples += pcm.size();
  };
  while (const size_t count = input.Read(std::span(chunk).first(
             static_cast<size_t>(std::min<uint64_t>(chunk.size(), limit - decoded.code_bytes))))) {
    decoder.Decode(std::span(chunk).first(count), pcm);
    if (watch) watch->Add(std::span(chunk).first(count));
    write();
    decoded.code_bytes += count;
    progress.Update(decoded.code_bytes);
  }
  if (layout.code_bytes && decoded.code_bytes < *layout.code_bytes) {
    Warn("'" + input.name().string() + "' ends after " + Counted(decoded.code_bytes, "byte") +
         " of the " + Counted(*layout.code_bytes, "byte") + " its header announces");
  }
  if (decoder.held() > 0) {
    Warn("'" + input.name().string() + "' ends within a frame: its last " +
         Counted(decoder.held(), "byte") + " of codes, short of a code for every channel, " +
         "are left out");
  }
  decoder.Finish(pcm);
  write();
  writer.Close();
  decoded.varies = watch && watch->varies();
  return decoded;
}

// Warns of what the decoded file cannot show: that there were no codes, or that the codes
// contradict the band they were decoded in.
void WarnAboutResult(const ConversionArguments& args, const Codes& codes, const Decoded& decoded) {
  if (decoded.code_bytes == 0) {
    Warn("'" + args.input.string() + "' holds no codes; '" + args.output.string() +
         "' holds no audio");
    return;
  }
  if (!codes.evidence) return;
  const bool varies = codes.evidence->varies || decoded.varies;
  if (varies != codes.codec.wideband) {
    Warn(BandConflict(args.input, varies, args.band != Band::kUnset, *codes.evidence));
  }
}

}  // namespace

void Decode(const ConversionArguments& args) {
  CheckCodecSettings(args.codec);
  if (args.loss && args.codec.packed) {
    throw ToolError(kExitUsage,
                    "--simulate-loss needs codes of one byte each, as packets carry them; packed "
                    "codes (--packed) cannot be cut into packets");
  }
  if (args.raw.endian && !IsRawPcmName(args.output)) {
    throw FileError(kExitUsage, "--endian is for headerless PCM, not", args.output,
                    "a WAV file is little-endian; name a .raw or .pcm output");
  }
  const PcmFileFormat format =
      DecodedFormat(args.output, args.raw.endian.value_or(Endian::kLittle));
  InputFile input(args.input);
  if (IsCapture(input)) {
    if (args.loss) {
      throw FileError(kExitUsage, "cannot decode", args.input,
                      "--simulate-loss is for G.722 codes; a capture's packets are lost or "
                      "not as it shows them");
    }
    return DecodeCapture(args, input, format);
  }
  RefuseCaptureOptions(args.capture, "cannot decode", args.input);
  std::optional<ContainerLayout> container = ReadContainerFile(input);
  if (!container) RefuseNonCodes(input);
  const Codes codes =
      container ? ContainerCodes(args, std::move(*container)) : RawCodes(args, input);
  const CodecSettings& codec = codes.codec;
  const int channels = codes.layout.channels;
  OutputFile output(args.output);
  CheckDistinct(input.id(), output);
  std::optional<uint64_t> max_samples;
  if (input.size()) max_samples = MaxSamples(CodeBytesIn(codes.layout, *input.size()), codec);
  std::optional<LossPattern> loss;
  if (args.loss) loss.emplace(*args.loss);
  Decoded decoded;
  if (codec.IsLibraryDefault() && !container && !loss && format.kind == PcmFileFormat::Kind::kWav &&
      LibraryCanReach(input, output) && *max_samples * 2 <= kWavMaxDataBytes) {
    decoded = {*input.size(), *input.size(), codes.evidence->varies};
    RunFileOperation(G722Decode, "decoding", input, output, 44 + 2 * decoded.samples);
  } else {
    const auto writer = OpenPcmWriter(output, {format, codec.PcmRate(), channels}, max_samples);
    decoded = DecodeCodes(input, *writer, codes, args.align, loss ? &*loss : nullptr);
  }
  output.Commit();
  WarnAboutResult(args, codes, decoded);
  const std::string in =
      Counted(decoded.code_bytes, "byte") +
      (container ? std::string(" of codes in ") + ContainerTitle(codes.layout.container)
                 : std::string());
  const std::string stereo = channels > 1 ? ", " + Counted(channels, "channel") : "";
  const std::string dropped = loss ? "  " + loss->Summary() + "\n" : "";
  PrintSummary(output.IsStdout(), "%s (%s) -> %s: %.2f s at %d Hz%s, %s\n%s%s", args.input.c_str(),
               in.c_str(), args.output.c_str(),
               static_cast<double>(decoded.samples) / channels / codec.PcmRate(), codec.PcmRate(),
               stereo.c_str(), codec.Description().c_str(), codes.guess.c_str(), dropped.c_str());
}

}  // namespace g722kit::tool
