// g722kit encode IN OUT: audio to G.722 codes, raw or in a WAV or AU container.
#include <cstdio>
#include <vector>

#include "alignment.h"
#include "audio_input.h"
#include "code_stream.h"
#include "code_writer.h"
#include "codec_settings.h"
#include "commands.h"
#include "g722kit/g722kit.h"
#include "input_file.h"
#include "library_call.h"
#include "progress.h"
#include "tool_error.h"
#include "wording.h"

namespace g722kit::tool {

namespace fs = std::filesystem;

namespace {

// The configuration to code with: a container holds two-band codes, and refuses options that
// ask for anything else.
CodecSettings ChooseCodec(const ConversionArguments& args, Container container) {
  if (container == Container::kRaw) return args.codec;
  if (const std::optional<std::string> conflict = ContainerConflict(args.codec)) {
    throw FileError(kExitUsage, "cannot write", args.output,
                    *conflict + " does not fit a G.722 " + ContainerTitle(container) +
                        " file, which holds 64000 bit/s two-band codes only; write a .g722 "
                        "file, or give --container raw");
  }
  return ContainerCodec();
}

// Decodes, downmixes and resamples the input as needed and encodes it sample by sample.
uint64_t EncodeAudio(const ConversionArguments& args, const CodecSettings& codec,
                     Container container, bool raw, const AudioFormat& format) {
  OutputFile output(args.output);
  CodeWriter writer(output, container);
  StreamEncoder encoder(codec);
  Progress progress("encoding", static_cast<uint64_t>(format.frames));
  std::vector<uint8_t> codes;
  ReadPcm(args.input, raw, codec.PcmRate(), [&](std::span<const int16_t> pcm, int64_t frames_read) {
    encoder.Encode(pcm, codes);
    writer.Write(codes);
    progress.Update(static_cast<uint64_t>(frames_read));
  });
  encoder.Encode(AlignmentTail(codec, args.align), codes);
  writer.Write(codes);
  encoder.Finish(codes);
  writer.Write(codes);
  writer.Close();
  output.Commit();
  return writer.code_bytes();
}

}  // namespace

void Encode(const ConversionArguments& args) {
  CheckCodecSettings(args.codec);
  const Container container = ContainerFor(args.output, args.container);
  const CodecSettings codec = ChooseCodec(args, container);
  const uint64_t input_bytes = CheckReadable(args.input);
  CheckDistinct(args.input, args.output);
  const bool raw = IsRawPcmName(args.input);
  const AudioFormat format = ReadAudioFormat(args.input, raw);
  uint64_t written;
  if (raw && codec.IsLibraryDefault() && container == Container::kRaw) {
    RunFileOperation(G722Encode, "encoding", args.input, args.output, input_bytes / 2);
    written = input_bytes / 2;
  } else {
    written = EncodeAudio(args, codec, container, raw, format);
  }
  const std::string in =
      container == Container::kRaw ? "" : std::string(" in ") + ContainerTitle(container);
  std::printf("%s (%s) -> %s: %s of codes%s, %s\n", args.input.c_str(), format.Summary().c_str(),
              args.output.c_str(), Counted(written, "byte").c_str(), in.c_str(),
              codec.Description().c_str());
}

}  // namespace g722kit::tool
