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

std::vector<uint8_t> EncodeInCalls(G722State& state, const CodecConfig& config,
                                   const std::vector<int16_t>& pcm, Random& random) {
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

std::vector<uint8_t> DecodeInCalls(G722State& state, const CodecConfig& config,
                                   const std::vector<uint8_t>& codes, Random& random) {
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
  return PcmBytes(pcm);  // little-endian on every system
}

// Digest of an output and of the record's stream fields after it, all little-endian.
std::string Digest(const std::vector<uint8_t>& output, const G722State& record) {
  std::vector<uint8_t> bytes = output;
  const auto put = [&bytes](int64_t field) {
    for (int i = 0; i < 4; i++)
      bytes.push_back(static_cast<uint8_t>(field >> (8 * i)));
  };
  for (int32_t h : record.qmf_history)
    put(h);
  for (const G722Band& b : record.band) {
    for (int32_t v : {b.s, b.sp, b.sz, b.nb, b.det})
      put(v);
    for (int i = 0; i < 3; i++) {
      for (int32_t v : {b.r[i], b.a[i], b.ap[i], b.p[i]})
        put(v);
    }
    for (int i = 0; i < 7; i++) {
      for (int32_t v : {b.d[i], b.b[i], b.bp[i], b.sg[i]})
        put(v);
    }
  }
  for (int64_t v :
       {int64_t{record.unpack_buffer}, int64_t{record.unpack_bits}, int64_t{record.pack_buffer},
        int64_t{record.pack_bits}, int64_t{record.pending_sample}, int64_t{record.has_pending}}) {
    put(v);
  }
  Sha256 sha;
  sha.Update(bytes.data(), bytes.size());
  return sha.HexDigest();
}

struct Pinned {
  const char* config;
  // Each digest covers an output and the record after it.
  const char* codes;    // the varied signal encoded
  const char* decoded;  // those codes decoded
  const char* random;   // random bytes decoded
};

const Pinned kPinned[] = {
    {"64k_16kHz", "7f6cafce04862825ad6f2d85b55ccea6019547d37621b260653a09fff9982cfe",
     "15729828320170dfdaca9dcda5e18363d5b809aee1b86b7b30929c3c7340df1c",
     "eda0a33506d379b3886e6d18fff21367d46bd1b110dd3c42301ed6d367bbebd4"},
    {"64k_8kHz", "86a346d36bb0e41c5ea4442175bfd50471c1f47a4f7ac993cbb09ee25d3c6ac0",
     "a05237833468daac6e6644c0a8ca79db7a1f78d8e0f4106d77f751957fd3ec9c",
     "6b040af4507386a14ccef62bc3a670eb3ffdf134fb0cabf4d8d760ef963144df"},
    {"64k_16kHz_packed", "7f6cafce04862825ad6f2d85b55ccea6019547d37621b260653a09fff9982cfe",
     "15729828320170dfdaca9dcda5e18363d5b809aee1b86b7b30929c3c7340df1c",
     "eda0a33506d379b3886e6d18fff21367d46bd1b110dd3c42301ed6d367bbebd4"},
    {"64k_8kHz_packed", "86a346d36bb0e41c5ea4442175bfd50471c1f47a4f7ac993cbb09ee25d3c6ac0",
     "a05237833468daac6e6644c0a8ca79db7a1f78d8e0f4106d77f751957fd3ec9c",
     "6b040af4507386a14ccef62bc3a670eb3ffdf134fb0cabf4d8d760ef963144df"},
    {"56k_16kHz", "d278b6f4ec12e395578cf85320c1b8bd99c6b540e690e7780d30a80294333786",
     "d7a6bb4576becc17d7064b500d58e02fa12b155d0a2921907da2fe8657566bc9",
     "3dcee2859323b4a5c0dd56a1aab9574248e385682c4f773b3671c4432e2776b1"},
    {"56k_8kHz", "caa49b028df3b54c61952c406d987f08a3a05d8cdb148c86d79f92900eabaeb2",
     "640263283ff5ae7c530533426d86320d4656755fb79bb6e8c228061693d1058c",
     "79a9ab506a69fd50694fbd5a5c0852d01bd080f204310acf92330ae5005ac609"},
    {"56k_16kHz_packed", "95633c72823d624540cf873d450eb83e3af8e0d2c2b47dd955441d567e5a3e81",
     "df74ceb4660e5ae3e5079b5f4eb8131a5968afab5a1989d81d4f646a311082ea",
     "3a37e90b421a7b24397c8e1db65389f7c3dcf327dc56dbea63f63423df093bc6"},
    {"56k_8kHz_packed", "d7677f226d51540101e5228250a3adc5f2fc6e39cc71000ba5c157484597b08c",
     "e1cf9a9bced3fce53a5441fd79315fbb67d30252bab96fbe007c27bbc595d287",
     "4c0a739123ab5213e72167805ae82056c6bc267dbffef1fe3ffc2c0c6884e7c9"},
    {"48k_16kHz", "0f34f868ab907414e1bbaeb3553b6848ca2a353c9cf214dbc89a7d5667c918eb",
     "a04846191fdceb9f9ab5cd33201a36dd5d3e012aa775df54a96da86e4bfe13ae",
     "1e217b22f7a9354ebd944ead2170a43489020144b67530098273e1e1c6d57c0b"},
    {"48k_8kHz", "a9ec920d150b2fec9e2ea7f79ca79ca407efa741f6344923bb87cc5ceebb3390",
     "943e8b04ab6d15d622716c26e5fa7ecc0e1e056b622d8d8989b7e741b3551e29",
     "2cc0137c481ffb7941656df62df18bebdead4c7f6ebb94ca02ed19e923a7f85f"},
    {"48k_16kHz_packed", "1cfe43cf4bd4f139838eaa5d54874274cb5e44c8a62ab0c661a506fe529ef2db",
     "bb0af2a35c4755d7090e5b29903baacee387cffb153c5c58e5bca69cd9eb642c",
     "8c151acd698b4b6899950221fd4d60b1e40b531fa0791d804bccf08fc71d7d24"},
    {"48k_8kHz_packed", "9f43fd3b77b0afaa4ed2552429532ffd76a4d72fe802af123dff657986672b40",
     "ccd6ba1d5b3ed19ec0c33c29bb4e842ed046e57a1ea2c501c32c0b036c2c1988",
     "b4eb6d6be8df8a6d8987de6fdb93001b67076038a7de91242399ee7de5da3ef6"},
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
    G722State encoder, decoder;
    const std::vector<uint8_t> codes = EncodeInCalls(encoder, config, signal, calls);
    EXPECT_EQ(Digest(codes, encoder), kPinned[c].codes) << config.name << " codes";
    const std::vector<uint8_t> decoded = DecodeInCalls(decoder, config, codes, calls);
    EXPECT_EQ(Digest(decoded, decoder), kPinned[c].decoded) << config.name << " decoded";
    const std::vector<uint8_t> random = DecodeInCalls(decoder, config, noise, calls);
    EXPECT_EQ(Digest(random, decoder), kPinned[c].random) << config.name << " random bytes decoded";
  }
}

INSTANTIATE_TEST_SUITE_P(Simd, CodecDigest,
                         ::testing::Values(SimdLevel::kPortable, SimdLevel::kAvx2,
                                           SimdLevel::kAvx512),
                         [](const auto& info) { return SimdLevelName(info.param); });

}  // namespace
}  // namespace g722kit::test
