// Pins every output bit of the codec: SHA-256 digests of the codes and samples of long, varied
// streams in all twelve configurations, fed in calls of random sizes and flushed at the end,
// under every instruction set, natively or emulated. The signals are made with integer arithmetic
// only, so that they are the same on every system the tests run on.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "codec_routines.h"
#include "codec_variants.h"
#include "g722kit/g722.h"
#include "sha256.h"
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

// Feeds the input to call in pieces of random sizes, then flushes; returns the output.
template <class Out, class In, class Call, class Flush>
std::vector<Out> FeedInCalls(const std::vector<In>& input, size_t room, Random& random, Call call,
                             Flush flush) {
  std::vector<Out> output(room);
  size_t written = 0;
  for (size_t i = 0; i < input.size();) {
    const size_t n = std::min(NextCallSize(random), input.size() - i);
    written += call(output.data() + written, input.data() + i, static_cast<int32_t>(n));
    i += n;
  }
  output.resize(written + flush(output.data() + written));
  return output;
}

std::vector<uint8_t> EncodeInCalls(G722State& state, const CodecConfig& config,
                                   const std::vector<int16_t>& pcm, Random& random) {
  G722EncoderInit(&state, config.rate, config.options);
  return FeedInCalls<uint8_t>(
      pcm, pcm.size() + 3, random,
      [&](uint8_t* out, const int16_t* in, int32_t n) {
        return G722EncodeSamples(&state, out, in, n);
      },
      [&](uint8_t* out) { return G722EncoderFlush(&state, out); });
}

