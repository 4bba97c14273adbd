// G722Encode on real files: contents, failures and paths.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "g722kit/g722kit.h"
#include "system_support.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

namespace fs = std::filesystem;

// The codes G722Encode must give: the file configuration over all samples in one call.
std::vector<uint8_t> ExpectedCodes(const std::vector<uint8_t>& pcm_bytes) {
  std::vector<int16_t> samples(pcm_bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); i++) {
    samples[i] = static_cast<int16_t>(pcm_bytes[2 * i] | (pcm_bytes[2 * i + 1] << 8));
  }
  return EncodeAll(64000, G722Option8k, samples);
}

TEST(EncodeFile, OutputHoldsOneCodePerInputSample) {
  const std::vector<uint8_t> speech = PcmBytes(SpeechLikeSignal(150001, 8000, 4));
  struct Case {
    const char* what;
    std::vector<uint8_t> input;
    size_t output_size;
  };
  const Case cases[] = {
      {"empty", {}, 0},
      {"one sample and an odd byte", {0x10, 0x27, 0x99}, 1},
      {"several reads, the state running on", speech, speech.size() / 2},
      {"an odd byte after several reads", std::vector<uint8_t>(speech.begin(), speech.end() - 1),
       speech.size() / 2 - 1},
  };
  ASSERT_GT(speech.size(), 262144u);
  TempDir dir;
  for (const Case& c : cases) {
    WriteBytes(dir / "in.raw", c.input);
    ASSERT_EQ(G722Encode(U16(dir / "in.raw").c_str(), U16(dir / "out.g722").c_str()), G722KIT_OK)
        << c.what;
    const std::vector<uint8_t> output = ReadBytes(dir / "out.g722");
    EXPECT_EQ(output.size(), c.output_size) << c.what;
    EXPECT_EQ(output, ExpectedCodes(c.input)) << c.what;
  }
}

TEST(EncodeFile, TwoEncodesOfOneInputAreIdentical) {
  TempDir dir;
  WriteBytes(dir / "in.raw", PcmBytes(SpeechLikeSignal(20000, 8000, 5)));
  ASSERT_EQ(G722Encode(U16(dir / "in.raw").c_str(), U16(dir / "a").c_str()), G722KIT_OK);
  ASSERT_EQ(G722Encode(U16(dir / "in.raw").c_str(), U16(dir / "b").c_str()), G722KIT_OK);
  EXPECT_EQ(ReadBytes(dir / "a"), ReadBytes(dir / "b"));
}

// A name the narrow path cannot spell is refused, and no file is created in its place.
TEST(EncodeFile, NonAsciiPaths) {
  TempDir dir;
  const std::vector<uint8_t> input = PcmBytes(SpeechLikeSignal(4000, 8000, 6));
  const std::pair<const char16_t*, bool> names[] = {
      {u"caf\u00e9", true},
      {u"\u65e5\u672c\u8a9e", false},
      {u"\U0001F3B5", false},
      {u"\u05e9\u05dc", false},
  };
  for (const auto& [name, in_code_page_1252] : names) {
    const fs::path in = dir / fs::path(std::u16string(name) + u".raw");
    const fs::path out = dir / fs::path(std::u16string(name) + u".g722");
    const fs::path ascii_out = dir / "out.g722";
    WriteBytes(in, input);
    const int32_t result = G722Encode(U16(in).c_str(), U16(out).c_str());
    // Under a code page the test does not know, either outcome will do, but only as a whole.
    const bool spelled = NarrowPathSpells(in_code_page_1252).value_or(result == G722KIT_OK);
    if (spelled) {
      ASSERT_EQ(result, G722KIT_OK) << in;
      EXPECT_EQ(ReadBytes(out), ExpectedCodes(input)) << out;
    } else {
      EXPECT_EQ(result, G722KIT_ERR_PATH) << in;
      EXPECT_EQ(G722Encode(U16(in).c_str(), U16(ascii_out).c_str()), G722KIT_ERR_PATH) << in;
      EXPECT_FALSE(fs::exists(out)) << out;
      EXPECT_FALSE(fs::exists(ascii_out)) << out;
    }
  }
}

