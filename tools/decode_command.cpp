// g722kit decode IN OUT.wav: G.722 codes, raw or in a WAV or AU container, to a WAV file.
#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "alignment.h"
#include "code_stream.h"
#include "codec_settings.h"
#include "commands.h"
#include "g722kit/g722kit.h"
#include "input_file.h"
#include "library_call.h"
#include "progress.h"
#include "tool_error.h"
#include "wording.h"
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

// The configuration a container's header gives, refusing options that contradict it.
CodecSettings HeaderCodec(const ConversionArguments& args, Container container) {
  if (const std::optional<std::string> conflict = ContainerConflict(args.codec)) {
    throw FileError(kExitUsage, "cannot decode", args.input,
                    *conflict + " contradicts its " + ContainerTitle(container) +
                        " header, which says 64000 bit/s two-band codes");
  }
  return ContainerCodec();
}

// Decodes the codes that layout locates with the given configuration and writes the samples
// through libsndfile.
uint64_t DecodeCodes(const ConversionArguments& args, const CodecSettings& codec,
                     const ContainerLayout& layout) {
  std::FILE* input = std::fopen(args.input.c_str(), "rb");
  if (input == nullptr) throw FileErrno(kExitInput, "cannot open", args.input);
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(input, std::fclose);
  if (std::fseek(input, static_cast<long>(layout.code_offset), SEEK_SET) != 0) {
    throw FileErrno(kExitInput, "cannot read", args.input);
  }
  OutputFile output(args.output);
  WavWriter writer(output, codec.PcmRate());
  StreamDecoder decoder(codec);
  DelayTrimmer trimmer(codec, args.align);
  const uint64_t limit = layout.code_bytes.value_or(UINT64_MAX);
  Progress progress("decoding", layout.code_bytes.value_or(0));
  std::vector<uint8_t> codes(kChunkBytes);
  std::vector<int16_t> pcm;
  uint64_t samples = 0, read = 0;
  const auto write = [&] {
    trimmer.Trim(pcm);
    writer.Write(pcm);
    samples += pcm.size();
  };
  while (const size_t count = std::fread(
             codes.data(), 1, static_cast<size_t>(std::min<uint64_t>(codes.size(), limit - read)),
             input)) {
    decoder.Decode(std::span(codes).first(count), pcm);
    write();
    read += count;
    progress.Update(read);
  }
  if (std::ferror(input)) throw FileErrno(kExitInput, "cannot read", args.input);
  if (layout.code_bytes && read < *layout.code_bytes) {
    std::fprintf(stderr, "g722kit: warning: '%s' ends after %s of the %s its header announces\n",
                 args.input.c_str(), Counted(read, "byte").c_str(),
                 Counted(*layout.code_bytes, "byte").c_str());
  }
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
  const std::optional<ContainerLayout> container = ReadContainerFile(args.input);
  if (!container) RefuseWav(args.input);
  const ContainerLayout layout =
      container.value_or(ContainerLayout{Container::kRaw, 0, input_bytes});
  const CodecSettings codec = container ? HeaderCodec(args, layout.container) : args.codec;
  uint64_t samples;
  if (codec.IsLibraryDefault() && !container) {
    RunFileOperation(G722Decode, "decoding", args.input, args.output, 44 + 2 * input_bytes);
    samples = input_bytes;
  } else {
    samples = DecodeCodes(args, codec, layout);
  }
  const std::string in = container ? Counted(CodeBytesIn(layout, input_bytes), "byte") +
                                         " of codes in " + ContainerTitle(layout.container)
                                   : Counted(input_bytes, "byte");
  std::printf("%s (%s) -> %s: %.2f s at %d Hz, %s\n", args.input.c_str(), in.c_str(),
              args.output.c_str(), static_cast<double>(samples) / codec.PcmRate(), codec.PcmRate(),
              codec.Description().c_str());
}

}  // namespace g722kit::tool
