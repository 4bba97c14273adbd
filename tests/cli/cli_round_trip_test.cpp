// The tool end to end on real files: encode and decode in several configurations, the two
// input paths, info and compare.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio_files.h"
#include "test_support.h"
#include "tool_process.h"

namespace g722kit::test {
namespace {

enum class Input { kStereo44k, kSample, kRaw8k };

struct RoundTripCase {
  std::string name;
  Input input;
  std::vector<std::string> options;
  int codec_rate;
  double min_snr_db;
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
  *os << c.name;
}

// Writes the input file and returns its name and the signal a perfect codec would give back.
std::pair<std::string, std::vector<int16_t>> MakeInput(Input input, int codec_rate,
                                                       const TempDir& dir) {
  switch (input) {
    case Input::kStereo44k:
      WriteWav(dir / "stereo.wav", ToneMix(44100, 2, 2.0));
      return {"stereo.wav", ToneMix(codec_rate, 1, 2.0).samples};
    case Input::kSample:
      return {G722KIT_SAMPLE, ReadAudio(G722KIT_SAMPLE).samples};
    case Input::kRaw8k: {
      const std::vector<int16_t> pcm = SpeechLikeSignal(8000 * 3, 8000, 7);
      WriteBytes(dir / "speech.raw", PcmBytes(pcm));
      return {"speech.raw", pcm};
    }
  }
  return {};
}

class ToolRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(ToolRoundTrip, DecodedWavFollowsTheInput) {
  const RoundTripCase& c = GetParam();
  TempDir dir;
  const auto [input, reference] = MakeInput(c.input, c.codec_rate, dir);
  std::vector<std::string> encode = {"encode", input, "codes.g722"};
  std::vector<std::string> decode = {"decode", "codes.g722", "decoded.wav"};
  encode.insert(encode.end(), c.options.begin(), c.options.end());
  decode.insert(decode.end(), c.options.begin(), c.options.end());

  const ToolResult encoded = RunTool(encode, dir.path());
  EXPECT_EQ(encoded.exit_code, 0) << encoded.err;
  EXPECT_EQ(encoded.err, "");
  EXPECT_NE(encoded.out.find("-> codes.g722: "), std::string::npos) << encoded.out;
  const ToolResult decoded = RunTool(decode, dir.path());
  ASSERT_EQ(decoded.exit_code, 0) << decoded.err;
  EXPECT_EQ(decoded.err, "");

