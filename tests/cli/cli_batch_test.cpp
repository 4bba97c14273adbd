// Several files in one command, the default output names, and -f.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "audio_files.h"
#include "test_support.h"
#include "tool_process.h"

namespace g722kit::test {
namespace {

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST(ToolBatch, ConvertsEveryFileReportsTheWorstAndReplacesNothingUnasked) {
  TempDir dir;
  WriteWav(dir / "a.wav", ToneMix(8000, 1, 0.5));
  WriteWav(dir / "b.wav", ToneMix(16000, 2, 0.25));
  WriteBytes(dir / "notes.wav", {'h', 'i', '\n'});
  const ToolResult encoded =
      RunTool({"encode", "a.wav", "notes.wav", "b.wav", "-o", "codes/", "-j", "2"}, dir.path());
  EXPECT_EQ(encoded.exit_code, 4);
  EXPECT_EQ(SortedLines(encoded.out),
            (std::vector<std::string>{
                "3 files: 2 encoded, 1 failed",
                "a.wav (8000 Hz, 1 channel, 0.50 s) -> codes/a.g722: 4000 bytes of codes, 64000 "
                "bit/s, 16 kHz",
                "b.wav (16000 Hz, 2 channels, 0.25 s) -> codes/b.g722: 2000 bytes of codes, 64000 "
                "bit/s, 16 kHz"}));
  EXPECT_EQ(encoded.err, "g722kit: cannot read 'notes.wav': Format not recognised\n");

  // Again, over the outputs: refused without -f, file by file, and nothing changes.
  WriteBytes(dir / "codes" / "a.g722", {1, 2, 3});
  const ToolResult again = RunTool({"encode", "a.wav", "b.wav", "-o", "codes"}, dir.path());
  EXPECT_EQ(again.exit_code, 5);
  EXPECT_EQ(again.out, "2 files: 0 encoded, 2 failed\n");
  EXPECT_NE(again.err.find("g722kit: not replacing 'codes/a.g722': it exists (-f replaces it)\n"),
            std::string::npos)
      << again.err;
  EXPECT_EQ(ReadBytes(dir / "codes" / "a.g722"), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(RunTool({"encode", "a.wav", "b.wav", "-o", "codes", "-f"}, dir.path()).exit_code, 0);
  EXPECT_EQ(ReadBytes(dir / "codes" / "a.g722").size(), 4000u);

  // decode into a folder named last, and one input with its default name beside it.
  std::filesystem::create_directory(dir / "pcm");
  EXPECT_EQ(RunTool({"decode", "codes/a.g722", "codes/b.g722", "pcm"}, dir.path()).exit_code, 0);
  EXPECT_EQ(ReadAudio(dir / "pcm" / "b.wav").samples.size(), 4000u);
  EXPECT_EQ(RunTool({"decode", "codes/a.g722", "-p", "-b", "48000"}, dir.path()).exit_code, 0);
  EXPECT_EQ(ReadAudio(dir / "codes" / "a.wav").samples.size(), 10666u);
  const ToolResult kept = RunTool({"encode", "a.wav"}, dir.path());
  EXPECT_EQ(kept.exit_code, 0) << kept.err;
  EXPECT_EQ(RunTool({"encode", "a.wav"}, dir.path()).exit_code, 5);
}

// A worker that a signal ends fails its file, and so the run.
TEST(ToolBatch, WorkerEndedBySignalFailsItsFile) {
  TempDir dir;
  WriteWav(dir / "b.wav", ToneMix(8000, 1, 0.5));
  const ToolResult result = RunScript(
      "mkfifo a.raw && { g722kit encode a.raw b.wav -o out -j 2 & } && run=$!\n"
      "for i in {1..400}; do [ -e out/b.g722 ] && break; sleep 0.05; done\n"
      "tree() { for c in $(pgrep -P \"$1\"); do echo \"$c\"; tree \"$c\"; done; }\n"
      "for p in $(tree $run); do\n"
      "  tr '\\0' ' ' </proc/$p/cmdline | grep -q -- '--worker 0 ' && kill -KILL $p\n"
      "done\n"
      "wait $run",
      dir.path());
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.out.find("2 files: 1 encoded, 1 failed\n"), std::string::npos) << result.out;
  EXPECT_NE(
      result.err.find("g722kit: cannot convert 'a.raw': its worker process ended by signal 9"),
      std::string::npos)
      << result.err;
}

TEST(ToolWording, OneByteIsNotBytes) {
  TempDir dir;
  WriteBytes(dir / "one.raw", {0x10, 0x00});
  const ToolResult encoded = RunTool({"encode", "one.raw", "one.g722"}, dir.path());
  EXPECT_NE(encoded.out.find(": 1 byte of codes,"), std::string::npos) << encoded.out;
  const ToolResult info = RunTool({"info", "one.g722"}, dir.path());
  EXPECT_NE(info.out.find("one.g722: 1 byte, not"), std::string::npos) << info.out;
}

}  // namespace
}  // namespace g722kit::test
