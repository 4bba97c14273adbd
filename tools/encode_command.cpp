// g722kit encode IN OUT: audio to G.722 codes.
#include <vector>

#include "audio_input.h"
#include "code_stream.h"
#include "codec_settings.h"
#include "commands.h"
#include "g722kit/g722kit.h"
#include "input_file.h"
#include "library_call.h"
#include "progress.h"
#include "report.h"
#include "writers.h"

namespace g722kit::tool {

namespace {

// Decodes, downmixes and resamples the input as needed and encodes it sample by sample.
uint64_t EncodeAudio(AudioReader& reader, const OutputFile& output, const CodecSettings& codec) {
  ByteWriter writer(output);
  StreamEncoder encoder(codec);
  Progress progress("encoding", static_cast<uint64_t>(reader.format().frames));
  std::vector<uint8_t> codes;
  uint64_t written = 0;
  const auto write = [&] {
    writer.Write(codes);
    written += codes.size();
  };
  const PcmTarget target{codec.PcmRate(), [&](std::span<const int16_t> pcm, int64_t frames_read) {
                           encoder.Encode(pcm, codes);
                           write();
                           progress.Update(static_cast<uint64_t>(frames_read));
                         }};
  reader.Read(std::span(&target, 1));
  encoder.Finish(codes);
  write();
  return written;
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
  InputFile input(args.input);
  const std::optional<RawPcm> raw = RawFormatOf(input, args.raw);
  AudioReader reader(input, raw);
  OutputFile output(args.output);
  CheckDistinct(input.id(), output);
  uint64_t written;
  AudioFormat format = reader.format();
  if (raw == RawPcm{} && args.codec.IsLibraryDefault() && LibraryCanReach(input, output)) {
    written = *input.size() / 2;
    RunFileOperation(G722Encode, "encoding", input, output, written);
  } else {
    written = EncodeAudio(reader, output, args.codec);
    format.frames = reader.frames_read();
  }
  output.Commit();
  WarnIfTruncated(input, reader);
  PrintSummary(output.IsStdout(), "%s (%s) -> %s: %llu bytes of codes, %s\n", args.input.c_str(),
               format.Summary().c_str(), args.output.c_str(),
               static_cast<unsigned long long>(written), args.codec.Description().c_str());
}

}  // namespace g722kit::tool
