// Pins every output bit of the codec: SHA-256 digests of the codes and samples of long, varied
// streams in all twelve configurations, fed in calls of random sizes, under every instruction
// set this machine supports. The signals are made with integer arithmetic only, so that they
// are the same on every system the tests run on.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "g722kit/g722.h"
#include "sha256.h"
#include "simd_level.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

TEST(Sha256, KnownDigests) {
  struct Case {
    std::string message;
    size_t repeat;
    const char* digest;
  };
  const Case cases[] = {
      {"", 1, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", 1, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", 1,
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"a", 1000000, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    Sha256 sha;
    for (size_t i = 0; i < c.repeat; i++)
      sha.Update(c.message.data(), c.message.size());
    EXPECT_EQ(sha.HexDigest(), c.digest) << c.message;
  }
}

// xorshift32: the same numbers everywhere.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // Uniform enough in lo..hi for test signals.
  int32_t Between(int32_t lo, int32_t hi) {
    return lo + static_cast<int32_t>(Next() % static_cast<uint32_t>(hi - lo + 1));
  }

 private:
  uint32_t state_;
};

int16_t Clip16(int32_t x) {
  return static_cast<int16_t>(std::clamp(x, -32768, 32767));
}

// A sine-like wave of amplitude 16384 from the top 16 bits of a 32-bit phase: two parabolas.
int32_t Wave(uint32_t phase) {
  const int32_t t = static_cast<int32_t>(phase >> 16) - 32768;
  return (t * (32768 - std::abs(t))) >> 14;
}

// Silence, noise at every level, a sweep, squares, speech-like syllables and full-scale
// passages, one after another.
std::vector<int16_t> VariedSignal(size_t segment) {
  std::vector<int16_t> out;
  Random random(12345);
  out.insert(out.end(), segment, 0);
  for (size_t i = 0; i < segment; i++) {
    const int32_t level = 1 << (i * 16 / segment);
    out.push_back(Clip16(random.Between(-level, level)));
  }
  uint32_t phase = 0;
  for (size_t i = 0; i < segment; i++) {
    phase += static_cast<uint32_t>(i * (0x7FFFFFFFu / segment));
    out.push_back(Clip16(Wave(phase) * 5 / 4));
  }
  for (size_t i = 0; i < segment; i++) {
    const size_t period = 2 + (i * 97 / segment) * 3;
    const int32_t amplitude = (i < segment / 2) ? 12000 : 32767;
    out.push_back(Clip16((i % period < period / 2) ? amplitude : -amplitude - 1));
  }
  uint32_t pitch_phase = 0;
  for (size_t i = 0; i < segment; i++) {
    const auto syllable = static_cast<uint32_t>(i % 2000);  // 1600 samples of voice, a pause
    const int32_t envelope = (syllable < 1600) ? Wave(0x80000000u + syllable * 0x147AE1u) : 0;
    pitch_phase += 0x01000000u + static_cast<uint32_t>((i / 7) % 300) * 0x8000u;
    int32_t voiced = 0;
    for (uint32_t h = 1; h <= 6; h++)
      voiced += Wave(pitch_phase * h) / static_cast<int32_t>(h * h);
    const bool fricative = (i % 6000) < 500;
    const int32_t x = fricative ? random.Between(-4000, 4000) : (voiced * envelope) >> 15;
    out.push_back(Clip16(x + random.Between(-20, 20)));
  }
  for (size_t i = 0; i < segment; i++) {
    phase += 0x02000000u;
    const int32_t full = (i % 3000 < 1000)   ? Wave(phase) * 3
                         : (i % 3000 < 2000) ? random.Between(-32768, 32767)
                                             : ((i & 1) ? 32767 : -32768);
    out.push_back(Clip16(full));
  }
  return out;
}

// Call sizes: often 1 or a few, often odd, sometimes thousands.
size_t NextCallSize(Random& random) {
  switch (random.Next() % 4) {
    case 0:
      return 1;
    case 1:
      return static_cast<size_t>(random.Between(1, 9));
    case 2:
      return static_cast<size_t>(random.Between(1, 400)) | 1;
    default:
      return static_cast<size_t>(random.Between(1, 5000));
  }
}

