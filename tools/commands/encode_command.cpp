// g722kit encode IN OUT: audio to G.722 codes, raw or in a WAV or AU container.
#include <cstdio>
#include <vector>

#include "coding/alignment.h"
#include "coding/code_stream.h"
#include "coding/codec_settings.h"
#include "commands/capture_commands.h"
#include "commands/commands.h"
#include "commands/library_call.h"
#include "formats/capture/rtp_capture_writer.h"
#include "formats/code_writer.h"
#include "formats/output_names.h"
#include "g722kit/g722kit.h"
#include "io/audio_input.h"
#include "io/input_file.h"
#include "messages/progress.h"
#include "messages/report.h"
#include "messages/tool_error.h"
#include "messages/wording.h"

namespace g722kit::tool {

namespace {

// The configuration to code with: two-band unless -n asks otherwise. A container holds
// 64000 bit/s two-band codes, and refuses options that ask for anything else.
CodecSettings ChooseCodec(const ConversionArguments& args, Container container) {
  const CodecSettings codec = WithBand(args.codec, args.band);
  if (container == Container::kRaw) return codec;
  if (const std::optional<std::string> conflict = ContainerConflict(codec)) {
    const std::string holder =
        container == Container::kPcap
            ? "G.722 over RTP, which carries"
            : "a G.722 " + std::string(ContainerTitle(container)) + " file, which holds";
    throw FileError(kExitUsage, "cannot write", args.output,
                    *conflict + " does not fit " + holder +
                        " 64000 bit/s two-band codes only; write a .g722 file, or give "
                        "--container raw");
  }
  return ContainerCodec();
}

// Decodes, downmixes and resamples the input as needed and encodes it sample by sample.
void EncodeAudio(AudioReader& reader, CodeSink& writer, const CodecSettings& codec, bool align) {
  StreamEncoder encoder(codec);
  Progress progress("encoding", static_cast<uint64_t>(reader.format().frames));
  std::vector<uint8_t> codes;
  const PcmTarget target{codec.PcmRate(), [&](std::span<const int16_t> pcm, int64_t frames_read) {
                           encoder.Encode(pcm, codes);
                           writer.Write(codes);
                           progress.Update(static_cast<uint64_t>(frames_read));
                         }};
  reader.Read(std::span(&target, 1));
  encoder.Encode(AlignmentTail(codec, align), codes);
  writer.Write(codes);
  encoder.Finish(codes);
  writer.Write(codes);
  writer.Close();
}

// The writer of a container: codes in a file, or RTP packets in a capture.
std::unique_ptr<CodeSink> OpenCodeSink(const OutputFile& output, Container container,
                                       const CaptureOptions& capture) {
  if (container == Container::kPcap) return std::make_unique<RtpCaptureWriter>(output, capture);
  return std::make_unique<CodeWriter>(output, container);
}

// A truncated input is coded as far as it goes, and said so.
void WarnIfTruncated(const InputFile& input, const AudioReader& reader) {
  const int64_t missing = reader.MissingFrames();
  if (missing == 0) return;
  const int64_t read = reader.frames_read();
  char text[160];
  std::snprintf(text, sizeof text,
                "premature end of file: %lld of %lld samples; encoded the %.2f s it holds",
                static_cast<long long>(read), static_cast<long long>(read + missing),
                static_cast<double>(read) / reader.format().rate);
  Warn("'" + input.name().string() + "': " + text);
}

}  // namespace

void Encode(const ConversionArguments& args) {
  CheckCodecSettings(args.codec);
  const Container container = EncodedContainer(args.output, args.container);
  if (container != Container::kPcap)
    RefuseCaptureOptions(args.capture, "cannot write", args.output);
  const CodecSettings codec = ChooseCodec(args, container);
  InputFile input(args.input);
  const std::optional<RawPcm> raw = RawFormatOf(input, args.raw);
  AudioReader reader(input, raw);
  OutputFile output(args.output);
  CheckDistinct(input.id(), output);
  uint64_t written;
  std::string details;
  AudioFormat format = reader.format();
  if (raw == RawPcm{} && codec.IsLibraryDefault() && container == Container::kRaw &&
      LibraryCanReach(input, output)) {
    written = *input.size() / 2;
    RunFileOperation(G722Encode, "encoding", input, output, written);
  } else {
    const std::unique_ptr<CodeSink> writer = OpenCodeSink(output, container, args.capture);
    EncodeAudio(reader, *writer, codec, args.align);
    written = writer->code_bytes();
    details = writer->Details();
    format.frames = reader.frames_read();
  }
  output.Commit();
  WarnIfTruncated(input, reader);
  if (format.frames == 0) {
    Warn("'" + args.input.string() + "' holds no audio; '" + args.output.string() +
         "' holds no codes");
  }
  const std::string in =
      container == Container::kRaw ? "" : std::string(" in ") + ContainerTitle(container);
  if (!details.empty()) details = "; " + details;
  PrintSummary(output.IsStdout(), "%s (%s) -> %s: %s of codes%s, %s%s\n", args.input.c_str(),
               format.Summary().c_str(), args.output.c_str(), Counted(written, "byte").c_str(),
               in.c_str(), codec.Description().c_str(), details.c_str());
}

}  // namespace g722kit::tool
