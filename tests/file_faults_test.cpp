// Every file call of the file operations and of a recording failing in turn, on every system:
// each failure gives its documented result, no output claims data it does not hold, and no
// stream is left open.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "faulty_files.h"
#include "g722kit/g722kit.h"
#include "scripted_wave_in.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Call = FaultyFiles::Call;
using Counts = std::array<int, FaultyFiles::kCallKinds>;

// Samples in one read of the file operations (256 KiB): an input longer than that is read in
// two, and a read can fail part-way.
constexpr size_t kReadSamples = 131072;

struct Fault {
  Call call;
  int n;
};

std::string Name(const Fault& fault) {
  return std::string(CallName(fault.call)) + " #" + std::to_string(fault.n);
}

// One fault for every call counted.
std::vector<Fault> EveryCall(const Counts& counts) {
  std::vector<Fault> faults;
  for (size_t kind = 0; kind < counts.size(); kind++) {
    for (int n = 1; n <= counts[kind]; n++)
      faults.push_back({static_cast<Call>(kind), n});
  }
  return faults;
}

// The calls an operation makes when nothing fails.
Counts CountCalls(const std::function<void()>& operation) {
  FaultyFiles files;
  operation();
  return files.Counts();
}

bool IsPrefix(const Bytes& part, const Bytes& whole) {
  return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

// A WAV file the library wrote claims no data it does not hold: either it is too short to hold
// a header, or its sizes claim at most the bytes behind the header (exactly those, when exact),
// and those bytes begin the data expected.
void ExpectHonestWav(const Bytes& wav, const Bytes& data, bool exact) {
  if (wav.size() < 44) return;
  const uint32_t held = static_cast<uint32_t>(wav.size() - 44);
  EXPECT_LE(U32At(wav, 40), held);
  EXPECT_LE(U32At(wav, 4), held + 36);
  if (exact) {
    EXPECT_EQ(U32At(wav, 40), held);
    EXPECT_EQ(U32At(wav, 4), held + 36);
  }
  EXPECT_TRUE(IsPrefix(Bytes(wav.begin() + 44, wav.end()), data));
}

TEST(FileFaults, EncodeReportsEveryFailedCall) {
  TempDir dir;
  const fs::path in = dir / "in.raw";
  const fs::path out = dir / "out.g722";
  const std::vector<int16_t> pcm = SpeechLikeSignal(kReadSamples + 999, 8000, 31);
  const Bytes codes = EncodeAll(64000, G722Option8k, pcm);
  const Bytes earlier = {1, 2, 3};
  WriteBytes(in, PcmBytes(pcm));
  const auto encode = [&] { return G722Encode(U16(in).c_str(), U16(out).c_str()); };
  // Opens and closes come in pairs: the input's, then the output's.
  const auto expected = [](const Fault& fault) {
    switch (fault.call) {
      case Call::kOpen:
        return fault.n == 1 ? G722KIT_ERR_OPEN_INPUT : G722KIT_ERR_OPEN_OUTPUT;
      case Call::kRead:
        return G722KIT_ERR_READ;
      case Call::kClose:
        return fault.n == 1 ? G722KIT_OK : G722KIT_ERR_WRITE;  // the input loses nothing
      default:
        return G722KIT_ERR_WRITE;
    }
  };
  for (const Fault& fault : EveryCall(CountCalls(encode))) {
    SCOPED_TRACE(Name(fault));
    WriteBytes(out, earlier);
    FaultyFiles files;
    files.FailNth(fault.call, fault.n);
    const int32_t result = encode();
    EXPECT_EQ(result, expected(fault));
    EXPECT_EQ(files.OpenStreams(), 0);
    const Bytes written = ReadBytes(out);
    if (fault.call == Call::kOpen) {
      EXPECT_EQ(written, earlier);
    } else {
      EXPECT_TRUE(IsPrefix(written, codes));
      if (result == G722KIT_OK) {
        EXPECT_EQ(written, codes);
      }
    }
  }
}

TEST(FileFaults, DecodeReportsEveryFailedCall) {
  TempDir dir;
  const fs::path in = dir / "in.g722";
  const fs::path out = dir / "out.wav";
  const Bytes earlier = {9, 8, 7};
  const std::vector<int16_t> pcm = SpeechLikeSignal(kReadSamples * 2 + 999, 8000, 32);
  // Shorter than a second, and longer than one read.
  for (const size_t length : {size_t{1001}, kReadSamples * 2 + 999}) {
    const Bytes codes =
        EncodeAll(64000, G722Option8k, std::vector<int16_t>(pcm.begin(), pcm.begin() + length));
    const Bytes samples = PcmBytes(DecodeAll(64000, G722Option8k, codes));
    WriteBytes(in, codes);
    const auto decode = [&] { return G722Decode(U16(in).c_str(), U16(out).c_str()); };
    const Counts counts = CountCalls(decode);
    const int writes = counts[static_cast<size_t>(Call::kWrite)];
    for (const Fault& fault : EveryCall(counts)) {
      SCOPED_TRACE(Name(fault) + " of " + std::to_string(length) + " codes");
      // The first and the last write are the two headers, the ones between samples.
      const bool part_way = fault.call == Call::kRead ||
                            (fault.call == Call::kWrite && fault.n > 1 && fault.n < writes);
      int32_t expected = G722KIT_ERR_HEADER;  // the header cannot be finished
      if (fault.call == Call::kOpen) {
        expected = fault.n == 1 ? G722KIT_ERR_OPEN_INPUT : G722KIT_ERR_OPEN_OUTPUT;
      } else if (fault.call == Call::kRead) {
        expected = G722KIT_ERR_READ;
      } else if (fault.call == Call::kWrite || (fault.call == Call::kClose && fault.n == 2)) {
        expected = G722KIT_ERR_WRITE;
      } else if (fault.call == Call::kClose) {
        expected = G722KIT_OK;  // closing the input loses nothing
      }
      WriteBytes(out, earlier);
      FaultyFiles files;
      files.FailNth(fault.call, fault.n);
      EXPECT_EQ(decode(), expected);
      EXPECT_EQ(files.OpenStreams(), 0);
      const Bytes wav = ReadBytes(out);
      if (fault.call == Call::kOpen) {
        EXPECT_EQ(wav, earlier);
      } else {
        ExpectHonestWav(wav, samples, part_way || expected == G722KIT_OK);
        if (expected == G722KIT_OK) {
          EXPECT_EQ(wav.size(), 44 + samples.size());
        }
      }
    }
  }
}

// One second of recognisable audio.
Bytes Second(uint8_t seed) {
  Bytes audio(16000);
  for (size_t i = 0; i < audio.size(); i++)
    audio[i] = static_cast<uint8_t>(seed * 29 + i * 5 + (i >> 8));
  return audio;
}

TEST(FileFaults, RecordingReportsEveryFailedCall) {
  TempDir dir;
  const fs::path file = dir / "take.wav";
  const Bytes earlier(100, 0x5A);
  Bytes delivered = Second(1);
  const Bytes second = Second(2);
  delivered.insert(delivered.end(), second.begin(), second.end());
  struct Take {
    int32_t start = 0;
    int32_t seconds = 0;
    int32_t status = 0;
    Counts at_start{};
  };
  // Records two seconds, and counts the calls that Start made.
  const auto record = [&](const FaultyFiles& files) {
    ScriptedWaveIn device;
    Take take;
    take.start = G711ADPCMSoundRecorderStart(U16(file).c_str());
    take.at_start = files.Counts();
    if (take.start == G722KIT_OK) {
      device.Deliver(Second(1));
      device.Deliver(Second(2));
    }
    take.seconds = G711ADPCMSoundRecorderStop();
    take.status = G711ADPCMSoundRecorderStatus();
    return take;
  };
  for (const bool exists : {true, false}) {
    const auto prepare = [&] {
      fs::remove(file);
      if (exists) WriteBytes(file, earlier);
    };
    prepare();
    Counts at_start{}, at_end{};
    {
      FaultyFiles files;
      at_start = record(files).at_start;
      at_end = files.Counts();
    }
    for (const Fault& fault : EveryCall(at_end)) {
      SCOPED_TRACE(Name(fault) + (exists ? " over a file" : " of a new file"));
      prepare();
      FaultyFiles files;
      files.FailNth(fault.call, fault.n);
      const Take take = record(files);
      EXPECT_EQ(files.OpenStreams(), 0);
      if (fault.n <= at_start[static_cast<size_t>(fault.call)]) {
        // Start looks at the file before its first write: failures until then mean it cannot be
        // opened as it is; failures from then on, that it cannot be written.
        const bool looking = fault.call == Call::kOpen || fault.call == Call::kSeekToEnd ||
                             fault.call == Call::kPosition || fault.call == Call::kRead ||
                             (fault.call == Call::kSeekTo && fault.n == 1);
        EXPECT_EQ(take.start, looking ? G722KIT_ERR_OPEN_OUTPUT : G722KIT_ERR_WRITE);
        EXPECT_EQ(take.seconds, 0);
        if (exists) {
          EXPECT_EQ(ReadBytes(file), earlier);
        } else {
          EXPECT_FALSE(fs::exists(file));
        }
      } else {
        EXPECT_EQ(take.start, G722KIT_OK);
        EXPECT_EQ(take.status, G722KIT_ERR_WRITE);
        const Bytes wav = ReadBytes(file);
        ASSERT_GE(wav.size(), 44u);
        EXPECT_EQ(U32At(wav, 40), 16000u * static_cast<uint32_t>(take.seconds));
        ExpectHonestWav(wav, delivered, false);
      }
    }
  }
}

}  // namespace
}  // namespace g722kit::test