std::vector<uint8_t> EncodeInCalls(const CodecConfig& config, const std::vector<int16_t>& pcm,
                                   Random& random) {
  G722State state;
  G722EncoderInit(&state, config.rate, config.options);
  std::vector<uint8_t> codes(pcm.size() + 1);
  size_t written = 0;
  for (size_t i = 0; i < pcm.size();) {
    const size_t n = std::min(NextCallSize(random), pcm.size() - i);
    written +=
        G722EncodeSamples(&state, codes.data() + written, pcm.data() + i, static_cast<int32_t>(n));
    i += n;
  }
  codes.resize(written);
  return codes;
}

std::vector<int16_t> DecodeInCalls(const CodecConfig& config, const std::vector<uint8_t>& codes,
                                   Random& random) {
  G722State state;
  G722DecoderInit(&state, config.rate, config.options);
  std::vector<int16_t> pcm(codes.size() * 8 / 6 * 2 + 2);
  size_t written = 0;
  for (size_t i = 0; i < codes.size();) {
    const size_t n = std::min(NextCallSize(random), codes.size() - i);
    written +=
        G722DecodeCodes(&state, pcm.data() + written, codes.data() + i, static_cast<int32_t>(n));
    i += n;
  }
  pcm.resize(written);
  return pcm;
}

std::string Digest(const std::vector<uint8_t>& bytes) {
  Sha256 sha;
  sha.Update(bytes.data(), bytes.size());
  return sha.HexDigest();
}

std::string Digest(const std::vector<int16_t>& samples) {
  return Digest(PcmBytes(samples));  // little-endian on every system
}

struct Pinned {
  const char* config;
  const char* codes;    // the varied signal encoded
  const char* decoded;  // those codes decoded
  const char* random;   // random bytes decoded
};

