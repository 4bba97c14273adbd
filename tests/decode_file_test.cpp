// G722Decode on real files: the WAV it writes and its failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "g722kit/g722kit.h"
#include "system_support.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

namespace fs = std::filesystem;

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t offset) {
  return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
         (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

std::vector<int16_t> SamplesAfterHeader(const std::vector<uint8_t>& wav) {
  std::vector<int16_t> samples((wav.size() - 44) / 2);
  for (size_t i = 0; i < samples.size(); i++) {
    samples[i] = static_cast<int16_t>(wav[44 + 2 * i] | (wav[45 + 2 * i] << 8));
  }
  return samples;
}

TEST(DecodeFile, OutputIsAWavOfOneSamplePerCode) {
  const std::vector<uint8_t> codes =
      EncodeAll(64000, G722Option8k, SpeechLikeSignal(300000, 8000, 10));
  ASSERT_GT(codes.size(), 262144u);
  const std::vector<std::vector<uint8_t>> inputs = {
      {}, {0x04}, {0xFA, 0xFA, 0x00, 0x3F, 0xFF}, codes};
  TempDir dir;
  for (const auto& input : inputs) {
    WriteBytes(dir / "in.g722", input);
    ASSERT_EQ(G722Decode(U16(dir / "in.g722").c_str(), U16(dir / "out.wav").c_str()), G722KIT_OK);
    const std::vector<uint8_t> wav = ReadBytes(dir / "out.wav");
    ASSERT_EQ(wav.size(), 44 + 2 * input.size());
    EXPECT_EQ(U32At(wav, 4), 2 * input.size() + 36);
    EXPECT_EQ(U32At(wav, 40), 2 * input.size());
    EXPECT_EQ(SamplesAfterHeader(wav), DecodeAll(64000, G722Option8k, input));
  }
}

TEST(DecodeFile, FailuresAreReportedAndHarmless) {
  TempDir dir;
  const fs::path input = dir / "in.g722";
  const fs::path existing = dir / "existing.wav";
  const std::vector<uint8_t> input_bytes(5000, 0xFA);
  const std::vector<uint8_t> existing_bytes = {9, 8, 7};
  fs::create_directory(dir / "folder");

  const std::u16string in = U16(input);
  const std::u16string out = U16(existing);
  const std::u16string missing = U16(dir / "missing.g722");
  const std::u16string unconvertible = U16(dir / "bad") + u"\xdc00.wav";
  const std::u16string folder = U16(dir / "folder");
  const std::u16string no_folder = U16(dir / "no" / "folder.wav");
  const std::u16string null_device = NullDevice();
  const std::optional<std::u16string> full_device = FullDevice();
  const bool folder_opens = FoldersOpenForReading();
  struct Case {
    const char* what;
    const char16_t* in;
    const char16_t* out;
    int32_t result;
    bool output_untouched;
    bool placeholder_header;  // the output holds the placeholder sizes
  };
  std::vector<Case> cases = {
      {"null input", nullptr, out.c_str(), G722KIT_ERR_NULL_PATH, true, false},
      {"null output", in.c_str(), nullptr, G722KIT_ERR_NULL_PATH, true, false},
      {"unconvertible output", in.c_str(), unconvertible.c_str(), G722KIT_ERR_PATH, true, false},
      {"missing input", missing.c_str(), out.c_str(), G722KIT_ERR_OPEN_INPUT, true, false},
      {"output folder missing", in.c_str(), no_folder.c_str(), G722KIT_ERR_OPEN_OUTPUT, true,
       false},
      {"same file", in.c_str(), in.c_str(), G722KIT_ERR_SAME_FILE, true, false},
      {"input is a folder", folder.c_str(), out.c_str(),
       folder_opens ? G722KIT_ERR_READ : G722KIT_ERR_OPEN_INPUT, !folder_opens, folder_opens},
      {"output cannot be measured", in.c_str(), null_device.c_str(), G722KIT_ERR_HEADER, true,
       false},
  };
  if (full_device) {
    cases.push_back({"output device is full", in.c_str(), full_device->c_str(), G722KIT_ERR_WRITE,
                     true, false});
  }
  for (const Case& c : cases) {
    WriteBytes(input, input_bytes);
    WriteBytes(existing, existing_bytes);
    EXPECT_EQ(G722Decode(c.in, c.out), c.result) << c.what;
    EXPECT_EQ(ReadBytes(input), input_bytes) << c.what;
    if (c.output_untouched) {
      EXPECT_EQ(ReadBytes(existing), existing_bytes) << c.what;
    }
    if (c.placeholder_header) {
      const std::vector<uint8_t> wav = ReadBytes(existing);
      ASSERT_EQ(wav.size(), 44u) << c.what;
      EXPECT_EQ(U32At(wav, 4), 16036u) << c.what;
      EXPECT_EQ(U32At(wav, 40), 16000u) << c.what;
    }
  }
}

TEST(DecodeFile, OutputThatCannotBeRepositionedIsReported) {
  TempDir dir;
  WriteBytes(dir / "in.g722", std::vector<uint8_t>(1000, 0xFA));
  const DrainedPipe pipe(dir.path());
  EXPECT_EQ(G722Decode(U16(dir / "in.g722").c_str(), pipe.path().c_str()), G722KIT_ERR_HEADER);
}

}  // namespace
}  // namespace g722kit::test
