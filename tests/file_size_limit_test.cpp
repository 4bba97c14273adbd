// Under the process's file size limit (RLIMIT_FSIZE) every write of the library fails as on a
// full disk: the host is not killed by SIGXFSZ, the operation reports G722KIT_ERR_WRITE (the
// recorder through its status) and a WAV output holds exactly what its header claims.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "g722kit/g722kit.h"
#include "scripted_wave_in.h"
#include "test_support.h"

namespace g722kit::test {
namespace {

constexpr rlim_t kLimit = 100000;

// Runs operation in a child process limited to files of kLimit bytes; returns the result it
// exited with (G722KIT_OK as 0), or minus the signal that ended it.
int UnderFileSizeLimit(const std::function<int32_t()>& operation) {
  const pid_t child = fork();
  if (child == 0) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = kLimit;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(100);
    const int32_t result = operation();
    _exit(result == G722KIT_OK ? 0 : static_cast<int>(result));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(FileSizeLimit, WritesFailAsOnAFullDisk) {
  TempDir dir;
  const std::vector<int16_t> pcm = SpeechLikeSignal(kLimit + 5000, 8000, 5);
  WriteBytes(dir / "in.raw", PcmBytes(pcm));
  WriteBytes(dir / "in.g722", EncodeAll(64000, G722Option8k, pcm));
  struct Case {
    const char* what;
    std::filesystem::path output;
    std::function<int32_t()> run;
    size_t size;  // of the output left behind
  };
  const Case cases[] = {
      {"encode", dir / "out.g722",
       [&] { return G722Encode(U16(dir / "in.raw").c_str(), U16(dir / "out.g722").c_str()); },
       kLimit},
      {"decode", dir / "out.wav",
       [&] { return G722Decode(U16(dir / "in.g722").c_str(), U16(dir / "out.wav").c_str()); },
       kLimit},
      {"record", dir / "rec.wav",
       [&] {
         ScriptedWaveIn device;
         G711ADPCMSoundRecorderStart(U16(dir / "rec.wav").c_str());
         for (int second = 0; second < 8; second++)
           device.Deliver(std::vector<uint8_t>(16000, 7));
         G711ADPCMSoundRecorderStop();
         return G711ADPCMSoundRecorderStatus();
       },
       44 + 6 * 16000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(UnderFileSizeLimit(c.run), G722KIT_ERR_WRITE);
    const std::vector<uint8_t> output = ReadBytes(c.output);
    ASSERT_EQ(output.size(), c.size);
    if (c.output.extension() == ".wav") {
      EXPECT_EQ(U32At(output, 40), output.size() - 44);
      EXPECT_EQ(U32At(output, 4), output.size() - 8);
    }
  }
}

}  // namespace
}  // namespace g722kit::test
