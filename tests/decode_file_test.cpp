// G722Decode on real files: the WAV it writes, read back by libsndfile, and its failures.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "g722kit/g722kit.h"
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

TEST(DecodeFile, EncodedFileDecodesToAWavThatLibsndfileReads) {
  TempDir dir;
  const std::vector<int16_t> pcm = SpeechLikeSignal(24001, 8000, 11);
  WriteBytes(dir / "in.raw", PcmBytes(pcm));
  ASSERT_EQ(G722Encode(U16(dir / "in.raw").c_str(), U16(dir / "x.g722").c_str()), G722KIT_OK);
  ASSERT_EQ(G722Decode(U16(dir / "x.g722").c_str(), U16(dir / "x.wav").c_str()), G722KIT_OK);

  SF_INFO info{};
  SNDFILE* wav = sf_open((dir / "x.wav").c_str(), SFM_READ, &info);
  ASSERT_NE(wav, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(info.samplerate, 8000);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.frames, static_cast<sf_count_t>(pcm.size()));
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  std::vector<int16_t> samples(pcm.size());
  EXPECT_EQ(sf_read_short(wav, samples.data(), static_cast<sf_count_t>(samples.size())),
            static_cast<sf_count_t>(pcm.size()));
  sf_close(wav);
  EXPECT_EQ(samples, DecodeAll(64000, G722Option8k, EncodeAll(64000, G722Option8k, pcm)));
}

// A reader that drains a FIFO, so that the decoder can open it for writing.
class FifoReader {
 public:
  explicit FifoReader(const fs::path& path) : path_(path) {
    mkfifo(path.c_str(), 0600);
    thread_ = std::thread([this] {
      std::ifstream in(path_, std::ios::binary);
      char sink[4096];
      while (in.read(sink, sizeof sink) || in.gcount() > 0) {
      }
    });
  }
  ~FifoReader() { thread_.join(); }

 private:
  fs::path path_;
  std::thread thread_;
};

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
  struct Case {
    const char* what;
    const char16_t* in;
    const char16_t* out;
    int32_t result;
    bool output_untouched;
    bool placeholder_header;  // the output holds the placeholder sizes
  };
  const Case cases[] = {
      {"null input", nullptr, out.c_str(), G722KIT_ERR_NULL_PATH, true, false},
      {"null output", in.c_str(), nullptr, G722KIT_ERR_NULL_PATH, true, false},
      {"unconvertible output", in.c_str(), unconvertible.c_str(), G722KIT_ERR_PATH, true, false},
      {"missing input", missing.c_str(), out.c_str(), G722KIT_ERR_OPEN_INPUT, true, false},
      {"output folder missing", in.c_str(), no_folder.c_str(), G722KIT_ERR_OPEN_OUTPUT, true,
       false},
      {"same file", in.c_str(), in.c_str(), G722KIT_ERR_SAME_FILE, true, false},
      {"input is a folder", folder.c_str(), out.c_str(), G722KIT_ERR_READ, false, true},
      {"output device is full", in.c_str(), u"/dev/full", G722KIT_ERR_WRITE, true, false},
      {"output cannot be measured", in.c_str(), u"/dev/null", G722KIT_ERR_HEADER, true, false},
  };
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
  const fs::path fifo = dir / "pipe";
  FifoReader reader(fifo);
  EXPECT_EQ(G722Decode(U16(dir / "in.g722").c_str(), U16(fifo).c_str()), G722KIT_ERR_HEADER);
}

}  // namespace
}  // namespace g722kit::test
