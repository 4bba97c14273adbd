// Host paths with characters beyond ASCII through both file operations. A path names exactly
// the file it spells or none: where the narrow encoding cannot hold a character, the operation
// refuses the path and touches no file, not even one whose name looks alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "g722kit/g722kit.h"
#include "system_support.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

struct NameCase {
  const char* label;
  std::u16string stem;
  bool in_code_page_1252;
  std::u16string look_alike;  // what a best-fit conversion would make of stem
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << c.label;
}

std::vector<std::u16string> FileNames(const TempDir& dir) {
  std::vector<std::u16string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.push_back(entry.path().filename().u16string());
  std::sort(names.begin(), names.end());
  return names;
}

class PathNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(PathNames, NameTheirFileOrNone) {
  const NameCase& c = GetParam();
  TempDir dir;
  const auto speech = dir / "speech.pcm";
  const auto codes = dir / (c.stem + u".g722");
  const auto wav = dir / (c.stem + u".wav");
  const std::vector<uint8_t> decoy = {'d', 'e', 'c', 'o', 'y'};
  constexpr size_t kSamples = 4000;
  WriteBytes(speech, PcmBytes(SpeechLikeSignal(kSamples, 8000, 7)));
  if (!c.look_alike.empty()) {
    WriteBytes(dir / (c.look_alike + u".g722"), decoy);
    WriteBytes(dir / (c.look_alike + u".wav"), decoy);
  }
  const std::vector<std::u16string> before = FileNames(dir);

  const int32_t encoded = G722Encode(U16(speech).c_str(), U16(codes).c_str());
  ASSERT_TRUE(encoded == G722KIT_OK || encoded == G722KIT_ERR_PATH) << encoded;
  const bool holds = encoded == G722KIT_OK;
  if (const auto expected = NarrowPathSpells(c.in_code_page_1252)) {
    EXPECT_EQ(holds, *expected);
  }

  std::vector<std::u16string> expected_names = before;
  if (holds) {
    EXPECT_EQ(ReadBytes(codes).size(), kSamples);
    EXPECT_EQ(G722Decode(U16(codes).c_str(), U16(wav).c_str()), G722KIT_OK);
    EXPECT_EQ(ReadBytes(wav).size(), 44 + 2 * kSamples);
    expected_names.push_back(codes.filename().u16string());
    expected_names.push_back(wav.filename().u16string());
  } else {
    // The input side is refused as well, before the output is created.
    WriteBytes(codes, {0xFF, 0xFF});
    EXPECT_EQ(G722Decode(U16(codes).c_str(), U16(dir / "out.wav").c_str()), G722KIT_ERR_PATH);
    expected_names.push_back(codes.filename().u16string());
  }
  std::sort(expected_names.begin(), expected_names.end());
  EXPECT_EQ(FileNames(dir), expected_names);
  if (!c.look_alike.empty()) {
    EXPECT_EQ(ReadBytes(dir / (c.look_alike + u".g722")), decoy);
    EXPECT_EQ(ReadBytes(dir / (c.look_alike + u".wav")), decoy);
  }
}

INSTANTIATE_TEST_SUITE_P(NonAscii, PathNames,
                         ::testing::Values(NameCase{"Latin1", u"Pr\u00f8ve caf\u00e9", true, u""},
                                           NameCase{"LatinExtended", u"\u0101", false, u"a"},
                                           NameCase{"Hebrew", u"\u05e9\u05dc\u05d5\u05dd", false,
                                                    u""},
                                           NameCase{"Cjk", u"\u65e5\u672c\u8a9e", false, u""},
                                           NameCase{"Emoji", u"\U0001F914", false, u""}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace g722kit::test
