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
  // The smallest input whose samples a WAV header cannot describe, sparse where the file
  // system allows it.
  const std::u16string too_large = U16(dir / "large.g722");
  WriteBytes(dir / "large.g722", {});
  fs::resize_file(dir / "large.g722", (0xFFFFFFFFull - 36) / 2 + 1);
  struct Case {
    const char* what;
    const char16_t* in;
    const char16_t* out;
    int32_t result;
    bool output_untouched;
  };
  std::vector<Case> cases = {
      {"null input", nullptr, out.c_str(), G722KIT_ERR_NULL_PATH, true},
      {"null output", in.c_str(), nullptr, G722KIT_ERR_NULL_PATH, true},
      {"unconvertible output", in.c_str(), unconvertible.c_str(), G722KIT_ERR_PATH, true},
      {"missing input", missing.c_str(), out.c_str(), G722KIT_ERR_OPEN_INPUT, true},
      {"output folder missing", in.c_str(), no_folder.c_str(), G722KIT_ERR_OPEN_OUTPUT, true},
      {"same file", in.c_str(), in.c_str(), G722KIT_ERR_SAME_FILE, true},
      {"input is a folder", folder.c_str(), out.c_str(), G722KIT_ERR_OPEN_INPUT, true},
      {"input too large for a WAV", too_large.c_str(), out.c_str(), G722KIT_ERR_TOO_LARGE, true},
      {"output cannot be measured", in.c_str(), null_device.c_str(), G722KIT_ERR_HEADER, true},
  };
  if (full_device) {
    cases.push_back(
        {"output device is full", in.c_str(), full_device->c_str(), G722KIT_ERR_WRITE, true});
  }
  for (const Case& c : cases) {
    WriteBytes(input, input_bytes);
    WriteBytes(existing, existing_bytes);
    EXPECT_EQ(G722Decode(c.in, c.out), c.result) << c.what;
    EXPECT_EQ(ReadBytes(input), input_bytes) << c.what;
    if (c.output_untouched) {
      EXPECT_EQ(ReadBytes(existing), existing_bytes) << c.what;
    }
  }
}

// A file size cap stands in for a full disk, in the middle of a sample: what is left is a WAV
// of the whole samples written, and the failure is still reported.
TEST(DecodeFile, FailurePartWayLeavesAWavOfWhatWasWritten) {
  TempDir dir;
  const std::vector<uint8_t> codes =
      EncodeAll(64000, G722Option8k, SpeechLikeSignal(10000, 8000, 12));
  WriteBytes(dir / "in.g722", codes);
  {
    const FileSizeCap cap(44 + 5001);
    ASSERT_TRUE(cap.applied()) << "no file size cap on this system";
    EXPECT_EQ(G722Decode(U16(dir / "in.g722").c_str(), U16(dir / "out.wav").c_str()),
              G722KIT_ERR_WRITE);
  }
  const std::vector<uint8_t> wav = ReadBytes(dir / "out.wav");
  ASSERT_EQ(wav.size(), 44u + 5000);
  EXPECT_EQ(U32At(wav, 4), 5036u);
  EXPECT_EQ(U32At(wav, 40), 5000u);
  std::vector<int16_t> samples = DecodeAll(64000, G722Option8k, codes);
  samples.resize(2500);
  EXPECT_EQ(SamplesAfterHeader(wav), samples);
}

TEST(DecodeFile, OutputThatCannotBeRepositionedIsReported) {
  TempDir dir;
  WriteBytes(dir / "in.g722", std::vector<uint8_t>(1000, 0xFA));
  const ReadPipe pipe(dir.path(), ReadPipe::Reader::kDrains);
  EXPECT_EQ(G722Decode(U16(dir / "in.g722").c_str(), pipe.path().c_str()), G722KIT_ERR_HEADER);
}

}  // namespace
}  // namespace g722kit::test