const Pinned kPinned[] = {
    {"64k_16kHz", "eca062e07833adae9eea5c4ba4c0b9c3c5638ef50f29e3260425f0779b537461",
     "fb7a0f8075e54b3e2ef1293aeb3e049bd1387e6e45f305e404aaa76b985ffb21",
     "32ddc78496321c67c9015044b538160b3b0d0354b6acbe8ecd549c3b6163d61f"},
    {"64k_8kHz", "4084ed3d6a15f07a710daff7b26e7de610ce22e2ea388ac26ca73919a88e98a4",
     "233227a1c490397e2cb899afe71f4ed97212352bebb8e6d0cd730a537aa147c0",
     "dbbe1294b19aed23134f709da7fc37f25d3cd6d552163d5597c19357e63d96dc"},
    {"64k_16kHz_packed", "eca062e07833adae9eea5c4ba4c0b9c3c5638ef50f29e3260425f0779b537461",
     "fb7a0f8075e54b3e2ef1293aeb3e049bd1387e6e45f305e404aaa76b985ffb21",
     "32ddc78496321c67c9015044b538160b3b0d0354b6acbe8ecd549c3b6163d61f"},
    {"64k_8kHz_packed", "4084ed3d6a15f07a710daff7b26e7de610ce22e2ea388ac26ca73919a88e98a4",
     "233227a1c490397e2cb899afe71f4ed97212352bebb8e6d0cd730a537aa147c0",
     "dbbe1294b19aed23134f709da7fc37f25d3cd6d552163d5597c19357e63d96dc"},
    {"56k_16kHz", "7dfd5ec487e94d914a4a40ed006325d369344e8f5bc153cbdf3973e6d71ea367",
     "8ecfd166a8b3e5db273767b9ecd760a73b3d428392f8f66a6529ba4bc23c7eec",
     "c3c3967cb122250ae1c47414364e759112eacfc0f9b49feabce6ae281f338984"},
    {"56k_8kHz", "f5d8817c551f70a71097ca581f7b3443ed51c946bb4dd080a888cd72b1ea3519",
     "37f63ee2714d1bc6ec08280d5a4bf5f3499ab8149991a4cb9beac31c79771258",
     "3485fa620528130b334b836ffc94163e8a8a196274e958509d11836ed114f9ee"},
    {"56k_16kHz_packed", "cbddbb183317dae10ac2d1724af00dc7c33875a43caec9d115e6ac5b44bd3d78",
     "a9266da687b066cc8c0920ee6b11294c10cacac7157a80697d1fe03d365d8038",
     "441f1e37058a464bf263626169bc438839a460815bf227290766e15c47273e9c"},
    {"56k_8kHz_packed", "4c14d29b0006a525f48104f15ae8bb6bb1aff9a73a0b45ded3f93b41ae8302ca",
     "bdece98b64c6662d1e86c8d54c489902517d75d3139b656f3de6dcd8124c8186",
     "1b3686b2728c8a264ea129c7326b03b7a4c82baaa77bee14be4ad954091e784f"},
    {"48k_16kHz", "2c3bce3e4438710c79f59529fb83178b49acf328113224403706f62c14ff2ea4",
     "a2a5ad516dc4823cc448b19ea3b2260f2e75c9120ab694324b086135c1d83058",
     "d1052c0c743c5c8b1ca693c9875414ca6119ab98da58a33ae37dfccb20a368d4"},
    {"48k_8kHz", "74b8ab11aa128e4d03e7897909e46e1bcfcca504c586aa425ca46e43997d476d",
     "463f0e8070f1a7edd32c78feccff736e2eb746c57da7077a06415f3d19619b79",
     "36d80d943c061dcb26e33b1a53a8da8c256aae8dac24bd63322fad3ef7d4e515"},
    {"48k_16kHz_packed", "3bad7174a1079d0b032493eec080a95332d4ab6a7b1f63a5d942bc5b8f26d539",
     "0afafb5d2403f9011f769eb8738455245f463aebecf22cd055dd335f2a21b789",
     "8a61124ce3b4a2f64058b3d223b8c81f54fd56924fbc7b238631d1f7fde38d72"},
    {"48k_8kHz_packed", "e9c3683da3f14697a0fb770c57b1b4bd8591307b96527b4eb5f57d5dfb56a07c",
     "2c372ddf7f25bba5c0dadd21d5cd2f8bb0a24995939d7c957f5b333345826e28",
     "898a89d2c5eb665c3783beeb32b5531c27a78515ff106cae2ee0b83a657adabb"},
};

class CodecDigest : public ::testing::TestWithParam<SimdLevel> {
 protected:
  void SetUp() override {
    if (!SetSimdLevelForTesting(GetParam())) GTEST_SKIP() << "not supported here";
  }
  void TearDown() override { SetSimdLevelForTesting(SupportedSimdLevel()); }
};

TEST_P(CodecDigest, EveryConfigurationGivesThePinnedBits) {
  const std::vector<int16_t> signal = VariedSignal(12000);
  std::vector<uint8_t> noise(40000);
  Random bytes(777);
  for (uint8_t& b : noise)
    b = static_cast<uint8_t>(bytes.Next() >> 24);

  const std::vector<CodecConfig> configs = AllConfigs();
  ASSERT_EQ(configs.size(), std::size(kPinned));
  for (size_t c = 0; c < configs.size(); c++) {
    const CodecConfig& config = configs[c];
    ASSERT_EQ(config.name, kPinned[c].config);
    Random calls(static_cast<uint32_t>(c + 1));
    const std::vector<uint8_t> codes = EncodeInCalls(config, signal, calls);
    EXPECT_EQ(Digest(codes), kPinned[c].codes) << config.name << " codes";
    EXPECT_EQ(Digest(DecodeInCalls(config, codes, calls)), kPinned[c].decoded)
        << config.name << " decoded";
    EXPECT_EQ(Digest(DecodeInCalls(config, noise, calls)), kPinned[c].random)
        << config.name << " random bytes decoded";
  }
}

INSTANTIATE_TEST_SUITE_P(Simd, CodecDigest,
                         ::testing::Values(SimdLevel::kPortable, SimdLevel::kAvx2,
                                           SimdLevel::kAvx512),
                         [](const auto& info) { return SimdLevelName(info.param); });

}  // namespace
}  // namespace g722kit::test