std::vector<uint8_t> DecodeInCalls(G722State& state, const CodecConfig& config,
                                   const std::vector<uint8_t>& codes, Random& random) {
  G722DecoderInit(&state, config.rate, config.options);
  return PcmBytes(FeedInCalls<int16_t>(  // little-endian on every system
      codes, codes.size() * 8 / 6 * 2 + 4, random,
      [&](int16_t* out, const uint8_t* in, int32_t n) {
        return G722DecodeCodes(&state, out, in, n);
      },
      [&](int16_t* out) { return G722DecoderFlush(&state, out); }));
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
    {"64k_16kHz", "ce0adf1c3e7644b9636daa4b5970a943028d24d3e08ee198282ae9f080952325",
     "d72b5501e76806726f3b4298c13f7e9335d2a5e59b7a10863766ca0fa3cbf57b",
     "eda0a33506d379b3886e6d18fff21367d46bd1b110dd3c42301ed6d367bbebd4"},
    {"64k_8kHz", "d879f3019c6aaf2816a83e75a13a0e3bead54cf7c98f8ccc316982e84bbaa24c",
     "d66cd59e016369cf478add2c2fbeaa2c830738f15d97e51bc9bfde1f08a5b522",
     "6b040af4507386a14ccef62bc3a670eb3ffdf134fb0cabf4d8d760ef963144df"},
    {"64k_16kHz_packed", "ce0adf1c3e7644b9636daa4b5970a943028d24d3e08ee198282ae9f080952325",
     "d72b5501e76806726f3b4298c13f7e9335d2a5e59b7a10863766ca0fa3cbf57b",
     "eda0a33506d379b3886e6d18fff21367d46bd1b110dd3c42301ed6d367bbebd4"},
    {"64k_8kHz_packed", "d879f3019c6aaf2816a83e75a13a0e3bead54cf7c98f8ccc316982e84bbaa24c",
     "d66cd59e016369cf478add2c2fbeaa2c830738f15d97e51bc9bfde1f08a5b522",
     "6b040af4507386a14ccef62bc3a670eb3ffdf134fb0cabf4d8d760ef963144df"},
    {"56k_16kHz", "f4e432ececebe1e4751b1a051056a62b80cd247b7b5c10ee45461e44dc5531cd",
     "d0c9e23406dad9cdaec18182d9f9e14e5d35cf05684dde407fdc2b7376ab9ca9",
     "3dcee2859323b4a5c0dd56a1aab9574248e385682c4f773b3671c4432e2776b1"},
    {"56k_8kHz", "de9c9d33a60d673604ce83d4293d289512a895729dcd67919e1c9c17c4fb6810",
     "6acdc657ad19326adfd8f02e19d28c13c7c879ea76bed97c80150278837df380",
     "79a9ab506a69fd50694fbd5a5c0852d01bd080f204310acf92330ae5005ac609"},
    {"56k_16kHz_packed", "c6654511bd7f3fef9c4a7b3cc5268e2c2744a246c14f7b4412bdb5d685d9df64",
     "d0c9e23406dad9cdaec18182d9f9e14e5d35cf05684dde407fdc2b7376ab9ca9",
     "aeac80dde8e534ed0f2b9d5c6ee37b56b109d0c5e958c01812846bdabe36dd32"},
    {"56k_8kHz_packed", "73408fbe334b34c30b58e63b1a243866f071755d1ca3cf9d27b8b2c69bbdfcd0",
     "2237a218e451ac3d5ce3a14910b8f59c630fa35a1955f5c191bf675637765e12",
     "d19d7738f4f1dc124e4bd33251c50b3e6da4ecbac592d9e3309a0741fc9c94fa"},
    {"48k_16kHz", "c2bcdcec819e0efa0d21c700b80eac29e3b98dde2733065e31a5ee813b8cccfe",
     "bb4446dc378d3edd2ca00e4fd62b53feb7313b66b437f370d03926d0ef9740d2",
     "1e217b22f7a9354ebd944ead2170a43489020144b67530098273e1e1c6d57c0b"},
    {"48k_8kHz", "63c01f5d94800cae1ff05a2839adfe2f6ac5800d92d552a4d21c15cfd7adff65",
     "96bdce9942507a86d5ea031dbbc2771f6990a505c62b6cc1b271f794b15f9aa6",
     "2cc0137c481ffb7941656df62df18bebdead4c7f6ebb94ca02ed19e923a7f85f"},
    {"48k_16kHz_packed", "a2922ae41cd731e8059b9a0da58a34cf013644de02a4b2d7e2ab12c97bc57958",
     "bb4446dc378d3edd2ca00e4fd62b53feb7313b66b437f370d03926d0ef9740d2",
     "057d4c80a365c94794daadc27cd3c4141b9a59bec731f50639f12e8fd737d513"},
    {"48k_8kHz_packed", "ae6a5520ea67e6e26aef05eaab47218aa47ef826edc914cf689ef3bedc7d62bb",
     "d8846385e92ecfe7c0b2036227091f1aadefa20718af5cef404b7c70057544f6",
     "56d320a3d71aeeb2c6b25618c1ca4d016f73f45e6ab976ad435ba2f635927612"},
};

using CodecDigest = AtEveryVariant<>;

TEST_P(CodecDigest, EveryConfigurationGivesThePinnedBits) {
  // An odd length whose codes do not fill the last byte in any packed configuration, so that
  // the flushes have a held sample and held bits to write.
  std::vector<int16_t> signal = VariedSignal(12001);
  signal.push_back(-7);
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

// The digests above prove each variant's loops and kernels only if each runs its own.
TEST(CodecDigestVariants, EveryVariantRunsRoutinesOfItsOwn) {
  std::vector<const CodecRoutines*> seen;
  for (const CodecVariant& variant : CodecVariants()) {
    UseVariant(variant);
    const CodecRoutines* routines = &ActiveRoutines();
    for (const CodecRoutines* other : seen)
      EXPECT_NE(routines->lanes.encode, other->lanes.encode) << variant.name;
    seen.push_back(routines);
  }
  UseDefaultVariant();
}

INSTANTIATE_TEST_SUITE_P(Simd, CodecDigest,
                         ::testing::Combine(::testing::ValuesIn(CodecVariants())), VariantName());

}  // namespace
}  // namespace g722kit::test
