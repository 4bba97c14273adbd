// G.722 in WAV and AU files: what encode writes, what decode and info read back, and --align.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "audio_files.h"
#include "test_support.h"
#include "tool_process.h"

namespace g722kit::test {
namespace {

uint32_t Le(const std::vector<uint8_t>& bytes, size_t at, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; i--)
    value = value << 8 | bytes.at(at + static_cast<size_t>(i));
  return value;
}

uint32_t Be32(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes.at(at) << 24 | bytes.at(at + 1) << 16 | bytes.at(at + 2) << 8 | bytes.at(at + 3);
}

std::string Text(const std::vector<uint8_t>& bytes, size_t at) {
  return {bytes.begin() + static_cast<std::ptrdiff_t>(at),
          bytes.begin() + static_cast<std::ptrdiff_t>(at + 4)};
}

// An odd number of codes, so that the WAV data chunk needs its pad byte.
TEST(ToolContainer, HeadersAreTheInteroperableOnesAndDecodeLikeRawCodes) {
  TempDir dir;
  const std::vector<int16_t> pcm = SpeechLikeSignal(16000 + 2, 16000, 3);
  WriteWav(dir / "speech.wav", {16000, 1, pcm});
  ASSERT_EQ(RunTool({"encode", "speech.wav", "raw.g722", "-w"}, dir.path()).exit_code, 0);
  const std::vector<uint8_t> codes = ReadBytes(dir / "raw.g722");
  ASSERT_EQ(codes.size(), 8001u);
  ASSERT_EQ(RunTool({"decode", "raw.g722", "raw.wav", "-w"}, dir.path()).exit_code, 0);
  const std::vector<int16_t> raw_route = ReadAudio(dir / "raw.wav").samples;

  struct Case {
    std::string name;
    std::vector<std::string> options;
  };
  for (const Case& c :
       {Case{"g722.wav", {}}, Case{"g722.au", {}}, Case{"wav.g722", {"--container", "wav"}}}) {
    std::vector<std::string> encode = {"encode", "speech.wav", c.name};
    encode.insert(encode.end(), c.options.begin(), c.options.end());
    const ToolResult encoded = RunTool(encode, dir.path());
    ASSERT_EQ(encoded.exit_code, 0) << encoded.err;
    EXPECT_NE(encoded.out.find(": 8001 bytes of codes in "), std::string::npos) << encoded.out;
    const std::vector<uint8_t> file = ReadBytes(dir / c.name);
    if (Text(file, 0) == "RIFF") {
      ASSERT_EQ(file.size(), 58u + 8001 + 1) << c.name;
      EXPECT_EQ(Le(file, 4, 4), file.size() - 8);
      EXPECT_EQ(Text(file, 8) + Text(file, 12), "WAVEfmt ");
      EXPECT_EQ(Le(file, 16, 4), 18u);
      EXPECT_EQ(Le(file, 20, 2), 0x0065u);  // WAVE_FORMAT_G722_ADPCM
      EXPECT_EQ(Le(file, 22, 2), 1u);       // channels
      EXPECT_EQ(Le(file, 24, 4), 16000u);   // samples per second
      EXPECT_EQ(Le(file, 28, 4), 8000u);    // bytes per second
      EXPECT_EQ(Le(file, 32, 2), 1u);       // block align
      EXPECT_EQ(Le(file, 34, 2), 4u);       // bits per sample
      EXPECT_EQ(Le(file, 36, 2), 0u);       // extra format bytes
      EXPECT_EQ(Text(file, 38), "fact");
      EXPECT_EQ(Le(file, 46, 4), 16002u);  // samples
      EXPECT_EQ(Text(file, 50), "data");
      EXPECT_EQ(Le(file, 54, 4), 8001u);
      EXPECT_EQ(std::vector<uint8_t>(file.begin() + 58, file.end() - 1), codes);
    } else {
      ASSERT_EQ(file.size(), 28u + 8001) << c.name;
      EXPECT_EQ(Text(file, 0), ".snd");
      EXPECT_EQ(Be32(file, 4), 28u);      // data offset, after an empty annotation
      EXPECT_EQ(Be32(file, 8), 8001u);    // data size
      EXPECT_EQ(Be32(file, 12), 24u);     // G.722 ADPCM
      EXPECT_EQ(Be32(file, 16), 16000u);  // samples per second
      EXPECT_EQ(Be32(file, 20), 1u);      // channels
      EXPECT_EQ(std::vector<uint8_t>(file.begin() + 28, file.end()), codes);
    }
    const ToolResult decoded = RunTool({"decode", c.name, "out.wav"}, dir.path());
    ASSERT_EQ(decoded.exit_code, 0) << decoded.err;
    EXPECT_EQ(ReadAudio(dir / "out.wav").samples, raw_route) << c.name;
    const ToolResult info = RunTool({"info", c.name}, dir.path());
    EXPECT_NE(info.out.find("  codes        8001 bytes\n  frames       16002\n"), std::string::npos)
        << info.out;
  }
  ASSERT_EQ(RunTool({"encode", "speech.wav", "raw.wav", "-w", "--container", "raw"}, dir.path())
                .exit_code,
            0);
  EXPECT_EQ(ReadBytes(dir / "raw.wav"), codes);
}

// G.722 WAV files as other programs write them: the RTP clock rate for the audio's, a data size
// left at 0, the legs of a call interleaved byte by byte. Each decodes as its codes.
TEST(ToolContainer, ReadsWhatOtherWritersGetWrong) {
  TempDir dir;
  WriteWav(dir / "speech.wav", {16000, 1, SpeechLikeSignal(16000, 16000, 3)});
  ASSERT_EQ(RunTool({"encode", "speech.wav", "g722.wav"}, dir.path()).exit_code, 0);
  ASSERT_EQ(RunTool({"decode", "g722.wav", "mono.wav"}, dir.path()).exit_code, 0);
  const std::vector<int16_t> mono = ReadAudio(dir / "mono.wav").samples;
  const std::vector<uint8_t> file = ReadBytes(dir / "g722.wav");
  // The file with 32-bit header fields changed, and each code given once or to both legs.
  const auto with = [&](std::vector<std::pair<size_t, uint32_t>> fields, bool both_legs) {
    std::vector<uint8_t> bytes(file.begin(), file.begin() + 58);
    for (size_t i = 58; i < file.size(); i++)
      bytes.insert(bytes.end(), both_legs ? 2 : 1, file[i]);
    for (const auto& [at, value] : fields) {
      for (size_t i = 0; i < 4; i++)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    return bytes;
  };
  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
    std::string warning;
  };
  for (const Case& c :
       {Case{"rtp.wav", with({{24, 8000}}, false), "header says 8000 samples/s"},
        Case{"unfinished.wav", with({{54, 0}}, false), "header says no codes follow"},
        // format tag 0x0065 and 2 channels; the codes up to the end of the file
        Case{"legs.wav", with({{20, 0x20065}, {54, 0xFFFFFFFF}}, true), ""}}) {
    WriteBytes(dir / c.name, c.bytes);
    const ToolResult decoded = RunTool({"decode", c.name, "out.wav"}, dir.path());
    ASSERT_EQ(decoded.exit_code, 0) << decoded.err;
    EXPECT_EQ(decoded.err.find(c.warning) != std::string::npos, true) << decoded.err;
    const Audio out = ReadAudio(dir / "out.wav");
    std::vector<int16_t> expected;
    for (int16_t sample : mono)
      expected.insert(expected.end(), static_cast<size_t>(out.channels), sample);
    EXPECT_EQ(out.samples, expected) << c.name;
  }
}

// --align on both sides: the decoded file has the input's length and no delay.
TEST(ToolAlign, RoundTripLinesUpWithItsInput) {
  TempDir dir;
  const std::vector<int16_t> pcm = SpeechLikeSignal(16000, 16000, 9);
  WriteWav(dir / "speech.wav", {16000, 1, pcm});
  for (const std::string container : {"codes.g722", "codes.wav"}) {
    ASSERT_EQ(RunTool({"encode", "speech.wav", container, "-w", "--align"}, dir.path()).exit_code,
              0);
    const ToolResult decoded =
        RunTool({"decode", container, "out.wav", "-w", "--align"}, dir.path());
    ASSERT_EQ(decoded.exit_code, 0) << decoded.err;
    const std::vector<int16_t> out = ReadAudio(dir / "out.wav").samples;
    ASSERT_EQ(out.size(), pcm.size()) << container;
    double signal = 0, noise = 0;
    for (size_t i = 0; i < pcm.size(); i++) {
      signal += static_cast<double>(pcm[i]) * pcm[i];
      noise += std::pow(static_cast<double>(pcm[i]) - out[i], 2);
    }
    EXPECT_GT(10 * std::log10(signal / noise), 20) << container;
  }
}

}  // namespace
}  // namespace g722kit::test