  const Audio audio = ReadAudio(dir / "decoded.wav");
  EXPECT_EQ(audio.rate, c.codec_rate);
  EXPECT_EQ(audio.channels, 1);
  EXPECT_NEAR(static_cast<double>(audio.samples.size()), static_cast<double>(reference.size()), 2);
  const double snr = BestLagSnr(reference, audio.samples);
  RecordProperty("snr_db", std::to_string(snr));
  EXPECT_GE(snr, c.min_snr_db);
}

// Bounds: the SNR measured on these inputs less 1 dB. A wrong downmix, resampling or rate
// costs far more.
INSTANTIATE_TEST_SUITE_P(
    Files, ToolRoundTrip,
    ::testing::Values(RoundTripCase{"Stereo44kNarrowband", Input::kStereo44k, {"-n"}, 8000, 35.5},
                      RoundTripCase{"Stereo44kDefault", Input::kStereo44k, {}, 16000, 36.8},
                      RoundTripCase{"Stereo44k48kPacked",
                                    Input::kStereo44k,
                                    {"-n", "--bitrate", "48000", "--packed"},
                                    8000,
                                    29.0},
                      RoundTripCase{"SampleWideband", Input::kSample, {"--wideband"}, 16000, 24.0},
                      RoundTripCase{"SampleWideband56kPacked",
                                    Input::kSample,
                                    {"--wideband", "--bitrate", "56000", "--packed"},
                                    16000,
                                    22.9},
                      RoundTripCase{"RawNarrowband", Input::kRaw8k, {"-n"}, 8000, 30.0},
                      RoundTripCase{
                          "Raw56k", Input::kRaw8k, {"-n", "--bitrate", "56000"}, 8000, 28.5}),
    [](const auto& info) { return info.param.name; });

// A raw file goes through the library's G722Encode, a WAV file through the codec calls; the
// same samples must give the same codes either way.
TEST(ToolEncode, RawAndWavInputsGiveTheSameCodes) {
  TempDir dir;
  const std::vector<int16_t> pcm = SpeechLikeSignal(8000 * 2 + 1, 8000, 11);
  WriteBytes(dir / "speech.pcm", PcmBytes(pcm));
  WriteWav(dir / "speech.wav", {8000, 1, pcm});
  ASSERT_EQ(RunTool({"encode", "speech.pcm", "from-raw.g722"}, dir.path()).exit_code, 0);
  ASSERT_EQ(RunTool({"encode", "speech.wav", "from-wav.g722"}, dir.path()).exit_code, 0);
  const std::vector<uint8_t> from_raw = ReadBytes(dir / "from-raw.g722");
  EXPECT_EQ(from_raw.size(), pcm.size());
  EXPECT_EQ(from_raw, ReadBytes(dir / "from-wav.g722"));
}

TEST(ToolEncode, NonAsciiNamesWork) {
  TempDir dir;
  WriteWav(dir / "Prøve 🤔.wav", ToneMix(16000, 1, 0.5));
  ASSERT_EQ(RunTool({"encode", "Prøve 🤔.wav", "שלום.g722"}, dir.path()).exit_code, 0);
  const ToolResult decoded = RunTool({"decode", "שלום.g722", "Prøve 🤔 2.wav"}, dir.path());
  ASSERT_EQ(decoded.exit_code, 0) << decoded.err;
  EXPECT_EQ(ReadAudio(dir / "Prøve 🤔 2.wav").samples.size(), 8000u);
}

struct InfoCase {
  std::string name;
  std::string file;
  std::vector<uint8_t> bytes;
  std::vector<std::string> lines;
};

void PrintTo(const InfoCase& c, std::ostream* os) {
  *os << c.name;
}

class ToolInfo : public ::testing::TestWithParam<InfoCase> {};

TEST_P(ToolInfo, DescribesTheFile) {
  const InfoCase& c = GetParam();
  TempDir dir;
  if (c.file != G722KIT_SAMPLE) WriteBytes(dir / c.file, c.bytes);
  const ToolResult result = RunTool({"info", c.file}, dir.path());
  EXPECT_EQ(result.exit_code, 0) << result.err;
  for (const std::string& line : c.lines) {
    EXPECT_NE(result.out.find(line + "\n"), std::string::npos) << line << "\nin:\n" << result.out;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ToolInfo,
    ::testing::Values(InfoCase{"Wav",
                               G722KIT_SAMPLE,
                               {},
                               {"  sample rate  16000 Hz", "  channels     1",
                                "  frames       91400", "  duration     5.713 s"}},
                      InfoCase{"Raw",
                               "tone.raw",
                               std::vector<uint8_t>(16000, 0x11),
                               {"  sample rate  8000 Hz", "  frames       8000",
                                "  duration     1.000 s"}},
                      InfoCase{"LibraryCodes",
                               "codes.g722",
                               std::vector<uint8_t>(12000, 0xC7),
                               {"  one code per byte, any bit rate       12000 codes      1.500 s",
                                "  packed at 56000 bit/s                 13714 codes      1.714 s",
                                "  packed at 48000 bit/s                 16000 codes      2.000 s",
                                "  at 64000 bit/s, decode takes them for 8 kHz lower-band-only "
                                "codes: the upper band of "
                                "every code is 3 (as it is in two-band digital silence too)"}}),
    [](const auto& info) { return info.param.name; });

TEST(ToolCompare, TriesEveryConfigurationAndKeepsTheFiles) {
  TempDir dir;
  WriteBytes(dir / "short.raw", PcmBytes(SpeechLikeSignal(8000, 8000, 5)));
  const ToolResult result = RunTool({"compare", "short.raw", "--out", "trial"}, dir.path());
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("48000 bit/s, 16 kHz, packed"), std::string::npos) << result.out;
  const Audio packed = ReadAudio(dir / "trial" / "short.48k-16khz-packed.wav");
  EXPECT_EQ(packed.rate, 16000);
  EXPECT_EQ(packed.samples.size(), 16000u);
  EXPECT_EQ(ReadBytes(dir / "trial" / "short.48k-16khz-packed.g722").size(), 6000u);
  EXPECT_EQ(ReadBytes(dir / "trial" / "short.64k-8khz.g722").size(), 8000u);
}

}  // namespace
}  // namespace g722kit::test
