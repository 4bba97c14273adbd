// g722kit encode IN OUT: audio to G.722 codes.
#include <cstdio>
#include <vector>

#include "audio_input.h"
#include "code_stream.h"
#include "codec_settings.h"
#include "commands.h"
#include "g722kit/g722kit.h"
#include "input_file.h"
#include "library_call.h"
#include "progress.h"
#include "writers.h"

namespace g722kit::tool {

namespace fs = std::filesystem;

namespace {

// Decodes, downmixes and resamples the input as needed and encodes it sample by sample.
uint64_t EncodeAudio(const ConversionArguments& args, bool raw, const AudioFormat& format) {
  OutputFile output(args.output);
  ByteWriter writer(output);
  StreamEncoder encoder(args.codec);
  Progress progress("encoding", static_cast<uint64_t>(format.frames));
  std::vector<uint8_t> codes;
  uint64_t written = 0;
  const auto write = [&] {
    writer.Write(codes);
    written += codes.size();
  };
  ReadPcm(args.input, raw, args.codec.PcmRate(),
          [&](std::span<const int16_t> pcm, int64_t frames_read) {
            encoder.Encode(pcm, codes);
            write();
            progress.Update(static_cast<uint64_t>(frames_read));
          });
  encoder.Finish(codes);
  write();
  writer.Close();
  output.Commit();
  return written;
}

}  // namespace

void Encode(const ConversionArguments& args) {
  CheckCodecSettings(args.codec);
  const uint64_t input_bytes = CheckReadable(args.input);
  CheckDistinct(args.input, args.output);
  const bool raw = IsRawPcmName(args.input);
  const AudioFormat format = ReadAudioFormat(args.input, raw);
  uint64_t written;
  if (raw && args.codec.IsLibraryDefault()) {
    RunFileOperation(G722Encode, "encoding", args.input, args.output, input_bytes / 2);
    written = input_bytes / 2;
  } else {
    written = EncodeAudio(args, raw, format);
  }
  std::printf("%s (%s) -> %s: %llu bytes of codes, %s\n", args.input.c_str(),
              format.Summary().c_str(), args.output.c_str(),
              static_cast<unsigned long long>(written), args.codec.Description().c_str());
}

}  // namespace g722kit::tool
