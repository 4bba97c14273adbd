// g722kit decode IN OUT.wav: G.722 codes to a WAV file.
#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "code_stream.h"
#include "codec_settings.h"
#include "commands.h"
#include "g722kit/g722kit.h"
#include "input_file.h"
#include "library_call.h"
#include "progress.h"
#include "tool_error.h"
#include "writers.h"

namespace g722kit::tool {

namespace fs = std::filesystem;

namespace {

constexpr size_t kChunkBytes = 65536;

// A WAV file given as codes would decode to noise; the user meant encode.
void RefuseWav(const fs::path& input) {
  std::array<char, 12> start{};
  std::FILE* file = std::fopen(input.c_str(), "rb");
  if (file == nullptr) return;
  const size_t got = std::fread(start.data(), 1, start.size(), file);
  std::fclose(file);
  if (got == start.size() && std::memcmp(start.data(), "RIFF", 4) == 0 &&
      std::memcmp(start.data() + 8, "WAVE", 4) == 0) {
    throw FileError(kExitFormat, "cannot decode", input,
                    "it is a WAV file, not G.722 codes (encode it with 'g722kit encode')");
  }
}

// Decodes with the chosen configuration and writes the samples through libsndfile.
uint64_t DecodeCodes(const ConversionArguments& args, uint64_t input_bytes) {
  std::FILE* input = std::fopen(args.input.c_str(), "rb");
  if (input == nullptr) throw FileErrno(kExitInput, "cannot open", args.input);
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(input, std::fclose);
  OutputFile output(args.output);
  WavWriter writer(output, args.codec.PcmRate());
  StreamDecoder decoder(args.codec);
  Progress progress("decoding", input_bytes);
  std::vector<uint8_t> codes(kChunkBytes);
  std::vector<int16_t> pcm;
  uint64_t samples = 0, read = 0;
  const auto write = [&] {
    writer.Write(pcm);
    samples += pcm.size();
  };
  while (const size_t count = std::fread(codes.data(), 1, codes.size(), input)) {
    decoder.Decode(std::span(codes).first(count), pcm);
    write();
    read += count;
    progress.Update(read);
  }
  if (std::ferror(input)) throw FileErrno(kExitInput, "cannot read", args.input);
  decoder.Finish(pcm);
  write();
  writer.Close();
  output.Commit();
  return samples;
}

}  // namespace

void Decode(const ConversionArguments& args) {
  CheckCodecSettings(args.codec);
  const uint64_t input_bytes = CheckReadable(args.input);
  CheckDistinct(args.input, args.output);
  RefuseWav(args.input);
  uint64_t samples;
  if (args.codec.IsLibraryDefault()) {
    RunFileOperation(G722Decode, "decoding", args.input, args.output, 44 + 2 * input_bytes);
    samples = input_bytes;
  } else {
    samples = DecodeCodes(args, input_bytes);
  }
  std::printf("%s (%llu bytes) -> %s: %.2f s at %d Hz, %s\n", args.input.c_str(),
              static_cast<unsigned long long>(input_bytes), args.output.c_str(),
              static_cast<double>(samples) / args.codec.PcmRate(), args.codec.PcmRate(),
              args.codec.Description().c_str());
}

}  // namespace g722kit::tool
