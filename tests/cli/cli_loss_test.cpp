// decode --simulate-loss on every kind of input: the packets it says it dropped, the seed that
// repeats a run, and 0% that is the plain decode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <string>

#include "audio_files.h"
#include "test_support.h"
#include "tool_process.h"

namespace g722kit::test {
namespace {

constexpr int kPackets = 500;  // of 160 codes, the last one short
constexpr size_t kCodes = kPackets * 160 - 60;

struct LossCase {
  std::string name;
  std::string decode;     // the command, whose output's name follows
  std::string extension;  // of the outputs
  std::string loss;       // P[:B]
  double percent;
};

void PrintTo(const LossCase& c, std::ostream* os) {
  *os << c.name;
}

class ToolLoss : public ::testing::TestWithParam<LossCase> {};

TEST_P(ToolLoss, DropsItsShareRepeatablyAndNothingElse) {
  const LossCase& c = GetParam();
  TempDir dir;
  const std::vector<int16_t> wide = SpeechLikeSignal(kCodes * 2, 16000, 4);
  WriteBytes(dir / "wide.g722", EncodeAll(64000, 0, wide));
  WriteBytes(dir / "narrow.g722",
             EncodeAll(64000, G722Option8k, SpeechLikeSignal(kCodes, 8000, 4)));
  WriteWav(dir / "speech.wav", {16000, 1, wide});
  ASSERT_EQ(RunTool({"encode", "-q", "speech.wav", "phone.wav"}, dir.path()).exit_code, 0);
  // phone.wav's codes given to both legs of a call, which lose the same packets: 2 channels,
  // and the codes up to the end of the file.
  const std::vector<uint8_t> phone = ReadBytes(dir / "phone.wav");
  std::vector<uint8_t> legs(phone.begin(), phone.begin() + 58);
  for (size_t i = 58; i < phone.size(); i++)
    legs.insert(legs.end(), 2, phone[i]);
  legs[22] = 2;
  std::fill(legs.begin() + 54, legs.begin() + 58, 0xFF);
  WriteBytes(dir / "legs.wav", legs);
  const auto run = [&](const std::string& out, const std::string& options) {
    const ToolResult result = RunScript(c.decode + out + c.extension + options, dir.path());
    EXPECT_EQ(result.exit_code, 0) << result.err;
    return result.out + result.err;
  };
  const auto samples = [&](const std::string& out) {
    return ReadAudio(dir / (out + c.extension)).samples;
  };
  run("plain", "");
  const std::string first = run("first", " --simulate-loss " + c.loss);
  std::smatch found;
  ASSERT_TRUE(
      std::regex_search(first, found, std::regex("dropped \\d+ of (\\d+) packets.* seed (\\d+)\n")))
      << first;
  EXPECT_EQ(std::stoi(found[1]), kPackets);
  const std::string again =
      run("again", " --simulate-loss " + c.loss + " --seed " + found[2].str());
  EXPECT_EQ(again.substr(again.find("dropped")), first.substr(first.find("dropped")));
  EXPECT_EQ(samples("again"), samples("first"));

  const std::string other = run("other", " --simulate-loss " + c.loss + " --seed 1");
  ASSERT_TRUE(std::regex_search(other, found, std::regex("dropped (\\d+) of")));
  const double expected = c.percent / 100 * kPackets;
  EXPECT_LE(std::abs(std::stoi(found[1]) - expected), expected / 2) << other;
  const std::vector<int16_t> plain = samples("plain"), lossy = samples("other");
  EXPECT_EQ(lossy.size(), plain.size());
  EXPECT_EQ(lossy == plain, c.percent == 0);
  EXPECT_EQ(lossy == samples("first"), c.percent == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ToolLoss,
    ::testing::Values(
        LossCase{"TwoBandFile", "g722kit decode wide.g722 ", ".wav", "20:3", 20},
        LossCase{"EightKhzFile", "g722kit decode narrow.g722 ", ".wav", "10", 10},
        LossCase{"NoneOfAnEightKhzFile", "g722kit decode narrow.g722 ", ".wav", "0", 0},
        LossCase{"WavContainerToFlac", "g722kit decode phone.wav ", ".flac", "15:2", 15},
        LossCase{"StereoContainer", "g722kit decode legs.wav ", ".wav", "15", 15},
        LossCase{"StdinToStdout", "cat wide.g722 | g722kit decode - - >", ".wav", "5", 5}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace g722kit::test