// Each failure has its own code, touches no file it should not, and leaves the input intact.
TEST(EncodeFile, FailuresAreReportedAndHarmless) {
  TempDir dir;
  const fs::path input = dir / "in.raw";
  const fs::path existing = dir / "existing.g722";
  const std::vector<uint8_t> input_bytes = PcmBytes(SpeechLikeSignal(1000, 8000, 7));
  const std::vector<uint8_t> existing_bytes = {1, 2, 3};
  fs::create_directory(dir / "folder");
  WriteBytes(input, input_bytes);
  fs::create_hard_link(input, dir / "hardlink.raw");

  const std::u16string in = U16(input);
  const std::u16string out = U16(existing);
  const std::u16string missing = U16(dir / "missing.raw");
  const std::u16string unconvertible = U16(dir / "bad") + u"\xd800.g722";
  const std::u16string no_folder = U16(dir / "no" / "such" / "folder.g722");
  const std::u16string same_spelled_otherwise = U16(dir / "." / "in.raw");
  const std::u16string hard_link = U16(dir / "hardlink.raw");
  const std::u16string folder = U16(dir / "folder");
  const std::optional<std::u16string> full_device = FullDevice();
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
      {"unpaired surrogate in the input", unconvertible.c_str(), out.c_str(), G722KIT_ERR_PATH,
       true},
      {"unpaired surrogate in the output", in.c_str(), unconvertible.c_str(), G722KIT_ERR_PATH,
       true},
      {"missing input", missing.c_str(), out.c_str(), G722KIT_ERR_OPEN_INPUT, true},
      {"output folder missing", in.c_str(), no_folder.c_str(), G722KIT_ERR_OPEN_OUTPUT, true},
      {"same file", in.c_str(), in.c_str(), G722KIT_ERR_SAME_FILE, true},
      {"same file spelled otherwise", in.c_str(), same_spelled_otherwise.c_str(),
       G722KIT_ERR_SAME_FILE, true},
      {"same file through a hard link", in.c_str(), hard_link.c_str(), G722KIT_ERR_SAME_FILE, true},
      {"input is a folder", folder.c_str(), out.c_str(), G722KIT_ERR_OPEN_INPUT, true},
  };
  if (full_device) {
    cases.push_back(
        {"output device is full", in.c_str(), full_device->c_str(), G722KIT_ERR_WRITE, false});
  }
  for (const Case& c : cases) {
    WriteBytes(input, input_bytes);
    WriteBytes(existing, existing_bytes);
    EXPECT_EQ(G722Encode(c.in, c.out), c.result) << c.what;
    EXPECT_EQ(ReadBytes(input), input_bytes) << c.what;
    if (c.output_untouched) {
      EXPECT_EQ(ReadBytes(existing), existing_bytes) << c.what;
    }
    EXPECT_FALSE(fs::exists(dir / "bad")) << c.what;
  }
}

// Writing into a pipe whose reader went away fails the operation; it must not end the host
// (with SIGPIPE on POSIX).
TEST(FileOperations, PipeWhoseReaderLeftFailsTheWrite) {
  TempDir dir;
  WriteBytes(dir / "in", std::vector<uint8_t>(600000, 0xFA));
  for (auto operation : {G722Encode, G722Decode}) {
    const TempDir pipe_dir;
    const ReadPipe pipe(pipe_dir.path(), ReadPipe::Reader::kAbandons);
    EXPECT_EQ(operation(U16(dir / "in").c_str(), pipe.path().c_str()), G722KIT_ERR_WRITE);
  }
}

TEST(EncodeFile, ConcurrentCallsDoNotMixTheirOutputs) {
  TempDir dir;
  const std::vector<uint8_t> first = PcmBytes(SpeechLikeSignal(300000, 8000, 8));
  const std::vector<uint8_t> second = PcmBytes(SpeechLikeSignal(300000, 8000, 9));
  WriteBytes(dir / "1.raw", first);
  WriteBytes(dir / "2.raw", second);
  int32_t results[2] = {};
  std::thread a(
      [&] { results[0] = G722Encode(U16(dir / "1.raw").c_str(), U16(dir / "1").c_str()); });
  std::thread b(
      [&] { results[1] = G722Encode(U16(dir / "2.raw").c_str(), U16(dir / "2").c_str()); });
  a.join();
  b.join();
  EXPECT_EQ(results[0], G722KIT_OK);
  EXPECT_EQ(results[1], G722KIT_OK);
  EXPECT_EQ(ReadBytes(dir / "1"), ExpectedCodes(first));
  EXPECT_EQ(ReadBytes(dir / "2"), ExpectedCodes(second));
}

}  // namespace
}  // namespace g722kit::test
