// The file operations on any input file: random contents and lengths through G722Encode and
// G722Decode, in a folder of the fuzzer's own. Each call succeeds and its output holds exactly
// what the codec gives for the same bytes in memory.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "g722kit/g722.h"
#include "g722kit/g722kit.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// The fuzzer's folder, removed when the fuzzer exits.
struct Folder {
  fs::path path =
      fs::temp_directory_path() / ("g722kit-fuzz-" + std::to_string(std::random_device()()));
  Folder() { fs::create_directories(path); }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

Bytes ReadFile(const fs::path& file) {
  Bytes bytes(fs::file_size(file));
  std::ifstream(file, std::ios::binary)
      .read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

void WriteFile(const fs::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

uint32_t U32At(const Bytes& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<uint32_t>(bytes[at + 3]) << 24;
}

void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "file operation fault: %s\n", what);
  std::abort();
}

// The first two bytes give the file's length, up to 4 KiB (inputs across the operations'
// 256 KiB reads are the unit tests' matter: under the sanitizers they would take the fuzzer a
// second each); the rest, repeated, give its contents.
Bytes FileContents(const uint8_t* data, size_t size) {
  if (size < 2) return Bytes(data, data + size);
  const size_t length = data[0] | (data[1] & 0x0F) << 8;
  Bytes contents(length);
  for (size_t i = 0; i < length && size > 2; i++)
    contents[i] = data[2 + i % (size - 2)];
  return contents;
}

void CheckEncode(const Folder& folder, const Bytes& input) {
  const fs::path out = folder.path / "out.g722";
  Require(
      G722Encode((folder.path / "in").u16string().c_str(), out.u16string().c_str()) == G722KIT_OK,
      "encode succeeds");
  std::vector<int16_t> samples(input.size() / 2);
  for (size_t i = 0; i < samples.size(); i++)
    samples[i] = static_cast<int16_t>(input[2 * i] | input[2 * i + 1] << 8);
  G722State state;
  G722EncoderInit(&state, 64000, G722Option8k);
  Bytes codes(samples.size());
  codes.resize(static_cast<size_t>(G722EncodeSamples(&state, codes.data(), samples.data(),
                                                     static_cast<int32_t>(samples.size()))));
  Require(ReadFile(out) == codes, "the encoded file holds the codes of the input's samples");
}

void CheckDecode(const Folder& folder, const Bytes& input) {
  const fs::path out = folder.path / "out.wav";
  Require(
      G722Decode((folder.path / "in").u16string().c_str(), out.u16string().c_str()) == G722KIT_OK,
      "decode succeeds");
  G722State state;
  G722DecoderInit(&state, 64000, G722Option8k);
  std::vector<int16_t> samples(input.size());
  samples.resize(static_cast<size_t>(
      G722DecodeCodes(&state, samples.data(), input.data(), static_cast<int32_t>(input.size()))));
  const Bytes wav = ReadFile(out);
  const size_t data_size = 2 * samples.size();
  Require(wav.size() == 44 + data_size, "the WAV holds one sample per code");
  Require(U32At(wav, 4) == data_size + 36 && U32At(wav, 40) == data_size,
          "the WAV header gives its sizes");
  for (size_t i = 0; i < samples.size(); i++) {
    Require(static_cast<int16_t>(wav[44 + 2 * i] | wav[45 + 2 * i] << 8) == samples[i],
            "the WAV holds the decoded samples, little-endian");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Folder folder;
  const Bytes input = FileContents(data, size);
  WriteFile(folder.path / "in", input);
  CheckEncode(folder, input);
  CheckDecode(folder, input);
  return 0;
}
